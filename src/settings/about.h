#pragma once
// The about window's owner: each showing builds and destroys its own window.
#include <QObject>

class Tform_about : public QObject
{
    Q_OBJECT
public:
    explicit Tform_about(QObject *parent = nullptr);
};

extern Tform_about *form_about;

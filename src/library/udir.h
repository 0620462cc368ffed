#pragma once
// The folder window of the capture by folder.
#include <QDialog>

class Tform_dir : public QDialog
{
    Q_OBJECT
public:
    explicit Tform_dir(QWidget *parent = nullptr);
};

extern Tform_dir *form_dir;

#pragma once
// The settings window: sound cards, capture types, mixing time and sensitivity.
#include <QDialog>

class Tform_config : public QDialog
{
    Q_OBJECT
public:
    explicit Tform_config(QWidget *parent = nullptr);
};

extern Tform_config *form_config;

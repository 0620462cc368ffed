#pragma once
// The settings window: sound cards, default fade, capture types and level, mixing time and
// sensitivity. Its capture and mixing controls are themselves live settings that the console
// reads whenever it needs them.
#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSlider;
class QSpinBox;

class Tform_config : public QDialog
{
    Q_OBJECT
public:
    explicit Tform_config(QWidget *parent = nullptr);
    ~Tform_config() override;

    QComboBox *ComboBox1, *ComboBox2;
    QSlider *TrackBar1;
    QLabel *Label7;
    QCheckBox *Checkbox4, *Checkbox3, *checkbox_wma, *Checkbox1;
    QSlider *MMSwitch1;
    QSpinBox *RxSpinEdit7, *RxSpinEdit1;
    QPushButton *BitBtn3, *BitBtn1, *BitBtn2;
    bool devices_alterados = false;
};

extern Tform_config *form_config;

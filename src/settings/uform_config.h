#pragma once
// The settings window: sound cards, default fade, capture types and level, mixing time and
// sensitivity. Its capture and mixing controls are themselves live settings that the console
// reads whenever it needs them; the cards and the fade reach the console through OK.
#include <QDialog>
#include <QPoint>
#include <QRect>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRubberBand;
class QSlider;
class QSpinBox;

class Tform_config : public QDialog
{
    Q_OBJECT
public:
    explicit Tform_config(QWidget *parent = nullptr);
    ~Tform_config() override;

    QWidget *Panel1;
    QComboBox *ComboBox1, *ComboBox2;
    QSlider *TrackBar1;
    QLabel *Label7;
    QWidget *PaintBox1;
    QCheckBox *Checkbox4, *Checkbox3, *checkbox_wma, *Checkbox1;
    QSlider *MMSwitch1;
    QSpinBox *RxSpinEdit7, *RxSpinEdit1;
    QCheckBox *CheckNormalizar, *CheckCortarSilencio, *CheckAnalisarAcervo;
    QSpinBox *SpinAlvo;
    QPushButton *BitBtn3, *BitBtn1, *BitBtn2;
    QLabel *Image1;
    bool devices_alterados = false;

    void FormShow();
    void TrackBar1Change();
    void ComboBox1Click();
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The description of the card a device number was opened on, or of the card listed there now.
    static QString placa_em_uso(int device);
    // Dragging the window by its panel: an outline follows the mouse, the window moves on release.
    QRubberBand *m_contorno = nullptr;
    bool m_arrastando = false;
    QPoint m_inicio;
    QRect m_janela;
};

extern Tform_config *form_config;

#include "uform_config.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>

Tform_config *form_config = nullptr;

namespace {
template <typename T>
T *named(T *w, const char *name, const QRect &r, const QString &hint = QString())
{
    w->setObjectName(QString::fromLatin1(name));
    w->setGeometry(r);
    if (!hint.isEmpty())
        w->setToolTip(hint);
    return w;
}
}

Tform_config::Tform_config(QWidget *parent)
    : QDialog(parent, Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("form_config"));
    setWindowTitle(QStringLiteral("Configurações"));
    setFixedSize(715, 366);
    setStyleSheet(QStringLiteral(
        "QDialog { background: black; } QWidget#Panel1 { background: rgb(8, 24, 64); }"
        "QLabel, QCheckBox, QGroupBox { color: #e4ecf4; } QGroupBox { border: 1px solid #2c4a7a; margin-top: 8px; }"
        "QGroupBox::title { subcontrol-origin: margin; left: 6px; }"));
    auto *panel = named(new QWidget(this), "Panel1", QRect(0, 0, 715, 366));

    new QLabel(QStringLiteral("Device para Músicas"), panel);
    panel->findChildren<QLabel *>().last()->setGeometry(12, 10, 200, 16);
    ComboBox1 = named(new QComboBox(panel), "ComboBox1", QRect(12, 28, 330, 22),
                      QStringLiteral("Device para músicas (Placa de som nº 01)"));
    auto *cueLabel = new QLabel(QStringLiteral("Device Escuta (Cue)"), panel);
    cueLabel->setGeometry(12, 56, 200, 16);
    ComboBox2 = named(new QComboBox(panel), "ComboBox2", QRect(12, 74, 330, 22),
                      QStringLiteral("Device para Escuta (cue) - Placa de som Nº 02"));

    auto *fade = new QGroupBox(QStringLiteral("Fade Out Padrão"), panel);
    fade->setGeometry(12, 106, 330, 70);
    TrackBar1 = named(new QSlider(Qt::Horizontal, fade), "TrackBar1", QRect(8, 22, 250, 24),
                      QStringLiteral("Define o Tempo do Fade Out"));
    TrackBar1->setRange(1500, 12000);
    TrackBar1->setTickInterval(500);
    TrackBar1->setTickPosition(QSlider::TicksBelow);
    Label7 = named(new QLabel(QStringLiteral("00000"), fade), "Label7", QRect(266, 24, 56, 18));
    connect(TrackBar1, &QSlider::valueChanged, Label7, [this](int v) { Label7->setText(QString::number(v)); });

    auto *capture = new QGroupBox(QStringLiteral("<Captura>"), panel);
    capture->setGeometry(360, 10, 160, 110);
    Checkbox4 = named(new QCheckBox(QStringLiteral("mp3"), capture), "Checkbox4", QRect(10, 22, 60, 18));
    Checkbox3 = named(new QCheckBox(QStringLiteral("wav"), capture), "Checkbox3", QRect(10, 44, 60, 18));
    checkbox_wma = named(new QCheckBox(QStringLiteral("wma"), capture), "checkbox_wma", QRect(80, 22, 60, 18));
    Checkbox1 = named(new QCheckBox(QStringLiteral("ogg"), capture), "Checkbox1", QRect(80, 44, 60, 18));
    for (QCheckBox *b : {Checkbox4, Checkbox3, checkbox_wma, Checkbox1})
        b->setToolTip(QStringLiteral("Tipo de áudio"));
    Checkbox4->setChecked(true);

    auto *level = new QGroupBox(QStringLiteral("<Nível de Captura>"), panel);
    level->setGeometry(530, 10, 170, 160);
    MMSwitch1 = named(new QSlider(Qt::Vertical, level), "MMSwitch1", QRect(14, 24, 24, 120),
                      QStringLiteral("Nível de Captura de Arquivos "));
    MMSwitch1->setRange(0, 3);
    MMSwitch1->setInvertedAppearance(true); // position 0 at the top, as the labels read
    MMSwitch1->setValue(1);
    static const char *levelHints[4] = {"Captura o Primeiro Nível de Subdiretórios",
                                        "Captura até o Segundo Nível de Subdiretórios",
                                        "Captura até o Terceiro Nível de Subdiretórios",
                                        "Captura até o Quarto Nível de Subdiretórios"};
    for (int i = 0; i < 4; ++i) {
        auto *l = new QLabel(QString::number(i + 1), level);
        l->setGeometry(46, 24 + i * 36, 20, 16);
        l->setToolTip(QString::fromUtf8(levelHints[i]));
    }

    auto *mixing = new QGroupBox(QStringLiteral("<Mixagem Sensibilidade>"), panel);
    mixing->setGeometry(360, 180, 340, 70);
    RxSpinEdit7 = named(new QSpinBox(mixing), "RxSpinEdit7", QRect(10, 26, 90, 24), QStringLiteral("Tempo de Mixagem"));
    RxSpinEdit7->setRange(300, 8000);
    RxSpinEdit7->setSingleStep(100);
    RxSpinEdit7->setValue(3000);
    RxSpinEdit1 = named(new QSpinBox(mixing), "RxSpinEdit1", QRect(130, 26, 70, 24),
                        QStringLiteral("Sensibilidade da Mixagem"));
    RxSpinEdit1->setRange(10, 99);
    RxSpinEdit1->setSingleStep(5);
    RxSpinEdit1->setValue(20);
    auto *percent = new QLabel(QStringLiteral("%"), mixing);
    percent->setGeometry(204, 30, 16, 16);

    BitBtn3 = named(new QPushButton(QStringLiteral("Restaurar Padrão"), panel), "BitBtn3", QRect(12, 320, 140, 30));
    BitBtn1 = named(new QPushButton(QStringLiteral("OK"), panel), "BitBtn1", QRect(500, 320, 90, 30));
    BitBtn2 = named(new QPushButton(QStringLiteral("Cancelar"), panel), "BitBtn2", QRect(600, 320, 100, 30));
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    TrackBar1->setValue(1500);
    Label7->setText(QStringLiteral("00000"));
    form_config = this;
}

Tform_config::~Tform_config()
{
    if (form_config == this)
        form_config = nullptr;
}

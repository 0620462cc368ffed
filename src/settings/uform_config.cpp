#include "uform_config.h"

#include "audio/AudioEngine.h"
#include "console/UMIXER.h"
#include "settings/SitePicture.h"
#include "settings/funcoes.h"
#include "widgets/ColorButton.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRubberBand>
#include <QScreen>
#include <QSlider>
#include <QSpinBox>

Tform_config *form_config = nullptr;

namespace {

// The fade sketch: two slopes whose ends follow the fade time, and the left edge.
class EsbocoFade : public QWidget
{
public:
    EsbocoFade(QSlider *fade, QWidget *parent)
        : QWidget(parent), m_fade(fade)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.fillRect(rect(), Qt::black);
        const int posicao = m_fade->value();
        p.setPen(QColor(255, 0, 0));
        p.drawLine(m_caneta, QPoint(posicao / 42, height()));
        p.setPen(QColor(255, 255, 0));
        p.drawLine(QPoint(0, 0), QPoint(posicao / 40, height()));
        p.drawLine(QPoint(0, 0), QPoint(0, 200));
        m_caneta = QPoint(10, 10);
    }

private:
    QSlider *m_fade;
    QPoint m_caneta{0, 0};
};

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
    setFixedSize(715, 426);
    setStyleSheet(QStringLiteral(
        "QDialog { background: black; } QWidget#Panel1 { background: rgb(8, 24, 64); }"
        "QLabel, QCheckBox, QGroupBox { color: #e4ecf4; } QGroupBox { border: 1px solid #2c4a7a; margin-top: 8px; }"
        "QGroupBox::title { subcontrol-origin: margin; left: 6px; }"));
    auto *panel = named(new QWidget(this), "Panel1", QRect(0, 0, 715, 426));
    Panel1 = panel;
    panel->setAttribute(Qt::WA_StyledBackground);
    panel->installEventFilter(this);

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
    TrackBar1->setPageStep(500);
    TrackBar1->setTickPosition(QSlider::TicksBelow);
    Label7 = named(new QLabel(QStringLiteral("00000"), fade), "Label7", QRect(266, 24, 56, 18));
    connect(TrackBar1, &QSlider::valueChanged, this, &Tform_config::TrackBar1Change);
    auto *sketchPanel = named(new QWidget(panel), "Panel2", QRect(12, 186, 304, 125));
    sketchPanel->setStyleSheet(QStringLiteral("background: black;"));
    PaintBox1 = named(new EsbocoFade(TrackBar1, sketchPanel), "PaintBox1", QRect(2, 2, 300, 121));

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

    auto *volume = new QGroupBox(QStringLiteral("<Volume e Silêncio>"), panel);
    volume->setGeometry(360, 256, 340, 76);
    CheckNormalizar = named(new QCheckBox(QStringLiteral("Normalizar volume"), volume), "CheckNormalizar",
                            QRect(10, 22, 150, 20), QStringLiteral("Todas as músicas no mesmo volume (EBU R128)"));
    SpinAlvo = named(new QSpinBox(volume), "SpinAlvo", QRect(170, 20, 100, 24), QStringLiteral("Volume alvo"));
    SpinAlvo->setRange(Extras::kAlvoMinimo, Extras::kAlvoMaximo);
    SpinAlvo->setSuffix(QStringLiteral(" LUFS"));
    SpinAlvo->setValue(Extras::kAlvoPadrao);
    CheckCortarSilencio = named(new QCheckBox(QStringLiteral("Cortar silêncio"), volume), "CheckCortarSilencio",
                                QRect(10, 48, 150, 20),
                                QStringLiteral("A mixagem conta do fim do som e começa a música no primeiro som"));
    CheckAnalisarAcervo = named(new QCheckBox(QStringLiteral("Analisar o acervo"), volume), "CheckAnalisarAcervo",
                                QRect(170, 48, 160, 20),
                                QStringLiteral("Analisa também as músicas do acervo, depois das listas dos decks"));

    BitBtn3 = named(new QPushButton(QStringLiteral("Restaurar Padrão"), panel), "BitBtn3", QRect(12, 380, 140, 30));
    BitBtn1 = named(new QPushButton(QStringLiteral("OK"), panel), "BitBtn1", QRect(500, 380, 90, 30));
    BitBtn2 = named(new QPushButton(QStringLiteral("Cancelar"), panel), "BitBtn2", QRect(600, 380, 100, 30));
    Image1 = named(new QLabel(panel), "Image1", QRect(360, 338, 200, 36),
                   QStringLiteral("VISITE NOSSO SITE:\r\n") + Tform_mixer::enderecoSite());
    Image1->setPixmap(SitePicture::figura_site(Image1->size(), Tform_mixer::enderecoSite()));
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, &Tform_config::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &Tform_config::BitBtn2Click);
    connect(BitBtn3, &QPushButton::clicked, this, &Tform_config::BitBtn3Click);
    connect(ComboBox1, &QComboBox::activated, this, &Tform_config::ComboBox1Click);
    connect(ComboBox2, &QComboBox::activated, this, &Tform_config::ComboBox1Click);
    TrackBar1->setValue(1500);
    Label7->setText(QStringLiteral("00000"));
    form_config = this;
}

Tform_config::~Tform_config()
{
    delete m_contorno;
    if (form_config == this)
        form_config = nullptr;
}

void Tform_config::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (QScreen *s = screen())
        move(s->availableGeometry().center() - rect().center());
    FormShow();
}

void Tform_config::FormShow()
{
    Tform_mixer *m = form_mixer;
    if (!m)
        return;
    TMorvelBass *player = m->acervo->canal_00;
    const int count = player->DeviceCount();
    if (count == 0) {
        ComboBox1->setEnabled(false);
        ComboBox2->setEnabled(false);
    } else {
        ComboBox1->clear();
        ComboBox2->clear();
        for (int i = 1; i <= count; ++i) {
            ComboBox1->addItem(player->DeviceDescription(i));
            ComboBox2->addItem(player->DeviceDescription(i));
        }
        // A number beyond the list selects nothing.
        ComboBox1->setCurrentIndex(m->device_transmissao - 1 < count ? m->device_transmissao - 1 : -1);
        ComboBox2->setCurrentIndex(m->device_cue - 1 < count ? m->device_cue - 1 : -1);
    }
    const Extras::Valores &extras = m->nivelamento->valores();
    CheckNormalizar->setChecked(extras.normalizar);
    SpinAlvo->setValue(extras.alvo_lufs);
    CheckCortarSilencio->setChecked(extras.cortar_silencio);
    CheckAnalisarAcervo->setChecked(extras.analisar_acervo);
    TrackBar1->setValue(m->tempo_fade);
    // Also when the position did not change: the label must show the fade OK will store.
    TrackBar1Change();
}

void Tform_config::TrackBar1Change()
{
    PaintBox1->update();
    Label7->setText(QString::number(TrackBar1->value()));
}

void Tform_config::ComboBox1Click()
{
    devices_alterados = true;
}

void Tform_config::BitBtn1Click()
{
    if (Tform_mixer *m = form_mixer) {
        // A device counts as changed only when the card chosen is not the one in use; the
        // numbers of the cards may have moved since the start, their names have not.
        const bool mudou = devices_alterados
            && ((ComboBox1->currentIndex() >= 0 && ComboBox1->currentText() != placa_em_uso(m->deck_a->canal->Device))
                || (ComboBox2->currentIndex() >= 0 && ComboBox2->currentText() != placa_em_uso(m->device_cue)));
        // A list with nothing selected keeps the saved card: it may be plugged in again.
        if (ComboBox1->currentIndex() >= 0)
            m->device_transmissao = qint16(ComboBox1->currentIndex() + 1);
        if (ComboBox2->currentIndex() >= 0)
            m->device_cue = qint16(ComboBox2->currentIndex() + 1);
        m->tempo_fade = Label7->text().toInt();
        m->nivelamento->define({CheckNormalizar->isChecked(), SpinAlvo->value(), CheckCortarSilencio->isChecked(),
                                CheckAnalisarAcervo->isChecked()});
        if (mudou) {
            // The close asks first and stops the decks only when the operator confirms it;
            // a cancelled exit leaves the music playing.
            funcoes::mensagem(QStringLiteral("O Velarix precisa ser Fechado para ser Atualizado"));
            m->close();
        }
        m->cartucheira->grava_atalhos();
    }
    accept();
}

QString Tform_config::placa_em_uso(int device)
{
    const QString nome = audio::AudioEngine::instance().cardInUse(device);
    return nome.isEmpty() ? audio::AudioEngine::instance().deviceDescription(device) : nome;
}

void Tform_config::BitBtn2Click()
{
    reject();
}

void Tform_config::BitBtn3Click()
{
    TrackBar1->setValue(6000);
    MMSwitch1->setValue(1);
    RxSpinEdit7->setValue(3000);
    RxSpinEdit1->setValue(20);
    Checkbox4->setChecked(true);
    Checkbox3->setChecked(false);
    checkbox_wma->setChecked(false);
    Checkbox1->setChecked(false);
    CheckNormalizar->setChecked(false);
    SpinAlvo->setValue(Extras::kAlvoPadrao);
    CheckCortarSilencio->setChecked(false);
    CheckAnalisarAcervo->setChecked(false);
}

bool Tform_config::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != Panel1 || (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseMove
                              && event->type() != QEvent::MouseButtonRelease))
        return QDialog::eventFilter(watched, event);
    auto *e = static_cast<QMouseEvent *>(event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (e->button() != Qt::LeftButton)
            break;
        Panel1->grabMouse();
        m_inicio = e->globalPosition().toPoint();
        m_janela = frameGeometry();
        if (!m_contorno)
            m_contorno = new QRubberBand(QRubberBand::Rectangle);
        m_contorno->setGeometry(m_janela);
        m_contorno->show();
        m_arrastando = true;
        return true;
    case QEvent::MouseMove:
        if (!m_arrastando)
            break;
        m_contorno->setGeometry(m_janela.translated(e->globalPosition().toPoint() - m_inicio));
        return true;
    case QEvent::MouseButtonRelease:
        if (e->button() != Qt::LeftButton || !m_arrastando)
            break;
        Panel1->releaseMouse();
        m_contorno->hide();
        move(pos() + (e->globalPosition().toPoint() - m_inicio));
        m_arrastando = false;
        return true;
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

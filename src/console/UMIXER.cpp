#include "UMIXER.h"

#include "Ajustes.h"
#include "ConsoleBuild.h"
#include "ConsoleStyle.h"
#include "settings/SitePicture.h"
#include "settings/Startup.h"
#include "settings/about.h"
#include "visual/DeckVisuals.h"
#include "visual/ScreenFit.h"
#include "widgets/ColorButton.h"
#include "widgets/Lamp.h"
#include "widgets/LedButton.h"
#include "widgets/LedDotMatrixLabel.h"

#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QDesktopServices>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>

Tform_mixer *form_mixer = nullptr;

const std::array<int, 10> Tform_mixer::kBandCentres = {32, 64, 128, 250, 500, 1000, 2000, 4000, 8000, 16000};

using namespace console_build;

Tform_mixer::Tform_mixer(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("form_mixer"));
    form_mixer = this;
    caption_banner = QStringLiteral("Quorvanti Velarix-PRO ") + Startup::versao() + QStringLiteral(" - ") + enderecoSite()
        + QStringLiteral(" - (Velarix o mixer que agita sua festa !!)");
    setWindowTitle(caption_banner);
    // Every time display is cut out of this format: it is the program's own, never the system's.
    Startup::setFormatoHora(Startup::formatoHoraPadrao());
    setStyleSheet(console_style::styleSheet());
    console_style::setBackground(this, QColor(128, 128, 128));
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(11);
    setFont(f);
    resize(kClientWidth, kClientHeight);
    move(0, 0);
    graficos = std::make_unique<ConsoleVisuals>();
    tela_registrada = screenfit::designScreen();

    // The regions in the order the desk has always built them.
    deck_a = std::make_unique<Deck>(*this, kDeckA, graficos->deckA);
    deck_b = std::make_unique<Deck>(*this, kDeckB, graficos->deckB);
    deck_a->outro = deck_b.get();
    deck_b->outro = deck_a.get();
    acervo = std::make_unique<Acervo>(*this);
    buildMiddle();
    Panel9 = frame(this, "Panel9", QRect(3, 640, 1011, 69), QColor(0, 0, 0));
    Panel9->setToolTip(QStringLiteral("Dica: Poderá arrastar áudios para os Cartuchos"));
    Label7 = label(Panel9, legendaPadrao(), QRect(6, 4, 504, 20), "Label7");
    Label7->setStyleSheet(QStringLiteral("color: white; font-weight: bold;"));
    cartucheira = std::make_unique<Cartucheira>(*this);

    PopupMenu8 = named(new QMenu(this), "PopupMenu8");
    Sobre1 = named(PopupMenu8->addAction(QStringLiteral("Sobre")), "Sobre1");
    Sobre1->setShortcut(QKeySequence(Qt::Key_F1));
    FadeMix1 = named(PopupMenu8->addAction(QStringLiteral("FadeMix")), "FadeMix1");
    FadeMix1->setShortcut(QKeySequence(Qt::Key_F12));
    addAction(Sobre1);
    addAction(FadeMix1);
    for (QAction *a : {Sobre1, FadeMix1})
        a->setShortcutContext(Qt::WindowShortcut);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { PopupMenu8->popup(mapToGlobal(at)); });

    mixagem = std::make_unique<Mixagem>(*this);
    placas = std::make_unique<Placas>(*this);
    nivelamento = std::make_unique<Nivelamento>(*this);
    memoria = std::make_unique<MemoriaShow>(*this);
    vigia = std::make_unique<VigiaDoAr>(*this);
    wireMiddle();
}

Tform_mixer::~Tform_mixer()
{
    // The parts go while the widgets they watch are still there; their filters, connections
    // and players' callbacks go with them.
    vigia.reset();
    memoria.reset();
    nivelamento.reset();
    placas.reset();
    cartucheira.reset();
    mixagem.reset();
    acervo.reset();
    deck_b.reset();
    deck_a.reset();
    if (form_mixer == this)
        form_mixer = nullptr;
}

void Tform_mixer::buildMiddle()
{
    Panel18 = frame(this, "Panel18", QRect(310, 362, 398, 28), QColor(0, 0, 0));
    label5 = named(new LedDotMatrixLabel(Panel18), "label5");
    label5->setText(caption_banner);
    label5->setGeometry(1, 2, 396, 24);
    label5->setDotColor(QColor(255, 50, 40));

    Panel11 = frame(this, "Panel11", QRect(310, 390, 398, 71), QColor(166, 169, 170));
    speedbutton1 = button(Panel11, "speedbutton1", QStringLiteral("Mix A"), QRect(8, 22, 72, 32),
                          QStringLiteral("Mixagem de B para A\r\nDica: Tecla de Atalho (F12)"));
    lampMixA = named(new Lamp(Panel11), "lampMixA");
    lampMixA->setGeometry(70, 16, 12, 12);
    lampMixA->setColor(QColor(255, 40, 30));
    QLabel *cross = label(Panel11, QStringLiteral("CrossFade"), QRect(166, 8, 80, 16));
    cross->setStyleSheet(QStringLiteral("color: #101418; font-weight: bold;"));
    Trackbar18 = slider(Panel11, "Trackbar18", Qt::Horizontal, 0, 200, 100, QRect(90, 30, 218, 22),
                        QStringLiteral("Cross Fade"));
    Trackbar18->setContextMenuPolicy(Qt::CustomContextMenu);
    speedbutton2 = button(Panel11, "speedbutton2", QStringLiteral("Mix B"), QRect(318, 22, 72, 32),
                          QStringLiteral("Mixagem de A para B\r\nDica: Tecla de Atalho (F12)"));
    lampMixB = named(new Lamp(Panel11), "lampMixB");
    lampMixB->setGeometry(380, 16, 12, 12);
    lampMixB->setColor(QColor(255, 40, 30));
    PopupMenu4 = named(new QMenu(this), "PopupMenu4");

    Panel19 = frame(this, "Panel19", QRect(310, 465, 398, 59), QColor(4, 23, 38));
    LEDButton1 = named(new LedButton(QStringLiteral("Auto Mix"), Panel19), "LEDButton1");
    LEDButton1->setGeometry(8, 10, 104, 40);
    LEDButton1->setToolTip(QStringLiteral("Ativa/Desativa Mixagem automatica"));
    LEDButton1->setChecked(true);
    LEDButton2 = named(new LedButton(QStringLiteral("Sensibilidade"), Panel19), "LEDButton2");
    LEDButton2->setGeometry(118, 10, 110, 40);
    LEDButton2->setToolTip(QStringLiteral("Ativa/Desativa mixagem por sensibilidade"));
    LEDButton2->setChecked(true);
    for (LedButton *b : {LEDButton1, LEDButton2})
        b->setFocusPolicy(Qt::NoFocus);
    Image1 = label(Panel19, enderecoSite(), QRect(236, 10, 154, 40), "Image1");
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setStyleSheet(QStringLiteral("color: #5fc8ff; font-weight: bold; border: 1px solid #0c3350; border-radius: 3px;"
                                         "background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #0b2f4a, stop:1 #041726);"));

    bsSkinPanel6 = frame(this, "bsSkinPanel6", QRect(310, 528, 398, 110));
    bsSkinCheckRadioBox1 = named(new QCheckBox(QStringLiteral("EQ"), bsSkinPanel6), "bsSkinCheckRadioBox1");
    bsSkinCheckRadioBox1->setGeometry(8, 4, 44, 18);
    bsSkinCheckRadioBox1->setToolTip(QStringLiteral("Ativar Equalizador"));
    Trackbar6 = slider(bsSkinPanel6, "Trackbar6", Qt::Vertical, 0, 100, 100, QRect(16, 26, 22, 78),
                       QStringLiteral("Controle de Volume"));
    static const char *names[10] = {"TrackBar20", "Trackbar19", "TrackBar7", "TrackBar8", "TrackBar9",
                                     "TrackBar10", "TrackBar11", "TrackBar12", "bsSkinTrackBar1", "bsSkinTrackBar2"};
    static const char *captions[10] = {"32", "64", "128", "250", "500", "1K", "2K", "4K", "8K", "16K"};
    for (int i = 0; i < 10; ++i) {
        const int cx = 78 + i * 31;
        QLabel *l = label(bsSkinPanel6, QString::fromLatin1(captions[i]), QRect(cx - 4, 4, 30, 14));
        l->setAlignment(Qt::AlignCenter);
        bandas[size_t(i)] = slider(bsSkinPanel6, names[i], Qt::Vertical, 0, 20, 10, QRect(cx, 20, 22, 84), QString());
    }
    QLabel *zero = label(bsSkinPanel6, QStringLiteral("0"), QRect(60, 55, 14, 14));
    zero->setAlignment(Qt::AlignCenter);

    Timer3 = timer(this, "Timer3", 500);
    Timer6 = timer(this, "Timer6", 200);
}

void Tform_mixer::wireMiddle()
{
    deck_a->mix = speedbutton1;
    deck_a->lampada_mix = lampMixA;
    deck_b->mix = speedbutton2;
    deck_b->lampada_mix = lampMixB;
    for (int i = 0; i < 10; ++i)
        connect(bandas[size_t(i)], &QSlider::valueChanged, this, [this, i] { bandaChange(i); });
    connect(Trackbar6, &QSlider::valueChanged, this, &Tform_mixer::Trackbar6Change);
    connect(bsSkinCheckRadioBox1, &QCheckBox::toggled, this, &Tform_mixer::bsSkinCheckRadioBox1Click);
    connect(Timer6, &QTimer::timeout, this, &Tform_mixer::Timer6Timer);
    label5->setShowUnlitDots(false); // the strip moves: only the lit dots travel with it
    texto_letreiro(caption_banner);
    Timer6->start();
    Timer3->start();

    connect(acervo->SRColorButton2, &QAbstractButton::clicked, this, &Tform_mixer::SRColorButton2Click);
    connect(Sobre1, &QAction::triggered, this, &Tform_mixer::Sobre1Click);
    Image1->installEventFilter(this);
    Image1->setText(QString());
    Image1->setStyleSheet(QString());
    Image1->setPixmap(SitePicture::figura_site(Image1->size(), enderecoSite()));
    Image1->setScaledContents(true);
    Image1->setCursor(Qt::PointingHandCursor);
    Image1->setToolTip(QStringLiteral("VISITE NOSSO SITE:\r\n") + enderecoSite());

    Q_INIT_RESOURCE(velarix);
    const QIcon icone(QStringLiteral(":/velarix/velarix.png"));
    setWindowIcon(icone);
    // The program's other windows carry it too.
    if (QApplication::windowIcon().isNull())
        QApplication::setWindowIcon(icone);
}

QString Tform_mixer::tipoArrasto()
{
    return QStringLiteral("application/x-velarix-arrasto");
}

void Tform_mixer::inicia_arrasto(QWidget *origem, const QString &caminho)
{
    auto *dados = new QMimeData;
    dados->setData(tipoArrasto(), origem->objectName().toUtf8());
    dados->setText(caminho);
    if (executa_arrasto) {
        executa_arrasto(origem, dados);
        return;
    }
    auto *arrasto = new QDrag(origem);
    arrasto->setMimeData(dados);
    arrasto->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
}

bool Tform_mixer::eventFilter(QObject *watched, QEvent *event)
{
    // The site picture has no click of its own.
    if (watched == Image1 && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
        Image1Click();
    return QWidget::eventFilter(watched, event);
}

void Tform_mixer::SRColorButton2Click()
{
    Ajustes::mostra_janela();
}

void Tform_mixer::Sobre1Click()
{
    Tform_about::mostra();
}

void Tform_mixer::Image1Click()
{
    QDesktopServices::openUrl(Tform_about::enderecoPagina());
    setWindowState(windowState() | Qt::WindowMinimized);
}

void Tform_mixer::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
}

void Tform_mixer::ativa_janela()
{
    if (windowState() & Qt::WindowMinimized)
        setWindowState(windowState() & ~Qt::WindowMinimized);
    if (!isVisible())
        showNormal();
    raise();
    activateWindow();
}

void Tform_mixer::closeEvent(QCloseEvent *event)
{
    if (m_closing) {
        event->accept();
        return;
    }
    FormClose(event);
}

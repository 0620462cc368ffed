#include "UMIXER.h"

#include "ConsoleStyle.h"
#include "library/LibraryModel.h"
#include "library/TvelarixScan.h"
#include "settings/DataFolder.h"
#include "settings/Startup.h"
#include "settings/funcoes.h"
#include "visual/ScreenFit.h"
#include "widgets/ColorButton.h"
#include "widgets/Lamp.h"
#include "widgets/LedBarGauge.h"
#include "widgets/LedButton.h"
#include "widgets/LedColon.h"
#include "widgets/LedDotMatrixLabel.h"
#include "widgets/LedNumber.h"
#include "widgets/NeedleMeter.h"
#include "widgets/TColorBtn.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLocale>

Tform_mixer *form_mixer = nullptr;

const std::array<int, 10> Tform_mixer::kBandCentres = {32, 64, 128, 250, 500, 1000, 2000, 4000, 8000, 16000};

namespace {

template <typename T>
T *named(T *w, const char *name)
{
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

QLabel *label(QWidget *parent, const QString &text, const QRect &r, const char *name = nullptr)
{
    auto *l = new QLabel(text, parent);
    if (name)
        l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(r);
    return l;
}

ColorButton *button(QWidget *parent, const char *name, const QString &caption, const QRect &r,
                    const QString &hint, ColorButton::Glyph glyph = ColorButton::NoGlyph)
{
    auto *b = named(new ColorButton(caption, parent), name);
    b->setGeometry(r);
    b->setToolTip(hint);
    b->setGlyph(glyph);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

QSlider *slider(QWidget *parent, const char *name, Qt::Orientation o, int min, int max, int value,
                const QRect &r, const QString &hint)
{
    auto *s = named(new QSlider(o, parent), name);
    s->setRange(min, max);
    s->setValue(value);
    s->setGeometry(r);
    s->setToolTip(hint);
    return s;
}

QTimer *timer(QObject *parent, const char *name, int ms)
{
    auto *t = named(new QTimer(parent), name);
    t->setInterval(ms);
    t->setTimerType(Qt::PreciseTimer);
    return t;
}

QFrame *frame(QWidget *parent, const char *name, const QRect &r, const QColor &flat = QColor())
{
    auto *f = named(new QFrame(parent), name);
    f->setGeometry(r);
    console_style::panel(f, flat);
    return f;
}

} // namespace

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

    // The players, in the order the desk has always created them.
    canal_00 = named(new TMorvelBass(this), "canal_00");
    canal_atalho = named(new TMorvelBass(this), "canal_atalho");
    canal_a = named(new TMorvelBass(this), "canal_a");
    canal_b = named(new TMorvelBass(this), "canal_b");
    canal_a->OnStop = [this](TMorvelBass *p) { Canal_aStop(p); };
    canal_b->OnStop = [this](TMorvelBass *p) { Canal_bStop(p); };
    for (int i = 0; i < 10; ++i)
        canal_cartucho[size_t(i)] = named(new TMorvelBass(this), QStringLiteral("canal_cartucho%1").arg(i + 1).toLatin1().constData());

    buildDeck(1);
    buildDeck(2);
    buildLibrary();
    buildMiddle();
    buildCartridges();

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

    wireDeck(1);
    wireDeck(2);
    wireEffects();
    wireClocks();
    wireListsAndLibrary();
    wireSettingsAndAbout();
    wireDesktop();
    wireCentrePlayer();

    // Loop switches start off; the grids take their width.
    loop_esquerda->setChecked(false);
    loop_direita->setChecked(false);
}

Tform_mixer::~Tform_mixer()
{
    // The children are destroyed after this body, by which time the window's members are
    // gone: the filters that reach back into the window must not see their last events.
    for (const char *filtro : {"filtroListasBiblioteca", "filtroCartuchos", "filtroArquivosSoltos", "filtroPesquisa",
                               "filtroConfiguracaoSobre"})
        delete findChild<QObject *>(QLatin1String(filtro), Qt::FindDirectChildrenOnly);
    if (form_mixer == this)
        form_mixer = nullptr;
}

void Tform_mixer::buildDeck(int deck)
{
    const bool a = deck == 1;
    const int x = a ? 3 : 710;
    QFrame *panel = frame(this, a ? "bsSkinPanel1" : "bsSkinPanel7", QRect(x, 2, 305, 488));
    QFrame *controls = frame(this, a ? "bsSkinPanel2" : "bsSkinPanel8", QRect(x, 492, 304, 147));

    QLabel *title = label(panel, QStringLiteral("Música:"), QRect(7, 6, 294, 16), a ? "label2" : "label28");
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);

    QFrame *display = frame(panel, a ? "Panel2" : "Panel4", QRect(6, 28, 296, 124), QColor(0, 0, 64));
    QWidget *box = named(new QWidget(display), a ? "pp" : "PP2");
    box->setGeometry(2, 5, 163, 59);
    box->setToolTip(QStringLiteral("Clique e saiba mais..."));
    console_style::setBackground(box, QColor(0, 0, 64));
    auto *meter = named(new NeedleMeter(display), a ? "ML" : "MR");
    meter->setGeometry(168, 3, 124, 62);
    meter->setFaceColor(QColor(199, 218, 135));
    meter->setCaption(QStringLiteral("dB"));
    meter->setRange(0, 114);
    auto *gauge = named(new LedBarGauge(display), a ? "pbarvu" : "Progressbar1");
    gauge->setGeometry(4, 71, 288, 12);
    gauge->setMaximum(100);
    auto *minutes = named(new LedNumber(2, display), a ? "MMLEDPanel1" : "MMLEDPanel3");
    minutes->setGeometry(15, 94, 23, 22);
    auto *colon = named(new LedColon(display), a ? "MMLEDDigit1" : "MMLEDDigit3");
    colon->setGeometry(38, 94, 12, 22);
    auto *seconds = named(new LedNumber(2, display), a ? "MMLEDPanel2" : "MMLEDPanel4");
    seconds->setGeometry(50, 94, 23, 22);
    for (QWidget *w : {static_cast<QWidget *>(minutes), static_cast<QWidget *>(colon), static_cast<QWidget *>(seconds)})
        w->setToolTip(QStringLiteral("Tempo da Música"));
    minutes->setValue(0);
    seconds->setValue(0);
    QLabel *status = label(display, QStringLiteral(" PLAY "), QRect(80, 95, 50, 18), a ? "Label1" : "Label20");
    status->setStyleSheet(QStringLiteral("color: rgb(64, 64, 64); font-weight: bold;"));
    auto *deckLamp = named(new Lamp(display), a ? "MMLED4" : "MMLED3");
    deckLamp->setGeometry(140, 99, 10, 10);
    deckLamp->setColor(QColor(255, 40, 30));
    label(display, QStringLiteral("Duração:"), QRect(171, 96, 58, 16));
    QLabel *total = label(display, QStringLiteral("00:00"), QRect(231, 96, 50, 16), a ? "Label3" : "Label24");
    total->setToolTip(QStringLiteral("Tempo Total da Música"));

    // Deck B's row sits slightly shifted, as it always has.
    const QRect playAt = a ? QRect(6, 155, 72, 27) : QRect(6, 155, 84, 27);
    const QRect pauseAt = a ? QRect(82, 155, 72, 27) : QRect(95, 155, 53, 27);
    const QRect stopAt = a ? QRect(158, 155, 66, 27) : QRect(152, 155, 72, 27);
    ColorButton *play = button(panel, a ? "bitbtn2" : "bitbtn6", QStringLiteral("Play"), playAt,
                               QStringLiteral("Play"), ColorButton::Play);
    ColorButton *pause = button(panel, a ? "bitbtn5" : "bitbtn8", a ? QStringLiteral("Pause") : QString(), pauseAt,
                                QStringLiteral("Pause"), ColorButton::Pause);
    ColorButton *stop = button(panel, a ? "bitbtn4" : "bitbtn9", QStringLiteral("Stop"), stopAt,
                               QStringLiteral("Stop"), ColorButton::Stop);
    auto *loop = named(new LedButton(QStringLiteral("Loop"), panel), a ? "loop_esquerda" : "loop_direita");
    loop->setGeometry(229, 155, 70, 27);
    loop->setToolTip(QStringLiteral("Loop (repete a música)"));
    loop->setEnabled(false);
    loop->setFocusPolicy(Qt::NoFocus);
    pause->setEnabled(false);
    stop->setEnabled(false);
    play->setEnabled(false);

    auto *list = named(new QListWidget(panel), a ? "ListBox1" : "ListBox2");
    list->setGeometry(5, 188, 295, 227);
    // One line of text per entry: the list need not measure every entry of a long programme.
    list->setUniformItemSizes(true);
    list->setToolTip(QStringLiteral("Duplo Clique (play)\r\nMova com o Mouse para cima ou para Baixo"));
    list->installEventFilter(this);
    list->setContextMenuPolicy(Qt::CustomContextMenu);

    auto *counter = named(new LedNumber(5, panel), a ? "CONTA_ESQUERDA" : "conta_direita");
    counter->setGeometry(5, 420, 72, 26);
    counter->setLitColor(QColor(80, 255, 90));
    counter->setValue(0);
    counter->setToolTip(QStringLiteral("Total de músicas na lista"));
    label(panel, QStringLiteral("Músicas"), QRect(84, 426, 60, 16));
    ColorButton *add = button(panel, a ? "bitbtn14" : "bitbtn15", a ? QStringLiteral("Canal A") : QStringLiteral("Canal B"),
                              QRect(196, 420, 102, 27), QStringLiteral("Adicionar música ao Canal"));
    add->setFaceColor(QColor(31, 111, 178));
    add->setEnabled(false);
    ColorButton *open = button(panel, a ? "bitbtn1" : "bitbtn12", QStringLiteral("Abrir"), QRect(5, 455, 70, 27),
                               QStringLiteral("Abrir lista de Programação"));
    ColorButton *save = button(panel, a ? "bitbtn10" : "bitbtn16", QStringLiteral("Salvar"), QRect(79, 455, 70, 27),
                               QStringLiteral("Salvar programação musical"));
    ColorButton *clear = button(panel, a ? "bitbtn17" : "bitbtn19", QStringLiteral("Limpar"), QRect(153, 455, 70, 27),
                                QStringLiteral("Limpar lista de Programação"));
    ColorButton *remove = button(panel, a ? "bitbtn18" : "bitbtn20", QStringLiteral("Excluir"), QRect(227, 455, 71, 27),
                                 QStringLiteral("Excluir música da lista de programação"));

    // Controls below the deck.
    label(controls, QStringLiteral("Balanço"), QRect(8, 6, 60, 16));
    QSlider *pan = slider(controls, a ? "trackPan" : "trackbar2", Qt::Horizontal, -100, 100, 0, QRect(70, 5, 226, 18),
                          QStringLiteral("Balanço"));
    label(controls, QStringLiteral("Frequência:"), QRect(8, 30, 70, 16));
    QLabel *freq = label(controls, QStringLiteral("00000"), QRect(80, 30, 60, 16), a ? "Label11" : "Label26");
    freq->setToolTip(QStringLiteral("Frequencia em Hz"));
    auto *lamp = named(new Lamp(controls), a ? "VrUserLed1" : "VrUserLed2");
    lamp->setGeometry(278, 29, 16, 16);
    lamp->setColor(QColor(60, 255, 60));
    lamp->setToolTip(QStringLiteral("Frequencia Padrão"));
    QSlider *pitch = slider(controls, a ? "trackFrequencia" : "trackbar4", Qt::Horizontal, 10, 99999, 44100,
                            QRect(8, 50, 288, 18), QStringLiteral("Frequencia da música"));
    auto *flanger = named(new QCheckBox(QStringLiteral("Flanger"), controls), a ? "CheckBox2" : "CheckBox5");
    flanger->setGeometry(8, 78, 70, 18);
    flanger->setToolTip(QStringLiteral("Ativar Efeito Flanger"));
    QSlider *depth = slider(controls, a ? "Flanger1" : "Flanger2", Qt::Horizontal, 0, 15, 3, QRect(80, 78, 100, 18),
                            QStringLiteral("Intensidade do efeito Flanger"));
    auto *echo = named(new QCheckBox(QStringLiteral("Echo"), controls), a ? "CheckBox6" : "CheckBox8");
    echo->setGeometry(192, 78, 56, 18);
    echo->setToolTip(QStringLiteral("Efeito Eco"));
    auto *cut = named(new QCheckBox(QStringLiteral("Cut"), controls), a ? "CheckBox7" : "CheckBox9");
    cut->setGeometry(250, 78, 50, 18);
    cut->setToolTip(QStringLiteral("Efeito Tremulo"));
    QSlider *position = slider(controls, a ? "trackbar1" : "trackbar5", Qt::Horizontal, 0, 0, 0, QRect(6, 112, 292, 22),
                               QString());
    position->setFocusPolicy(Qt::StrongFocus);
    for (QSlider *s : {pan, pitch, position})
        s->setEnabled(false);

    QTimer *clock = timer(this, a ? "Timer1" : "Timer2", 50);
    QMenu *menu = named(new QMenu(list), a ? "PopupMenu5" : "PopupMenu6");

    if (a) {
        bsSkinPanel1 = panel; bsSkinPanel2 = controls; Panel2 = display;
        ListBox1 = list; bitbtn2 = play; bitbtn5 = pause; bitbtn4 = stop; loop_esquerda = loop;
        label2 = title; Label1 = status; Label3 = total; Label11 = freq;
        MMLEDPanel1 = minutes; MMLEDPanel2 = seconds; MMLEDDigit1 = colon; CONTA_ESQUERDA = counter;
        trackbar1 = position; trackPan = pan; trackFrequencia = pitch; Flanger1 = depth;
        VrUserLed1 = lamp; MMLED4 = deckLamp; pp = box; pbarvu = gauge; ML = meter; Timer1 = clock;
        CheckBox2 = flanger; CheckBox6 = echo; CheckBox7 = cut;
        bitbtn14 = add; bitbtn1 = open; bitbtn10 = save; bitbtn17 = clear; bitbtn18 = remove; PopupMenu5 = menu;
    } else {
        bsSkinPanel7 = panel; bsSkinPanel8 = controls; Panel4 = display;
        ListBox2 = list; bitbtn6 = play; bitbtn8 = pause; bitbtn9 = stop; loop_direita = loop;
        label28 = title; Label20 = status; Label24 = total; Label26 = freq;
        MMLEDPanel3 = minutes; MMLEDPanel4 = seconds; MMLEDDigit3 = colon; conta_direita = counter;
        trackbar5 = position; trackbar2 = pan; trackbar4 = pitch; Flanger2 = depth;
        VrUserLed2 = lamp; MMLED3 = deckLamp; PP2 = box; Progressbar1 = gauge; MR = meter; Timer2 = clock;
        CheckBox5 = flanger; CheckBox8 = echo; CheckBox9 = cut;
        bitbtn15 = add; bitbtn12 = open; bitbtn16 = save; bitbtn19 = clear; bitbtn20 = remove; PopupMenu6 = menu;
    }
}

void Tform_mixer::buildLibrary()
{
    bsSkinPanel4 = frame(this, "bsSkinPanel4", QRect(310, 2, 398, 359));
    DriveComboBox1 = named(new QComboBox(bsSkinPanel4), "DriveComboBox1");
    DriveComboBox1->setGeometry(5, 8, 196, 24);
    // The capture reads the volume back from this text, so both use the same entries.
    for (const VolumeEntry &v : mountedVolumes())
        DriveComboBox1->addItem(v.text());
    bitbtn13 = button(bsSkinPanel4, "bitbtn13", QStringLiteral("Capturar"), QRect(206, 6, 80, 36),
                      QStringLiteral("Capturar Músicas"));
    captura_geral = named(new LedButton(QStringLiteral("Captura Geral"), bsSkinPanel4), "captura_geral");
    captura_geral->setGeometry(290, 6, 103, 36);
    captura_geral->setToolTip(QStringLiteral("Modo de captura (led ligado = Captura Geral)"));
    captura_geral->setChecked(true);

    bsSkinPanel5 = frame(bsSkinPanel4, "bsSkinPanel5", QRect(5, 49, 387, 307));
    label(bsSkinPanel5, QStringLiteral("Procurar"), QRect(6, 6, 56, 18));
    edit1 = named(new QLineEdit(bsSkinPanel5), "edit1");
    edit1->setGeometry(62, 4, 170, 22);
    edit1->setToolTip(QStringLiteral("ENTER - finaliza a pesquisa"));
    SRColorButton2 = button(bsSkinPanel5, "SRColorButton2", QStringLiteral("Placas"), QRect(238, 4, 64, 22),
                            QStringLiteral("Configura placas de som"));
    SRColorButton1 = button(bsSkinPanel5, "SRColorButton1", QStringLiteral("Cue"), QRect(306, 4, 76, 22),
                            QStringLiteral("Pré-escuta na placa de som de Cue"));
    SRColorButton1->setCheckable(true);
    SRColorButton1->setFaceColor(QColor(128, 128, 128));
    Label33 = label(bsSkinPanel5, QStringLiteral("Status"), QRect(6, 30, 376, 14), "Label33");
    CoolGauge1 = named(new LedBarGauge(bsSkinPanel5), "CoolGauge1");
    CoolGauge1->setGeometry(6, 30, 376, 14);
    CoolGauge1->setMaximum(100);

    biblioteca = new LibraryModel(this);
    pesquisa = new LibraryModel(this);
    auto makeGrid = [this](const char *name, LibraryModel *model, const QColor &back, const QColor &text) {
        auto *g = named(new QTableView(bsSkinPanel5), name);
        g->setGeometry(5, 48, 377, 216);
        g->setModel(model);
        g->setSelectionBehavior(QAbstractItemView::SelectRows);
        g->setSelectionMode(QAbstractItemView::SingleSelection);
        g->setEditTriggers(QAbstractItemView::NoEditTriggers);
        g->verticalHeader()->hide();
        g->verticalHeader()->setDefaultSectionSize(15);
        g->verticalHeader()->setMinimumSectionSize(15);
        g->setColumnHidden(0, true);
        g->setColumnHidden(2, true);
        g->horizontalHeader()->setStretchLastSection(true);
        g->setStyleSheet(QStringLiteral("QTableView { background: %1; color: %2; selection-background-color: #1f6fb2; }")
                             .arg(back.name(), text.name()));
        return g;
    };
    StringGrid1 = makeGrid("StringGrid1", biblioteca, QColor(240, 240, 240), QColor(10, 10, 10));
    StringGrid2 = makeGrid("StringGrid2", pesquisa, QColor(0, 0, 0), QColor(230, 230, 230));
    StringGrid2->hide();

    bitbtn21 = button(bsSkinPanel5, "bitbtn21", QStringLiteral("Play"), QRect(5, 270, 64, 30), QStringLiteral("Play"),
                      ColorButton::Play);
    bitbtn23 = button(bsSkinPanel5, "bitbtn23", QStringLiteral("Stop"), QRect(73, 270, 64, 30), QStringLiteral("Stop"),
                      ColorButton::Stop);
    bitbtn23->setEnabled(false);
    bITBTN24 = button(bsSkinPanel5, "bITBTN24", QStringLiteral("AUTO PRG"), QRect(145, 270, 92, 30),
                      QStringLiteral("Programação Automática Aleatória"));
    RadioButton1 = named(new QRadioButton(QStringLiteral("Alfabética"), bsSkinPanel5), "RadioButton1");
    RadioButton1->setGeometry(246, 268, 130, 16);
    RadioButton1->setToolTip(QStringLiteral("Distribuição em  ordem Alfabética"));
    RadioButton1->setChecked(true);
    RadioButton2 = named(new QRadioButton(QStringLiteral("Aleatória"), bsSkinPanel5), "RadioButton2");
    RadioButton2->setGeometry(246, 286, 130, 16);
    RadioButton2->setToolTip(QStringLiteral("Distribuição em ordem  Aleatória"));
    PopupMenu7 = named(new QMenu(StringGrid1), "PopupMenu7");
    Timer4 = timer(this, "Timer4", 50);
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

void Tform_mixer::buildCartridges()
{
    Panel9 = frame(this, "Panel9", QRect(3, 640, 1011, 69), QColor(0, 0, 0));
    Panel9->setToolTip(QStringLiteral("Dica: Poderá arrastar áudios para os Cartuchos"));
    Label7 = label(Panel9, QStringLiteral("Quorvanti Velarix-Pro"), QRect(6, 4, 504, 20), "Label7");
    Label7->setStyleSheet(QStringLiteral("color: white; font-weight: bold;"));
    cria_cartuchos();
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

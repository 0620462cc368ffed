// A deck's controls, where they sit and what they are wired to, and the events of its list
// and display that no signal carries.
#include "Deck.h"

#include "Acervo.h"
#include "ConsoleBuild.h"
#include "ConsoleStyle.h"
#include "UMIXER.h"
#include "audio/TMorvelBass.h"
#include "lists/ListFile.h"
#include "widgets/ColorButton.h"
#include "widgets/Lamp.h"
#include "widgets/LedBarGauge.h"
#include "widgets/LedButton.h"
#include "widgets/LedColon.h"
#include "widgets/LedNumber.h"
#include "widgets/NeedleMeter.h"

#include <QCheckBox>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QSlider>
#include <QTimer>

const DeckTraits kDeckA = {
    1, 3,
    "canal_a", "bsSkinPanel1", "bsSkinPanel2", "Panel2", "label2", "pp", "ML", "pbarvu", "MMLEDPanel1", "MMLEDDigit1", "MMLEDPanel2",
    "Label1", "MMLED4", "Label3", "bitbtn2", "bitbtn5", "bitbtn4", "loop_esquerda", "ListBox1", "CONTA_ESQUERDA",
    "bitbtn14", "bitbtn1", "bitbtn10", "bitbtn17", "bitbtn18", "trackPan", "Label11", "VrUserLed1", "trackFrequencia",
    "CheckBox2", "Flanger1", "CheckBox6", "CheckBox7", "trackbar1", "Timer1", "PopupMenu5", "Play1", "Stop1", "Exclur1",
    "OpenDialog1", "SaveDialog1",
    QRect(6, 155, 72, 27), QRect(82, 155, 72, 27), QRect(158, 155, 66, 27),
    "Pause", "Canal A", "Lista Quorvanti Velarix (*.ipk *.IPK)",
    false, false, false, false, false, false, false, false, true};

// Deck B's row sits slightly shifted, as it always has.
const DeckTraits kDeckB = {
    2, 710,
    "canal_b", "bsSkinPanel7", "bsSkinPanel8", "Panel4", "label28", "PP2", "MR", "Progressbar1", "MMLEDPanel3", "MMLEDDigit3",
    "MMLEDPanel4", "Label20", "MMLED3", "Label24", "bitbtn6", "bitbtn8", "bitbtn9", "loop_direita", "ListBox2",
    "conta_direita", "bitbtn15", "bitbtn12", "bitbtn16", "bitbtn19", "bitbtn20", "trackbar2", "Label26", "VrUserLed2",
    "trackbar4", "CheckBox5", "Flanger2", "CheckBox8", "CheckBox9", "trackbar5", "Timer2", "PopupMenu6", "Play2",
    "Stop2", "Exclur2", "OpenDialog2", "SaveDialog2",
    QRect(6, 155, 84, 27), QRect(95, 155, 53, 27), QRect(152, 155, 72, 27),
    "", "Canal B", "Lista Quorvanti (*.ipk *.IPK)",
    true, true, true, true, true, true, true, true, false};

using namespace console_build;

Deck::Deck(Tform_mixer &console, const DeckTraits &t, DeckVisuals &visuais)
    : QObject(nullptr)
    , traits(t)
    , m_console(console)
    , m_visuais(visuais)
{
    canal = named(new TMorvelBass(&console), t.canal);
    canal->OnStop = [this](TMorvelBass *) { fim_da_faixa(); };
    constroi();
    liga();
}

Deck::~Deck()
{
    // The player outlives its deck by a moment: it must not call back into it.
    canal->OnStop = nullptr;
}

bool Deck::tocando() const
{
    return canal->Playing;
}

bool Deck::no_ar() const
{
    return relogio->isActive();
}

bool Deck::carregado() const
{
    return !canal->Title.isEmpty();
}

void Deck::constroi()
{
    const DeckTraits &t = traits;
    painel = frame(&m_console, t.painel, QRect(t.x, 2, 305, 488));
    controles = frame(&m_console, t.controles, QRect(t.x, 492, 304, 147));

    titulo = label(painel, QStringLiteral("Música:"), QRect(7, 6, 294, 16), t.titulo);
    QFont bold = titulo->font();
    bold.setBold(true);
    titulo->setFont(bold);

    visor = frame(painel, t.visor, QRect(6, 28, 296, 124), QColor(0, 0, 64));
    caixa = named(new QWidget(visor), t.caixa);
    caixa->setGeometry(2, 5, 163, 59);
    caixa->setToolTip(QStringLiteral("Clique e saiba mais..."));
    console_style::setBackground(caixa, QColor(0, 0, 64));
    medidor = named(new NeedleMeter(visor), t.medidor);
    medidor->setGeometry(168, 3, 124, 62);
    medidor->setFaceColor(QColor(199, 218, 135));
    medidor->setCaption(QStringLiteral("dB"));
    medidor->setRange(0, 114);
    barra = named(new LedBarGauge(visor), t.barra);
    barra->setGeometry(4, 71, 288, 12);
    barra->setMaximum(100);
    minutos = named(new LedNumber(2, visor), t.minutos);
    minutos->setGeometry(15, 94, 23, 22);
    dois_pontos = named(new LedColon(visor), t.dois_pontos);
    dois_pontos->setGeometry(38, 94, 12, 22);
    segundos = named(new LedNumber(2, visor), t.segundos);
    segundos->setGeometry(50, 94, 23, 22);
    for (QWidget *w : {static_cast<QWidget *>(minutos), static_cast<QWidget *>(dois_pontos), static_cast<QWidget *>(segundos)})
        w->setToolTip(QStringLiteral("Tempo da Música"));
    minutos->setValue(0);
    segundos->setValue(0);
    estado = label(visor, QStringLiteral(" PLAY "), QRect(80, 95, 50, 18), t.estado);
    estado->setStyleSheet(QStringLiteral("color: rgb(64, 64, 64); font-weight: bold;"));
    lampada_no_ar = named(new Lamp(visor), t.lampada_no_ar);
    lampada_no_ar->setGeometry(140, 99, 10, 10);
    lampada_no_ar->setColor(QColor(255, 40, 30));
    label(visor, QStringLiteral("Duração:"), QRect(171, 96, 58, 16));
    duracao = label(visor, QStringLiteral("00:00"), QRect(231, 96, 50, 16), t.duracao);
    duracao->setToolTip(QStringLiteral("Tempo Total da Música"));

    tocar = button(painel, t.tocar, QStringLiteral("Play"), t.tocar_em, QStringLiteral("Play"), ColorButton::Play);
    pausar = button(painel, t.pausar, QString::fromLatin1(t.legenda_pausa), t.pausar_em, QStringLiteral("Pause"),
                    ColorButton::Pause);
    parar = button(painel, t.parar, QStringLiteral("Stop"), t.parar_em, QStringLiteral("Stop"), ColorButton::Stop);
    loop = named(new LedButton(QStringLiteral("Loop"), painel), t.loop);
    loop->setGeometry(229, 155, 70, 27);
    loop->setToolTip(QStringLiteral("Loop (repete a música)"));
    loop->setEnabled(false);
    loop->setFocusPolicy(Qt::NoFocus);
    pausar->setEnabled(false);
    parar->setEnabled(false);
    tocar->setEnabled(false);

    lista = named(new QListWidget(painel), t.lista);
    lista->setGeometry(5, 188, 295, 227);
    // One line of text per entry: the list need not measure every entry of a long programme.
    lista->setUniformItemSizes(true);
    if (t.lista_com_dica)
        lista->setToolTip(QStringLiteral("Duplo Clique (play)\r\nMova com o Mouse para cima ou para Baixo"));
    lista->setContextMenuPolicy(Qt::CustomContextMenu);

    contador = named(new LedNumber(5, painel), t.contador);
    contador->setGeometry(5, 420, 72, 26);
    contador->setLitColor(QColor(80, 255, 90));
    contador->setValue(0);
    contador->setToolTip(QStringLiteral("Total de músicas na lista"));
    label(painel, QStringLiteral("Músicas"), QRect(84, 426, 60, 16));
    adicionar = button(painel, t.adicionar, QString::fromLatin1(t.legenda_adicionar), QRect(196, 420, 102, 27),
                       QStringLiteral("Adicionar música ao Canal"));
    adicionar->setFaceColor(QColor(31, 111, 178));
    adicionar->setEnabled(false);
    abrir = button(painel, t.abrir, QStringLiteral("Abrir"), QRect(5, 455, 70, 27), QStringLiteral("Abrir lista de Programação"));
    salvar = button(painel, t.salvar, QStringLiteral("Salvar"), QRect(79, 455, 70, 27),
                    QStringLiteral("Salvar programação musical"));
    limpar = button(painel, t.limpar, QStringLiteral("Limpar"), QRect(153, 455, 70, 27),
                    QStringLiteral("Limpar lista de Programação"));
    excluir = button(painel, t.excluir, QStringLiteral("Excluir"), QRect(227, 455, 71, 27),
                     QStringLiteral("Excluir música da lista de programação"));

    // Controls below the deck.
    label(controles, QStringLiteral("Balanço"), QRect(8, 6, 60, 16));
    balanco = slider(controles, t.balanco, Qt::Horizontal, -100, 100, 0, QRect(70, 5, 226, 18), QStringLiteral("Balanço"));
    label(controles, QStringLiteral("Frequência:"), QRect(8, 30, 70, 16));
    frequencia = label(controles, QStringLiteral("00000"), QRect(80, 30, 60, 16), t.frequencia);
    frequencia->setToolTip(QStringLiteral("Frequencia em Hz"));
    lampada_padrao = named(new Lamp(controles), t.lampada_padrao);
    lampada_padrao->setGeometry(278, 29, 16, 16);
    lampada_padrao->setColor(QColor(60, 255, 60));
    lampada_padrao->setToolTip(QStringLiteral("Frequencia Padrão"));
    velocidade = slider(controles, t.velocidade, Qt::Horizontal, 10, 99999, 44100, QRect(8, 50, 288, 18),
                        QStringLiteral("Frequencia da música"));
    flanger = named(new QCheckBox(QStringLiteral("Flanger"), controles), t.flanger);
    flanger->setGeometry(8, 78, 70, 18);
    flanger->setToolTip(QStringLiteral("Ativar Efeito Flanger"));
    intensidade = slider(controles, t.intensidade, Qt::Horizontal, 0, 15, 3, QRect(80, 78, 100, 18),
                         QStringLiteral("Intensidade do efeito Flanger"));
    eco = named(new QCheckBox(QStringLiteral("Echo"), controles), t.eco);
    eco->setGeometry(192, 78, 56, 18);
    eco->setToolTip(QStringLiteral("Efeito Eco"));
    corte = named(new QCheckBox(QStringLiteral("Cut"), controles), t.corte);
    corte->setGeometry(250, 78, 50, 18);
    corte->setToolTip(QStringLiteral("Efeito Tremulo"));
    posicao = slider(controles, t.posicao, Qt::Horizontal, 0, 0, 0, QRect(6, 112, 292, 22), QString());
    posicao->setFocusPolicy(Qt::StrongFocus);
    for (QSlider *s : {balanco, velocidade, posicao})
        s->setEnabled(false);

    relogio = timer(&m_console, t.relogio, 50);
    menu = named(new QMenu(lista), t.menu);
}

void Deck::liga()
{
    connect(lista, &QListWidget::itemClicked, this, [this] { carrega(); });
    // What the deck plays next is analysed first, the rest of its list after.
    connect(lista, &QListWidget::currentRowChanged, this, [this](int row) {
        if (m_console.nivelamento)
            m_console.nivelamento->selecionada(arquivos.value(row));
    });
    for (auto sinal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(lista->model(), sinal, this, [this] {
            if (m_console.nivelamento)
                m_console.nivelamento->listas_mudaram();
        });
    connect(lista, &QListWidget::itemDoubleClicked, this, &Deck::duplo_clique);
    connect(tocar, &QAbstractButton::clicked, this, &Deck::toca);
    connect(pausar, &QAbstractButton::clicked, this, &Deck::pausa);
    connect(parar, &QAbstractButton::clicked, this, &Deck::para);
    connect(loop, &QAbstractButton::clicked, this, &Deck::loop_clique);
    // The signal carries the new place; the slider's value follows only after it.
    connect(posicao, &QSlider::sliderMoved, this, &Deck::busca);
    connect(balanco, &QSlider::valueChanged, this, &Deck::balanco_mudou);
    connect(velocidade, &QSlider::valueChanged, this, &Deck::velocidade_mudou);
    connect(lampada_padrao, &Lamp::pressed, this, [this] { lampada_padrao->setOn(true); });
    connect(lampada_padrao, &Lamp::released, this, [this] { lampada_padrao->setOn(false); });
    connect(lampada_padrao, &Lamp::clicked, this, &Deck::frequencia_padrao);
    // Unchecking a box (as the end of a track does) takes its effect off the player.
    connect(flanger, &QCheckBox::toggled, this, &Deck::flanger_clique);
    connect(eco, &QCheckBox::toggled, this, &Deck::eco_clique);
    connect(corte, &QCheckBox::toggled, this, &Deck::corte_clique);
    connect(intensidade, &QSlider::valueChanged, this, &Deck::intensidade_mudou);
    connect(relogio, &QTimer::timeout, this, &Deck::tique);
    for (QObject *w : {static_cast<QObject *>(minutos), static_cast<QObject *>(segundos)})
        connect(static_cast<LedNumber *>(w), &LedNumber::clicked, this, &Deck::alterna_modo_tempo);
    connect(dois_pontos, &LedColon::clicked, this, &Deck::alterna_modo_tempo);
    connect(medidor, &NeedleMeter::clicked, &m_console, &Tform_mixer::Sobre1Click, Qt::QueuedConnection);

    QAction *playItem = menu->addAction(QStringLiteral("Play"));
    playItem->setObjectName(QString::fromLatin1(traits.item_play));
    QAction *stopItem = menu->addAction(QStringLiteral("Stop"));
    stopItem->setObjectName(QString::fromLatin1(traits.item_stop));
    connect(playItem, &QAction::triggered, this, &Deck::toca);
    connect(stopItem, &QAction::triggered, this, &Deck::para);
    connect(lista, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { menu->popup(lista->viewport()->mapToGlobal(at)); });
    menu->addSeparator();
    exclur = menu->addAction(QStringLiteral("Exclur"));
    exclur->setObjectName(QString::fromLatin1(traits.item_exclur));
    exclur->setShortcut(QKeySequence(Qt::Key_Delete));
    exclur->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    // The shortcut works while the list has the focus, with the state of the last opening.
    lista->addAction(exclur);
    connect(exclur, &QAction::triggered, this, &Deck::exclui_entrada);
    connect(menu, &QMenu::aboutToShow, this, &Deck::menu_lista);

    connect(adicionar, &QAbstractButton::clicked, this, &Deck::adiciona_faixa);
    connect(excluir, &QAbstractButton::clicked, this, &Deck::exclui_entrada);
    connect(limpar, &QAbstractButton::clicked, this, &Deck::limpa_lista);
    connect(abrir, &QAbstractButton::clicked, this, &Deck::abre_lista);
    connect(salvar, &QAbstractButton::clicked, this, &Deck::salva_lista);

    lista->setAcceptDrops(true);
    lista->setDragDropMode(QAbstractItemView::NoDragDrop);
    lista->viewport()->setAcceptDrops(true);
    lista->installEventFilter(this);
    lista->viewport()->installEventFilter(this);
    caixa->installEventFilter(this);
}

bool Deck::eventFilter(QObject *alvo, QEvent *evento)
{
    const QEvent::Type tipo = evento->type();
    if (alvo == lista) {
        // Moving through the list with the keys selects like a click does.
        if (tipo == QEvent::KeyRelease) {
            switch (static_cast<QKeyEvent *>(evento)->key()) {
            case Qt::Key_Up: case Qt::Key_Down: case Qt::Key_PageUp: case Qt::Key_PageDown:
            case Qt::Key_Home: case Qt::Key_End:
                carrega();
                break;
            default:
                break;
            }
        }
        return false;
    }
    if (alvo == caixa) {
        // The display has no click of its own: it opens the about window.
        if (tipo == QEvent::MouseButtonRelease && static_cast<QMouseEvent *>(evento)->button() == Qt::LeftButton)
            QMetaObject::invokeMethod(&m_console, &Tform_mixer::Sobre1Click, Qt::QueuedConnection);
        return false;
    }
    if (alvo != lista->viewport())
        return false;
    switch (tipo) {
    case QEvent::MouseButtonPress:
        m_pressionada = static_cast<QMouseEvent *>(evento)->button() == Qt::LeftButton;
        return false;
    case QEvent::MouseButtonRelease:
        m_pressionada = false;
        return false;
    case QEvent::MouseMove: {
        // The drag starts with the first movement after the press: no threshold.
        auto *me = static_cast<QMouseEvent *>(evento);
        if (!m_pressionada || !(me->buttons() & Qt::LeftButton))
            return false;
        m_pressionada = false;
        QListWidgetItem *item = lista->item(lista->currentRow());
        if (!item || !item->isSelected())
            return false;
        m_console.inicia_arrasto(lista, arquivos.value(lista->currentRow()));
        return true;
    }
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop: {
        auto *de = static_cast<QDropEvent *>(evento);
        // Files and folders from the desktop.
        const QList<QUrl> urls = Acervo::arquivos_locais(de->mimeData());
        if (!urls.isEmpty()) {
            // One drop at a time.
            if (m_console.acervo->soltando_arquivos) {
                de->ignore();
                return true;
            }
            de->setDropAction(Qt::CopyAction);
            de->accept();
            if (tipo == QEvent::Drop) {
                // The row under the drop point, counted as a move counts it; below the last
                // row (or on an empty list) the end of the list.
                int linha = 0;
                if (const int total = lista->count()) {
                    const int topo = qMax(0, lista->indexAt(QPoint(1, 1)).row());
                    const QRect linha0 = lista->visualItemRect(lista->item(topo));
                    linha = qMax(0, ListFile::dropTarget(topo, de->position().toPoint().y() - linha0.top(),
                                                         qMax(1, linha0.height()), total + 1));
                }
                // The work runs after the drop returns, so the file manager is not kept waiting.
                QTimer::singleShot(0, this, [this, urls, linha] { solta_arquivos(urls, linha); });
            }
            return true;
        }
        // Every drag of the console's own is accepted; the drop decides what it does.
        de->acceptProposedAction();
        if (tipo == QEvent::Drop)
            solta_na_lista(QString::fromUtf8(de->mimeData()->data(Tform_mixer::tipoArrasto())), de->position().toPoint());
        return true;
    }
    default:
        return false;
    }
}

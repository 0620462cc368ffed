// The library side's controls, their wiring, and the events of the grids and the search edit
// that no signal carries: drags out of the grids, desktop drops on the library, keys.
#include "Acervo.h"

#include "ConsoleBuild.h"
#include "UMIXER.h"
#include "audio/TMorvelBass.h"
#include "library/LibraryModel.h"
#include "library/TvelarixScan.h"
#include "visual/meter_vis.h"
#include "widgets/ColorButton.h"
#include "widgets/LedBarGauge.h"
#include "widgets/LedButton.h"

#include <QApplication>
#include <QComboBox>
#include <QDropEvent>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QRadioButton>
#include <QTableView>
#include <QTimer>

namespace {

QAction *item(QMenu *menu, const QString &texto, const char *nome)
{
    QAction *a = menu->addAction(texto);
    a->setObjectName(QString::fromLatin1(nome));
    return a;
}

} // namespace

using namespace console_build;

Acervo::Acervo(Tform_mixer &console)
    : m_console(console)
{
    canal_00 = named(new TMorvelBass(&console), "canal_00");
    canal_00->OnStop = [this](TMorvelBass *) { Canal_00Stop(); };
    m_medidor = std::make_unique<TMeter>();
    constroi();
    liga();
}

Acervo::~Acervo()
{
    canal_00->OnStop = nullptr;
}

void Acervo::constroi()
{
    bsSkinPanel4 = frame(&m_console, "bsSkinPanel4", QRect(310, 2, 398, 359));
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
    Timer4 = timer(&m_console, "Timer4", 50);

    Play3 = item(PopupMenu7, QStringLiteral("Play"), "Play3");
    Stop3 = item(PopupMenu7, QStringLiteral("Stop"), "Stop3");
    PopupMenu7->addSeparator();
    Excluir1 = item(PopupMenu7, QStringLiteral("Excluir"), "Excluir1");
    Excluir1->setToolTip(QStringLiteral("Exclu Música de Lista"));
    Excluir1->setStatusTip(QStringLiteral("Exclu Música de Lista"));
    Excluir1->setShortcut(QKeySequence(Qt::Key_Delete));
    Excluir1->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    StringGrid1->addAction(Excluir1);
    PopupMenu7->addSeparator();
    AutoProgramacaoAlfabetica1 = item(PopupMenu7, QStringLiteral("Auto Programação - Alfabética"), "AutoProgramacaoAlfabetica1");
    AutoProgramacaoAleatoria1 = item(PopupMenu7, QStringLiteral("Auto Programação - Aleatória"), "AutoProgramacaoAleatoria1");

    MixerScan1 = new TvelarixScan(this);
    MixerScan1->setObjectName(QStringLiteral("MixerScan1"));
}

void Acervo::liga()
{
    for (QTableView *grade : {StringGrid1, StringGrid2}) {
        grade->viewport()->installEventFilter(this);
        grade->setDragEnabled(false);
    }
    StringGrid1->installEventFilter(this);
    StringGrid1->setAcceptDrops(true);
    StringGrid1->viewport()->setAcceptDrops(true);
    StringGrid1->setToolTip(LibraryModel::initialHint());
    connect(StringGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &atual) {
                if (atual.isValid())
                    StringGrid1->setToolTip(LibraryModel::rowHint(biblioteca->path(atual.row())));
            });
    connect(Excluir1, &QAction::triggered, this, &Acervo::Excluir1Click);
    connect(PopupMenu7, &QMenu::aboutToShow, this, &Acervo::PopupMenu7Popup);
    StringGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(StringGrid1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &at) { PopupMenu7->popup(StringGrid1->viewport()->mapToGlobal(at)); });
    connect(bitbtn13, &QAbstractButton::clicked, this, &Acervo::BitBtn13Click);

    SRColorButton1->setToolTip(QStringLiteral("Escuta - 2º placa de som\r\nDica: O sistema de escuta está ativo somente no "
                                              "Player Central (Canal do meio)."));
    connect(bitbtn21, &QAbstractButton::clicked, this, &Acervo::BitBtn21Click);
    connect(bitbtn23, &QAbstractButton::clicked, this, &Acervo::BitBtn23Click);
    connect(Play3, &QAction::triggered, this, &Acervo::BitBtn21Click);
    connect(Stop3, &QAction::triggered, this, &Acervo::BitBtn23Click);
    connect(StringGrid1, &QAbstractItemView::doubleClicked, this, &Acervo::StringGrid1DblClick);
    connect(SRColorButton1, &QAbstractButton::clicked, this, &Acervo::SRColorButton1Click);
    connect(Timer4, &QTimer::timeout, this, &Acervo::Timer4Timer);
    connect(bITBTN24, &QAbstractButton::clicked, this, &Acervo::BitBtn24Click);
    connect(AutoProgramacaoAlfabetica1, &QAction::triggered, this, &Acervo::AutoProgramacaoAlfabetica1Click);
    connect(AutoProgramacaoAleatoria1, &QAction::triggered, this, &Acervo::AutoProgramacaoAleatoria1Click);

    edit1->installEventFilter(this);
    StringGrid2->installEventFilter(this);
    // The edit holds what is typed in upper case.
    connect(edit1, &QLineEdit::textEdited, this, [this](const QString &texto) {
        const QString maiusculo = texto.toUpper();
        if (maiusculo == texto)
            return;
        const int cursor = edit1->cursorPosition();
        edit1->setText(maiusculo);
        edit1->setCursorPosition(cursor);
    });
}

bool Acervo::eventFilter(QObject *alvo, QEvent *evento)
{
    const QEvent::Type tipo = evento->type();
    if (alvo == edit1) {
        if (tipo == QEvent::KeyPress)
            return Edit1KeyPress(static_cast<QKeyEvent *>(evento));
        if (tipo == QEvent::FocusIn && !m_devolvendo_foco) {
            // Coming back from a box or another window is not entering the edit.
            const Qt::FocusReason r = static_cast<QFocusEvent *>(evento)->reason();
            if (r != Qt::ActiveWindowFocusReason && r != Qt::PopupFocusReason)
                Edit1Enter();
        }
        return false;
    }
    if (alvo == StringGrid2)
        return tipo == QEvent::KeyPress && StringGrid2KeyDown(static_cast<QKeyEvent *>(evento));
    // Keys of the library grid: the type-ahead.
    if (alvo == StringGrid1)
        return tipo == QEvent::KeyPress && StringGrid1KeyDown(static_cast<QKeyEvent *>(evento));
    if (alvo == StringGrid1->viewport() && filtra_solta_na_grade(evento))
        return true;
    for (QTableView *grade : {StringGrid1, StringGrid2})
        if (alvo == grade->viewport())
            return filtra_grade(grade, evento);
    return false;
}

bool Acervo::filtra_grade(QTableView *grade, QEvent *evento)
{
    switch (evento->type()) {
    case QEvent::MouseButtonPress: {
        auto *me = static_cast<QMouseEvent *>(evento);
        grade == StringGrid1 ? StringGrid1MouseDown(me->button()) : StringGrid2MouseDown(me->button());
        m_ponto_pressionado = me->position().toPoint();
        return false;
    }
    case QEvent::MouseButtonRelease:
        m_grade_pressionada = nullptr;
        return false;
    case QEvent::MouseMove: {
        auto *me = static_cast<QMouseEvent *>(evento);
        if (m_grade_pressionada != grade || !(me->buttons() & Qt::LeftButton))
            return false;
        const auto *modelo = static_cast<const LibraryModel *>(grade->model());
        const int linha = grade->currentIndex().row();
        if (linha < 0)
            return false;
        // Rows with a counter drag at once; any other row only past the usual distance.
        const bool numerada = !modelo->index(linha, LibraryModel::CounterColumn).data().toString().trimmed().isEmpty();
        if (!numerada && (me->position().toPoint() - m_ponto_pressionado).manhattanLength() < QApplication::startDragDistance())
            return false;
        m_grade_pressionada = nullptr;
        m_console.inicia_arrasto(grade, modelo->path(linha));
        return true;
    }
    default:
        return false;
    }
}

void Acervo::StringGrid1MouseDown(Qt::MouseButton botao) { pressiona_grade(StringGrid1, botao); }
void Acervo::StringGrid2MouseDown(Qt::MouseButton botao) { pressiona_grade(StringGrid2, botao); }

void Acervo::pressiona_grade(QTableView *grade, Qt::MouseButton botao)
{
    prefixo_busca.clear();
    m_grade_pressionada = botao == Qt::LeftButton ? grade : nullptr;
}

bool Acervo::eh_grade(const QString &origem) const
{
    return origem == StringGrid1->objectName() || origem == StringGrid2->objectName();
}

bool Acervo::faixa_atual(QString *titulo, QString *caminho) const
{
    const bool busca = StringGrid2->isVisibleTo(&m_console);
    const QTableView *grade = busca ? StringGrid2 : StringGrid1;
    const LibraryModel *modelo = busca ? pesquisa : biblioteca;
    const int linha = grade->currentIndex().row();
    *titulo = modelo->title(linha);
    if (linha < 0 || titulo->isEmpty())
        return false;
    *caminho = modelo->path(linha);
    return true;
}

bool Acervo::faixa_arrastada(const QString &origem, QString *titulo, QString *caminho, bool *da_busca) const
{
    if (!eh_grade(origem))
        return false;
    *da_busca = origem == StringGrid2->objectName();
    const LibraryModel *modelo = *da_busca ? pesquisa : biblioteca;
    const int linha = (*da_busca ? StringGrid2 : StringGrid1)->currentIndex().row();
    *titulo = modelo->title(linha);
    *caminho = modelo->path(linha);
    return true;
}

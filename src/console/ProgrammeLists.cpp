// The decks' programme lists: adding, deleting, clearing and moving entries, their context
// menus, and the drags between the library grids and the lists.
#include "UMIXER.h"

#include "library/LibraryModel.h"
#include "library/TvelarixScan.h"
#include "lists/ListFile.h"
#include "settings/funcoes.h"
#include "widgets/ColorButton.h"
#include "widgets/LedNumber.h"

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>

// Routes the mouse, key and drag events of the lists and grids to the console's handlers,
// leaving the console's own event filter to the deck transport.
class ListsAndLibraryFilter : public QObject
{
public:
    explicit ListsAndLibraryFilter(Tform_mixer *m)
        : QObject(m)
        , m_mixer(m)
    {
    }

protected:
    bool eventFilter(QObject *alvo, QEvent *evento) override
    {
        return m_mixer->filtra_lista_e_grade(alvo, evento);
    }

private:
    Tform_mixer *m_mixer;
};

namespace {

QStringList titulos(const QListWidget *lista)
{
    QStringList t;
    t.reserve(lista->count());
    for (int i = 0; i < lista->count(); ++i)
        t << lista->item(i)->text();
    return t;
}

void sem_selecao(QListWidget *lista)
{
    lista->setCurrentRow(-1);
    lista->clearSelection();
}

} // namespace

QString Tform_mixer::tipoArrasto()
{
    return QStringLiteral("application/x-velarix-arrasto");
}

void Tform_mixer::wireListsAndLibrary()
{
    auto *filtro = new ListsAndLibraryFilter(this);
    // The window removes it first thing when it closes down (see ~Tform_mixer).
    filtro->setObjectName(QStringLiteral("filtroListasBiblioteca"));

    // ---- deck lists ----
    for (int deck = 1; deck <= 2; ++deck) {
        const bool a = deck == 1;
        QListWidget *lista = a ? ListBox1 : ListBox2;
        lista->setAcceptDrops(true);
        lista->setDragDropMode(QAbstractItemView::NoDragDrop);
        lista->viewport()->setAcceptDrops(true);
        lista->viewport()->installEventFilter(filtro);
        if (!a)
            lista->setToolTip(QString());

        QMenu *menu = a ? PopupMenu5 : PopupMenu6;
        menu->addSeparator();
        QAction *exclur = menu->addAction(QStringLiteral("Exclur"));
        exclur->setObjectName(a ? QStringLiteral("Exclur1") : QStringLiteral("Exclur2"));
        exclur->setShortcut(QKeySequence(Qt::Key_Delete));
        exclur->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        // The shortcut works while the list has the focus, with the state of the last opening.
        lista->addAction(exclur);
        connect(exclur, &QAction::triggered, this, [this, deck] { exclui_entrada(deck); });
        connect(menu, &QMenu::aboutToShow, this, [this, a] { a ? PopupMenu5Popup() : PopupMenu6Popup(); });
        (a ? Exclur1 : Exclur2) = exclur;
    }
    connect(bitbtn14, &QAbstractButton::clicked, this, [this] { BitBtn14Click(); });
    connect(bitbtn15, &QAbstractButton::clicked, this, [this] { BitBtn15Click(); });
    connect(bitbtn18, &QAbstractButton::clicked, this, [this] { bitbtn18Click(); });
    connect(bitbtn20, &QAbstractButton::clicked, this, [this] { BitBtn20Click(); });
    connect(bitbtn17, &QAbstractButton::clicked, this, [this] { bitbtn17Click(); });
    connect(bitbtn19, &QAbstractButton::clicked, this, [this] { BitBtn19Click(); });

    // ---- list files ----
    connect(bitbtn1, &QAbstractButton::clicked, this, [this] { bitbtn1Click(); });
    connect(bitbtn12, &QAbstractButton::clicked, this, [this] { BitBtn12Click(); });
    connect(bitbtn10, &QAbstractButton::clicked, this, [this] { bitbtn10Click(); });
    connect(bitbtn16, &QAbstractButton::clicked, this, [this] { BitBtn16Click(); });

    // ---- library grids ----
    for (QTableView *grade : {StringGrid1, StringGrid2}) {
        grade->viewport()->installEventFilter(filtro);
        grade->setDragEnabled(false);
    }
    StringGrid1->installEventFilter(filtro);
    StringGrid1->setToolTip(LibraryModel::initialHint());
    connect(StringGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &atual) {
                if (atual.isValid())
                    StringGrid1->setToolTip(LibraryModel::rowHint(biblioteca->path(atual.row())));
            });

    Play3 = PopupMenu7->addAction(QStringLiteral("Play"));
    Play3->setObjectName(QStringLiteral("Play3"));
    Stop3 = PopupMenu7->addAction(QStringLiteral("Stop"));
    Stop3->setObjectName(QStringLiteral("Stop3"));
    PopupMenu7->addSeparator();
    Excluir1 = PopupMenu7->addAction(QStringLiteral("Excluir"));
    Excluir1->setObjectName(QStringLiteral("Excluir1"));
    Excluir1->setToolTip(QStringLiteral("Exclu Música de Lista"));
    Excluir1->setStatusTip(QStringLiteral("Exclu Música de Lista"));
    Excluir1->setShortcut(QKeySequence(Qt::Key_Delete));
    Excluir1->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    StringGrid1->addAction(Excluir1);
    PopupMenu7->addSeparator();
    AutoProgramacaoAlfabetica1 = PopupMenu7->addAction(QStringLiteral("Auto Programação - Alfabética"));
    AutoProgramacaoAlfabetica1->setObjectName(QStringLiteral("AutoProgramacaoAlfabetica1"));
    AutoProgramacaoAleatoria1 = PopupMenu7->addAction(QStringLiteral("Auto Programação - Aleatória"));
    AutoProgramacaoAleatoria1->setObjectName(QStringLiteral("AutoProgramacaoAleatoria1"));
    connect(Excluir1, &QAction::triggered, this, [this] { Excluir1Click(); });
    connect(PopupMenu7, &QMenu::aboutToShow, this, [this] { PopupMenu7Popup(); });
    StringGrid1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(StringGrid1, &QWidget::customContextMenuRequested, PopupMenu7,
            [this](const QPoint &at) { PopupMenu7->popup(StringGrid1->viewport()->mapToGlobal(at)); });

    // ---- capture ----
    MixerScan1 = new TvelarixScan(this);
    MixerScan1->setObjectName(QStringLiteral("MixerScan1"));
    connect(bitbtn13, &QAbstractButton::clicked, this, [this] { BitBtn13Click(); });
}

// ---------------- add ----------------

void Tform_mixer::BitBtn14Click() { adiciona_faixa(1); }
void Tform_mixer::BitBtn15Click() { adiciona_faixa(2); }

void Tform_mixer::adiciona_faixa(int deck)
{
    QListWidget *lista = deck == 1 ? ListBox1 : ListBox2;
    QStringList &caminhos = deck == 1 ? arquivos_a : arquivos_b;
    LedNumber *contador = deck == 1 ? CONTA_ESQUERDA : conta_direita;
    try {
        const bool busca = StringGrid2->isVisibleTo(this);
        QTableView *grade = busca ? StringGrid2 : StringGrid1;
        const LibraryModel *modelo = busca ? pesquisa : biblioteca;
        const int linha = grade->currentIndex().row();
        const QString titulo = modelo->title(linha);
        if (linha < 0 || titulo.isEmpty())
            return;
        const QString caminho = modelo->path(linha);
        // Asked once per entry of that title; Cancel at any of them adds nothing.
        const int perguntas = ListFile::duplicateQuestions(titulos(lista), titulo);
        for (int i = 0; i < perguntas; ++i)
            if (!funcoes::confirma(QStringLiteral("Música já Existente nesta programação - Deseja Continuar ??")))
                return;
        // The questions run an event loop: the list may have changed meanwhile, so both
        // lists are appended together here.
        lista->addItem(titulo);
        caminhos.append(caminho);
        contador->setValue(lista->count());
        if (lista->count() == 1) {
            lista->setCurrentRow(0);
            deck == 1 ? ListBox1Click() : ListBox2Click();
        }
    } catch (...) {
    }
}

// ---------------- delete and clear ----------------

void Tform_mixer::bitbtn18Click() { exclui_entrada(1); }
void Tform_mixer::BitBtn20Click() { exclui_entrada(2); }

void Tform_mixer::exclui_entrada(int deck)
{
    QListWidget *lista = deck == 1 ? ListBox1 : ListBox2;
    QStringList &caminhos = deck == 1 ? arquivos_a : arquivos_b;
    const int linha = lista->currentRow();
    if (linha < 0 || linha >= lista->count() || !lista->item(linha)->isSelected())
        return;
    delete lista->takeItem(linha);
    if (linha < caminhos.size())
        caminhos.removeAt(linha);
    sem_selecao(lista);
    (deck == 1 ? CONTA_ESQUERDA : conta_direita)->setValue(lista->count());
}

void Tform_mixer::bitbtn17Click() { limpa_lista(1); }
void Tform_mixer::BitBtn19Click() { limpa_lista(2); }

void Tform_mixer::limpa_lista(int deck)
{
    (deck == 1 ? lista_aberta_a : lista_aberta_b).clear();
    (deck == 1 ? ListBox1 : ListBox2)->clear();
    (deck == 1 ? arquivos_a : arquivos_b).clear();
    (deck == 1 ? CONTA_ESQUERDA : conta_direita)->setValue(0);
}

// ---------------- context menus ----------------

void Tform_mixer::PopupMenu5Popup() { menu_lista(1); }
void Tform_mixer::PopupMenu6Popup() { menu_lista(2); }

void Tform_mixer::menu_lista(int deck)
{
    const bool a = deck == 1;
    QMenu *menu = a ? PopupMenu5 : PopupMenu6;
    const QList<QAction *> itens = menu->actions();
    // Play and Stop are the first two items; they follow the deck's buttons.
    if (itens.size() >= 2) {
        itens.at(0)->setEnabled((a ? bitbtn2 : bitbtn6)->isEnabled());
        itens.at(1)->setEnabled((a ? bitbtn4 : bitbtn9)->isEnabled());
    }
    QTimer *relogio = a ? Timer1 : Timer2;
    QListWidget *lista = a ? ListBox1 : ListBox2;
    (a ? Exclur1 : Exclur2)->setEnabled(!relogio->isActive() && lista->count() > 0);
}

// ---------------- drag and drop ----------------

void Tform_mixer::ListBox1DragDrop(const QString &origem, const QPoint &ponto) { solta_na_lista(1, origem, ponto); }
void Tform_mixer::ListBox2DragDrop(const QString &origem, const QPoint &ponto) { solta_na_lista(2, origem, ponto); }

void Tform_mixer::solta_na_lista(int deck, const QString &origem, const QPoint &ponto)
{
    try {
        if (origem == StringGrid1->objectName() || origem == StringGrid2->objectName()) {
            adiciona_faixa(deck);
            return;
        }
        QListWidget *lista = deck == 1 ? ListBox1 : ListBox2;
        QStringList &caminhos = deck == 1 ? arquivos_a : arquivos_b;
        const int total = lista->count();
        if (total == 0)
            return;
        const int topo = qMax(0, lista->indexAt(QPoint(1, 1)).row());
        const QRect linha0 = lista->visualItemRect(lista->item(topo));
        const int altura = qMax(1, linha0.height());
        const int alvo = ListFile::dropTarget(topo, ponto.y() - linha0.top(), altura, total);
        const int selecionada = lista->item(lista->currentRow()) && lista->item(lista->currentRow())->isSelected()
                                    ? lista->currentRow() : -1;
        QStringList t = titulos(lista);
        if (!ListFile::moveEntry(t, caminhos, selecionada, alvo))
            return;
        lista->insertItem(alvo, lista->takeItem(selecionada));
        sem_selecao(lista);
    } catch (...) {
    }
}

void Tform_mixer::inicia_arrasto(QWidget *origem)
{
    auto *dados = new QMimeData;
    dados->setData(tipoArrasto(), origem->objectName().toUtf8());
    if (auto *grade = qobject_cast<QTableView *>(origem)) {
        const auto *modelo = static_cast<const LibraryModel *>(grade->model());
        dados->setText(modelo->path(grade->currentIndex().row()));
    } else if (auto *lista = qobject_cast<QListWidget *>(origem)) {
        const QStringList &caminhos = lista == ListBox1 ? arquivos_a : arquivos_b;
        dados->setText(caminhos.value(lista->currentRow()));
    }
    if (executa_arrasto) {
        executa_arrasto(origem, dados);
        return;
    }
    auto *arrasto = new QDrag(origem);
    arrasto->setMimeData(dados);
    arrasto->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
}

bool Tform_mixer::filtra_lista_e_grade(QObject *alvo, QEvent *evento)
{
    const QEvent::Type tipo = evento->type();
    // Keys of the library grid: the type-ahead.
    if (alvo == StringGrid1 && tipo == QEvent::KeyPress)
        return StringGrid1KeyDown(static_cast<QKeyEvent *>(evento));

    for (int deck = 1; deck <= 2; ++deck) {
        QListWidget *lista = deck == 1 ? ListBox1 : ListBox2;
        if (alvo != lista->viewport())
            continue;
        bool &pressionada = m_lista_pressionada[deck - 1];
        switch (tipo) {
        case QEvent::MouseButtonPress:
            pressionada = static_cast<QMouseEvent *>(evento)->button() == Qt::LeftButton;
            return false;
        case QEvent::MouseButtonRelease:
            pressionada = false;
            return false;
        case QEvent::MouseMove: {
            // The drag starts with the first movement after the press: no threshold.
            auto *me = static_cast<QMouseEvent *>(evento);
            if (!pressionada || !(me->buttons() & Qt::LeftButton))
                return false;
            pressionada = false;
            QListWidgetItem *item = lista->item(lista->currentRow());
            if (!item || !item->isSelected())
                return false;
            inicia_arrasto(lista);
            return true;
        }
        case QEvent::DragEnter:
        case QEvent::DragMove:
            // Every drag is accepted; the drop decides what it does.
            static_cast<QDragMoveEvent *>(evento)->acceptProposedAction();
            return true;
        case QEvent::Drop: {
            auto *de = static_cast<QDropEvent *>(evento);
            const QString origem = QString::fromUtf8(de->mimeData()->data(tipoArrasto()));
            de->acceptProposedAction();
            solta_na_lista(deck, origem, de->position().toPoint());
            return true;
        }
        default:
            return false;
        }
    }

    for (QTableView *grade : {StringGrid1, StringGrid2}) {
        if (alvo != grade->viewport())
            continue;
        switch (tipo) {
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
            if (!numerada && (me->position().toPoint() - m_ponto_pressionado).manhattanLength()
                                 < QApplication::startDragDistance())
                return false;
            m_grade_pressionada = nullptr;
            inicia_arrasto(grade);
            return true;
        }
        default:
            return false;
        }
    }
    return false;
}

void Tform_mixer::StringGrid1MouseDown(Qt::MouseButton botao) { pressiona_grade(StringGrid1, botao); }
void Tform_mixer::StringGrid2MouseDown(Qt::MouseButton botao) { pressiona_grade(StringGrid2, botao); }

void Tform_mixer::pressiona_grade(QTableView *grade, Qt::MouseButton botao)
{
    prefixo_busca.clear();
    m_grade_pressionada = botao == Qt::LeftButton ? grade : nullptr;
}

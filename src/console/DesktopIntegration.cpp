// The console on the desktop: files and folders dropped from a file manager (text/uri-list)
// on a deck's list or on the library grid, and the program's icon on its window.
#include "UMIXER.h"

#include "library/LibraryFile.h"
#include "library/LibraryModel.h"
#include "library/TvelarixScan.h"
#include "lists/ListFile.h"
#include "settings/DataFolder.h"
#include "settings/funcoes.h"
#include "widgets/LedNumber.h"

#include <QApplication>
#include <QDir>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QIcon>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

namespace {

QList<QUrl> arquivos_locais(const QMimeData *dados)
{
    QList<QUrl> locais;
    // The console's own drags (rows, entries) are the list and grid handlers' business.
    if (!dados || !dados->hasUrls() || dados->hasFormat(Tform_mixer::tipoArrasto()))
        return locais;
    for (const QUrl &u : dados->urls())
        if (u.isLocalFile())
            locais.append(u);
    return locais;
}

// Takes the desktop's drops on the deck lists and the library grid, before the console's
// own drag handling sees them; every other drag passes on.
class DesktopDropFilter : public QObject
{
public:
    explicit DesktopDropFilter(Tform_mixer *m)
        : QObject(m)
        , m_mixer(m)
    {
    }

protected:
    bool eventFilter(QObject *alvo, QEvent *evento) override
    {
        const QEvent::Type tipo = evento->type();
        if (tipo != QEvent::DragEnter && tipo != QEvent::DragMove && tipo != QEvent::Drop)
            return false;
        auto *de = static_cast<QDropEvent *>(evento);
        const QList<QUrl> urls = arquivos_locais(de->mimeData());
        if (urls.isEmpty())
            return false;
        const bool grade = alvo == m_mixer->StringGrid1->viewport();
        // One drop at a time, and no library drop while a capture is about to replace it.
        if (m_mixer->soltando_arquivos || (grade && m_mixer->capturando())) {
            de->ignore();
            return true;
        }
        de->setDropAction(Qt::CopyAction);
        de->accept();
        if (tipo != QEvent::Drop)
            return true;
        // The work runs after the drop returns, so the file manager is not kept waiting.
        if (grade) {
            QTimer::singleShot(0, m_mixer, [m = m_mixer, urls] { m->solta_arquivos_na_biblioteca(urls); });
        } else {
            const int deck = alvo == m_mixer->ListBox1->viewport() ? 1 : 2;
            QListWidget *lista = deck == 1 ? m_mixer->ListBox1 : m_mixer->ListBox2;
            const int linha = linha_de_insercao(lista, de->position().toPoint());
            QTimer::singleShot(0, m_mixer, [m = m_mixer, deck, urls, linha] { m->solta_arquivos_na_lista(deck, urls, linha); });
        }
        return true;
    }

private:
    // The row under the drop point, counted as a move counts it; below the last row (or on
    // an empty list) the end of the list.
    static int linha_de_insercao(QListWidget *lista, const QPoint &ponto)
    {
        const int total = lista->count();
        if (total == 0)
            return 0;
        const int topo = qMax(0, lista->indexAt(QPoint(1, 1)).row());
        const QRect linha0 = lista->visualItemRect(lista->item(topo));
        return qMax(0, ListFile::dropTarget(topo, ponto.y() - linha0.top(), qMax(1, linha0.height()), total + 1));
    }

    Tform_mixer *m_mixer;
};

} // namespace

void Tform_mixer::wireDesktop()
{
    Q_INIT_RESOURCE(velarix);
    const QIcon icone(QStringLiteral(":/velarix/velarix.png"));
    setWindowIcon(icone);
    // The program's other windows carry it too.
    if (QApplication::windowIcon().isNull())
        QApplication::setWindowIcon(icone);

    auto *filtro = new DesktopDropFilter(this);
    filtro->setObjectName(QStringLiteral("filtroArquivosSoltos"));
    for (QAbstractScrollArea *alvo : std::initializer_list<QAbstractScrollArea *>{ListBox1, ListBox2, StringGrid1}) {
        alvo->setAcceptDrops(true);
        alvo->viewport()->setAcceptDrops(true);
        alvo->viewport()->installEventFilter(filtro);
    }
}

QStringList Tform_mixer::linhas_soltas(const QList<QUrl> &urls)
{
    const QStringList padroes = padroes_captura();
    auto pastaComSeparador = [](const QString &caminho) {
        QString pasta = QDir::toNativeSeparators(caminho);
        if (!pasta.endsWith(QDir::separator()))
            pasta += QDir::separator();
        return pasta;
    };
    QStringList linhas;
    for (const QUrl &url : urls) {
        if (m_closing)
            break;
        const QFileInfo info(url.toLocalFile());
        if (info.isDir()) {
            TvelarixScan varredura;
            varredura.setFilePath(pastaComSeparador(info.absoluteFilePath()));
            varredura.setSearchFilter(padroes);
            varredura.setSubDirectories(true);
            varredura.setXnivel(20);
            // A large folder keeps the console usable while it is walked; closing it ends the walk.
            varredura.setProgressCallback([this, &varredura](int) {
                QApplication::processEvents();
                if (m_closing)
                    varredura.Cancel();
            });
            varredura.Scan();
            linhas += varredura.SearchResult();
        } else if (info.isFile()) {
            const QString nome = info.fileName();
            for (const QString &padrao : padroes) {
                if (TvelarixScan::matchesPattern(nome, QFileInfo(padrao).fileName())) {
                    linhas.append(TvelarixScan::resultLine(pastaComSeparador(info.absolutePath()), nome));
                    break;
                }
            }
        }
    }
    // A console closed meanwhile takes nothing more.
    return m_closing ? QStringList() : linhas;
}

void Tform_mixer::solta_arquivos_na_lista(int deck, const QList<QUrl> &urls, int linha)
{
    soltando_arquivos = true;
    const QStringList linhas = linhas_soltas(urls);
    soltando_arquivos = false;
    if (linhas.isEmpty())
        return;
    QListWidget *lista = deck == 1 ? ListBox1 : ListBox2;
    QStringList &caminhos = deck == 1 ? arquivos_a : arquivos_b;
    const bool vazia = lista->count() == 0;
    // Walking the folders handled events: the list may have changed meanwhile.
    int em = qBound(0, linha, lista->count());
    for (const QString &l : linhas) {
        const QString titulo = LibraryFile::parseLine(l).title;
        lista->insertItem(em, titulo);
        caminhos.insert(em, l.mid(titulo.size() + 1));
        ++em;
    }
    (deck == 1 ? CONTA_ESQUERDA : conta_direita)->setValue(lista->count());
    if (vazia) {
        lista->setCurrentRow(0);
        deck == 1 ? ListBox1Click() : ListBox2Click();
    }
}

void Tform_mixer::solta_arquivos_na_biblioteca(const QList<QUrl> &urls)
{
    soltando_arquivos = true;
    const QStringList linhas = linhas_soltas(urls);
    soltando_arquivos = false;
    if (linhas.isEmpty() || m_capturando)
        return;
    int novas = 0;
    QString erro;
    const LibraryModel::AddResult r =
        biblioteca->addTracks(linhas, DataFolder::filePath(LibraryFile::fileName()), &novas, &erro);
    if (r == LibraryModel::AddResult::WriteFailed) {
        funcoes::mensagem(QStringLiteral("Erro ao Salvar Lista de Músicas"));
        return;
    }
    if (r == LibraryModel::AddResult::Unreadable) {
        funcoes::mensagem(erro);
        return;
    }
    if (biblioteca->trackCount() > 0) {
        if (!StringGrid1->currentIndex().isValid())
            StringGrid1->setCurrentIndex(biblioteca->index(0, LibraryModel::TitleColumn));
        habilita_com_biblioteca();
    }
}

// Files and folders dropped from a file manager (text/uri-list): what they stand for as
// library lines, and adding them to the library.
#include "Acervo.h"

#include "Ajustes.h"
#include "UMIXER.h"
#include "library/LibraryFile.h"
#include "library/LibraryModel.h"
#include "library/TvelarixScan.h"
#include "settings/DataFolder.h"
#include "settings/funcoes.h"

#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QTableView>
#include <QTimer>

QList<QUrl> Acervo::arquivos_locais(const QMimeData *dados)
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

bool Acervo::filtra_solta_na_grade(QEvent *evento)
{
    const QEvent::Type tipo = evento->type();
    if (tipo != QEvent::DragEnter && tipo != QEvent::DragMove && tipo != QEvent::Drop)
        return false;
    auto *de = static_cast<QDropEvent *>(evento);
    const QList<QUrl> urls = arquivos_locais(de->mimeData());
    if (urls.isEmpty())
        return false;
    // One drop at a time, and no library drop while a capture is about to replace it.
    if (soltando_arquivos || m_capturando) {
        de->ignore();
        return true;
    }
    de->setDropAction(Qt::CopyAction);
    de->accept();
    // The work runs after the drop returns, so the file manager is not kept waiting.
    if (tipo == QEvent::Drop)
        QTimer::singleShot(0, this, [this, urls] { solta_arquivos_na_biblioteca(urls); });
    return true;
}

QStringList Acervo::linhas_soltas(const QList<QUrl> &urls)
{
    const QStringList padroes = Ajustes::padroes_captura();
    auto pastaComSeparador = [](const QString &caminho) {
        QString pasta = QDir::toNativeSeparators(caminho);
        if (!pasta.endsWith(QDir::separator()))
            pasta += QDir::separator();
        return pasta;
    };
    soltando_arquivos = true;
    QStringList linhas;
    for (const QUrl &url : urls) {
        if (m_console.fechando())
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
                if (m_console.fechando())
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
    soltando_arquivos = false;
    // A console closed meanwhile takes nothing more.
    return m_console.fechando() ? QStringList() : linhas;
}

void Acervo::solta_arquivos_na_biblioteca(const QList<QUrl> &urls)
{
    const QStringList linhas = linhas_soltas(urls);
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

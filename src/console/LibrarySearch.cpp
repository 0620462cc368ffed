// The search over the library's titles into the search grid laid over the library grid,
// and the start-up file: its folder's audio files listed in the library grid, it played.
#include "Acervo.h"

#include "UMIXER.h"

#include "library/LibraryModel.h"
#include "library/Search.h"
#include "settings/funcoes.h"

#include <QFileInfo>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableView>

namespace {

QString cabecalho_busca() { return QStringLiteral("<ESC>-SAIR do modo Pesquisa"); }

} // namespace

bool Acervo::Edit1KeyPress(QKeyEvent *tecla)
{
    if (tecla->text().isEmpty())
        return false;
    // Every typed key empties the previous result.
    pesquisa->clear();
    pesquisa->setHeaderData(LibraryModel::TitleColumn, Qt::Horizontal, cabecalho_busca());
    if (tecla->key() != Qt::Key_Return && tecla->key() != Qt::Key_Enter)
        return false;
    const QString texto = edit1->text();
    if (texto.trimmed().isEmpty())
        return true;
    const QVector<int> achadas = Search::procura(
        biblioteca->trackCount(), [this](int r) { return biblioteca->title(r); }, texto);
    if (achadas.isEmpty()) {
        funcoes::bip_mensagem(QStringLiteral("Nenhuma Ocorrência foi Encontrada !!"));
        m_devolvendo_foco = true;
        edit1->setFocus();
        m_devolvendo_foco = false;
        return true;
    }
    QVector<LibraryRecord> linhas;
    linhas.reserve(achadas.size());
    for (int r : achadas)
        linhas.append(biblioteca->record(r));
    pesquisa->setRecords(std::move(linhas));
    StringGrid2->show();
    StringGrid2->raise();
    StringGrid2->setCurrentIndex(pesquisa->index(0, LibraryModel::TitleColumn));
    StringGrid2->setFocus();
    return true;
}

void Acervo::Edit1Enter()
{
    edit1->clear();
    StringGrid2->hide();
}

bool Acervo::StringGrid2KeyDown(QKeyEvent *tecla)
{
    if (tecla->key() != Qt::Key_Escape)
        return false;
    StringGrid2->hide();
    return true;
}

void Acervo::inicia_biblioteca()
{
    const QString arquivo = m_console.parametros.trimmed();
    if (!arquivo.isEmpty() && QFileInfo(arquivo).isFile()) {
        lista_inicial();
        return;
    }
    m_console.parametros.clear();
    carrega_biblioteca();
}

void Acervo::lista_inicial()
{
    const Search::PartesInicio partes = Search::separa_parametro(m_console.parametros);
    const QString pasta = partes.pasta.trimmed();
    const QVector<Search::ArquivoAudio> arquivos = Search::lista_arquivos_audio(pasta);
    if (arquivos.isEmpty())
        return;
    const QString procurado = Search::maiusculas(partes.nome.trimmed());
    QVector<LibraryRecord> linhas;
    linhas.reserve(arquivos.size());
    int inicial = -1;
    for (const Search::ArquivoAudio &a : arquivos) {
        if (a.titulo.trimmed() == procurado)
            inicial = int(linhas.size());
        // The path keeps the name as the folder spells it: not every file system ignores case.
        linhas.append({a.titulo, (pasta + a.nome).trimmed()});
    }
    biblioteca->setRecords(std::move(linhas));
    biblioteca->setHeaderData(LibraryModel::TitleColumn, Qt::Horizontal, QStringLiteral("Descrição das Músicas"));
    habilita_com_biblioteca();
    if (inicial < 0)
        return;
    const QModelIndex linha = biblioteca->index(inicial, LibraryModel::TitleColumn);
    StringGrid1->setCurrentIndex(linha);
    BitBtn21Click();
    StringGrid1->scrollTo(linha, QAbstractItemView::PositionAtTop);
}

// A deck's programme list: adding, deleting, clearing and moving entries, its context menu,
// drops from the library and the desktop, and saving it to or opening it from a list file
// (".ipk", or an M3U or PLS playlist).
#include "Deck.h"

#include "Acervo.h"
#include "UMIXER.h"
#include "library/LibraryFile.h"
#include "lists/ListFile.h"
#include "lists/PlaylistFormats.h"
#include "settings/DataFolder.h"
#include "settings/funcoes.h"
#include "widgets/ColorButton.h"
#include "widgets/LedNumber.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QListWidget>
#include <QMenu>

namespace {

void sem_selecao(QListWidget *lista)
{
    lista->setCurrentRow(-1);
    lista->clearSelection();
}

QString dialogo_real(QWidget *pai, const QString &nome_dialogo, bool salvar, const QString &filtro,
                     const QString &pasta, const QString &nome)
{
    QFileDialog dlg(pai);
    dlg.setObjectName(nome_dialogo);
    dlg.setNameFilter(filtro);
    // A bare name saved under the M3U or PLS type gets that type's extension.
    QObject::connect(&dlg, &QFileDialog::filterSelected, &dlg, [&dlg](const QString &f) {
        dlg.setDefaultSuffix(f.contains(QLatin1String("*.m3u")) ? QStringLiteral("m3u")
                             : f.contains(QLatin1String("*.pls")) ? QStringLiteral("pls") : QString());
    });
    dlg.setDirectory(pasta);
    dlg.setAcceptMode(salvar ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // An existing name is asked about by the save rule itself, once.
    dlg.setOption(QFileDialog::DontConfirmOverwrite, true);
    dlg.setFileMode(salvar ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (salvar && !nome.isEmpty())
        dlg.selectFile(nome);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return QString();
    return dlg.selectedFiles().constFirst();
}

} // namespace

QStringList Deck::titulos() const
{
    QStringList t;
    t.reserve(lista->count());
    for (int i = 0; i < lista->count(); ++i)
        t << lista->item(i)->text();
    return t;
}

void Deck::seleciona_primeira()
{
    lista->setCurrentRow(0);
    carrega();
}

// ---------------- add, delete, clear ----------------

void Deck::adiciona_faixa()
{
    try {
        QString titulo, caminho;
        if (!m_console.acervo->faixa_atual(&titulo, &caminho))
            return;
        // Asked once per entry of that title; Cancel at any of them adds nothing.
        const int perguntas = ListFile::duplicateQuestions(titulos(), titulo);
        for (int i = 0; i < perguntas; ++i)
            if (!funcoes::confirma(QStringLiteral("Música já Existente nesta programação - Deseja Continuar ??")))
                return;
        // The questions run an event loop: the list may have changed meanwhile, so both
        // lists are appended together here.
        lista->addItem(titulo);
        arquivos.append(caminho);
        contador->setValue(lista->count());
        if (lista->count() == 1)
            seleciona_primeira();
    } catch (...) {
    }
}

void Deck::exclui_entrada()
{
    const int linha = lista->currentRow();
    if (linha < 0 || linha >= lista->count() || !lista->item(linha)->isSelected())
        return;
    delete lista->takeItem(linha);
    if (linha < arquivos.size())
        arquivos.removeAt(linha);
    sem_selecao(lista);
    contador->setValue(lista->count());
}

void Deck::limpa_lista()
{
    lista_aberta.clear();
    lista->clear();
    arquivos.clear();
    contador->setValue(0);
}

void Deck::acrescenta(const QStringList &t, const QStringList &caminhos)
{
    lista->addItems(t);
    arquivos += caminhos;
    contador->setValue(lista->count());
}

void Deck::menu_lista()
{
    const QList<QAction *> itens = menu->actions();
    // Play and Stop are the first two items; they follow the deck's buttons.
    if (itens.size() >= 2) {
        itens.at(0)->setEnabled(tocar->isEnabled());
        itens.at(1)->setEnabled(parar->isEnabled());
    }
    exclur->setEnabled(!no_ar() && lista->count() > 0);
}

// ---------------- drops ----------------

void Deck::solta_na_lista(const QString &origem, const QPoint &ponto)
{
    try {
        if (m_console.acervo->eh_grade(origem)) {
            adiciona_faixa();
            return;
        }
        const int total = lista->count();
        if (total == 0)
            return;
        const int topo = qMax(0, lista->indexAt(QPoint(1, 1)).row());
        const QRect linha0 = lista->visualItemRect(lista->item(topo));
        const int altura = qMax(1, linha0.height());
        const int alvo = ListFile::dropTarget(topo, ponto.y() - linha0.top(), altura, total);
        const int selecionada = lista->item(lista->currentRow()) && lista->item(lista->currentRow())->isSelected()
                                    ? lista->currentRow() : -1;
        QStringList t = titulos();
        if (!ListFile::moveEntry(t, arquivos, selecionada, alvo))
            return;
        lista->insertItem(alvo, lista->takeItem(selecionada));
        sem_selecao(lista);
    } catch (...) {
    }
}

void Deck::solta_arquivos(const QList<QUrl> &urls, int linha)
{
    const QStringList linhas = m_console.acervo->linhas_soltas(urls);
    if (linhas.isEmpty())
        return;
    const bool vazia = lista->count() == 0;
    // Walking the folders handled events: the list may have changed meanwhile.
    int em = qBound(0, linha, lista->count());
    for (const QString &l : linhas) {
        const QString titulo = LibraryFile::parseLine(l).title;
        lista->insertItem(em, titulo);
        arquivos.insert(em, l.mid(titulo.size() + 1));
        ++em;
    }
    contador->setValue(lista->count());
    if (vazia)
        seleciona_primeira();
}

// ---------------- list files ----------------

QString Deck::escolhe_arquivo(bool salvar, const QString &nome)
{
    // Other programs' playlists come after the console's own type, which stays the default.
    // Names are matched case-sensitively here, and earlier versions saved upper case: both
    // spellings are listed.
    const QString filtro = QString::fromUtf8(traits.tipo_lista) + QStringLiteral(";;Lista M3U (*.m3u *.m3u8);;Lista PLS (*.pls)");
    const QString pasta = DataFolder::path();
    const QString escolhido =
        m_console.escolhe_arquivo
            ? m_console.escolhe_arquivo(traits.numero, salvar, filtro, pasta, nome)
            : dialogo_real(&m_console, QString::fromLatin1(salvar ? traits.dialogo_salvar : traits.dialogo_abrir), salvar,
                           filtro, pasta, nome);
    // A bare name is taken in the folder the dialog started in.
    if (escolhido.trimmed().isEmpty() || QFileInfo(escolhido.trimmed()).isAbsolute())
        return escolhido;
    return QDir(pasta).filePath(escolhido.trimmed());
}

void Deck::abre_lista()
{
    const QString nome = escolhe_arquivo(false, QString());
    if (!nome.isEmpty())
        abre_lista_arquivo(nome);
}

void Deck::abre_lista_arquivo(const QString &nome)
{
    lista->clear();
    arquivos.clear();

    PlaylistFormats::Opened aberta = PlaylistFormats::open(nome);
    if (aberta.status == ListFile::OpenStatus::Missing) {
        contador->setValue(0);
        funcoes::bip_mensagem(QStringLiteral("Arquivo não Localizado - Verifique !!"));
        return;
    }
    if (aberta.status == ListFile::OpenStatus::Unreadable) {
        contador->setValue(0);
        funcoes::mensagem(aberta.error);
        return;
    }
    // Titles and paths go in together, with no event processed in between: an event handled
    // half-way (a Clear, say) would leave the two lists of unequal length.
    arquivos = aberta.paths;
    lista->addItems(aberta.titles);
    lista_aberta = nome;
    contador->setValue(lista->count());
    if (lista->count() > 0)
        seleciona_primeira();
    // One count for all entries of another program's playlist that are not on this machine.
    if (aberta.missing > 0)
        funcoes::bip_mensagem(QStringLiteral("Arquivos não localizados nesta lista: %1").arg(aberta.missing));
}

void Deck::salva_lista()
{
    if (lista->count() == 0) {
        funcoes::bip_mensagem(QStringLiteral("Seleção está vazia"));
        return;
    }
    const QString nome = escolhe_arquivo(true, lista_aberta.isEmpty() ? m_nome_salvo : lista_aberta);
    if (nome.isEmpty())
        return;
    m_nome_salvo = QFileInfo(nome).fileName();
    salva_lista_arquivo(nome);
}

void Deck::salva_lista_arquivo(const QString &nome)
{
    const QString alvo = PlaylistFormats::saveTarget(nome);
    if (alvo.isEmpty())
        return;
    if (QFileInfo::exists(alvo) && !funcoes::confirma(QStringLiteral("Arquivo de Seleção já Existe - Substitui-lo ??")))
        return;
    if (!PlaylistFormats::save(alvo, titulos(), arquivos))
        funcoes::mensagem(QStringLiteral("Ocorreu um erro durante a gravação do arquivo"));
}

// "AUTO PRG" and the library grid's two automatic programming items: the whole library
// dealt to both decks' lists, after what they already hold.
#include "Acervo.h"

#include "UMIXER.h"

#include "library/LibraryModel.h"
#include "lists/AutoProgramming.h"

#include <QListWidget>
#include <QRadioButton>
#include <QTableView>

namespace {

// Appends a deal to the decks' lists and, when it ran to its end, loads each deck's first entry.
void distribui(Tform_mixer &m, QTableView *grade, const LibraryModel &biblioteca, const AutoProgramming::Distribuicao &d)
{
    if (!d.executou)
        return;
    m.deck_a->acrescenta(d.titulosA, d.caminhosA);
    m.deck_b->acrescenta(d.titulosB, d.caminhosB);
    // The library grid is left on the row the deal reached, as if it had walked there.
    if (d.linhaAtual >= 0)
        grade->setCurrentIndex(biblioteca.index(d.linhaAtual, LibraryModel::TitleColumn));
    if (!d.seleciona)
        return;
    for (Deck *deck : {m.deck_a.get(), m.deck_b.get()})
        if (deck->lista->count() > 0)
            deck->seleciona_primeira();
}

} // namespace

void Acervo::BitBtn24Click()
{
    RadioButton1->isChecked() ? AutoProgramacaoAlfabetica1Click() : AutoProgramacaoAleatoria1Click();
}

void Acervo::AutoProgramacaoAlfabetica1Click()
{
    const int linhas = biblioteca->trackCount();
    auto titulo = [this](int r) { return biblioteca->title(r); };
    auto caminho = [this](int r) { return biblioteca->path(r); };
    distribui(m_console, StringGrid1, *biblioteca, AutoProgramming::alfabetica(linhas, titulo, caminho));
}

void Acervo::AutoProgramacaoAleatoria1Click()
{
    const int linhas = biblioteca->trackCount();
    auto titulo = [this](int r) { return biblioteca->title(r); };
    auto caminho = [this](int r) { return biblioteca->path(r); };
    distribui(m_console, StringGrid1, *biblioteca, AutoProgramming::aleatoria(linhas, titulo, caminho));
}

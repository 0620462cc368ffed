// "AUTO PRG" and the library grid's two automatic programming items: the whole library
// dealt to both decks' lists, after what they already hold.
#include "UMIXER.h"

#include "library/LibraryModel.h"
#include "lists/AutoProgramming.h"
#include "widgets/LedNumber.h"

namespace {

// Appends a deal to the decks' lists and, when it ran to its end, loads each deck's first entry.
void distribui(Tform_mixer &m, const AutoProgramming::Distribuicao &d)
{
    if (!d.executou)
        return;
    m.ListBox1->addItems(d.titulosA);
    m.arquivos_a += d.caminhosA;
    m.ListBox2->addItems(d.titulosB);
    m.arquivos_b += d.caminhosB;
    m.conta_direita->setValue(m.ListBox2->count());
    m.CONTA_ESQUERDA->setValue(m.ListBox1->count());
    // The library grid is left on the row the deal reached, as if it had walked there.
    if (d.linhaAtual >= 0)
        m.StringGrid1->setCurrentIndex(m.biblioteca->index(d.linhaAtual, LibraryModel::TitleColumn));
    if (!d.seleciona)
        return;
    if (m.ListBox1->count() > 0) {
        m.ListBox1->setCurrentRow(0);
        m.ListBox1Click();
    }
    if (m.ListBox2->count() > 0) {
        m.ListBox2->setCurrentRow(0);
        m.ListBox2Click();
    }
}

} // namespace

void Tform_mixer::BitBtn24Click()
{
    RadioButton1->isChecked() ? AutoProgramacaoAlfabetica1Click() : AutoProgramacaoAleatoria1Click();
}

void Tform_mixer::AutoProgramacaoAlfabetica1Click()
{
    const int linhas = biblioteca->trackCount();
    auto titulo = [this](int r) { return biblioteca->title(r); };
    auto caminho = [this](int r) { return biblioteca->path(r); };
    distribui(*this, AutoProgramming::alfabetica(linhas, titulo, caminho));
}

void Tform_mixer::AutoProgramacaoAleatoria1Click()
{
    const int linhas = biblioteca->trackCount();
    auto titulo = [this](int r) { return biblioteca->title(r); };
    auto caminho = [this](int r) { return biblioteca->path(r); };
    distribui(*this, AutoProgramming::aleatoria(linhas, titulo, caminho));
}

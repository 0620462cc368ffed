#pragma once
// Automatic programming: the whole library dealt alternately to the two decks, in library
// order or in a random order drawn from the program's one pseudo-random generator.
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace AutoProgramming {

// ---- the program's one generator ----
// A 32-bit state; each draw steps it as state * 134775813 + 1 and returns the upper half of
// n * state, so the draw is below n.
quint32 sorteia(quint32 n);
void semeia(quint32 estado);
quint32 estado();
// Seeds the generator from the clock, once at start-up, so every night deals another order.
void semeiaDoRelogio();

// The order in which a pool of n items leaves it when each draw takes the item at the drawn
// index of what is left (later items moving up). O(n log n).
std::vector<int> ordemAleatoria(int n);

// Reads row r (0 = the first data row) of the library.
using Celula = std::function<QString(int)>;

struct Distribuicao
{
    QStringList titulosA, caminhosA, titulosB, caminhosB;
    bool executou = false;   // the library had a first track: something was attempted
    bool seleciona = false;  // ran to its end: each deck's first entry is to be selected
    int linhaAtual = -1;     // the library row left current (alphabetical only)
};

// The most rows the alphabetical deal takes.
constexpr int LimiteAlfabetica = 10001;

// Rows in library order, untrimmed, A first. Stops at a row with an empty title (keeping what
// was dealt, selecting nothing) and after LimiteAlfabetica rows (likewise).
Distribuicao alfabetica(int linhas, const Celula &titulo, const Celula &caminho);

// Rows with a title, trimmed, in the generator's order; even positions to B, odd to A.
Distribuicao aleatoria(int linhas, const Celula &titulo, const Celula &caminho);

} // namespace AutoProgramming

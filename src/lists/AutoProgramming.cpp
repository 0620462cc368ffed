#include "AutoProgramming.h"

#include <chrono>

namespace AutoProgramming {

namespace {
quint32 s_estado = 0;
}

quint32 sorteia(quint32 n)
{
    s_estado = s_estado * 134775813u + 1u;
    return quint32((quint64(n) * quint64(s_estado)) >> 32);
}

void semeia(quint32 estado) { s_estado = estado; }

quint32 estado() { return s_estado; }

void semeiaDoRelogio()
{
    const auto agora = std::chrono::system_clock::now().time_since_epoch();
    const auto ns = quint64(std::chrono::duration_cast<std::chrono::nanoseconds>(agora).count());
    semeia(quint32(ns ^ (ns >> 32)));
}

std::vector<int> ordemAleatoria(int n)
{
    std::vector<int> ordem;
    if (n <= 0)
        return ordem;
    ordem.reserve(size_t(n));
    // A Fenwick tree counting the items still in the pool: finding the k-th remaining item
    // and removing it are both logarithmic.
    std::vector<int> arvore(size_t(n) + 1, 0);
    for (int i = 1; i <= n; ++i) {
        arvore[size_t(i)] += 1;
        const int pai = i + (i & -i);
        if (pai <= n)
            arvore[size_t(pai)] += arvore[size_t(i)];
    }
    int passo = 1;
    while (passo * 2 <= n)
        passo *= 2;
    for (int restantes = n; restantes > 0; --restantes) {
        int k = int(sorteia(quint32(restantes)));
        int pos = 0;
        for (int p = passo; p > 0; p >>= 1) {
            const int prox = pos + p;
            if (prox <= n && arvore[size_t(prox)] <= k) {
                pos = prox;
                k -= arvore[size_t(prox)];
            }
        }
        // pos counts the slots before the chosen one, removed ones included: its index.
        ordem.push_back(pos);
        for (int i = pos + 1; i <= n; i += i & -i)
            arvore[size_t(i)] -= 1;
    }
    return ordem;
}

Distribuicao alfabetica(int linhas, const Celula &titulo, const Celula &caminho)
{
    Distribuicao d;
    if (linhas <= 0 || titulo(0).isEmpty())
        return d;
    d.executou = true;
    int r = 0;
    bool vezA = true;
    for (int passo = 0; passo < linhas; ++passo) {
        const QString t = titulo(r);
        if (t.isEmpty()) {
            d.linhaAtual = r;
            return d;
        }
        (vezA ? d.titulosA : d.titulosB).append(t);
        (vezA ? d.caminhosA : d.caminhosB).append(caminho(r));
        vezA = !vezA;
        const int tratada = r;
        if (r < linhas - 1)
            ++r;
        if (tratada + 1 >= LimiteAlfabetica) {
            d.linhaAtual = r;
            return d;
        }
    }
    d.linhaAtual = r;
    d.seleciona = true;
    return d;
}

Distribuicao aleatoria(int linhas, const Celula &titulo, const Celula &caminho)
{
    Distribuicao d;
    if (linhas <= 0 || titulo(0).isEmpty())
        return d;
    d.executou = true;
    QStringList titulos, caminhos;
    for (int r = 0; r < linhas; ++r) {
        const QString t = titulo(r).trimmed();
        if (t.isEmpty())
            continue;
        titulos.append(t);
        caminhos.append(caminho(r).trimmed());
    }
    const std::vector<int> ordem = ordemAleatoria(int(titulos.size()));
    for (size_t i = 0; i < ordem.size(); ++i) {
        const int item = ordem[i];
        const bool paraB = i % 2 == 0;
        (paraB ? d.titulosB : d.titulosA).append(titulos.at(item));
        (paraB ? d.caminhosB : d.caminhosA).append(caminhos.at(item));
    }
    d.seleciona = true;
    return d;
}

} // namespace AutoProgramming

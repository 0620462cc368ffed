// Cost of keeping the running show on disk with 100,000 entries across both decks: one write
// and one read of SHOW.INI, beside the longest time the window's thread spends handing a
// snapshot to the writer while it writes without pause.
#include "settings/ShowFile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace ShowFile;

static double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString arquivo = dir.filePath(nomeArquivo());

    EstadoDoShow e;
    for (int i = 0; i < 100000; ++i)
        (i % 2 ? e.b : e.a)
            .entradas.append(QStringLiteral("/media/acervo/Artista Número %1/Álbum %2/%3 - Faixa %4.mp3")
                                 .arg(i % 800).arg(i % 40).arg(i % 20).arg(i));
    e.no_ar = NoAr::A;
    e.entrada_no_ar = 10;
    e.auto_mix = true;

    std::vector<double> escrita, leitura;
    QElapsedTimer t;
    for (int i = 0; i < 5; ++i) {
        t.start();
        if (!grava(e, arquivo))
            return 1;
        escrita.push_back(t.nsecsElapsed() / 1e6);
        t.start();
        if (carrega(arquivo).situacao != Situacao::interrompido)
            return 1;
        leitura.push_back(t.nsecsElapsed() / 1e6);
    }

    double maisLonga = 0;
    quint64 gravados = 0;
    {
        Gravador g(arquivo);
        for (int i = 0; i < 400; ++i) {
            e.posicao_no_ar = i * 250;
            t.start();
            g.envia(e);
            maisLonga = std::max(maisLonga, t.nsecsElapsed() / 1e6);
            QElapsedTimer pausa;
            pausa.start();
            while (pausa.elapsed() < 5) {
            }
        }
        g.esvazia(60000);
        gravados = g.gravados();
    }

    std::printf("entries: 100000\n");
    std::printf("file size MB: %.1f\n", QFileInfo(arquivo).size() / 1e6);
    std::printf("one write ms (median of 5): %.1f\n", median(escrita));
    std::printf("one read ms (median of 5): %.1f\n", median(leitura));
    std::printf("snapshots sent: 400, written: %llu\n", static_cast<unsigned long long>(gravados));
    std::printf("longest hand-over of a snapshot ms: %.3f\n", maisLonga);
    std::printf("one write / longest hand-over: %.0f\n", median(escrita) / std::max(maisLonga, 1e-6));
}

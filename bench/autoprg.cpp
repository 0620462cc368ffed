// AUTO PRG (random order, which deals the whole library) on 100,000 tracks: how long the console window stands still while
// both decks' lists take the whole library, against the same lists laid out as plain list
// widgets in the same run. "Stands still" is the longest stretch the event loop could not
// run: the handler itself, then each pass of the loop until the lists are laid out.
#include "console/UMIXER.h"
#include "library/LibraryModel.h"
#include "settings/DataFolder.h"
#include "settings/TextFile.h"
#include "settings/funcoes.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

namespace {

constexpr int kTracks = 100000;

// The longest single stall from `act` until the event loop has been idle for a while.
template <typename Act>
double longestStallMs(Act act)
{
    QElapsedTimer t;
    t.start();
    act();
    double worst = t.nsecsElapsed() / 1e6;
    QElapsedTimer idle;
    idle.start();
    while (idle.elapsed() < 300) {
        QElapsedTimer pass;
        pass.start();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        const double ms = pass.nsecsElapsed() / 1e6;
        worst = std::max(worst, ms);
        if (ms > 2)
            idle.restart();
    }
    return worst;
}

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir home;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("VELARIX_AUDIO", "null:2");
    qputenv("VELARIX_HOME", home.path().toUtf8());
    qputenv("VELARIX_NO_SPLASH", "1");
    QApplication app(argc, argv);
    funcoes::setMessageHook([](const QString &m) { std::fprintf(stderr, "%s\n", qPrintable(m)); });

    QStringList linhas;
    linhas.reserve(kTracks);
    for (int i = 0; i < kTracks; ++i)
        linhas << QStringLiteral("FAIXA %1 - CANÇÃO.MP3#/musicas/pasta %2/faixa %1 - canção.mp3").arg(i, 6, 10, QLatin1Char('0')).arg(i % 97);
    if (!TextFile::writeLines(DataFolder::filePath(QStringLiteral("lista.upd")), linhas))
        return 1;

    Tform_mixer m;
    m.show();
    QCoreApplication::processEvents();
    if (m.acervo->biblioteca->trackCount() != kTracks) {
        std::fprintf(stderr, "the library holds %d tracks\n", m.acervo->biblioteca->trackCount());
        return 1;
    }
    const double console = longestStallMs([&m] { m.acervo->AutoProgramacaoAleatoria1Click(); });
    const int dealt = m.deck_a->lista->count() + m.deck_b->lista->count();

    // The same titles into two plain list widgets of the same size, shown.
    QStringList a, b;
    for (int i = 0; i < kTracks; ++i)
        (i % 2 ? b : a) << linhas.at(i).section(QLatin1Char('#'), 0, 0);
    QWidget janela;
    janela.resize(600, 300);
    auto *la = new QListWidget(&janela), *lb = new QListWidget(&janela);
    la->setGeometry(0, 0, 290, 220);
    lb->setGeometry(300, 0, 290, 220);
    janela.show();
    QCoreApplication::processEvents();
    const double plain = longestStallMs([&] {
        la->addItems(a);
        lb->addItems(b);
    });

    std::printf("tracks dealt: %d\n", dealt);
    std::printf("plain list widgets longest stall ms: %.1f\n", plain);
    std::printf("console/plain stall ratio: %.2f\n", console / plain);
    std::printf("auto prg longest stall ms (100000 tracks): %.1f\n", console);
    return 0;
}

// Cost of one deck clock tick (spectrum fetch and draw, level, displays, both mix tests,
// and the repaint it causes) as a share of its 50 ms period, with both decks playing.
#include "console/UMIXER.h"
#include "settings/funcoes.h"
#include "widgets/LedBarGauge.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

static QString makeTrack(const QString &dir, const QString &name)
{
    const QString path = dir + "/" + name;
    QProcess p;
    p.start("ffmpeg", {"-y", "-v", "error", "-f", "lavfi", "-i", "sine=f=330:d=60", "-f", "lavfi", "-i",
                       "anoisesrc=color=pink:d=60:a=0.2", "-filter_complex", "amix=inputs=2,aformat=channel_layouts=stereo",
                       "-c:a", "libmp3lame", "-b:a", "160k", path});
    p.waitForFinished(120000);
    return p.exitCode() == 0 ? path : QString();
}

int main(int argc, char **argv)
{
    QTemporaryDir home;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("VELARIX_AUDIO", "null:2");
    qputenv("VELARIX_HOME", home.path().toUtf8());
    QApplication app(argc, argv);
    funcoes::setMessageHook([](const QString &m) { std::fprintf(stderr, "%s\n", qPrintable(m)); });
    const QString a = makeTrack(home.path(), "a.mp3"), b = makeTrack(home.path(), "b.mp3");
    if (a.isEmpty() || b.isEmpty())
        return 1;

    Tform_mixer m;
    m.show();
    QCoreApplication::processEvents();
    m.deck_b->grafico = 1; // deck B draws the oscilloscope
    m.deck_a->lista->addItem("A");
    m.deck_a->arquivos << a;
    m.deck_b->lista->addItem("B");
    m.deck_b->arquivos << b;
    for (QListWidget *l : {m.deck_a->lista, m.deck_b->lista})
        l->setCurrentRow(0);
    m.ListBox1Click();
    m.ListBox2Click();
    m.BitBtn2Click();
    m.BitBtn6Click();
    // The clocks are driven by hand below, so the measurement holds only their work.
    m.deck_a->relogio->stop();
    m.deck_b->relogio->stop();
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 500)
        QCoreApplication::processEvents();

    const int ticks = 400;
    double spectrum = 0, scope = 0;
    for (int i = 0; i < ticks; ++i) {
        QElapsedTimer t;
        t.start();
        m.Timer1Timer();
        m.deck_a->caixa->repaint();
        spectrum += t.nsecsElapsed() / 1e6;
        t.restart();
        m.Timer2Timer();
        m.deck_b->caixa->repaint();
        scope += t.nsecsElapsed() / 1e6;
        QCoreApplication::processEvents();
    }
    if (!m.deck_a->canal->Playing || !m.deck_b->canal->Playing || m.deck_a->barra->value() == 0) {
        std::fprintf(stderr, "the decks did not play: nothing was measured\n");
        return 1;
    }
    spectrum /= ticks;
    scope /= ticks;
    std::printf("deck A tick with spectrum ms: %.3f\n", spectrum);
    std::printf("deck B tick with oscilloscope ms: %.3f\n", scope);
    std::printf("deck A level: %d, position ms: %d\n", m.deck_a->barra->value(), m.deck_a->posicao->value());
    std::printf("tick share: %.2f %%\n", std::max(spectrum, scope) / 50.0 * 100.0);
    m.deck_a->canal->OnStop = nullptr;
    m.deck_b->canal->OnStop = nullptr;
    return 0;
}

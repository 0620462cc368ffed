// Loudness analysis: its speed on a 4-minute MP3 beside the ffmpeg command decoding the same
// file, and the longest stall of the window's thread while the background queue analyses
// 1,000 files.
#include "audio/Decoder.h"
#include "audio/Loudness.h"
#include "library/AnalysisQueue.h"

#include <ebur128.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

constexpr double kSeconds = 240;

bool ffmpeg(const QStringList &args)
{
    QProcess p;
    p.start("ffmpeg", QStringList{"-y", "-v", "error", "-nostdin"} + args);
    return p.waitForFinished(300000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + t.tv_nsec / 1e9;
}

// Wall seconds of the whole command, as a user would time it.
double ffmpegDecode(const QString &file)
{
    QElapsedTimer t;
    t.start();
    if (!ffmpeg({"-i", file, "-f", "null", "-"}))
        return -1;
    return t.nsecsElapsed() / 1e9;
}

double decodeOnly(const QString &file)
{
    QElapsedTimer t;
    t.start();
    audio::Decoder d;
    if (!d.open(file, audio::Decoder::Entry::Plain))
        return -1;
    std::vector<float> block(4410 * 2);
    while (d.read(block.data(), 4410) > 0) {
    }
    return t.nsecsElapsed() / 1e9;
}

double analysis(const QString &file, double *cpu)
{
    QElapsedTimer t;
    t.start();
    const double c0 = cpuSeconds();
    const audio::LoudnessResult r = audio::analyseLoudness(file);
    *cpu = cpuSeconds() - c0;
    return r.ok ? t.nsecsElapsed() / 1e9 : -1;
}

// The same measurement with libebur128's own true-peak mode instead of ours, for comparison.
double withLibraryTruePeak(const QString &file)
{
    QElapsedTimer t;
    t.start();
    audio::Decoder d;
    if (!d.open(file, audio::Decoder::Entry::Plain))
        return -1;
    const int rate = d.sampleRate();
    ebur128_state *st = ebur128_init(2, unsigned(rate), EBUR128_MODE_I | EBUR128_MODE_LRA | EBUR128_MODE_TRUE_PEAK);
    std::vector<float> block(size_t(rate / 10) * 2);
    int n = 0;
    double level = 0, peak = 0;
    while ((n = d.read(block.data(), rate / 10)) > 0) {
        ebur128_add_frames_float(st, block.data(), size_t(n));
        ebur128_loudness_window(st, 100, &level);
    }
    ebur128_loudness_global(st, &level);
    ebur128_loudness_range(st, &level);
    ebur128_true_peak(st, 0, &peak);
    ebur128_destroy(&st);
    return t.nsecsElapsed() / 1e9;
}

// The longest gap between ticks of a 5 ms timer on this thread, in ms, over `run`.
template <typename Run>
double longestStall(Run run)
{
    QTimer tick;
    tick.setInterval(5);
    QElapsedTimer since;
    double worst = 0;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        worst = std::max(worst, since.nsecsElapsed() / 1e6);
        since.restart();
    });
    since.start();
    tick.start();
    run();
    return worst;
}

// 1,000 distinct paths over ten short files: every one is analysed, none is in the store.
QStringList manyFiles(const QString &dir)
{
    QStringList sources;
    for (int i = 0; i < 10; ++i) {
        const QString f = dir + QStringLiteral("/src%1.mp3").arg(i);
        if (!ffmpeg({"-f", "lavfi", "-i",
                     QStringLiteral("sine=f=%1:d=3:r=44100,volume=%2dB,aformat=channel_layouts=stereo")
                         .arg(200 + 90 * i).arg(-6 - i),
                     "-c:a", "libmp3lame", "-b:a", "128k", f}))
            return {};
        sources << f;
    }
    QStringList paths;
    QDir().mkpath(dir + "/many");
    for (int i = 0; i < 1000; ++i) {
        const QString p = dir + QStringLiteral("/many/faixa %1.mp3").arg(i, 4, 10, QLatin1Char('0'));
        if (!QFile::link(sources[i % 10], p) && !QFile::copy(sources[i % 10], p))
            return {};
        paths << p;
    }
    return paths;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("VELARIX_HOME", QFile::encodeName(home.path()));
    QApplication app(argc, argv);

    const QString music = home.filePath("music.mp3");
    // Pink noise and a chord, breathing in level over 20 s, as loud and busy as pop music.
    const QString source = QStringLiteral(
        "anoisesrc=c=pink:a=0.25:d=%1:r=44100[n];sine=f=110:d=%1:r=44100[a];sine=f=277:d=%1:r=44100[b];"
        "[n][a][b]amix=inputs=3,volume='0.6+0.4*sin(2*PI*t/20)':eval=frame,"
        "aformat=channel_layouts=stereo").arg(kSeconds);
    if (!ffmpeg({"-filter_complex", source, "-c:a", "libmp3lame", "-b:a", "192k", music})) {
        std::fprintf(stderr, "could not make the test sound with ffmpeg\n");
        return 1;
    }

    // Best of three, taken in turns so a busy neighbour weighs on all three alike.
    double ff = 1e9, dec = 1e9, ana = 1e9, anaCpu = 1e9, library = 1e9;
    for (int run = 0; run < 3; ++run) {
        ff = std::min(ff, ffmpegDecode(music));
        dec = std::min(dec, decodeOnly(music));
        double cpu = 0;
        ana = std::min(ana, analysis(music, &cpu));
        anaCpu = std::min(anaCpu, cpu);
        library = std::min(library, withLibraryTruePeak(music));
    }
    if (ff <= 0 || dec <= 0 || ana <= 0 || library <= 0) {
        std::fprintf(stderr, "a measurement failed\n");
        return 1;
    }
    std::printf("ffmpeg -f null decode, x real time: %.0f\n", kSeconds / ff);
    std::printf("Decoder alone, x real time: %.0f\n", kSeconds / dec);
    std::printf("loudness analysis, x real time: %.0f\n", kSeconds / ana);
    std::printf("loudness analysis, processor time, x real time: %.0f\n", kSeconds / anaCpu);
    std::printf("analysis with libebur128's true-peak mode instead, x real time: %.0f\n", kSeconds / library);
    std::fflush(stdout);

    const QStringList many = manyFiles(home.path());
    if (many.size() != 1000) {
        std::fprintf(stderr, "could not make the 1,000 files\n");
        return 1;
    }
    const double idle = longestStall([] {
        QEventLoop loop;
        QTimer::singleShot(2000, &loop, &QEventLoop::quit);
        loop.exec();
    });
    int measured = 0, stored = 0, failed = 0;
    double queueSeconds = 0;
    const double busy = longestStall([&] {
        AnalysisQueue queue(home.filePath("bench.db"));
        QEventLoop loop;
        QObject::connect(&queue, &AnalysisQueue::analysed,
                         [&](const QString &path, const audio::LoudnessResult &r, bool fromStore) {
                             (fromStore ? stored : measured) += 1;
                             failed += r.ok ? 0 : 1;
                             queue.lookup(path); // as the window would, to show the result
                         });
        QObject::connect(&queue, &AnalysisQueue::progress, [&](int done, int total) {
            if (total > 0 && done == total)
                loop.quit();
        });
        QElapsedTimer t;
        t.start();
        queue.later(many);
        loop.exec();
        queueSeconds = t.nsecsElapsed() / 1e9;
    });
    std::printf("background queue, files measured (not from the store): %d, failed: %d, from the store: %d\n",
                measured, failed, stored);
    std::printf("background queue, files per second: %.0f\n", many.size() / queueSeconds);
    std::printf("longest stall of the window's thread, idle, ms: %.1f\n", idle);
    std::printf("longest stall of the window's thread while 1,000 files are analysed, ms: %.1f\n", busy);
    const double ratio = ff / ana;
    std::printf("analysis speed / ffmpeg decode speed: %.2f\n", ratio);
    return 0;
}

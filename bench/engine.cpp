// Engine cost: two decks rendered offline (MP3 with equaliser, flanger and echo; OGG with the
// equaliser at 1.06x speed) against the ffmpeg command decoding the same two files, and the
// mixer's cost for one block with fourteen streams playing.
#include "audio/AudioEngine.h"
#include "audio/Decoder.h"
#include "audio/Mixer.h"
#include "audio/OutputBackend.h"
#include "audio/Stream.h"
#include "audio/TMorvelBass.h"
#include "settings/funcoes.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace audio;

static bool run(const QStringList &args)
{
    QProcess p;
    p.start("ffmpeg", args);
    return p.waitForFinished(600000) && p.exitCode() == 0;
}

static QString makeTrack(const QString &dir, const QString &name, const QStringList &codec)
{
    // Three minutes of something with a spectrum: a chord over pink noise.
    const QString path = dir + "/" + name;
    QStringList args = {"-y", "-v", "error", "-f", "lavfi", "-i",
                        "sine=f=220:d=180", "-f", "lavfi", "-i", "sine=f=277:d=180", "-f", "lavfi", "-i",
                        "anoisesrc=color=pink:d=180:a=0.1", "-filter_complex", "amix=inputs=3,aformat=channel_layouts=stereo",
                        "-ar", "44100"};
    args << codec << path;
    return run(args) ? path : QString();
}

static double ffmpegSeconds(const QStringList &files)
{
    double best = 1e9;
    for (int round = 0; round < 3; ++round) {
        QElapsedTimer t;
        t.start();
        for (const QString &f : files)
            run({"-v", "error", "-i", f, "-f", "null", "-"});
        best = std::min(best, t.nsecsElapsed() / 1e9);
    }
    return best;
}

static void equaliser(TMorvelBass &p)
{
    static const int centres[10] = {32, 64, 128, 250, 500, 1000, 2000, 4000, 8000, 16000};
    p.SetEqualizer(true);
    for (int b = 0; b < 10; ++b)
        p.SetEqualizerBand(b, centres[b], b % 2 ? 14 : 7); // every band shaping the sound
}

static double engineSeconds(const QString &mp3, const QString &ogg)
{
    double best = 1e9;
    for (int round = 0; round < 3; ++round) {
        TMorvelBass a, b;
        a.OpenDevice(1);
        b.OpenDevice(1);
        a.LoadFile(mp3);
        b.LoadFile(ogg);
        AudioEngine::instance().waitForLengths(60000); // the background count is not timed
        QElapsedTimer t;
        t.start();
        equaliser(a);
        equaliser(b);
        a.SetFlanger(true);
        a.SetFlangerDepth(130, 120, 8);
        a.SetEcho(true);
        a.SetPosition(0);
        b.SetPosition(0);
        a.Play();
        b.Play();
        b.setFrequency(46746);
        std::vector<float> out(kMaxBlock * 2);
        auto &e = AudioEngine::instance();
        while (!(e.ranOut(a.Channel) && e.ranOut(b.Channel)))
            e.renderOffline(1, out.data(), kMaxBlock);
        best = std::min(best, t.nsecsElapsed() / 1e9);
        a.FreeStream();
        b.FreeStream();
    }
    return best;
}

static double mixerShare(const QString &mp3, const QString &ogg)
{
    Mixer mixer;
    std::vector<std::shared_ptr<Stream>> streams;
    for (int i = 0; i < 14; ++i) {
        auto d = std::make_unique<Decoder>();
        const QString &f = i % 2 ? ogg : mp3;
        d->open(f, Decoder::Entry::Plain);
        auto s = std::make_shared<Stream>(std::move(d), f, Decoder::Entry::Plain);
        // The two decks carry the equaliser and effects; some streams are pitched.
        if (i < 2) {
            s->dsp().set(DspEqualizer, 0);
            for (int b = 0; b < 10; ++b) {
                EqualizerBlock blk{b, kCardRate, 2.5f, 0.f, 32.f * float(1 << b), b % 2 ? 4.f : -3.f};
                s->dsp().setParameters(DspEqualizer, &blk);
            }
            s->dsp().set(i == 0 ? DspFlanger : DspEcho, 1);
        }
        s->setAttributes(i % 3 == 0 ? 46746 : 44100, 80, 0);
        s->seek(0);
        s->play();
        mixer.attach(s);
        streams.push_back(s);
    }
    std::vector<float> out(kMaxBlock * 2);
    double total = 0;
    int blocks = 0;
    for (int round = 0; round < 20; ++round) {
        for (auto &s : streams)
            s->fillAtLeast(kCardRate); // decoding is the workers' job: not timed here
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < 16; ++i)
            mixer.render(out.data(), kMaxBlock);
        total += t.nsecsElapsed() / 1e9;
        blocks += 16;
    }
    const double blockSeconds = double(kMaxBlock) / kCardRate;
    return total / blocks / blockSeconds * 100.0;
}

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    funcoes::setMessageHook([](const QString &m) { std::fprintf(stderr, "%s\n", qPrintable(m)); });
    QTemporaryDir dir;
    const QString mp3 = makeTrack(dir.path(), "deck_a.mp3", {"-c:a", "libmp3lame", "-b:a", "192k"});
    const QString ogg = makeTrack(dir.path(), "deck_b.ogg", {"-c:a", "libvorbis", "-q:a", "5"});
    if (mp3.isEmpty() || ogg.isEmpty()) {
        std::fprintf(stderr, "could not make the test tracks with ffmpeg\n");
        return 1;
    }
    AudioEngine::instance().setBackend(std::make_unique<OfflineBackend>(QStringList{"offline"}));

    const double ff = ffmpegSeconds({mp3, ogg});
    const double eng = engineSeconds(mp3, ogg);
    const double share = mixerShare(mp3, ogg);
    std::printf("ffmpeg decode s: %.3f\n", ff);
    std::printf("engine render s: %.3f\n", eng);
    std::printf("engine realtime factor: %.1f\n", 180.0 / eng);
    std::printf("mixer block share with 14 streams %%: %.2f\n", share);
    std::printf("engine/ffmpeg ratio: %.2f\n", eng / ff);
    return 0;
}

// Engine cost: two decks rendered offline (MP3 with equaliser, flanger and echo; OGG with the
// equaliser at 1.06x speed) against the ffmpeg command decoding the same two files and
// converting the pitched one with soxr, the mixer's cost for one block with fourteen streams
// playing, and the pitch converter's speed in its variable-rate mode and at a fixed ratio.
#include "audio/AudioEngine.h"
#include "audio/Decoder.h"
#include "audio/Mixer.h"
#include "audio/Resampler.h"
#include "audio/OutputBackend.h"
#include "audio/Stream.h"
#include "audio/TMorvelBass.h"
#include "settings/funcoes.h"

#include <soxr.h>

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

// The ffmpeg command doing the same work: decoding both files, and converting the pitched
// deck from its playing rate to the card's with soxr.
static double ffmpegSeconds(const QString &mp3, const QString &ogg)
{
    double best = 1e9;
    for (int round = 0; round < 3; ++round) {
        QElapsedTimer t;
        t.start();
        run({"-v", "error", "-i", mp3, "-f", "null", "-"});
        run({"-v", "error", "-i", ogg, "-af", "asetrate=46746,aresample=44100:resampler=soxr", "-f", "null", "-"});
        best = std::min(best, t.nsecsElapsed() / 1e9);
    }
    return best;
}

// Seconds of stereo sound converted per second of work at speed 1.06: the variable-rate
// converter the decks use, and the same library at a fixed ratio.
static void converterSpeed(double *variable, double *fixed)
{
    const int frames = kCardRate * 60, piece = 1024;
    std::vector<float> in(size_t(frames) * 2), out(size_t(piece) * 4);
    uint32_t seed = 1;
    for (float &v : in) {
        seed = seed * 1664525u + 1013904223u;
        v = float(int32_t(seed) / 2147483648.0 * 0.5);
    }
    {
        Resampler r;
        r.setStep(1.06);
        QElapsedTimer t;
        t.start();
        for (int fed = 0; fed < frames;) {
            int used = 0;
            r.process(in.data() + size_t(fed) * 2, std::min(piece, frames - fed), &used, out.data(), piece * 2);
            fed += used;
        }
        *variable = 60.0 / (t.nsecsElapsed() / 1e9);
    }
    soxr_error_t error = nullptr;
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    soxr_t s = soxr_create(46746, 44100, 2, &error, &io, &quality, nullptr);
    QElapsedTimer t;
    t.start();
    for (int fed = 0; fed < frames;) {
        size_t used = 0, made = 0;
        soxr_process(s, in.data() + size_t(fed) * 2, size_t(std::min(piece, frames - fed)), &used, out.data(), piece * 2, &made);
        fed += int(used);
    }
    *fixed = 60.0 / (t.nsecsElapsed() / 1e9);
    soxr_delete(s);
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

    const double ff = ffmpegSeconds(mp3, ogg);
    const double eng = engineSeconds(mp3, ogg);
    const double share = mixerShare(mp3, ogg);
    std::printf("ffmpeg decode and convert s: %.3f\n", ff);
    std::printf("engine render s: %.3f\n", eng);
    std::printf("engine realtime factor: %.1f\n", 180.0 / eng);
    std::printf("mixer block share with 14 streams %%: %.2f\n", share);
    double variable = 0, fixed = 0;
    converterSpeed(&variable, &fixed);
    std::printf("soxr variable-rate realtime factor at 1.06: %.0f\n", variable);
    std::printf("soxr fixed-ratio realtime factor at 1.06: %.0f\n", fixed);
    std::printf("engine/ffmpeg ratio: %.2f\n", eng / ff);
    return 0;
}

// Sound quality measured on the output: clicks from every control and transport move, the
// master limiter's ceiling and transparency, the pitch converter's distortion and treble,
// and one deck's dropouts while another player is stuck on a file that never delivers.
//
// Click ratio: the peak of the output's second difference from 10 ms before a move to 40 ms
// after it, divided by its peak in the steady sound around it (the larger of the 200 ms
// before and the 200 ms after, so a move that rightly makes the sound louder, or starts it
// from silence, is judged against the sound it leads to).
#include "audio/AudioEngine.h"
#include "audio/Decoder.h"
#include "audio/Limiter.h"
#include "audio/Mixer.h"
#include "audio/OutputBackend.h"
#include "audio/Stream.h"
#include "audio/TMorvelBass.h"
#include "settings/funcoes.h"
#include "OfflineDeck.h"
#include "SignalMeasure.h"
#include "StuckPipe.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace audio;

namespace {

constexpr int kRate = kCardRate;

bool ffmpeg(const QStringList &args)
{
    QProcess p;
    p.start("ffmpeg", QStringList{"-y", "-v", "error"} + args);
    return p.waitForFinished(120000) && p.exitCode() == 0;
}

// A float WAV from an expression of t, the same on both sides.
QString makeWav(const QString &dir, const QString &name, const QString &expr, double seconds, int rate = kRate)
{
    const QString path = dir + "/" + name;
    const QString src = QStringLiteral("aevalsrc=%1|%1:s=%2:d=%3").arg(expr).arg(rate).arg(seconds);
    return ffmpeg({"-f", "lavfi", "-i", src, "-c:a", "pcm_f32le", path}) ? path : QString();
}

using signal_measure::curvaturePeak;
using Deck = testsupport::OfflineDeck;

// The move spans output frames [first, last].
double clickRatio(const std::vector<float> &left, int first, int last)
{
    return signal_measure::clickRatio(left, first, last, kRate);
}

const int kCentres[10] = {32, 64, 128, 250, 500, 1000, 2000, 4000, 8000, 16000};

double moveEqualiser(const QString &low, int from, int to)
{
    Deck d(low);
    d.player.SetEqualizer(true);
    for (int b = 0; b < 10; ++b)
        d.player.SetEqualizerBand(b, kCentres[b], b == 0 ? from : 10);
    d.run(1.0);
    const int at = d.now();
    d.player.SetEqualizerBand(0, kCentres[0], to);
    d.run(0.1); // the band glides to its new gain
    const int end = d.now();
    d.run(1.0);
    return clickRatio(d.left, at, end);
}

double switchEffect(const QString &music, void (TMorvelBass::*set)(bool), bool on)
{
    Deck d(music);
    if (!on)
        (d.player.*set)(true);
    d.run(1.0);
    const int at = d.now();
    (d.player.*set)(on);
    d.run(1.0);
    return clickRatio(d.left, at, at);
}

double transport(const QString &music, const char *move)
{
    Deck d(music);
    d.run(1.0);
    const int at = d.now();
    const QByteArray m(move);
    if (m == "stop") {
        d.player.Stop();
    } else if (m == "pause") {
        d.player.Pause();
    } else if (m == "resume") {
        d.player.Pause();
        d.run(0.5);
        const int back = d.now();
        d.player.Play();
        d.run(1.0);
        return clickRatio(d.left, back, back);
    } else if (m == "seek") {
        d.player.SetPosition(5321);
    }
    d.run(1.0);
    return clickRatio(d.left, at, at);
}

double fadeEnd(const QString &music)
{
    Deck d(music);
    d.run(1.0);
    d.player.FadeOut(500);
    int last = 0;
    // The fade clock ticks every 500/15 ms; the bench steps it as the timer would.
    while (d.player.Playing) {
        last = d.now();
        d.player.FadeTick();
        d.run(0.033);
    }
    d.run(1.0);
    // Judged against the quiet sound of the fade's previous steps.
    const int ms = kRate / 1000;
    const double around = curvaturePeak(d.left, last - 10 * ms, last + 40 * ms);
    const double before = curvaturePeak(d.left, last - 60 * ms, last - 20 * ms);
    return before > 0 ? around / before : 0;
}

double loopRestart(const QString &shortClip)
{
    Deck d(shortClip);
    d.player.Looping = true;
    int restart = -1, end = -1;
    while (restart < 0 && d.now() < 5 * kRate) {
        d.run(0.06);
        if (end < 0 && AudioEngine::instance().ranOut(d.player.Channel))
            end = d.now();
        const int before = d.now();
        d.player.EndTick();
        if (end >= 0 && AudioEngine::instance().isActive(d.player.Channel))
            restart = before;
    }
    d.run(1.0);
    return restart < 0 ? 1e9 : clickRatio(d.left, end - kRate / 10, restart);
}

double frequencySlider(const QString &music)
{
    Deck d(music);
    d.run(1.0);
    const int at = d.now();
    for (int f = 44150; f <= 45100; f += 50) {
        d.player.setFrequency(f);
        d.run(0.02);
    }
    const int end = d.now();
    d.run(1.0);
    return clickRatio(d.left, at, end);
}

// A stream whose decoding is held back for a while: it runs dry, then recovers.
double underrunRecovery(const QString &music, uint64_t *underruns)
{
    auto decoder = std::make_unique<Decoder>();
    decoder->open(music, Decoder::Entry::Plain);
    auto stream = std::make_shared<Stream>(std::move(decoder), music, Decoder::Entry::Plain);
    Mixer mixer;
    mixer.attach(stream);
    stream->seek(0);
    stream->play();
    std::vector<float> left, block(size_t(kMaxBlock) * 2);
    int dry = -1, back = -1;
    for (int n = 0; n < 140; ++n) {
        const bool starving = n >= 50 && n < 70;
        if (!starving)
            stream->fillAtLeast(2 * kMaxBlock);
        if (n == 50)
            dry = int(left.size());
        if (n == 70)
            back = int(left.size());
        mixer.render(block.data(), kMaxBlock);
        for (int i = 0; i < kMaxBlock; ++i)
            left.push_back(block[size_t(i) * 2]);
    }
    *underruns = mixer.underruns();
    mixer.detach(stream);
    return std::max(clickRatio(left, dry, dry + 2 * kMaxBlock), clickRatio(left, back, back));
}

double limiterPeak(const QString &loud)
{
    Deck d(loud);
    d.player.SetEqualizer(true);
    for (int b = 0; b < 10; ++b)
        d.player.SetEqualizerBand(b, kCentres[b], 20);
    d.player.SetFlanger(true);
    d.player.SetFlangerDepth(130, 120, 15);
    d.run(5.0);
    double peak = 0;
    for (float v : d.left)
        peak = std::max(peak, double(std::fabs(v)));
    return peak;
}

double limiterChangeDb()
{
    Limiter limiter;
    const double amplitude = std::pow(10.0, -6.0 / 20.0);
    const int frames = kRate * 2;
    std::vector<float> in(size_t(frames) * 2), out;
    for (int i = 0; i < frames; ++i)
        in[size_t(i) * 2] = in[size_t(i) * 2 + 1] = float(amplitude * std::sin(2 * M_PI * 997 * i / kRate));
    out = in;
    for (int i = 0; i < frames; i += kMaxBlock)
        limiter.process(out.data() + size_t(i) * 2, std::min(kMaxBlock, frames - i));
    double worst = 0;
    for (int i = Limiter::kLookAhead; i < frames; ++i)
        worst = std::max(worst, std::fabs(double(out[size_t(i) * 2]) - in[size_t(i - Limiter::kLookAhead) * 2]));
    return 20 * std::log10(1 + worst / amplitude);
}


// THD+N of a 1 kHz sine and the level change at 18 kHz, both played at `frequency`.
void resampling(const QString &dir, int fileRate, int frequency, double *thdn, double *treble)
{
    const double speed = double(frequency) / fileRate;
    const double amplitude = 0.5;
    auto measure = [&](double outHz, double *level, double *residual) {
        const QString f = makeWav(dir, QStringLiteral("tone%1_%2.wav").arg(fileRate).arg(outHz),
                                  QStringLiteral("%1*sin(2*PI*%2*t)").arg(amplitude).arg(outHz / speed, 0, 'f', 6),
                                  4.0, fileRate);
        Deck d(f);
        d.player.setFrequency(frequency);
        d.run(3.0);
        signal_measure::fitSine(d.left, kRate, 3 * kRate, outHz, kRate, level, residual);
    };
    double level = 0, residual = 0;
    measure(1000.0 * (fileRate == kRate ? speed : 1.0), &level, &residual);
    *thdn = 20 * std::log10(residual / level);
    measure(18000, &level, &residual);
    *treble = 20 * std::log10(level / (amplitude / std::sqrt(2.0)));
}

// Deck A plays on a real-time card for 10 s while the centre player, on the other card,
// is given a pipe: one that never delivers (`seconds` 0), or one that stops after a while.
uint64_t starvedDeck(const QString &dir, const QString &music, double seconds)
{
    AudioEngine::instance().setBackend(std::make_unique<PacedBackend>(QStringList{"Placa 1", "Placa 2"}));
    // The players remember the cards opened on the offline back-end: open the new ones here.
    AudioEngine::instance().init(1);
    AudioEngine::instance().init(2);
    StuckPipe pipe(dir + QStringLiteral("/stuck%1.wav").arg(seconds), seconds, kRate);
    TMorvelBass deck, centre;
    deck.OpenDevice(1);
    centre.OpenDevice(2);
    deck.LoadFile(music);
    deck.SetPosition(0);
    deck.Play();
    const uint64_t before = AudioEngine::instance().underruns(1);
    QElapsedTimer t;
    t.start();
    try {
        centre.LoadFile(pipe.path());
        centre.SetPosition(0);
        centre.Play();
    } catch (const LoadError &) {
    }
    while (t.elapsed() < 10000) {
        // The deck goes on being handled meanwhile: a seek and the position clock.
        if (t.elapsed() > 5000 && t.elapsed() < 5100)
            deck.SetPosition(2000);
        deck.GetPosition();
        QThread::msleep(50);
    }
    const uint64_t dropped = AudioEngine::instance().underruns(1) - before;
    deck.FreeStream();
    centre.FreeStream();
    return dropped;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    funcoes::setMessageHook([](const QString &m) { std::fprintf(stderr, "%s\n", qPrintable(m)); });
    QTemporaryDir dir;
    // A low note under a 1 kHz tone: lows show a click at once, the tone keeps the steady
    // curvature of real music.
    const QString music = makeWav(dir.path(), "music.wav", "0.3*sin(2*PI*60*t)+0.1*sin(2*PI*1000*t)", 20);
    // The equaliser's lowest band heard alone on a low note, under the limiter even boosted.
    const QString low = makeWav(dir.path(), "low.wav", "0.1*sin(2*PI*40*t)", 4);
    const QString clip = makeWav(dir.path(), "clip.wav", "0.3*sin(2*PI*60*t)+0.1*sin(2*PI*1000*t)", 1.0123);
    const QString loud = makeWav(dir.path(), "loud.wav", "0.5*sin(2*PI*110*t)+0.49*sin(2*PI*3000*t)", 6);
    const QString stuckMusic = makeWav(dir.path(), "deck.wav", "0.3*sin(2*PI*220*t)", 15);
    if (music.isEmpty() || low.isEmpty() || clip.isEmpty() || loud.isEmpty() || stuckMusic.isEmpty()) {
        std::fprintf(stderr, "could not make the test sounds with ffmpeg\n");
        return 1;
    }
    AudioEngine::instance().setBackend(std::make_unique<OfflineBackend>(QStringList{"offline"}));

    double worst = 0;
    auto click = [&worst](const char *name, double ratio) {
        std::printf("click ratio, %s: %.2f\n", name, ratio);
        std::fflush(stdout);
        worst = std::max(worst, ratio);
    };
    click("32 Hz band 0 to +10 dB", moveEqualiser(low, 10, 20));
    click("32 Hz band +10 dB back to 0", moveEqualiser(low, 20, 10));
    click("32 Hz band -10 dB back to 0", moveEqualiser(low, 0, 10));
    click("flanger on", switchEffect(music, &TMorvelBass::SetFlanger, true));
    click("flanger off", switchEffect(music, &TMorvelBass::SetFlanger, false));
    click("echo on", switchEffect(music, &TMorvelBass::SetEcho, true));
    click("echo off", switchEffect(music, &TMorvelBass::SetEcho, false));
    click("cut on", switchEffect(music, &TMorvelBass::SetCut, true));
    click("cut off", switchEffect(music, &TMorvelBass::SetCut, false));
    click("stop", transport(music, "stop"));
    click("pause", transport(music, "pause"));
    click("resume", transport(music, "resume"));
    click("seek while playing", transport(music, "seek"));
    click("last step of a fade", fadeEnd(music));
    click("looped restart", loopRestart(clip));
    click("frequency slider moving", frequencySlider(music));
    uint64_t dropouts = 0;
    click("underrun and recovery", underrunRecovery(music, &dropouts));

    std::printf("limiter peak, full-scale track, all bands +10 dB, flanger on: %.4f\n", limiterPeak(loud));
    std::printf("limiter largest change of a -6 dBFS sine, dB: %.5f\n", limiterChangeDb());

    double thdn = 0, treble = 0;
    resampling(dir.path(), kRate, 46746, &thdn, &treble);
    std::printf("resampling at 46746, THD+N of 1 kHz, dB: %.1f\n", thdn);
    std::printf("resampling at 46746, response at 18 kHz, dB: %.2f\n", treble);
    resampling(dir.path(), 48000, 48000, &thdn, &treble);
    std::printf("48 kHz file, THD+N of 1 kHz, dB: %.1f\n", thdn);
    std::printf("48 kHz file, response at 18 kHz, dB: %.2f\n", treble);
    std::fflush(stdout);

    std::printf("underruns on deck A over 10 s, centre player loading a pipe that never delivers: %llu\n",
                (unsigned long long)starvedDeck(dir.path(), stuckMusic, 0));
    std::printf("underruns on deck A over 10 s, centre player on a pipe that stalls after 3 s: %llu\n",
                (unsigned long long)starvedDeck(dir.path(), stuckMusic, 3));
    std::printf("worst click ratio: %.2f\n", worst);
    return 0;
}

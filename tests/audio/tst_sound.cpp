// What a listener hears, measured on the output: no click from any move, a limiter that
// keeps the mix under full scale and leaves quieter sound alone, clean pitch conversion,
// and a deck that keeps playing while another player is stuck on a file.
#include "OfflineDeck.h"
#include "SignalMeasure.h"
#include "StuckPipe.h"
#include "TestSupport.h"
#include "audio/AudioEngine.h"
#include "audio/Decoder.h"
#include "audio/Mixer.h"
#include "audio/OutputBackend.h"
#include "audio/Stream.h"
#include "audio/TMorvelBass.h"
#include "settings/funcoes.h"

#include <QElapsedTimer>
#include <QThread>
#include <atomic>
#include <cmath>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

using audio::AudioEngine;
using namespace testsupport;

namespace {

constexpr int kRate = audio::kCardRate;
constexpr int kMs = kRate / 1000;
const int kCentres[10] = {32, 64, 128, 250, 500, 1000, 2000, 4000, 8000, 16000};

// A float WAV of an expression of t, the same on both sides.
QString sound(const QString &name, const QString &expr, double seconds, int rate = kRate)
{
    return ffmpeg({"-f", "lavfi", "-i", QStringLiteral("aevalsrc=%1|%1:s=%2:d=%3").arg(expr).arg(rate).arg(seconds),
                   "-c:a", "pcm_f32le"},
                  name);
}

using Deck = OfflineDeck;

using signal_measure::curvaturePeak;

double clickRatio(const std::vector<float> &x, int first, int last)
{
    return signal_measure::clickRatio(x, first, last, kRate);
}

// Level of a sine of known frequency and the rest once it is taken out, in dB under it.
double thdPlusNoise(const std::vector<float> &x, int from, int to, double hz, double *level)
{
    double residual = 0;
    signal_measure::fitSine(x, from, to, hz, kRate, level, &residual);
    return 20 * std::log10(residual / *level);
}

} // namespace

class TestSound : public QObject
{
    Q_OBJECT

    QString m_music, m_clip, m_low;

private slots:
    void initTestCase()
    {
        AudioEngine::instance().setBackend(std::make_unique<audio::OfflineBackend>(QStringList{"Placa 1", "Placa 2"}));
        funcoes::setMessageHook([](const QString &) {});
        // A low note shows a click at once; the 1 kHz tone gives the steady curvature of music.
        m_music = sound("music.wav", "0.3*sin(2*PI*60*t)+0.1*sin(2*PI*1000*t)", 12);
        m_low = sound("low.wav", "0.1*sin(2*PI*40*t)", 4); // under the limiter even at +10 dB
        m_clip = sound("clip.wav", "0.3*sin(2*PI*60*t)+0.1*sin(2*PI*1000*t)", 1.0123); // ends mid-wave
    }

    void transportMovesDoNotClick_data()
    {
        QTest::addColumn<QString>("move");
        for (const char *m : {"stop", "pause", "resume", "seek", "fade end", "looped restart"})
            QTest::newRow(m) << QString(m);
    }
    void transportMovesDoNotClick()
    {
        QFETCH(QString, move);
        const bool looping = move == "looped restart";
        Deck d(looping ? m_clip : m_music);
        int first = 0, last = 0;
        if (looping) {
            d.player.Looping = true;
            // The end clock ticks every 60 ms; the restart follows the end within one tick.
            while (!AudioEngine::instance().ranOut(d.player.Channel) && d.now() < 3 * kRate)
                d.run(0.06);
            first = d.now() - 60 * kMs;
            d.player.EndTick();
            QVERIFY(AudioEngine::instance().isActive(d.player.Channel));
            last = d.now();
        } else {
            d.run(1.0);
            first = last = d.now();
            if (move == "stop") {
                d.player.Stop();
            } else if (move == "pause") {
                d.player.Pause();
            } else if (move == "resume") {
                d.player.Pause();
                d.run(0.5);
                first = last = d.now();
                d.player.Play();
            } else if (move == "seek") {
                d.player.SetPosition(5321);
            } else {
                d.player.FadeOut(500);
                while (d.player.Playing) {
                    first = last = d.now();
                    d.player.FadeTick();
                    d.run(0.033);
                }
            }
        }
        d.run(1.0);
        double ratio = clickRatio(d.left, first, last);
        if (move == "fade end") // judged against the quiet sound of the fade's last steps
            ratio = curvaturePeak(d.left, first - 10 * kMs, first + 40 * kMs)
                  / curvaturePeak(d.left, first - 60 * kMs, first - 20 * kMs);
        QVERIFY2(ratio <= 1.5, qPrintable(QString::number(ratio)));
    }

    void controlMovesDoNotClick_data()
    {
        QTest::addColumn<QString>("move");
        for (const char *m : {"32 Hz band +10 dB back to 0 dB", "32 Hz band -10 dB back to 0 dB", "flanger on",
                              "echo on", "cut on", "frequency slider"})
            QTest::newRow(m) << QString(m);
    }
    void controlMovesDoNotClick()
    {
        QFETCH(QString, move);
        const bool band = move.contains("band");
        // The band is heard alone on a low note, whose curvature is small: any step shows.
        Deck d(band ? m_low : m_music);
        if (band) {
            d.player.SetEqualizer(true);
            for (int b = 0; b < 10; ++b)
                d.player.SetEqualizerBand(b, kCentres[b], b > 0 ? 10 : move.contains("-10") ? 0 : 20);
        }
        d.run(1.0);
        const int first = d.now();
        if (band) {
            d.player.SetEqualizerBand(0, kCentres[0], 10);
            d.run(0.1); // the band glides back
        } else if (move == "flanger on") {
            d.player.SetFlanger(true);
        } else if (move == "echo on") {
            d.player.SetEcho(true);
        } else if (move == "cut on") {
            d.player.SetCut(true);
        } else {
            for (int f = 44150; f <= 45100; f += 50) {
                d.player.setFrequency(f);
                d.run(0.02);
            }
        }
        const int last = d.now();
        d.run(1.0);
        const double ratio = clickRatio(d.left, first, last);
        QVERIFY2(ratio <= 1.5, qPrintable(QString::number(ratio)));
    }

    void effectsHearNoHandOver_data()
    {
        QTest::addColumn<QString>("effect");
        QTest::newRow("echo") << QString("echo");
        QTest::newRow("flanger") << QString("flanger");
    }
    void effectsHearNoHandOver()
    {
        // A speed move hands the deck to the gliding converter, and the held speed later to
        // the fixed-ratio one; neither hand-over may show in the effects' delay lines, now
        // or when the echo repeats it. Paced like a sound card, so both happen in here.
        QFETCH(QString, effect);
        Deck d(m_low);
        effect == "echo" ? d.player.SetEcho(true) : d.player.SetFlanger(true);
        d.run(2.0);
        const int moved = d.now();
        d.player.setFrequency(45000);
        for (int i = 0; i < 60; ++i) {
            d.run(0.02);
            QThread::msleep(20);
        }
        const double steady = curvaturePeak(d.left, moved - kRate, moved - kRate / 5);
        const double after = curvaturePeak(d.left, moved, d.now());
        QVERIFY2(after <= 1.5 * steady, qPrintable(QString("%1 against %2").arg(after).arg(steady)));
    }

    void dropoutFadesOutAndBackIn()
    {
        // Decoding held back for half a second: the stream runs dry, then recovers.
        auto decoder = std::make_unique<audio::Decoder>();
        QVERIFY(decoder->open(m_music, audio::Decoder::Entry::Plain));
        auto stream = std::make_shared<audio::Stream>(std::move(decoder), m_music, audio::Decoder::Entry::Plain);
        audio::Mixer mixer;
        mixer.attach(stream);
        stream->seek(0);
        stream->play();
        std::vector<float> left, block(size_t(audio::kMaxBlock) * 2);
        int dry = 0, back = 0;
        for (int n = 0; n < 100; ++n) {
            if (n < 40 || n >= 60)
                stream->fillAtLeast(2 * audio::kMaxBlock);
            if (n == 40)
                dry = int(left.size());
            if (n == 60)
                back = int(left.size());
            mixer.render(block.data(), audio::kMaxBlock);
            for (int i = 0; i < audio::kMaxBlock; ++i)
                left.push_back(block[size_t(i) * 2]);
        }
        QVERIFY(mixer.underruns() > 0);
        QVERIFY(curvaturePeak(left, back - 100 * kMs, back - 10 * kMs) == 0); // it did go silent
        const double out = clickRatio(left, dry, dry + 2 * audio::kMaxBlock);
        const double in = clickRatio(left, back, back);
        QVERIFY2(out <= 1.5 && in <= 1.5, qPrintable(QString("%1 %2").arg(out).arg(in)));
        mixer.detach(stream);
    }

    void limiterKeepsTheMixUnderFullScale()
    {
        {
            Deck d(sound("loud.wav", "0.5*sin(2*PI*110*t)+0.49*sin(2*PI*3000*t)", 4));
            d.player.SetEqualizer(true);
            for (int b = 0; b < 10; ++b)
                d.player.SetEqualizerBand(b, kCentres[b], 20);
            d.player.SetFlanger(true);
            d.player.SetFlangerDepth(130, 120, 15);
            d.run(3.0);
            float peak = 0;
            for (float v : d.left)
                peak = std::max(peak, std::fabs(v));
            QVERIFY2(peak < 0.99f && peak > 0.9f, qPrintable(QString::number(peak)));
        }
        // Below -3 dBFS the sound passes untouched: level and purity of a -6 dBFS sine.
        Deck d(sound("minus6.wav", "0.501187*sin(2*PI*1000*t)", 3));
        d.run(2.0);
        double level = 0;
        const double thdn = thdPlusNoise(d.left, kRate / 2, 2 * kRate, 1000, &level);
        QVERIFY2(std::fabs(20 * std::log10(level / (0.501187 / std::sqrt(2.0)))) < 0.001, qPrintable(QString::number(level)));
        QVERIFY2(thdn < -120, qPrintable(QString::number(thdn)));
    }

    // A float file whose samples reach the float limit plays beside a tone, through every
    // effect: the card never gets a non-finite sample and the tone stays whole, during the
    // damaged file and after it.
    void damagedFloatsLeaveTheOtherDeckWhole()
    {
        Deck tom(sound("tom.wav", "0.2*sin(2*PI*440*t)", 6));
        Deck dano(sound("dano.wav", "3.4e38*sin(2*PI*50*t)", 1.0));
        dano.player.SetEqualizer(true);
        for (int b = 0; b < 10; ++b)
            dano.player.SetEqualizerBand(b, kCentres[b], 20);
        dano.player.SetFlanger(true);
        dano.player.SetEcho(true);
        tom.run(3.0); // renders the card both decks play on
        const std::vector<float> &x = tom.left;
        QVERIFY(std::all_of(x.begin(), x.end(), [](float v) { return std::isfinite(v); }));
        for (auto [from, to] : {std::pair{kRate / 10, kRate * 9 / 10}, {kRate * 2, kRate * 3}}) {
            double level = 0;
            const double thdn = thdPlusNoise(x, from, to, 440, &level);
            QVERIFY2(std::fabs(level - 0.2 / std::sqrt(2.0)) < 0.005 && thdn < -60,
                     qPrintable(QString("from %1: level %2, %3 dB").arg(from).arg(level).arg(thdn)));
        }
    }

    void pitchConversionIsClean_data()
    {
        QTest::addColumn<int>("fileRate");
        QTest::addColumn<int>("frequency");
        QTest::newRow("deck at 46746") << 44100 << 46746;
        QTest::newRow("48 kHz file") << 48000 << 48000;
    }
    void pitchConversionIsClean()
    {
        QFETCH(int, fileRate);
        QFETCH(int, frequency);
        const double speed = double(frequency) / fileRate; // output Hz per Hz of the file
        auto play = [&](double outHz, double *level) {
            const QString f = sound(QStringLiteral("pitch_%1_%2.wav").arg(fileRate).arg(outHz),
                                    QStringLiteral("0.5*sin(2*PI*%1*t)").arg(outHz / speed, 0, 'f', 6), 2.5, fileRate);
            Deck d(f);
            d.player.setFrequency(frequency);
            d.run(2.0);
            return thdPlusNoise(d.left, kRate / 2, 2 * kRate, outHz, level);
        };
        double level = 0;
        const double thdn = play(1000.0 * speed, &level);
        QVERIFY2(thdn <= -100, qPrintable(QString::number(thdn)));
        play(18000, &level);
        const double treble = 20 * std::log10(level / (0.5 / std::sqrt(2.0)));
        QVERIFY2(std::fabs(treble) < 0.5, qPrintable(QString::number(treble)));
    }

    void converterHandOversKeepTheTone()
    {
        // A held speed moves to a cheaper converter, a moved one back to the gliding one; each
        // hand-over cross-fades two converters, which must play the same source frame by then.
        const QString f = sound("handover.wav", "0.5*sin(2*PI*250*t)", 4);
        Deck d(f);
        d.player.setFrequency(46746);
        d.run(1.0);
        const int moved = d.now();
        d.player.setFrequency(46300);
        d.run(1.5);
        // Worst fit of the expected tone over 2048-frame windows. Both converters line up to
        // within a frame; two frames off already shows as a phase step above -28 dB, and a gap
        // or a lost block far above.
        auto worst = [&](int from, int to, double hz) {
            double w = -1e9, level = 0;
            for (int at = from; at + 2048 <= to; at += 256)
                w = std::max(w, thdPlusNoise(d.left, at, at + 2048, hz, &level));
            return w;
        };
        const double before = worst(100 * kMs, moved, 250.0 * 46746 / 44100);
        const double after = worst(moved + 60 * kMs, d.now(), 250.0 * 46300 / 44100);
        QVERIFY2(before <= -30 && after <= -30, qPrintable(QString("%1 %2").arg(before).arg(after)));
    }

    void speedMovedJustAfterTheHandOverIsReached()
    {
        // The held speed has just gone over to the fixed-ratio converter when the slider moves
        // again, before the worker has run. The gliding converter must take over at the held
        // speed and glide on to the new one, not wait for one made at a speed never held.
        // The stream is driven by hand here, so the worker runs exactly when the test says.
        const QString f = sound("moved_again.wav", "0.5*sin(2*PI*440*t)", 6);
        using audio::Decoder;
        auto decoder = std::make_unique<Decoder>();
        QVERIFY(decoder->open(f, Decoder::Entry::Plain));
        audio::Stream s(std::move(decoder), f, Decoder::Entry::Plain);
        s.setAttributes(45000, 100, 0);
        s.seek(0);
        s.play();
        s.fillAtLeast(kRate); // the worker's turn: decodes, and keeps converters ready
        std::vector<float> left;
        auto render = [&](int blocks) {
            std::vector<float> block(512 * 2);
            for (int b = 0; b < blocks; ++b) {
                std::fill(block.begin(), block.end(), 0.f);
                s.mixInto(block.data(), 512);
                for (int i = 0; i < 512; ++i)
                    left.push_back(block[size_t(i) * 2]);
            }
        };
        render(20);           // held long enough: the fixed-ratio converter is asked for,
        s.fillAtLeast(kRate); // made
        render(1);            // and takes over
        s.setAttributes(46000, 100, 0);
        render(4);
        for (int turn = 0; turn < 40; ++turn) {
            s.fillAtLeast(kRate);
            render(4);
        }
        double level = 0;
        const int end = int(left.size());
        const double rest = thdPlusNoise(left, end - kRate / 2, end, 440.0 * 46000 / 44100, &level);
        QVERIFY2(rest < -40, qPrintable(QString("%1 dB under a tone at %2").arg(rest).arg(level)));
    }

    // Real-time cards from here on.
    void blockedFileStarvesNoOtherDeck()
    {
        AudioEngine &engine = AudioEngine::instance();
        engine.setBackend(std::make_unique<audio::PacedBackend>(QStringList{"Placa 1", "Placa 2"}));
        QVERIFY(engine.init(1) && engine.init(2)); // the players remember the offline cards as open
        TMorvelBass deck, centre;
        deck.OpenDevice(1);
        centre.OpenDevice(2);
        deck.LoadFile(sound("deck.wav", "0.3*sin(2*PI*220*t)", 20));
        deck.SetPosition(0);
        deck.Play();

        // A file that stops delivering after three seconds, playing on the other card.
        StuckPipe stalls(fixtureDir() + "/stalls.wav", 3, kRate);
        QVERIFY(stalls.ok());
        centre.LoadFile(stalls.path());
        centre.SetPosition(0);
        centre.Play();
        QTest::qWait(3500);
        // One that never delivers: the load gives up after a while instead of hanging.
        StuckPipe silent(fixtureDir() + "/silent.wav", 0, kRate);
        QVERIFY(silent.ok());
        TMorvelBass other;
        other.OpenDevice(2);
        QElapsedTimer t;
        t.start();
        QVERIFY_THROWS_EXCEPTION(audio::LoadError, other.LoadFile(silent.path()));
        QVERIFY(t.elapsed() < AudioEngine::kOpenWaitMs + 1000);

        // Meanwhile the deck is handled as usual: a seek answers at once.
        QTest::qWait(500);
        t.restart();
        QVERIFY(deck.SetPosition(3000));
        QVERIFY(t.elapsed() < 50);
        QCOMPARE(deck.GetPosition(), 3000u);
        QTest::qWait(1500);
        QVERIFY(deck.GetPosition() > 4000);
        QCOMPARE(engine.underruns(1), quint64(0));
        QVERIFY(centre.GetPosition() <= 3000); // the stuck file got no further than it was sent
        deck.FreeStream();
        centre.FreeStream();
    }
};

VELARIX_TEST_MAIN(TestSound)
#include "tst_sound.moc"

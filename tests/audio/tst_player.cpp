// The player on an offline card: loading, transport, fades, end detection, attributes,
// effects and the spectrum, all measured on the rendered output.
#include "TestSupport.h"
#include "audio/AudioEngine.h"
#include "audio/Limiter.h"
#include "audio/Stream.h"
#include "audio/OutputBackend.h"
#include "audio/TMorvelBass.h"
#include "settings/funcoes.h"

#include <QDir>
#include <cmath>
#include <memory>
#include <vector>

using audio::AudioEngine;
using namespace testsupport;

namespace {

std::vector<float> render(int frames)
{
    std::vector<float> out(size_t(frames) * 2);
    AudioEngine::instance().renderOffline(1, out.data(), frames);
    return out;
}

double rms(const std::vector<float> &v, int channel, int from = 0, int to = -1)
{
    const int frames = int(v.size() / 2);
    if (to < 0 || to > frames)
        to = frames;
    double sum = 0;
    for (int i = from; i < to; ++i)
        sum += double(v[size_t(i) * 2 + channel]) * v[size_t(i) * 2 + channel];
    return std::sqrt(sum / std::max(1, to - from));
}

double db(double ratio)
{
    return 20.0 * std::log10(ratio);
}

} // namespace

class TestPlayer : public QObject
{
    Q_OBJECT

    QStringList m_messages;
    std::unique_ptr<TMorvelBass> m_player;
    int m_stops = 0;

    TMorvelBass &player()
    {
        return *m_player;
    }

    void load(const QString &path)
    {
        player().LoadFile(path);
        QVERIFY2(player().Loaded, qPrintable(path));
    }

    void start(const QString &path)
    {
        load(path);
        player().SetPosition(0);
        player().Play();
    }

private slots:
    void initTestCase()
    {
        AudioEngine::instance().setBackend(
            std::make_unique<audio::OfflineBackend>(QStringList{"Placa 1", "Placa 2"}));
        funcoes::setMessageHook([this](const QString &t) { m_messages << t; });
    }

    void init()
    {
        m_messages.clear();
        m_stops = 0;
        m_player = std::make_unique<TMorvelBass>();
        player().OpenDevice(1);
        QVERIFY(player().EndTimer && player().FadeTimer);
        player().OnStop = [this](TMorvelBass *) { ++m_stops; };
    }

    void cleanup()
    {
        m_player.reset();
    }

    void openDeviceTwiceIsRefused()
    {
        TThreadedTimer *timer = player().EndTimer;
        player().OpenDevice(2);
        QCOMPARE(m_messages, QStringList{"Canal já Criado - Verifique"});
        QCOMPARE(player().EndTimer, timer);
        QCOMPARE(player().Device, 1);
        QCOMPARE(TMorvelBass::InitializedDevices().count(1), 1);
    }

    void loadsEveryFormatWithTitleAndLength_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("channels");
        QTest::newRow("wav") << "Festa.WAV" << 44100 << 2;
        QTest::newRow("mp3") << "Festa.MP3" << 44100 << 2;
        QTest::newRow("ogg") << "festa.ogg" << 44100 << 2;
        QTest::newRow("wma") << "festa.wma" << 44100 << 2;
        QTest::newRow("48 kHz") << "alta.wav" << 48000 << 2;
        QTest::newRow("mono") << "mono.mp3" << 44100 << 1;
    }
    void loadsEveryFormatWithTitleAndLength()
    {
        QFETCH(QString, name);
        QFETCH(int, rate);
        QFETCH(int, channels);
        const QString path = tone(name, 440, 2.5, rate, channels);
        load(path);
        QCOMPARE(player().Title, name);
        QCOMPARE(player().FileName, path);
        QCOMPARE(player().Frequency(), rate);
        QVERIFY(AudioEngine::instance().waitForLengths(10000));
        // True milliseconds: frames x 1000 / rate, whatever the rate and channel count.
        QCOMPARE(player().GetLength(), uint32_t(decodedFrames(path) * 1000 / rate));
        if (!name.endsWith(".wma"))
            QCOMPARE(player().GetLength(), 2500u);
        QVERIFY(m_messages.isEmpty());
    }

    void titleAndEntryFollowThePath()
    {
        QCOMPARE(TMorvelBass::titleOf("/musicas/Festa.MP3"), QString("Festa.MP3"));
        QCOMPARE(TMorvelBass::titleOf("Festa.mp3"), QString("Festa.mp3"));
        // Only ".WMA" anywhere in the upper-cased path chooses the Windows Media entry.
        QDir(fixtureDir()).mkpath("x.wma");
        const QString odd = tone("x.wma/song.mp3", 440, 0.5);
        load(odd);
        QCOMPARE(player().Title, QString("song.mp3"));
        QCOMPARE(AudioEngine::instance().streamEntry(player().Channel), AudioEngine::Entry::WindowsMedia);
        player().FreeStream();
        load(tone("plain.mp3", 440, 0.5));
        QCOMPARE(AudioEngine::instance().streamEntry(player().Channel), AudioEngine::Entry::Plain);
    }

    void eightBitIsRefusedMonoAccepted()
    {
        const QString u8 = ffmpeg({"-f", "lavfi", "-i", "sine=frequency=440:duration=1", "-c:a", "pcm_u8"}, "u8.wav");
        player().LoadFile(u8);
        QCOMPARE(m_messages, QStringList{"16-bit stereo sources only. Please select another."});
        QVERIFY(!player().Loaded);
        QCOMPARE(player().Channel, 0u);
        player().Play(); // nothing to play, nothing happens
        QVERIFY(!player().Playing);
        m_messages.clear();
        load(tone("mono.wav", 440, 1, 44100, 1));
        QVERIFY(m_messages.isEmpty());
    }

    void unplayableFilesRaiseAnError()
    {
        QFile f(tone("good.mp3", 440, 2));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QStringList bad = {writeFile("zero.mp3", {}),
                                 writeFile("notes.mp3", QByteArray("apenas texto\r\n").repeated(100)),
                                 writeFile("truncated.mp3", f.readAll().left(300))};
        for (const QString &path : bad) {
            bool raised = false;
            try {
                player().LoadFile(path);
            } catch (const audio::LoadError &) {
                raised = true;
            }
            QVERIFY2(raised, qPrintable(path));
            QVERIFY(!player().Loaded);
            QCOMPARE(player().Channel, 0u);
        }
    }

    void fadeSteps_data()
    {
        QTest::addColumn<int>("volume");
        QTest::addColumn<int>("ticks");
        QTest::newRow("100") << 100 << 21;
        QTest::newRow("50") << 50 << 13;
        QTest::newRow("30") << 30 << 7;
        QTest::newRow("10") << 10 << 1;
    }
    void fadeSteps()
    {
        QFETCH(int, volume);
        QFETCH(int, ticks);
        start(tone("fade.wav", 440, 3));
        player().setVolume(volume);
        player().FadeOut(500);
        QVERIFY(player().FadeTimer->Enabled());
        QCOMPARE(player().FadeTimer->Interval(), 33);
        QList<int> levels;
        int n = 0;
        while (player().Playing && n < 100) {
            player().FadeTick();
            ++n;
            if (player().Playing) {
                levels << int(player().FadeLevel);
                int v = 0;
                AudioEngine::instance().getAttributes(player().Channel, nullptr, &v, nullptr);
                QCOMPARE(v, int(player().FadeLevel)); // the channel follows the fade
            }
        }
        QCOMPARE(n, ticks);
        QCOMPARE(m_stops, 1);
        QVERIFY(!player().FadeTimer->Enabled());
        QCOMPARE(int(player().FadeLevel), volume); // Stop restores the cached volume
        if (volume == 100)
            QCOMPARE(levels, (QList<int>{91, 82, 73, 69, 65, 61, 57, 53, 49, 45, 41, 37, 34, 31, 28, 25, 22, 19, 16, 13}));
        // The next Play starts at the volume the player had before the fade.
        QCOMPARE(player().Volume(), volume);
    }

    void fadeFromNearSilenceStopsTwice()
    {
        start(tone("quiet.wav", 440, 3));
        player().setVolume(1);
        player().FadeOut(150);
        player().FadeTick();
        QCOMPARE(m_stops, 2);
    }

    void secondFadeAndFadeWhilePausedAreIgnored()
    {
        start(tone("twice.wav", 440, 3));
        player().FadeOut(600);
        player().FadeTick();
        const uint32_t level = player().FadeLevel;
        player().FadeOut(150);
        QCOMPARE(player().FadeTimer->Interval(), 40);
        QCOMPARE(player().FadeLevel, level);
        player().Play(); // Play abandons the fade
        QVERIFY(!player().FadeTimer->Enabled());
        player().Pause();
        player().FadeOut(300);
        QVERIFY(!player().FadeTimer->Enabled());
        QCOMPARE(m_stops, 0);
    }

    void fadeRunsByItselfOnTheClock()
    {
        start(tone("clock.wav", 440, 5));
        player().FadeOut(300);
        QTRY_COMPARE_WITH_TIMEOUT(m_stops, 1, 5000);
        QVERIFY(!player().Playing);
        QTest::qWait(100);
        QCOMPARE(m_stops, 1);
    }

    void onStopIsRaisedOnlyForALoadedPlayer()
    {
        player().Stop();
        QCOMPARE(m_stops, 0);
        load(tone("stop.wav", 440, 1));
        player().Stop(); // loaded, never played: still raised
        QCOMPARE(m_stops, 1);
        player().Play();
        player().Stop();
        QCOMPARE(m_stops, 2);
        player().FreeStream();
        player().Stop();
        QCOMPARE(m_stops, 2);
    }

    void endOfStreamStopsOnceAndLoopingRestarts()
    {
        start(tone("short.wav", 440, 0.3));
        render(4096);
        player().EndTick();
        QCOMPARE(m_stops, 0); // not yet at the end
        render(44100 * 3 / 10);
        QCOMPARE(AudioEngine::instance().isActive(player().Channel), 0);
        player().EndTick();
        QCOMPARE(m_stops, 1);
        QVERIFY(!player().Playing);

        m_stops = 0;
        player().Looping = true;
        player().SetPosition(0);
        player().Play();
        for (int round = 0; round < 3; ++round) {
            render(44100 * 4 / 10);
            player().EndTick();
            QVERIFY(player().Playing);
            const std::vector<float> out = render(4096);
            QVERIFY2(rms(out, 0) > 0.2, "looping plays the track again");
            QVERIFY(player().GetPosition() < 300);
        }
        QCOMPARE(m_stops, 0);
    }

    void streamThatRunsOutEndsEvenBeforeItsAnnouncedLength()
    {
        // Half an MP3: the container still announces the whole length until it is counted.
        QFile f(tone("whole4.mp3", 440, 4));
        QVERIFY(f.open(QIODevice::ReadOnly));
        start(writeFile("half4.mp3", f.readAll().left(int(f.size() / 2))));
        int blocks = 0;
        while (player().Playing && blocks < 400) {
            render(1024);
            player().EndTick();
            ++blocks;
        }
        QCOMPARE(m_stops, 1);
        QVERIFY(blocks * 1024 < 44100 * 5 / 2);
    }

    void reentrantStopHandlerLoadsTheNextFile()
    {
        const QString next = tone("next.wav", 440, 1);
        start(tone("first.wav", 440, 1));
        player().OnStop = [&](TMorvelBass *p) {
            ++m_stops;
            p->FreeStream();
            p->LoadFile(next);
        };
        player().Stop();
        QCOMPARE(m_stops, 1);
        QVERIFY(player().Loaded);
        QVERIFY(player().Channel != 0);
        QCOMPARE(player().FileName, next);
        QCOMPARE(AudioEngine::instance().isActive(player().Channel), 0);
        QVERIFY(!player().Playing);
    }

    // A handler that showed a box let the show go on: the next file was started meanwhile.
    // The stop that resumes afterwards leaves it playing, and it is heard.
    void stopHandlerThatStartsTheNextFileLeavesItPlaying()
    {
        const QString next = tone("seguinte.wav", 1000, 2, 44100, 2, 0.5);
        start(tone("primeira.wav", 440, 1));
        player().OnStop = [&](TMorvelBass *p) {
            p->FreeStream();
            p->LoadFile(next);
            p->SetPosition(0);
            p->Play();
        };
        player().Stop();
        QVERIFY(player().Playing);
        QCOMPARE(AudioEngine::instance().isActive(player().Channel), 1);
        render(2048);
        QVERIFY2(rms(render(8192), 0) > 0.3, qPrintable(QString::number(rms(render(8192), 0))));
    }

    void stopAndPlayKeepThePosition()
    {
        start(tone("pos.wav", 440, 3));
        render(44100);
        QCOMPARE(player().GetPosition(), 1000u);
        player().Stop();
        QCOMPARE(player().GetPosition(), 1000u);
        player().Play();
        render(22050);
        QCOMPARE(player().GetPosition(), 1500u);
        player().Pause();
        render(22050);
        QCOMPARE(player().GetPosition(), 1500u);
        QCOMPARE(AudioEngine::instance().isActive(player().Channel), 3);
        player().Play();
        render(4410);
        QCOMPARE(player().GetPosition(), 1600u);
    }

    void seekLandsOnTheRightSample()
    {
        QByteArray data;
        QDataStream out(&data, QIODevice::WriteOnly);
        out.setByteOrder(QDataStream::LittleEndian);
        const int frames = 44100 * 3;
        out.writeRawData("RIFF", 4);
        out << quint32(36 + frames * 4);
        out.writeRawData("WAVEfmt ", 8);
        out << quint32(16) << quint16(1) << quint16(2) << quint32(44100) << quint32(44100 * 4) << quint16(4) << quint16(16);
        out.writeRawData("data", 4);
        out << quint32(frames * 4);
        for (int n = 0; n < frames; ++n)
            out << qint16(n % 32768) << qint16(-(n % 32768));
        load(writeFile("index.wav", data));
        for (uint32_t ms : {1234u, 2u, 2980u, 500u}) {
            QVERIFY(player().SetPosition(ms));
            QCOMPARE(player().GetPosition(), ms);
            player().Play();
            // The start fades in and the card's limiter looks a little ahead: read past both.
            const int settled = audio::Stream::kRampFrames;
            const std::vector<float> got = render(audio::Limiter::kLookAhead + settled + 2);
            const size_t at = size_t(audio::Limiter::kLookAhead + settled) * 2;
            const int frame = int((qint64(ms) * 44100 + 999) / 1000) + settled;
            QCOMPARE(qRound(got[at] * 32768.f), frame % 32768);
            QCOMPARE(qRound(got[at + 1] * 32768.f), -(frame % 32768));
            QCOMPARE(qRound(got[at + 2] * 32768.f), (frame + 1) % 32768);
            player().Pause();
        }
        QVERIFY(!player().SetPosition(3500)); // past the end
    }

    void writesWhileInactiveAreDropped()
    {
        load(tone("inactive.wav", 1000, 2, 44100, 2, 0.5));
        player().setVolume(20);
        player().setPan(-100);
        player().setFrequency(22050);
        QCOMPARE(player().Volume(), 100);
        player().Play();
        const std::vector<float> out = render(8192);
        QVERIFY(std::fabs(rms(out, 0, 1024) - 0.5 / std::sqrt(2.0)) < 0.01);
        QVERIFY(std::fabs(rms(out, 1, 1024) - 0.5 / std::sqrt(2.0)) < 0.01);
        QCOMPARE(player().Frequency(), 44100);
    }

    void volumeAndPanOnTheOutput_data()
    {
        QTest::addColumn<int>("volume");
        QTest::addColumn<int>("pan");
        QTest::addColumn<double>("left");
        QTest::addColumn<double>("right");
        QTest::newRow("full") << 100 << 0 << 1.0 << 1.0;
        QTest::newRow("half") << 50 << 0 << 0.5 << 0.5;
        QTest::newRow("left only") << 100 << -100 << 1.0 << 0.0;
        QTest::newRow("right only") << 100 << 100 << 0.0 << 1.0;
        QTest::newRow("half right") << 80 << 50 << 0.4 << 0.8;
    }
    void volumeAndPanOnTheOutput()
    {
        QFETCH(int, volume);
        QFETCH(int, pan);
        QFETCH(double, left);
        QFETCH(double, right);
        start(tone("level.wav", 1000, 2, 44100, 2, 0.5));
        player().setVolume(volume);
        player().setPan(pan);
        QCOMPARE(player().Volume(), volume);
        QCOMPARE(player().Pan(), pan);
        render(2048); // let the ramp settle
        const std::vector<float> out = render(8192);
        const double full = 0.5 / std::sqrt(2.0);
        QVERIFY2(std::fabs(rms(out, 0) - left * full) < 0.005, qPrintable(QString::number(rms(out, 0))));
        QVERIFY2(std::fabs(rms(out, 1) - right * full) < 0.005, qPrintable(QString::number(rms(out, 1))));
    }

    void frequencyChangesPitchAndRefusesNonsense()
    {
        start(tone("pitch.wav", 1000, 3, 44100, 2, 0.9));
        player().setFrequency(88200);
        QCOMPARE(player().Frequency(), 88200);
        player().setFrequency(50);
        player().setFrequency(100001);
        QCOMPARE(player().Frequency(), 88200);
        render(8192);
        std::vector<float> fft(512);
        player().GetFFT(fft.data());
        const int peak = int(std::max_element(fft.begin(), fft.end()) - fft.begin());
        QCOMPARE(peak, 46); // 2 kHz at 43.07 Hz per bin
        render(44100);
        QVERIFY(player().GetPosition() > 2000); // twice as fast through the file
    }

    void equalizerGainAtTheBandCentre_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<double>("gain");
        QTest::newRow("0") << 0 << -10.0;
        QTest::newRow("10") << 10 << 0.0;
        QTest::newRow("20") << 20 << 10.0;
    }
    void equalizerGainAtTheBandCentre()
    {
        QFETCH(int, position);
        QFETCH(double, gain);
        start(tone("eq1k.wav", 1000, 2, 44100, 2, 0.25));
        player().SetEqualizer(true);
        QVERIFY(player().EqAtivo);
        for (int band = 0; band < 10; ++band)
            player().SetEqualizerBand(band, QList<int>{32, 64, 128, 250, 500, 1000, 2000, 4000, 8000, 16000}[band],
                                      band == 5 ? position : 10);
        render(16384);
        const double measured = db(rms(render(8192), 0) / (0.25 / std::sqrt(2.0)));
        QVERIFY2(std::fabs(measured - gain) < 0.5, qPrintable(QString::number(measured)));
        // Switching on again every Play never doubles the filter.
        player().SetEqualizer(true);
        player().SetEqualizerBand(5, 1000, position);
        render(16384);
        const double again = db(rms(render(8192), 0) / (0.25 / std::sqrt(2.0)));
        QVERIFY2(std::fabs(again - gain) < 0.5, qPrintable(QString::number(again)));
    }

    void equalizerSwitchedOffIgnoresBands()
    {
        start(tone("eqoff.wav", 1000, 2, 44100, 2, 0.25));
        player().SetEqualizerBand(5, 1000, 20); // ignored: not switched on
        render(16384);
        QVERIFY(std::fabs(db(rms(render(8192), 0) / (0.25 / std::sqrt(2.0)))) < 0.1);
        player().SetEqualizer(true);
        player().SetEqualizerBand(5, 1000, 0);
        player().SetEqualizer(false);
        QVERIFY(!player().EqAtivo);
        player().SetEqualizerBand(5, 1000, 20);
        render(16384);
        QVERIFY(std::fabs(db(rms(render(8192), 0) / (0.25 / std::sqrt(2.0)))) < 0.1);
    }

    void effectBlocksReachTheEngine()
    {
        start(tone("fx.wav", 440, 2));
        auto &e = AudioEngine::instance();
        player().SetEcho(true);
        audio::EchoBlock echo{};
        QVERIFY(e.dspGetParameters(player().Channel, audio::DspEcho, &echo));
        QCOMPARE(echo.dry, 1.f);
        QCOMPARE(echo.wet, 1.f);
        QCOMPARE(echo.delayMs, 0.f);
        QCOMPARE(echo.repeats, 1.f);
        player().SetEchoParams(9);
        QVERIFY(e.dspGetParameters(player().Channel, audio::DspEcho, &echo));
        QCOMPARE(echo.repeats, 6.f);
        player().SetFlanger(true);
        player().SetFlangerDepth(130, 120, 7);
        audio::FlangerBlock fl{};
        QVERIFY(e.dspGetParameters(player().Channel, audio::DspFlanger, &fl));
        QCOMPARE(fl.delayMs, 1.3f);
        QCOMPARE(fl.tempo, 120.f);
        QCOMPARE(fl.depth, 7.f);
        QCOMPARE(player().FlangerParams.rate, 44100);
        player().SetCut(true);
        render(4096);
        player().SetFlanger(false);
        player().SetEcho(false);
        player().SetCut(false);
        QVERIFY(!e.dspGetParameters(player().Channel, audio::DspFlanger, &fl));
        player().SetCut(false); // removing what is not set is harmless
        render(4096);
        // Loading a new file starts without effects.
        player().SetFlanger(true);
        player().FreeStream();
        load(tone("fx2.wav", 440, 1));
        QVERIFY(!e.dspGetParameters(player().Channel, audio::DspFlanger, &fl));
    }

    void effectsOnAPlayerThatIsNotOpen()
    {
        TMorvelBass idle;
        idle.SetEqualizer(true);
        idle.SetEqualizerBand(3, 250, 15);
        idle.SetFlanger(true);
        idle.SetFlangerDepth(130, 120, 3);
        idle.SetEcho(true);
        idle.SetCut(true);
        idle.Play();
        idle.Stop();
        idle.FadeOut(500);
        idle.EndTick();
        QVERIFY(idle.EqAtivo);
        QCOMPARE(idle.GetLength(), 0u);
        bool raised = false;
        try {
            idle.LoadFile(tone("idle.wav", 440, 1));
        } catch (const audio::LoadError &) {
            raised = true;
        }
        QVERIFY(raised);
    }

    void spectrumAndSamples()
    {
        start(tone("full1k.wav", 1000, 2, 44100, 2, 1.0));
        player().setVolume(30); // the spectrum is taken before the volume
        render(8192);
        std::vector<float> fft(512, -1.f);
        player().GetFFT(fft.data());
        const int peak = int(std::max_element(fft.begin(), fft.end()) - fft.begin());
        QCOMPARE(peak, 23);
        QVERIFY2(std::fabs(fft[23] - 1.0f) < 0.05f, qPrintable(QString::number(fft[23])));
        QVERIFY(fft[100] < 0.01f);

        // The samples are the frames last sent, before the volume; the card plays them
        // after its limiter's look-ahead (given time to recover from earlier loud tests).
        render(44100);
        const std::vector<float> out = render(1024);
        int16_t samples[1024];
        player().GetSamples(samples, 2048);
        const int lag = audio::Limiter::kLookAhead;
        for (int i = 0; i < (512 - lag) * 2; ++i)
            QVERIFY(std::abs(samples[i] - qRound(out[size_t(512 + lag) * 2 + size_t(i)] / 0.3f * 32767.f)) <= 2);
    }
};

VELARIX_TEST_MAIN(TestPlayer)
#include "tst_player.moc"

// Sound devices and the real-time cards: the device list, failed initialisation, playback
// paced in real time without underruns, and the command-line player recording a file.
#include "TestSupport.h"
#include "audio/AudioEngine.h"
#include "audio/OutputBackend.h"
#include "audio/TMorvelBass.h"
#include "settings/funcoes.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <cmath>
#include <csignal>

using audio::AudioEngine;
using namespace testsupport;

namespace {

struct Wav
{
    bool valid = false;
    quint32 dataBytes = 0;
    std::vector<int16_t> samples;
};

Wav readWav(const QString &path)
{
    Wav w;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return w;
    const QByteArray all = f.readAll();
    if (all.size() < 44 || !all.startsWith("RIFF") || all.mid(8, 8) != "WAVEfmt " || all.mid(36, 4) != "data")
        return w;
    auto u32 = [&](int at) { return quint32(quint8(all[at])) | quint32(quint8(all[at + 1])) << 8
                                    | quint32(quint8(all[at + 2])) << 16 | quint32(quint8(all[at + 3])) << 24; };
    w.dataBytes = u32(40);
    w.valid = u32(4) == quint32(all.size() - 8) && w.dataBytes == quint32(all.size() - 44);
    w.samples.resize(w.dataBytes / 2);
    std::memcpy(w.samples.data(), all.constData() + 44, w.samples.size() * 2);
    return w;
}

} // namespace

class TestDevices : public QObject
{
    Q_OBJECT
    QStringList m_messages;

private slots:
    void initTestCase()
    {
        funcoes::setMessageHook([this](const QString &t) { m_messages << t; });
    }

    void deviceCountSkipsBlankDescriptions()
    {
        AudioEngine::instance().setBackend(
            std::make_unique<audio::OfflineBackend>(QStringList{"Placa A", "Placa B", "  ", "Placa D"}));
        TMorvelBass p;
        QCOMPARE(p.DeviceCount(), 3);
        QCOMPARE(p.DeviceDescription(4), QString("Placa D"));
        QCOMPARE(p.DeviceDescription(3).trimmed(), QString());
        QCOMPARE(p.DeviceDescription(11), QString());
    }

    void failedInitialisationLeavesThePlayerUnopened()
    {
        m_messages.clear();
        TMorvelBass p;
        p.OpenDevice(3); // blank: no card there
        QCOMPARE(m_messages, QStringList{"Inicialização da Device com Problemas"});
        QVERIFY(!p.EndTimer);
        QVERIFY(!TMorvelBass::InitializedDevices().contains(3));
        TMorvelBass again;
        again.OpenDevice(3); // the same card fails again, without a second message
        QVERIFY(!again.EndTimer);
        QCOMPARE(m_messages.size(), 1);
        // A later attempt on a real card succeeds; a second player shares the device.
        p.OpenDevice(4);
        QVERIFY(p.EndTimer);
        TMorvelBass q;
        q.OpenDevice(4);
        QCOMPARE(TMorvelBass::InitializedDevices().count(4), 1);
        QCOMPARE(m_messages.size(), 1);
    }

    void realTimeCardsPlayWithoutUnderruns()
    {
        AudioEngine::instance().setBackend(std::make_unique<audio::PacedBackend>(QStringList{"Placa 1", "Placa 2"}));
        TMorvelBass a, b;
        a.OpenDevice(1);
        b.OpenDevice(1);
        int stops = 0;
        a.OnStop = [&](TMorvelBass *) { ++stops; };
        a.LoadFile(tone("rt.mp3", 440, 1.0));
        b.LoadFile(tone("rt.ogg", 660, 3.0));
        QElapsedTimer t;
        t.start();
        a.SetPosition(0);
        a.Play();
        b.SetPosition(0);
        b.Play();
        b.setFrequency(46746);
        QTRY_COMPARE_WITH_TIMEOUT(stops, 1, 5000);
        const qint64 took = t.elapsed();
        // Paced like a sound card: a one-second track takes about a second.
        QVERIFY2(took > 900 && took < 3000, qPrintable(QString::number(took)));
        QVERIFY(b.Playing);
        QVERIFY(b.GetPosition() > 900);
        QCOMPARE(AudioEngine::instance().underruns(1), quint64(0));
        b.Stop();
    }

    void commandLinePlayerRecordsTheMusic()
    {
        const QString dir = fixtureDir() + "/rec";
        const QString mp3 = tone("cli.mp3", 1000, 1.5, 44100, 2, 0.5);
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("VELARIX_AUDIO", "record:" + dir + ":2");
        p.setProcessEnvironment(env);
        p.start(VELARIX_EXE, {"--play", mp3});
        QVERIFY(p.waitForFinished(20000));
        QCOMPARE(p.exitCode(), 0);
        const Wav w = readWav(dir + "/card1.wav");
        QVERIFY(w.valid);
        QVERIFY(w.samples.size() / 2 >= size_t(44100 * 3 / 2));
        // The music is there: a 1 kHz tone at the file's level crosses zero 2000 times a second.
        double sum = 0;
        int crossings = 0, frames = 0;
        for (size_t i = 2; i < w.samples.size(); i += 2) {
            if (std::abs(w.samples[i]) < 1 && std::abs(w.samples[i - 2]) < 1)
                continue;
            sum += double(w.samples[i]) * w.samples[i];
            ++frames;
            if ((w.samples[i] >= 0) != (w.samples[i - 2] >= 0))
                ++crossings;
        }
        const double level = std::sqrt(sum / frames) / 32768.0;
        QVERIFY2(std::fabs(level - 0.5 / std::sqrt(2.0)) < 0.02, qPrintable(QString::number(level)));
        QVERIFY2(std::abs(crossings - 3000) < 60, qPrintable(QString::number(crossings)));

        QProcess bad;
        bad.setProcessEnvironment(env);
        bad.start(VELARIX_EXE, {"--play", writeFile("bad.mp3", "not audio")});
        QVERIFY(bad.waitForFinished(20000));
        QVERIFY(bad.exitCode() != 0);
        QVERIFY(bad.readAllStandardError().contains("Erro ao Carregar Mídia - Verifique !!"));
    }

    void soundCardPathThroughSdl()
    {
        // SDL's file-writing driver stands in for a card: the same path as real hardware.
        const QString raw = fixtureDir() + "/sdl.raw";
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("VELARIX_AUDIO", "sdl");
        env.insert("SDL_AUDIODRIVER", "disk");
        env.insert("SDL_DISKAUDIOFILE", raw);
        p.setProcessEnvironment(env);
        p.start(VELARIX_EXE, {"--play", tone("sdl.ogg", 1000, 1.0, 44100, 2, 0.5)});
        QVERIFY(p.waitForFinished(20000));
        QCOMPARE(p.exitCode(), 0);
        QFile f(raw);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        const auto *samples = reinterpret_cast<const float *>(bytes.constData());
        const int frames = int(bytes.size() / 8);
        QVERIFY2(frames >= 44100 && frames < 44100 * 2, qPrintable(QString::number(frames)));
        // The card may run a few blocks before the first sound on a busy machine: the tone's
        // second is measured from where it begins.
        int onset = 0;
        while (onset < frames && std::fabs(samples[2 * onset]) < 0.05f)
            ++onset;
        QVERIFY2(onset + 44100 - 4410 <= frames, qPrintable(QString("onset %1 of %2").arg(onset).arg(frames)));
        double sum = 0;
        for (int i = onset + 4410; i < onset + 44100 - 4410; ++i)
            sum += double(samples[2 * i]) * samples[2 * i];
        const double level = std::sqrt(sum / (44100 - 8820));
        QVERIFY2(std::fabs(level - 0.5 / std::sqrt(2.0)) < 0.02, qPrintable(QString::number(level)));
    }

    void recordingStaysValidWhenKilled()
    {
        const QString dir = fixtureDir() + "/killed";
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("VELARIX_AUDIO", "record:" + dir + ":2");
        p.setProcessEnvironment(env);
        p.start(VELARIX_EXE, {"--play", tone("long.ogg", 440, 10.0)});
        QVERIFY(p.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(readWav(dir + "/card1.wav").dataBytes > 44100 * 4 / 2, 10000);
        ::kill(pid_t(p.processId()), SIGKILL);
        QVERIFY(p.waitForFinished(5000));
        const Wav w = readWav(dir + "/card1.wav");
        QVERIFY(w.valid);
        QVERIFY(w.dataBytes > 0);
    }
};

VELARIX_TEST_MAIN(TestDevices)
#include "tst_devices.moc"

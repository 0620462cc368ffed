// Decoding: exact lengths per format, sample-accurate seeking, and refusal of broken files.
#include "TestSupport.h"
#include "audio/Decoder.h"

#include <QFile>
#include <cmath>
#include <vector>

using audio::Decoder;
using namespace testsupport;

class TestDecoder : public QObject
{
    Q_OBJECT

    // A 16-bit stereo WAV whose sample n holds n mod 32768 on both sides.
    static QString rampWav(const QString &name, int frames)
    {
        QByteArray data;
        QDataStream out(&data, QIODevice::WriteOnly);
        out.setByteOrder(QDataStream::LittleEndian);
        out.writeRawData("RIFF", 4);
        out << quint32(36 + frames * 4);
        out.writeRawData("WAVEfmt ", 8);
        out << quint32(16) << quint16(1) << quint16(2) << quint32(44100) << quint32(44100 * 4)
            << quint16(4) << quint16(16);
        out.writeRawData("data", 4);
        out << quint32(frames * 4);
        for (int n = 0; n < frames; ++n)
            out << qint16(n % 32768) << qint16(n % 32768);
        return writeFile(name, data);
    }

    static std::vector<float> decodeAll(Decoder &d)
    {
        std::vector<float> all;
        std::vector<float> buf(4096 * 2);
        int n;
        while ((n = d.read(buf.data(), 4096)) > 0)
            all.insert(all.end(), buf.begin(), buf.begin() + n * 2);
        return all;
    }

private slots:
    void lengthIsExactPerFormat_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("channels");
        QTest::addColumn<bool>("nominalExact"); // lossless or gapless: exactly 2.5 s of frames
        QTest::newRow("wav") << "len.wav" << 44100 << 2 << true;
        QTest::newRow("wav 48k") << "len48.wav" << 48000 << 2 << true;
        QTest::newRow("wav mono") << "lenmono.wav" << 44100 << 1 << true;
        QTest::newRow("mp3") << "len.mp3" << 44100 << 2 << true;
        QTest::newRow("ogg") << "len.ogg" << 44100 << 2 << true;
        QTest::newRow("wma") << "len.wma" << 44100 << 2 << false;
    }
    void lengthIsExactPerFormat()
    {
        QFETCH(QString, name);
        QFETCH(int, rate);
        QFETCH(int, channels);
        QFETCH(bool, nominalExact);
        const QString path = tone(name, 440, 2.5, rate, channels);
        QVERIFY(!path.isEmpty());
        Decoder d;
        QString why;
        QVERIFY2(d.open(path, Decoder::Entry::Plain, &why), qPrintable(why));
        QCOMPARE(d.sampleRate(), rate);
        QCOMPARE(d.channels(), channels);
        const qint64 stated = d.exactFramesFromContainer();
        const qint64 walked = d.countMp3Frames(path);
        const qint64 counted = d.countFrames();
        // Known without decoding for all but Windows Media, and then exactly right.
        if (name.endsWith(".mp3")) {
            QCOMPARE(walked, counted);
            QCOMPARE(stated, qint64(-1));
        } else if (!name.endsWith(".wma")) {
            QCOMPARE(stated, counted);
        }
        QCOMPARE(counted, decodedFrames(path)); // the same count as the ffmpeg command
        if (nominalExact)
            QCOMPARE(counted, qint64(rate * 5 / 2));
        // Reading through gives the same number of frames as counting.
        Decoder again;
        QVERIFY(again.open(path, Decoder::Entry::Plain));
        QCOMPARE(qint64(decodeAll(again).size() / 2), counted);
    }

    void seekLandsOnTheSample()
    {
        // Each sample holds its own index (mod 32768), so the first frame read names its place.
        const QString path = rampWav("ramp.wav", 44100 * 4);
        Decoder d;
        QVERIFY(d.open(path, Decoder::Entry::Plain));
        for (qint64 target : {qint64(54419), qint64(1), qint64(150000), qint64(0), qint64(44100 * 4 - 5)}) {
            QVERIFY(d.seek(target));
            float f[2 * 8];
            QVERIFY(d.read(f, 8) > 0);
            QCOMPARE(qRound(f[0] * 32768.f), int(target % 32768));
            QCOMPARE(qRound(f[2] * 32768.f), int((target + 1) % 32768));
        }
    }

    void seekMatchesStraightDecodingOfCompressedFiles_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("mp3") << "seek.mp3";
        QTest::newRow("ogg") << "seek.ogg";
        QTest::newRow("wma") << "seek.wma";
    }
    void seekMatchesStraightDecodingOfCompressedFiles()
    {
        QFETCH(QString, name);
        const QString path = tone(name, 441.7, 6.0);
        Decoder ref;
        QVERIFY(ref.open(path, Decoder::Entry::Plain));
        const std::vector<float> all = decodeAll(ref);
        Decoder d;
        QVERIFY(d.open(path, Decoder::Entry::Plain));
        for (qint64 target : {qint64(100000), qint64(3333), qint64(200001)}) {
            QVERIFY(d.seek(target));
            std::vector<float> got(2048 * 2);
            QCOMPARE(d.read(got.data(), 2048), 2048);
            QCOMPARE(d.nextFrame(), target + 2048);
            double worst = 0;
            for (int i = 0; i < 2048 * 2; ++i)
                worst = std::max(worst, double(std::fabs(got[i] - all[size_t(target) * 2 + i])));
            // One sample off would differ by about 0.03 on this tone.
            QVERIFY2(worst < 2e-3, qPrintable(QString("off by %1 at %2").arg(worst).arg(target)));
        }
    }

    void brokenFilesAreRefused()
    {
        const QString good = tone("whole.mp3", 440, 2.0);
        QFile f(good);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        const QStringList broken = {
            writeFile("empty.mp3", QByteArray()),
            writeFile("text.mp3", QByteArray("Lista de musicas da festa\r\nnada de audio aqui\r\n").repeated(40)),
            writeFile("cut.mp3", bytes.left(300)),
            writeFile("noise.wav", QByteArray("RIFF\x10\x00\x00\x00WAVEjunk", 16) + QByteArray(64, '\xff')),
        };
        for (const QString &path : broken) {
            Decoder d;
            QString why;
            QVERIFY2(!d.open(path, Decoder::Entry::Plain, &why), qPrintable(path));
            QVERIFY(!why.isEmpty());
        }
        Decoder missing;
        QVERIFY(!missing.open(fixtureDir() + "/nothing-here.mp3", Decoder::Entry::Plain));
    }

    void truncatedFilePlaysWhatItHas()
    {
        const QString good = tone("long.mp3", 440, 4.0);
        QFile f(good);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString half = writeFile("half.mp3", f.readAll().left(int(f.size() / 2)));
        Decoder d;
        QVERIFY(d.open(half, Decoder::Entry::Plain));
        const qint64 frames = qint64(decodeAll(d).size() / 2);
        QVERIFY(frames > 44100 * 3 / 2 && frames < 44100 * 5 / 2);
    }

    void eightBitAndWindowsMediaEntry()
    {
        const QString u8 = ffmpeg({"-f", "lavfi", "-i", "sine=frequency=440:duration=1", "-c:a", "pcm_u8"}, "eight.wav");
        Decoder d;
        QVERIFY(d.open(u8, Decoder::Entry::Plain));
        QVERIFY(d.isEightBit());
        Decoder s16;
        QVERIFY(s16.open(tone("sixteen.wav", 440, 1.0), Decoder::Entry::Plain));
        QVERIFY(!s16.isEightBit());
        // The Windows Media entry still opens a file that is not one.
        Decoder viaWma;
        QVERIFY(viaWma.open(tone("other.mp3", 440, 1.0), Decoder::Entry::WindowsMedia));
        Decoder wma;
        QVERIFY(wma.open(tone("real.wma", 440, 1.0), Decoder::Entry::WindowsMedia));
    }
};

VELARIX_TEST_MAIN(TestDecoder)
#include "tst_decoder.moc"

// Loudness analysis against ffmpeg's own EBU R128 meter, where sound begins and ends, broken
// files, cancelling, and the gain a track gets.
#include "TestSupport.h"
#include "audio/Loudness.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <cmath>

using namespace audio;
using namespace testsupport;

class TestLoudness : public QObject
{
    Q_OBJECT

    struct Oracle
    {
        double integrated = NAN, range = NAN, truePeak = NAN;
    };

    // The summary of ffmpeg's ebur128 filter: an independent measurement of the same file.
    static Oracle ffmpegMeter(const QString &path, bool mono)
    {
        QProcess p;
        p.start("ffmpeg", {"-nostdin", "-v", "info", "-i", path, "-af",
                           QStringLiteral("ebur128=peak=true:framelog=verbose:dualmono=%1").arg(mono ? "true" : "false"),
                           "-f", "null", "-"});
        p.waitForFinished(120000);
        const QString log = QString::fromUtf8(p.readAllStandardError());
        const int summary = log.lastIndexOf("Summary:");
        auto value = [&](const char *label) {
            const QRegularExpression re(QStringLiteral("%1:\\s+(-?[0-9.]+|-inf)").arg(label));
            const auto m = re.match(log, summary);
            return m.hasMatch() ? m.captured(1).toDouble() : NAN;
        };
        Oracle o;
        if (summary >= 0) {
            o.integrated = value("I");
            o.range = value("LRA");
            o.truePeak = value("Peak");
        }
        return o;
    }

    // Stereo from one expression of t, the codec by the name's extension.
    static QString make(const QString &name, const QString &expr, double seconds, int rate = 44100, int channels = 2)
    {
        QStringList exprs;
        for (int c = 0; c < channels; ++c)
            exprs << expr;
        QStringList args = {"-f", "lavfi", "-i",
                            QStringLiteral("aevalsrc='%1':s=%2:d=%3").arg(exprs.join('|')).arg(rate).arg(seconds)};
        if (name.endsWith(".mp3"))
            args << "-c:a" << "libmp3lame" << "-b:a" << "192k";
        else if (name.endsWith(".ogg"))
            args << "-c:a" << "libvorbis" << "-q:a" << "5";
        else
            args << "-c:a" << "pcm_s16le";
        return ffmpeg(args, name);
    }

private slots:
    void agreesWithFfmpegsMeter_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expr");
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("channels");
        QTest::addColumn<double>("seconds");
        QTest::newRow("1 kHz tone, wav") << "k1.wav" << "0.25*sin(2*PI*1000*t)" << 44100 << 2 << 8.0;
        // K-weighting takes most off low notes.
        QTest::newRow("60 Hz at 48 kHz, ogg") << "low.ogg" << "0.5*sin(2*PI*60*t)" << 48000 << 2 << 8.0;
        QTest::newRow("noise, mp3") << "noise.mp3" << "0.3*(random(0)-0.5)+0.2*sin(2*PI*300*t)" << 44100 << 2 << 10.0;
        // Loud then quiet: a loudness range of about 15 LU.
        QTest::newRow("two levels, wav") << "levels.wav" << "if(lt(t,10),0.3,0.05)*sin(2*PI*500*t+sin(2*PI*3*t))"
                                         << 44100 << 2 << 20.0;
        // A quarter of the rate, 45 degrees off the samples: each sample 3 dB under the peak.
        // Faded in, as an abrupt start rings differently in every interpolator.
        QTest::newRow("peaks between samples, wav") << "between.wav" << "0.5*min(t*10,1)*sin(2*PI*11025*t+PI/4)" << 44100 << 2 << 5.0;
        // Played on both sides at full level, so measured as two channels.
        QTest::newRow("mono, mp3") << "mono.mp3" << "0.25*sin(2*PI*700*t)" << 44100 << 1 << 8.0;
    }
    void agreesWithFfmpegsMeter()
    {
        QFETCH(QString, name);
        QFETCH(QString, expr);
        QFETCH(int, rate);
        QFETCH(int, channels);
        QFETCH(double, seconds);
        const QString path = make(name, expr, seconds, rate, channels);
        QVERIFY(!path.isEmpty());
        const Oracle o = ffmpegMeter(path, channels == 1);
        QVERIFY2(std::isfinite(o.integrated) && std::isfinite(o.truePeak), "no ffmpeg summary");
        const LoudnessResult r = analyseLoudness(path);
        QVERIFY2(r.ok, qPrintable(r.error));
        const QByteArray both = QStringLiteral("ours I %1 LRA %2 TP %3, ffmpeg I %4 LRA %5 TP %6")
                                    .arg(r.integratedLufs).arg(r.rangeLu).arg(r.truePeakDbtp)
                                    .arg(o.integrated).arg(o.range).arg(o.truePeak).toUtf8();
        QVERIFY2(std::fabs(r.integratedLufs - o.integrated) <= 0.3, both);
        QVERIFY2(std::fabs(r.rangeLu - o.range) <= 1.0, both);
        QVERIFY2(std::fabs(r.truePeakDbtp - o.truePeak) <= 0.3, both);
        QVERIFY2(std::llabs(r.lengthMs - qint64(seconds * 1000)) <= 1, both);
        if (name == "between.wav")
            QVERIFY2(r.truePeakDbtp > -6.5, both); // the samples alone say -9 dB
    }

    void soundStartsAndEnds_data()
    {
        QTest::addColumn<QString>("expr");
        QTest::addColumn<double>("seconds");
        QTest::addColumn<int>("start"); // ms; -1: no sound at all
        QTest::addColumn<int>("end");
        const QString tone = "0.3*sin(2*PI*440*t)";
        QTest::newRow("silence, tone, silence") << QString("if(between(t,3,8),%1,0)").arg(tone) << 12.0 << 3000 << 8000;
        QTest::newRow("a pause in the middle is no end")
            << QString("if(between(t,1,3)+between(t,5,7),%1,0)").arg(tone) << 8.0 << 1000 << 7000;
        // Hiss at about -60 LUFS is still silence.
        QTest::newRow("hiss before the music")
            << QString("if(lt(t,2),0.001*(random(0)-0.5),%1)").arg(tone) << 5.0 << 2000 << 5000;
        QTest::newRow("all silence") << QString("0") << 4.0 << -1 << -1;
    }
    void soundStartsAndEnds()
    {
        QFETCH(QString, expr);
        QFETCH(double, seconds);
        QFETCH(int, start);
        QFETCH(int, end);
        const QString path = make(QStringLiteral("trim%1.mp3").arg(QTest::currentDataTag()).replace(' ', '_'), expr, seconds);
        const LoudnessResult r = analyseLoudness(path);
        QVERIFY2(r.ok, qPrintable(r.error));
        const QByteArray found = QStringLiteral("start %1 end %2").arg(r.audibleStartMs).arg(r.audibleEndMs).toUtf8();
        QCOMPARE(r.lengthMs, qint64(seconds * 1000));
        if (start < 0) {
            QVERIFY2(!r.audible() && r.audibleEndMs == -1, found);
            QVERIFY(!std::isfinite(r.integratedLufs));
            QVERIFY(!r.normalisable());
            QCOMPARE(normalisationGainDb(r, -14), 0.0);
            return;
        }
        QVERIFY2(std::llabs(r.audibleStartMs - start) <= 100, found);
        QVERIFY2(std::llabs(r.audibleEndMs - end) <= 100, found);
        QVERIFY(r.normalisable());
    }

    void brokenFilesFailWithAReason()
    {
        const QString good = make("whole.mp3", "0.3*sin(2*PI*440*t)", 3);
        const QByteArray bytes = readBytes(good);
        const QString wav = make("whole.wav", "0.3*sin(2*PI*440*t)", 3);
        const QStringList broken = {
            writeFile("garbage.mp3", QByteArray(20000, '\x5a')),
            writeFile("cut.mp3", bytes.left(300)),
            writeFile("header only.wav", readBytes(wav).left(44)),
            writeFile("empty.ogg", QByteArray()),
            fixtureDir() + "/missing.mp3",
            fixtureDir(),
        };
        for (const QString &path : broken) {
            const LoudnessResult r = analyseLoudness(path);
            QVERIFY2(!r.ok && !r.cancelled && !r.error.isEmpty(), qPrintable(path));
            QCOMPARE(normalisationGainDb(r, -14), 0.0);
        }
    }

    void cancelAndProgress()
    {
        const QString path = make("progress.wav", "0.3*sin(2*PI*440*t)", 2.05);
        LoudnessControl control;
        QVERIFY(analyseLoudness(path, &control).ok);
        QCOMPARE(control.framesDone.load(), int64_t(90405));
        LoudnessControl stopped;
        stopped.cancel = true;
        const LoudnessResult r = analyseLoudness(path, &stopped);
        QVERIFY(!r.ok && r.cancelled);
    }

    void gainIsCappedByTheTruePeak()
    {
        QCOMPARE(normalisationGainDb(-20, -10, -14), 6.0);
        QCOMPARE(normalisationGainDb(-20, -3, -14), 2.0);   // lifted only to -1 dBTP
        QCOMPARE(normalisationGainDb(-10, -2, -14), -4.0);  // a cut needs no cap
        QCOMPARE(normalisationGainDb(-20, 0.5, -14), -1.5); // peaks over the ceiling: a cut
        QCOMPARE(normalisationGainDb(-HUGE_VAL, -HUGE_VAL, -14), 0.0);
        LoudnessResult r;
        r.integratedLufs = -20;
        r.truePeakDbtp = -10;
        r.audibleStartMs = 0;
        r.audibleEndMs = 1000;
        QCOMPARE(normalisationGainDb(r, -14), 0.0); // not analysed
        r.ok = true;
        QCOMPARE(normalisationGainDb(r, -14), 6.0);
        QCOMPARE(normalisationGainDb(r, -23), -3.0);
        r.audibleStartMs = r.audibleEndMs = -1; // measurable, but nothing above the silence line
        QCOMPARE(normalisationGainDb(r, -14), 0.0);
    }
};

VELARIX_TEST_MAIN(TestLoudness)
#include "tst_loudness.moc"

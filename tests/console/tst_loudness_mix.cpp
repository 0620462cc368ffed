// What the room hears over an automatic mix with loudness normalisation and silence trimming,
// measured on the recorded transmission card: every track at the target, tracks as mastered
// with it off, and no dead air at the hand-overs of tracks padded with silence.
#include "ConsoleHarness.h"
#include "TestSupport.h"
#include "audio/Loudness.h"
#include "library/LibraryModel.h"
#include "settings/DataFolder.h"
#include "settings/Extras.h"
#include "settings/uform_config.h"

#include <QCheckBox>
#include <QPushButton>
#include <QSpinBox>
#include <cmath>
#include <cstring>
#include <vector>

using namespace testsupport;

namespace {

QString recordDir()
{
    return fixtureDir() + "/ar";
}

// A stereo tone of `hz` at about `lufs`, `seconds` long after `lead` seconds of silence and
// followed by `tail` more; with `pause`, silent for 2 s from that many seconds into the tone.
QString track(const QString &name, double hz, double lufs, double seconds, double lead = 0, double tail = 0,
              double pause = -1)
{
    const double a = std::pow(10.0, lufs / 20.0);
    QString e = QString("%1*sin(2*PI*%2*t)*between(t\\,%3\\,%4)").arg(a).arg(hz).arg(lead).arg(lead + seconds);
    if (pause >= 0)
        e += QString("*(1-between(t\\,%1\\,%2))").arg(lead + pause).arg(lead + pause + 2);
    return ffmpeg({"-f", "lavfi", "-i",
                   QString("aevalsrc=exprs=%1|%1:s=44100:d=%2").arg(e).arg(lead + seconds + tail), "-c:a",
                   "pcm_s16le"},
                  name);
}

// The transmission card's recording so far, as 100 ms windows: loudness (plain mean square
// of both channels, in LUFS-like dB) and the tone's frequency from its zero crossings.
struct Window
{
    double db;
    double hz;
};

struct Recording
{
    int rate = 0;
    std::vector<qint16> lr;
    std::vector<Window> windows;
};

Recording recorded()
{
    Recording r;
    QFile f(recordDir() + "/card1.wav");
    if (!f.open(QIODevice::ReadOnly))
        return r;
    const QByteArray all = f.readAll();
    if (all.size() < 44)
        return r;
    quint32 rate = 0;
    std::memcpy(&rate, all.constData() + 24, 4);
    r.rate = int(rate);
    r.lr.resize(size_t((all.size() - 44) / 2));
    std::memcpy(r.lr.data(), all.constData() + 44, r.lr.size() * 2);
    const size_t w = size_t(r.rate / 10);
    for (size_t at = 0; (at + w) * 2 <= r.lr.size(); at += w) {
        double sum = 0;
        int crossings = 0;
        for (size_t i = at; i < at + w; ++i) {
            const double left = r.lr[2 * i] / 32768.0, right = r.lr[2 * i + 1] / 32768.0;
            sum += left * left + right * right;
            if (i > at && (r.lr[2 * i] >= 0) != (r.lr[2 * i - 2] >= 0))
                ++crossings;
        }
        r.windows.push_back({10 * std::log10(sum / double(w) + 1e-12) - 0.691, crossings / 2.0 * 10});
    }
    return r;
}

bool near(double hz, double want)
{
    return std::fabs(hz - want) < want * 0.03;
}

// Integrated loudness of the longest stretch of the recording that carries `hz` alone, its
// edges (where the cross-fades are) left out; NaN when there is no such stretch.
double loudnessOf(const Recording &r, double hz)
{
    size_t best = 0, bestLen = 0;
    for (size_t i = 0; i < r.windows.size();) {
        size_t j = i;
        while (j < r.windows.size() && near(r.windows[j].hz, hz))
            ++j;
        if (j - i > bestLen) {
            best = i;
            bestLen = j - i;
        }
        i = j == i ? i + 1 : j;
    }
    if (bestLen < 10)
        return std::nan("");
    const size_t w = size_t(r.rate / 10), from = (best + 3) * w, to = (best + bestLen - 3) * w;
    QByteArray wav;
    QDataStream out(&wav, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    const quint32 bytes = quint32((to - from) * 4);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + bytes);
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(2) << quint32(r.rate) << quint32(r.rate * 4) << quint16(4)
        << quint16(16);
    out.writeRawData("data", 4);
    out << bytes;
    out.writeRawData(reinterpret_cast<const char *>(r.lr.data() + 2 * from), int(bytes));
    const QString path = fixtureDir() + QString("/medida_%1.wav").arg(int(hz));
    writeBytes(path, wav);
    const audio::LoudnessResult l = audio::analyseLoudness(path);
    return l.ok ? l.integratedLufs : std::nan("");
}

} // namespace

class TestLoudnessMix : public QObject
{
    Q_OBJECT
    std::unique_ptr<Tform_mixer> m;
    std::unique_ptr<Tform_config> config;

    // The options as the operator sets them: in the settings window, then OK.
    void options(bool normalise, int target, bool trim, bool library = false)
    {
        config->FormShow();
        config->CheckNormalizar->setChecked(normalise);
        config->SpinAlvo->setValue(target);
        config->CheckCortarSilencio->setChecked(trim);
        config->CheckAnalisarAcervo->setChecked(library);
        config->BitBtn1->click();
    }

    // Deck A takes the odd tracks and deck B the even ones; once all are analysed deck A
    // starts and the automatic mix runs, the master volume at full.
    void mix(const QStringList &tracks, bool analysed = true)
    {
        QStringList a, b;
        for (int i = 0; i < tracks.size(); ++i)
            (i % 2 ? b : a).append(tracks[i]);
        fillDeck(*m, 1, a);
        fillDeck(*m, 2, b);
        for (const QString &t : tracks)
            if (analysed)
                QTRY_VERIFY_WITH_TIMEOUT(m->nivelamento->analisado(t), 20000);
        m->Trackbar6->setValue(100);
        config->RxSpinEdit7->setValue(1000);
        m->deck_a->lista->setCurrentRow(0);
        m->deck_b->lista->setCurrentRow(0);
        m->ListBox2Click();
        m->ListBox1Click();
        m->BitBtn2Click();
        QVERIFY(m->deck_a->canal->Playing);
    }

    // Waits until deck B plays its entry `row` and has played for `ms`.
    void waitForB(int row, int ms)
    {
        QTRY_VERIFY_WITH_TIMEOUT(m->deck_b->canal->Playing && m->deck_b->lista->currentRow() == row, 30000);
        QTest::qWait(ms);
    }

private slots:
    void initTestCase() { QDir().mkpath(recordDir()); }
    void init()
    {
        openMixingConsole(m, config);
        m->tempo_fade = 1500;
    }
    void cleanup() { closeMixingConsole(m, config); }

    void normalisedTracksMeetTheTarget()
    {
        const double hz[8] = {400, 500, 630, 800, 1000, 1250, 1600, 2000};
        const double mastered[8] = {-30, -8, -24, -11, -20, -14, -27, -17};
        QStringList tracks;
        for (int i = 0; i < 8; ++i)
            tracks << track(QString("n%1.wav").arg(i), hz[i], mastered[i], 4);
        options(true, -16, false);
        mix(tracks);
        waitForB(3, 2500);
        const Recording r = recorded();
        QStringList heard;
        for (int i = 0; i < 8; ++i) {
            const double l = loudnessOf(r, hz[i]);
            heard << QString("%1 Hz: %2").arg(hz[i]).arg(l, 0, 'f', 2);
            QVERIFY2(std::fabs(l + 16) <= 1.0, qPrintable(heard.join(", ")));
        }
        qInfo("recorded loudness (LUFS), target -16: %s", qPrintable(heard.join(", ")));
    }

    void withoutNormalisationTracksPlayAsMastered()
    {
        const QStringList tracks = {track("q0.wav", 450, -30, 4), track("q1.wav", 900, -8, 4)};
        options(false, -16, false);
        mix(tracks, false);
        waitForB(0, 2500);
        const Recording r = recorded();
        const double quiet = loudnessOf(r, 450), loud = loudnessOf(r, 900);
        QVERIFY2(std::fabs(quiet - audio::analyseLoudness(tracks[0]).integratedLufs) <= 1.0, qPrintable(QString::number(quiet)));
        QVERIFY2(std::fabs(loud - audio::analyseLoudness(tracks[1]).integratedLufs) <= 1.0, qPrintable(QString::number(loud)));
    }

    // Silence of 0 to 20 s at both ends and a track with a 2 s pause in the middle: with
    // trimming on the air is never silent for more than a second at a hand-over, and the
    // paused track plays on after its pause.
    void trimmedHandOversLeaveNoDeadAir()
    {
        const QStringList tracks = {track("p0.wav", 550, -14, 3, 0, 10), track("p1.wav", 850, -14, 3, 8, 0),
                                    track("p2.wav", 1300, -14, 6, 5, 5, 2), track("p3.wav", 2100, -14, 3, 20, 20)};
        options(false, -14, true);
        const size_t before = recorded().windows.size();
        mix(tracks);
        waitForB(1, 2000);
        const Recording r = recorded();
        // From the first sound on: every silent stretch, and the tones on either side of it.
        size_t i = before;
        while (i < r.windows.size() && r.windows[i].db < -50)
            ++i;
        // A tone counts once held for three windows: a window only partly filled by a tone, at
        // the edge of a silence, reads as a lower one.
        QStringList order;
        double pause = 0, longest = 0, held = 0;
        int heldFor = 0;
        while (i < r.windows.size()) {
            if (r.windows[i].db >= -50) {
                double tone = 0;
                for (double hz : {550.0, 850.0, 1300.0, 2100.0})
                    if (near(r.windows[i].hz, hz))
                        tone = hz;
                heldFor = tone > 0 && tone == held ? heldFor + 1 : 1;
                held = tone;
                if (tone > 0 && heldFor == 3 && (order.isEmpty() || order.last() != QString::number(tone)))
                    order << QString::number(tone);
                ++i;
                continue;
            }
            held = 0;
            size_t j = i;
            while (j < r.windows.size() && r.windows[j].db < -50)
                ++j;
            if (j == r.windows.size())
                break; // the recording stopped here
            const double seconds = double(j - i) / 10;
            // The windows at a stretch's edges hold part of a tone: the tone is read one further.
            if (i >= 2 && j + 1 < r.windows.size() && near(r.windows[i - 2].hz, 1300) && near(r.windows[j + 1].hz, 1300))
                pause = seconds;
            else
                longest = std::max(longest, seconds);
            i = j;
        }
        // The recording may have run on into the next hand-over.
        QVERIFY2(order.mid(0, 4) == QStringList({"550", "850", "1300", "2100"}), qPrintable(order.join(" ")));
        QVERIFY2(pause >= 1.7 && pause <= 2.3, qPrintable(QString::number(pause)));
        QVERIFY2(longest <= 1.0, qPrintable(QString::number(longest)));
        qInfo("longest silence at a hand-over: %.1f s; the pause kept: %.1f s", longest, pause);
    }

    // The options are the settings window's, kept in EXTRAS.INI by the close and back at the
    // next show; asked to, the analysis takes in the library after the decks' lists.
    void optionsSurviveARestart()
    {
        const QString file = DataFolder::filePath(Extras::nomeArquivo());
        QFile::remove(file);
        const QString inLibrary = track("acervo.wav", 700, -20, 1);
        m->acervo->biblioteca->setLines({"ACERVO#" + inLibrary});
        options(true, -18, true);
        QTest::qWait(500);
        QVERIFY(!m->nivelamento->analisado(inLibrary));
        options(true, -18, true, true);
        QTRY_VERIFY(m->nivelamento->analisado(inLibrary));
        {
            BoxAnswerer yes(QMessageBox::Yes);
            m->close();
        }
        QCOMPARE(readBytes(file), QByteArray("NORMALIZAR=1\r\nALVO_LUFS=-18\r\nCORTAR_SILENCIO=1\r\nANALISAR_ACERVO=1\r\n"));
        closeMixingConsole(m, config);
        openMixingConsole(m, config);
        config->FormShow();
        QVERIFY(config->CheckNormalizar->isChecked() && config->CheckCortarSilencio->isChecked()
                && config->CheckAnalisarAcervo->isChecked());
        QCOMPARE(config->SpinAlvo->value(), -18);
        QFile::remove(file);
        closeMixingConsole(m, config);
        openMixingConsole(m, config);
        config->FormShow();
        QVERIFY(!config->CheckNormalizar->isChecked() && !config->CheckCortarSilencio->isChecked());
    }
};

int main(int argc, char **argv)
{
    testsupport::prepareEnvironment();
    qputenv("VELARIX_AUDIO", QFile::encodeName("record:" + recordDir() + ":2"));
    QApplication app(argc, argv);
    TestLoudnessMix tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}
#include "tst_loudness_mix.moc"

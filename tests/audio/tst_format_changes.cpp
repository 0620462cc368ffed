// Files whose format changes part-way (chained Ogg, concatenated MP3) and files with
// impossible headers, played through the player on an offline card and measured there.
#include "TestSupport.h"
#include "audio/AudioEngine.h"
#include "audio/OutputBackend.h"
#include "audio/TMorvelBass.h"
#include "settings/funcoes.h"

#include <QElapsedTimer>
#include <QFile>
#include <cmath>
#include <memory>
#include <vector>

using audio::AudioEngine;
using namespace testsupport;

namespace {

constexpr int kRate = 44100;
// First part: a stereo 440 Hz tone at 0.5 for 2 s; second part: 880 Hz at 0.25 for 1.5 s.
constexpr double kFirstLevel = 0.5 / M_SQRT2, kSecondLevel = 0.25 / M_SQRT2;
constexpr int kFirstMs = 2000, kSecondMs = 1500;

struct Window
{
    double left = 0, right = 0; // RMS
    int crossings = 0;          // of the left side
};

// Levels of consecutive 50 ms windows of interleaved stereo output.
std::vector<Window> windows(const std::vector<float> &out)
{
    const int size = kRate / 20;
    std::vector<Window> w;
    for (size_t start = 0; start + size_t(size) * 2 <= out.size(); start += size_t(size) * 2) {
        Window x;
        for (int i = 0; i < size; ++i) {
            const float l = out[start + size_t(i) * 2], r = out[start + size_t(i) * 2 + 1];
            x.left += double(l) * l;
            x.right += double(r) * r;
            if (i > 0 && (l >= 0) != (out[start + size_t(i - 1) * 2] >= 0))
                ++x.crossings;
        }
        x.left = std::sqrt(x.left / size);
        x.right = std::sqrt(x.right / size);
        w.push_back(x);
    }
    return w;
}

bool near(double level, double expected)
{
    return std::fabs(20 * std::log10(std::max(level, 1e-9) / expected)) < 1.0;
}

// A 440 Hz tone crosses zero 44 times in 50 ms, an 880 Hz one 88 times.
bool isFirst(const Window &w)
{
    return near(w.left, kFirstLevel) && near(w.right, kFirstLevel) && std::abs(w.crossings - 44) <= 3;
}

bool isSecond(const Window &w)
{
    return near(w.left, kSecondLevel) && near(w.right, kSecondLevel) && std::abs(w.crossings - 88) <= 3;
}

qint64 residentKiB()
{
    QFile f("/proc/self/statm");
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = f.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * 4 : 0;
}

} // namespace

class TestFormatChanges : public QObject
{
    Q_OBJECT

    std::unique_ptr<TMorvelBass> m_player;
    QStringList m_messages;

    // Renders until the stream ran out (at most `limit` frames).
    std::vector<float> renderToEnd(int limit)
    {
        std::vector<float> all;
        std::vector<float> block(1024 * 2);
        while (int(all.size() / 2) < limit && !AudioEngine::instance().ranOut(m_player->Channel)) {
            AudioEngine::instance().renderOffline(1, block.data(), 1024);
            all.insert(all.end(), block.begin(), block.end());
        }
        return all;
    }

    // Two parts back to back: the chained or concatenated file.
    static QString joined(const QString &name, const QString &first, const QString &second)
    {
        return writeFile(name, readBytes(first) + readBytes(second));
    }

private slots:
    void initTestCase()
    {
        AudioEngine::instance().setBackend(std::make_unique<audio::OfflineBackend>(QStringList{"Placa 1"}));
        funcoes::setMessageHook([this](const QString &t) { m_messages << t; });
    }

    void init()
    {
        m_messages.clear();
        m_player = std::make_unique<TMorvelBass>();
        m_player->OpenDevice(1);
    }

    void cleanup()
    {
        m_player.reset();
    }

    void bothPartsPlayAtTheirLengthAndSeekIntoTheSecond_data()
    {
        QTest::addColumn<QString>("path");
        // The encoder's delay and padding of the second MP3 are part of its length.
        QTest::addColumn<int>("toleranceMs");
        const QString ext[] = {"ogg", "mp3"};
        for (const QString &e : ext) {
            const QString stereo = tone("estereo." + e, 440, kFirstMs / 1000.0, kRate, 2, 0.5);
            const QString mono = tone("mono." + e, 880, kSecondMs / 1000.0, kRate, 1, 0.25);
            const QString low = tone("baixa." + e, 880, kSecondMs / 1000.0, 22050, 2, 0.25);
            const int tolerance = e == "ogg" ? 30 : 120;
            QTest::newRow(qPrintable(e + " stereo then mono"))
                << joined("canais." + e, stereo, mono) << tolerance;
            QTest::newRow(qPrintable(e + " 44.1 then 22.05 kHz"))
                << joined("taxas." + e, stereo, low) << tolerance;
        }
    }
    void bothPartsPlayAtTheirLengthAndSeekIntoTheSecond()
    {
        QFETCH(QString, path);
        QFETCH(int, toleranceMs);
        m_player->LoadFile(path);
        QVERIFY(m_player->Loaded);
        QCOMPARE(m_player->Frequency(), kRate);
        QVERIFY(AudioEngine::instance().waitForLengths(20000));
        const int length = int(m_player->GetLength());
        QVERIFY2(std::abs(length - (kFirstMs + kSecondMs)) <= toleranceMs, qPrintable(QString::number(length)));

        m_player->SetPosition(0);
        m_player->Play();
        const std::vector<float> out = renderToEnd(kRate * 6);
        const int playedMs = int(out.size() / 2 * 1000 / kRate);
        // The end is noticed within a block of the stated length.
        QVERIFY2(std::abs(playedMs - length) <= 50, qPrintable(QString("%1 of %2").arg(playedMs).arg(length)));
        int first = 0, second = 0, firstEnd = 0;
        float peak = 0;
        const std::vector<Window> w = windows(out);
        for (size_t i = 0; i < w.size(); ++i) {
            if (isFirst(w[i])) {
                ++first;
                firstEnd = int(i);
            } else if (isSecond(w[i])) {
                ++second;
                QVERIFY2(int(i) > firstEnd, "the second part sounds only after the first");
            }
        }
        for (float v : out)
            peak = std::max(peak, std::fabs(v));
        // Windows straddling the joint or the encoders' edges match neither part.
        QVERIFY2(std::abs(first * 50 - kFirstMs) <= 150, qPrintable(QString::number(first * 50)));
        QVERIFY2(std::abs(second * 50 - kSecondMs) <= 150 + toleranceMs, qPrintable(QString::number(second * 50)));
        QVERIFY2(peak < 0.56f, qPrintable(QString::number(peak)));

        // A seek into the second part lands there, on the second part's sound, and the rest
        // plays for what the length says is left.
        const int target = kFirstMs + 700;
        QVERIFY(m_player->SetPosition(uint32_t(target)));
        QVERIFY(std::abs(int(m_player->GetPosition()) - target) <= 1);
        m_player->Play();
        const std::vector<float> rest = renderToEnd(kRate * 3);
        const std::vector<Window> after = windows(rest);
        QVERIFY(after.size() > 4);
        for (size_t i = 0; i < 4; ++i)
            QVERIFY2(isSecond(after[i]), qPrintable(QString("%1 %2 %3").arg(after[i].left).arg(after[i].right).arg(after[i].crossings)));
        const int restMs = int(rest.size() / 2 * 1000 / kRate);
        QVERIFY2(std::abs(restMs - (length - target)) <= 50, qPrintable(QString::number(restMs)));
        QVERIFY(m_messages.isEmpty());
    }

    void impossibleHeadersAreRefusedQuickly_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("width");
        QTest::addColumn<qint64>("value");
        QTest::newRow("rate 2147483647") << 24 << 4 << qint64(2147483647);
        QTest::newRow("rate 0") << 24 << 4 << qint64(0);
        QTest::newRow("rate 500 kHz") << 24 << 4 << qint64(500000);
        QTest::newRow("no channels") << 22 << 2 << qint64(0);
        QTest::newRow("65535 channels") << 22 << 2 << qint64(65535);
    }
    void impossibleHeadersAreRefusedQuickly()
    {
        QFETCH(int, offset);
        QFETCH(int, width);
        QFETCH(qint64, value);
        QByteArray bytes = readBytes(tone("cabecalho.wav", 440, 0.5));
        QCOMPARE(bytes.mid(12, 4), QByteArray("fmt "));
        for (int i = 0; i < width; ++i)
            bytes[offset + i] = char((value >> (8 * i)) & 0xFF);
        const QString path = writeFile(QString("impossivel%1-%2.wav").arg(offset).arg(value), bytes);

        const qint64 before = residentKiB();
        QElapsedTimer clock;
        clock.start();
        bool refused = false;
        try {
            m_player->LoadFile(path);
        } catch (const audio::LoadError &) {
            refused = true;
        }
        const qint64 took = clock.elapsed();
        QVERIFY(refused);
        QVERIFY(!m_player->Loaded);
        QCOMPARE(m_player->Channel, 0u);
        QVERIFY2(took < 500, qPrintable(QString::number(took)));
        QVERIFY2(residentKiB() - before < 32 * 1024, qPrintable(QString::number(residentKiB() - before)));

        // The player is still good for the next file.
        m_player->LoadFile(tone("depois.wav", 440, 0.5));
        QVERIFY(m_player->Loaded);
    }

    void damagedFloatSamplesPlayAsSilence()
    {
        const QString clean = ffmpeg({"-f", "lavfi", "-i", "aevalsrc=0.5*sin(2*PI*440*t)|0.5*sin(2*PI*440*t):s=44100:d=1",
                                      "-c:a", "pcm_f32le"}, "flutuante.wav");
        QByteArray bytes = readBytes(clean);
        const int data = bytes.indexOf("data");
        QVERIFY(data > 0);
        // 0.1 s of NaN and infinities a quarter of a second in.
        const int first = data + 8 + kRate / 4 * 8;
        for (int i = 0; i < kRate / 10 * 2; ++i) {
            const quint32 bits = i % 3 == 0 ? 0x7FC00000u : i % 3 == 1 ? 0x7F800000u : 0xFF800000u;
            for (int b = 0; b < 4; ++b)
                bytes[first + i * 4 + b] = char((bits >> (8 * b)) & 0xFF);
        }
        m_player->LoadFile(writeFile("estragado.wav", bytes));
        QVERIFY(m_player->Loaded);
        m_player->SetPosition(0);
        m_player->Play();
        const std::vector<float> out = renderToEnd(kRate * 2);
        for (float v : out)
            QVERIFY(std::isfinite(v));
        const std::vector<Window> w = windows(out);
        QVERIFY(w.size() >= 19);
        QVERIFY(w[2].left > 0.3);           // before the damage
        QVERIFY(w[6].left < 0.01);          // inside it: silence
        QVERIFY(near(w[12].left, 0.5 / M_SQRT2)); // after it the tone is back
    }

    void theHighestPlayableRateLoadsWithABoundedReadAhead()
    {
        const QString path = tone("alta.wav", 1000, 0.5, 384000, 2, 0.5);
        const qint64 before = residentKiB();
        m_player->LoadFile(path);
        QVERIFY(m_player->Loaded);
        QCOMPARE(m_player->Frequency(), 384000);
        QVERIFY2(residentKiB() - before < 64 * 1024, qPrintable(QString::number(residentKiB() - before)));
        m_player->SetPosition(0);
        m_player->Play();
        std::vector<float> out(4096 * 2);
        AudioEngine::instance().renderOffline(1, out.data(), 4096);
        QVERIFY(windows(out).at(0).left > 0.1);
    }
};

VELARIX_TEST_MAIN(TestFormatChanges)
#include "tst_format_changes.moc"

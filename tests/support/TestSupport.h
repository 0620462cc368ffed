#pragma once
// Helpers shared by the test programs: a headless environment with its own data folder,
// and audio fixtures made with the ffmpeg command at test time.
#include <QApplication>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QtTest>

namespace testsupport {

// Sets the headless defaults and a private data folder; call before QApplication exists.
void prepareEnvironment();

// A headless screen description of the given size, for QT_QPA_PLATFORM=offscreen:configfile=.
QString screenConfig(int width, int height);

// The folder that holds this run's fixtures (inside the private data folder).
QString fixtureDir();

// Runs `ffmpeg -y -v error <args> <out>` and returns the output path; fails the test if
// ffmpeg fails. `out` is relative to fixtureDir() unless absolute.
QString ffmpeg(const QStringList &args, const QString &out);

// A sine tone: frequency in Hz, length in seconds, sample rate, channels, amplitude 0..1.
// The codec follows the extension (.wav 16-bit, .mp3, .ogg, .wma).
QString tone(const QString &name, double hz, double seconds, int rate = 44100,
             int channels = 2, double amplitude = 0.5);

// Frames the ffmpeg command decodes from the file (an independent count of its length).
qint64 decodedFrames(const QString &path);

// A file's bytes, or "<unreadable>".
QByteArray readBytes(const QString &path);
// Writes bytes to a path, failing the test if it cannot.
void writeBytes(const QString &path, const QByteArray &bytes);

// While it lives, every write past `bytes` fails as on a full disk, even for root.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(qint64 bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    qint64 m_oldCur = -1, m_oldMax = -1;
    void (*m_oldHandler)(int) = nullptr;
};

// Writes raw bytes to a file in fixtureDir() and returns its path.
QString writeFile(const QString &name, const QByteArray &bytes);

} // namespace testsupport

// Like QTEST_MAIN, with the headless environment prepared first.
#define VELARIX_TEST_MAIN(TestObject)                                                          \
    int main(int argc, char **argv)                                                            \
    {                                                                                          \
        testsupport::prepareEnvironment();                                                     \
        QApplication app(argc, argv);                                                          \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                               \
        TestObject tc;                                                                         \
        QTEST_SET_MAIN_SOURCE_PATH                                                             \
        return QTest::qExec(&tc, argc, argv);                                                  \
    }

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <csignal>
#include <sys/resource.h>

namespace testsupport {

static QTemporaryDir *homeDir()
{
    static QTemporaryDir dir;
    return &dir;
}

QString screenConfig(int width, int height)
{
    const QString path = QStringLiteral("%1/screen-%2x%3.json").arg(homeDir()->path()).arg(width).arg(height);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(QStringLiteral("{\"screens\":[{\"name\":\"screen\",\"x\":0,\"y\":0,\"width\":%1,\"height\":%2,"
                               "\"logicalDpi\":96,\"logicalBaseDpi\":96,\"dpr\":1}]}")
                    .arg(width).arg(height).toUtf8());
    return path;
}

void prepareEnvironment()
{
    // The headless screen is 1024 x 768, the smallest the console accepts.
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.isEmpty() || platform == "offscreen")
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(screenConfig(1024, 768)));
    if (qEnvironmentVariableIsEmpty("VELARIX_AUDIO"))
        qputenv("VELARIX_AUDIO", "null:2");
    if (qEnvironmentVariableIsEmpty("QTEST_FUNCTION_TIMEOUT"))
        qputenv("QTEST_FUNCTION_TIMEOUT", "120000");
    // Always a private folder: tests running side by side must not share files.
    qputenv("VELARIX_HOME", QFile::encodeName(homeDir()->path()));
}

QString fixtureDir()
{
    QString d = homeDir()->path() + "/fixtures";
    QDir().mkpath(d);
    return d;
}

QString ffmpeg(const QStringList &args, const QString &out)
{
    QString path = QDir::isAbsolutePath(out) ? out : fixtureDir() + "/" + out;
    QProcess p;
    QStringList all = {"-y", "-v", "error"};
    all << args << path;
    p.start("ffmpeg", all);
    if (!p.waitForFinished(120000) || p.exitCode() != 0) {
        qWarning() << "ffmpeg failed:" << all << p.readAllStandardError();
        return QString();
    }
    return path;
}

QString tone(const QString &name, double hz, double seconds, int rate, int channels,
             double amplitude)
{
    // One expression per channel: letting ffmpeg up-mix mono would lower the level by 3 dB.
    QString expr = QString("%1*sin(2*PI*%2*t)").arg(amplitude, 0, 'g', 10).arg(hz, 0, 'g', 10);
    QStringList exprs;
    for (int c = 0; c < channels; ++c)
        exprs << expr;
    QStringList args = {"-f", "lavfi", "-i",
                        QString("aevalsrc=%1:s=%2:d=%3").arg(exprs.join('|')).arg(rate).arg(seconds, 0, 'g', 10)};
    QString lower = name.toLower();
    if (lower.endsWith(".wav"))
        args << "-c:a" << "pcm_s16le";
    else if (lower.endsWith(".mp3"))
        args << "-c:a" << "libmp3lame" << "-b:a" << "192k";
    else if (lower.endsWith(".ogg"))
        args << "-c:a" << "libvorbis" << "-q:a" << "5";
    else if (lower.endsWith(".wma"))
        args << "-c:a" << "wmav2" << "-b:a" << "192k";
    return ffmpeg(args, name);
}

qint64 decodedFrames(const QString &path)
{
    QProcess p;
    p.start("ffmpeg", {"-v", "error", "-i", path, "-f", "s16le", "-ac", "2", "-"});
    qint64 bytes = 0;
    while (p.state() != QProcess::NotRunning || p.bytesAvailable() > 0) {
        p.waitForReadyRead(1000);
        bytes += p.readAllStandardOutput().size();
        if (p.state() == QProcess::NotRunning && p.bytesAvailable() == 0)
            break;
    }
    p.waitForFinished();
    bytes += p.readAllStandardOutput().size();
    return bytes / 4;
}

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

FileSizeLimit::FileSizeLimit(qint64 bytes)
{
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    m_oldCur = qint64(old.rlim_cur);
    m_oldMax = qint64(old.rlim_max);
    m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = old;
    limit.rlim_cur = rlim_t(bytes);
    setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit()
{
    rlimit old{rlim_t(m_oldCur), rlim_t(m_oldMax)};
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, m_oldHandler);
}

QString writeFile(const QString &name, const QByteArray &bytes)
{
    QString path = fixtureDir() + "/" + name;
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
    return path;
}

} // namespace testsupport

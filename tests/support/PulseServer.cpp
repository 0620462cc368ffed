#include "PulseServer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>
#include <cmath>
#include <cstring>

namespace testsupport {

PulseServer::PulseServer()
{
    if (QStandardPaths::findExecutable("pulseaudio").isEmpty() || QStandardPaths::findExecutable("pactl").isEmpty()
        || QStandardPaths::findExecutable("parec").isEmpty()
        || QStandardPaths::findExecutable("pacat").isEmpty()) {
        m_error = "pulseaudio, pactl, parec or pacat is missing: scripts/install-deps.sh installs them";
        return;
    }
    const QString dir = m_dir.path();
    QFile boot(dir + "/boot.pa");
    if (!boot.open(QIODevice::WriteOnly)) {
        m_error = "cannot write " + boot.fileName();
        return;
    }
    boot.write(QString("load-module module-native-protocol-unix auth-anonymous=1 socket=%1/native\n").arg(dir).toUtf8());
    boot.close();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *key : {"HOME", "PULSE_RUNTIME_PATH", "PULSE_STATE_PATH", "XDG_RUNTIME_DIR", "XDG_CONFIG_HOME"})
        env.insert(key, dir);
    m_daemon.setProcessEnvironment(env);
    m_daemon.setProcessChannelMode(QProcess::MergedChannels);
    // -n: none of the system's own start-up script, so no module moves a lost card's streams.
    m_daemon.start("pulseaudio", {"-n", "-F", dir + "/boot.pa", "--daemonize=no", "--exit-idle-time=-1",
                                  "--use-pid-file=no", "--system=no", "--log-target=stderr", "--log-level=error"});
    qputenv("PULSE_SERVER", QString("unix:%1/native").arg(dir).toUtf8());
    if (!m_daemon.waitForStarted(5000)) {
        m_error = "pulseaudio did not start: " + m_daemon.errorString();
        return;
    }
    for (int i = 0; i < 100; ++i) {
        if (m_daemon.state() != QProcess::Running)
            break;
        if (QFile::exists(dir + "/native") && pactl({"info"})) {
            m_error.clear();
            return;
        }
        QThread::msleep(50);
    }
    m_error = "pulseaudio did not answer within 5 s: " + QString::fromLocal8Bit(m_daemon.readAll()) + m_error;
}

void PulseServer::stop(std::map<QString, std::unique_ptr<QProcess>> &processes, const QString &name)
{
    auto it = processes.find(name);
    if (it == processes.end())
        return;
    it->second->terminate();
    if (!it->second->waitForFinished(2000))
        it->second->kill();
    it->second->waitForFinished(1000);
    processes.erase(it);
}

PulseServer::~PulseServer()
{
    while (!m_recordings.empty())
        stop(m_recordings, m_recordings.begin()->first);
    while (!m_feeds.empty())
        stop(m_feeds, m_feeds.begin()->first);
    m_daemon.terminate();
    if (!m_daemon.waitForFinished(3000))
        m_daemon.kill();
    m_daemon.waitForFinished(1000);
}

bool PulseServer::pactl(const QStringList &args, QString *out)
{
    QProcess p;
    p.start("pactl", args);
    if (!p.waitForFinished(5000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        m_error = "pactl " + args.join(' ') + ": " + QString::fromLocal8Bit(p.readAllStandardError());
        p.kill();
        p.waitForFinished(1000);
        return false;
    }
    if (out)
        *out = QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    return true;
}

bool PulseServer::addSink(const QString &name, const QString &description)
{
    QString index;
    if (!pactl({"load-module", "module-null-sink", "sink_name=" + name, "rate=44100", "channels=2",
                QString("sink_properties=\"device.description='%1'\"").arg(description)},
               &index))
        return false;
    m_modules[name] = index.toInt();
    // An idle null sink sleeps in blocks of seconds and its monitor stays quiet; a stream of
    // zeros keeps it running, so its monitor follows the clock from the first moment.
    auto feed = std::make_unique<QProcess>();
    feed->setStandardInputFile("/dev/zero");
    feed->start("pacat", {"--playback", "--device=" + name, "--raw", "--format=s16le", "--rate=44100", "--channels=2",
                          "--latency-msec=10"});
    if (!feed->waitForStarted(3000)) {
        m_error = "pacat did not start";
        return false;
    }
    m_feeds[name] = std::move(feed);
    return true;
}

bool PulseServer::removeSink(const QString &name)
{
    auto it = m_modules.find(name);
    if (it == m_modules.end())
        return false;
    const bool ok = pactl({"unload-module", QString::number(it->second)});
    m_modules.erase(it);
    stop(m_feeds, name);
    return ok;
}

bool PulseServer::record(const QString &sink)
{
    stop(m_recordings, sink);
    const QString path = m_dir.filePath(QString("%1-%2.raw").arg(sink).arg(++m_takes));
    auto parec = std::make_unique<QProcess>();
    parec->setStandardOutputFile(path);
    parec->start("parec", {"--device=" + sink + ".monitor", "--format=float32le", "--rate=44100", "--channels=2",
                           "--raw", "--latency-msec=10"});
    if (!parec->waitForStarted(3000)) {
        m_error = "parec did not start";
        return false;
    }
    m_recordings[sink] = std::move(parec);
    m_paths[sink] = path;
    // parec takes most of a second before the first samples come; from then on they follow
    // the clock without a break.
    for (int i = 0; i < 100; ++i) {
        if (QFileInfo(path).size() > 0)
            return true;
        QThread::msleep(50);
    }
    m_error = "no sound came from the monitor of " + sink;
    return false;
}

std::vector<float> PulseServer::recorded(const QString &sink) const
{
    std::vector<float> mono;
    auto it = m_paths.find(sink);
    if (it == m_paths.end())
        return mono;
    QFile f(it->second);
    if (!f.open(QIODevice::ReadOnly))
        return mono;
    const QByteArray bytes = f.readAll();
    const qint64 frames = bytes.size() / qint64(2 * sizeof(float));
    mono.resize(size_t(frames));
    for (qint64 i = 0; i < frames; ++i) {
        float lr[2];
        std::memcpy(lr, bytes.constData() + i * 2 * qint64(sizeof(float)), sizeof lr);
        mono[size_t(i)] = 0.5f * (lr[0] + lr[1]);
    }
    return mono;
}

double rms(const std::vector<float> &x, qint64 from, qint64 to)
{
    from = std::max<qint64>(from, 0);
    to = std::min<qint64>(to, qint64(x.size()));
    if (to <= from)
        return 0;
    double sum = 0;
    for (qint64 i = from; i < to; ++i)
        sum += double(x[size_t(i)]) * x[size_t(i)];
    return std::sqrt(sum / double(to - from));
}

qint64 firstAbove(const std::vector<float> &x, float level, qint64 from)
{
    for (qint64 i = std::max<qint64>(from, 0); i < qint64(x.size()); ++i)
        if (std::fabs(x[size_t(i)]) > level)
            return i;
    return -1;
}

} // namespace testsupport

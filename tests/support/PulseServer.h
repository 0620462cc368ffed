#pragma once
// A private PulseAudio daemon for the tests and benchmarks that need a real sound server: it
// runs in a folder of its own with null sinks that carry descriptions, records their monitors
// with parec, and is stopped when this object goes. Clients find it through PULSE_SERVER,
// which the constructor sets for this process and its children.
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <map>
#include <memory>
#include <vector>

namespace testsupport {

class PulseServer
{
public:
    PulseServer();
    ~PulseServer();
    PulseServer(const PulseServer &) = delete;
    PulseServer &operator=(const PulseServer &) = delete;

    // Why the daemon or a command failed; empty while all went well.
    QString error() const { return m_error; }

    // Adds a null sink (44.1 kHz stereo) named `name`, listed as `description`.
    bool addSink(const QString &name, const QString &description);
    // Takes the sink away, as a card pulled out.
    bool removeSink(const QString &name);

    // Records the sink's monitor from now on, as mono float (left and right averaged); returns
    // once the first samples have come. The sink always plays, so the recording follows the
    // clock.
    bool record(const QString &sink);
    // What the latest recording of the sink holds so far.
    std::vector<float> recorded(const QString &sink) const;

    static constexpr int kRate = 44100;

private:
    bool pactl(const QStringList &args, QString *out = nullptr);
    static void stop(std::map<QString, std::unique_ptr<QProcess>> &processes, const QString &name);
    QTemporaryDir m_dir;
    QProcess m_daemon;
    QString m_error;
    std::map<QString, int> m_modules;                         // sink name -> module index
    std::map<QString, std::unique_ptr<QProcess>> m_feeds;     // keeps each sink running
    std::map<QString, std::unique_ptr<QProcess>> m_recordings; // parec on the sink's monitor
    std::map<QString, QString> m_paths;                        // the latest recording's file
    int m_takes = 0;
};

// RMS of x[from, to), clamped to the vector.
double rms(const std::vector<float> &x, qint64 from, qint64 to);
// First index at or after `from` where |x| exceeds `level`, or -1.
qint64 firstAbove(const std::vector<float> &x, float level, qint64 from = 0);

} // namespace testsupport

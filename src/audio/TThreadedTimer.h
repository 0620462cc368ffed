#pragma once
// A timer whose ticks run on the UI thread: the first tick one interval after enabling,
// none after disabling, none at all with an interval of 0.
#include <QObject>
#include <QTimer>
#include <functional>

class TThreadedTimer : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool Enabled READ Enabled WRITE setEnabled)
    Q_PROPERTY(int Interval READ Interval WRITE setInterval)
    Q_PROPERTY(int ThreadPriority READ ThreadPriority WRITE setThreadPriority)
public:
    explicit TThreadedTimer(QObject *owner = nullptr);

    bool Enabled() const { return m_enabled; }
    void setEnabled(bool on);
    int Interval() const { return m_interval; }
    void setInterval(int ms);
    // Kept for callers that set it; ticks always run on the UI thread.
    int ThreadPriority() const { return m_priority; }
    void setThreadPriority(int p) { m_priority = p; }

    std::function<void(TThreadedTimer *)> OnTimer;

private:
    void tick();
    QTimer m_timer;
    bool m_enabled = false;
    int m_interval = 1000;
    int m_priority = 3;
};

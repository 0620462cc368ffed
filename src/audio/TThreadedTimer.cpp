#include "TThreadedTimer.h"

TThreadedTimer::TThreadedTimer(QObject *owner)
    : QObject(owner)
{
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &TThreadedTimer::tick);
}

void TThreadedTimer::setEnabled(bool on)
{
    if (on == m_enabled)
        return;
    m_enabled = on;
    if (on && m_interval > 0)
        m_timer.start(m_interval); // a fresh wait: the first tick is one full interval away
    else
        m_timer.stop();
}

void TThreadedTimer::setInterval(int ms)
{
    if (ms == m_interval)
        return;
    const bool was = m_enabled;
    setEnabled(false);
    m_interval = ms < 0 ? 0 : ms;
    setEnabled(was);
}

void TThreadedTimer::tick()
{
    // A tick queued before the timer was switched off is dropped here.
    if (m_enabled && OnTimer)
        OnTimer(this);
}

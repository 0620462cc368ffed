#pragma once
// SIGINT and SIGTERM end the program in order instead of killing it: the handler only writes
// a byte to a pipe, and the UI thread, reading it, runs what it was given.
#include <QObject>
#include <functional>

class QSocketNotifier;

class EndSignals : public QObject
{
    Q_OBJECT
public:
    explicit EndSignals(std::function<void()> onSignal, QObject *parent = nullptr);
    ~EndSignals() override;

private:
    std::function<void()> m_onSignal;
    QSocketNotifier *m_notifier = nullptr;
};

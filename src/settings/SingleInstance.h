#pragma once
// One running console per user. A lock file in the runtime folder decides who is first
// (the lock of a process that died no longer counts); the first copy then listens on a
// per-user local socket, through which a later start asks it to come to the front.
#include <QObject>
#include <QString>
#include <memory>

class QLocalServer;
class QLockFile;

class SingleInstance : public QObject
{
    Q_OBJECT
public:
    // The console's own key. Tests pass another one, so they never meet a running console.
    static QString defaultKey() { return QStringLiteral("Tform_mixer"); }

    explicit SingleInstance(const QString &key = defaultKey(), QObject *parent = nullptr);
    ~SingleInstance() override;

    // Takes the lock and, when it is ours, starts listening for activation requests.
    // True when this process is the first copy. May be called again after a refusal.
    bool claim();
    bool isFirst() const;
    bool isListening() const;
    // Gives up the lock and stops listening (also done by the destructor).
    void release();

    // For a second copy: asks the running copy to come to the front. True once the running
    // copy has confirmed the request; false when none answered within the time-out.
    bool requestActivation(int timeoutMs = 3000) const;

    QString key() const { return m_key; }
    QString serverName() const;
    QString lockFilePath() const { return m_lockPath; }

signals:
    // A later start asked this (first) copy to restore and raise its window.
    void activateRequested();

private:
    void acceptConnections();

    QString m_key;
    QString m_lockPath;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer *m_server = nullptr;
    bool m_first = false;
};

#include "SingleInstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

// Plain arrays: constant-initialised, usable even before dynamic initialisation has run.
constexpr char kPedido[] = "activate\n";
constexpr char kResposta[] = "ok\n";

// Distinguishes users that share a temporary folder or a machine-wide pipe namespace.
QString userTag()
{
#ifdef Q_OS_UNIX
    return QString::number(::getuid());
#else
    QString user = qEnvironmentVariable("USERNAME");
    if (user.isEmpty())
        user = QDir::homePath();
    return QString::fromLatin1(
        QCryptographicHash::hash(user.toUtf8(), QCryptographicHash::Sha1).toHex().left(12));
#endif
}

} // namespace

SingleInstance::SingleInstance(const QString &key, QObject *parent)
    : QObject(parent)
    , m_key(key)
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    m_lockPath = dir + QLatin1Char('/') + serverName() + QStringLiteral(".lock");
}

SingleInstance::~SingleInstance()
{
    release();
}

QString SingleInstance::serverName() const
{
    return m_key + QLatin1Char('-') + userTag();
}

bool SingleInstance::claim()
{
    if (m_first)
        return true;

    auto lock = std::make_unique<QLockFile>(lockFilePath());
    // Only a dead owner makes the lock stale; a console may run for days.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0)) {
        m_lock = std::move(lock);
        // We hold the lock, so a socket left by a copy that crashed belongs to nobody.
        QLocalServer::removeServer(serverName());
    } else if (lock->error() == QLockFile::LockFailedError) {
        return false; // a live copy holds it
    } else {
        // The lock cannot be written at all: better two consoles than none.
        qWarning("SingleInstance: cannot create %s", qPrintable(lockFilePath()));
    }
    m_first = true;

    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
    if (!m_server->listen(serverName()))
        qWarning("SingleInstance: cannot listen on %s: %s", qPrintable(serverName()),
                 qPrintable(m_server->errorString()));
    // Still the first copy without a socket: later starts are refused, only not activated.
    return true;
}

bool SingleInstance::isFirst() const
{
    return m_first;
}

bool SingleInstance::isListening() const
{
    return m_server && m_server->isListening();
}

void SingleInstance::release()
{
    if (m_server) {
        m_server->close();
        delete m_server;
        m_server = nullptr;
    }
    if (m_lock) {
        m_lock->unlock();
        m_lock.reset();
    }
    m_first = false;
}

void SingleInstance::acceptConnections()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        auto le = [this, socket] {
            while (socket->canReadLine()) {
                if (socket->readLine() != QByteArrayView(kPedido))
                    continue;
                socket->write(kResposta);
                socket->flush();
                emit activateRequested();
            }
        };
        connect(socket, &QLocalSocket::readyRead, this, le);
        // The request may have arrived with the connection itself.
        le();
    }
}

bool SingleInstance::requestActivation(int timeoutMs) const
{
    const QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    // The first copy may hold the lock but not listen yet: it is still starting.
    for (;;) {
        socket.connectToServer(serverName());
        if (socket.waitForConnected(int(qMax<qint64>(1, deadline.remainingTime()))))
            break;
        socket.abort();
        if (deadline.hasExpired())
            return false;
        QThread::msleep(50);
    }
    socket.write(kPedido);
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(int(qMax<qint64>(1, deadline.remainingTime()))))
            return false;
    }
    while (!socket.canReadLine()) {
        if (deadline.hasExpired() || !socket.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime()))))
            return false;
    }
    const bool confirmado = socket.readLine() == QByteArrayView(kResposta);
    socket.disconnectFromServer();
    return confirmado;
}

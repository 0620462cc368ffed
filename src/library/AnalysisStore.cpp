#include "library/AnalysisStore.h"

#include "settings/DataFolder.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

#include <atomic>
#include <cmath>
#include <iterator>
#include <mutex>

namespace {

// SQLite's own codes for a file that is not a database, or one whose pages are damaged.
constexpr int kSqliteCorrupt = 11;
constexpr int kSqliteNotADatabase = 26;

// Opening, checking and setting aside happen one thread at a time: two threads finding the
// same damaged file must not both move it.
std::mutex g_openMutex;
std::atomic<int> g_connections{0};

bool damageCode(const QSqlError &e)
{
    bool ok = false;
    const int code = e.nativeErrorCode().toInt(&ok) & 0xff;
    return ok && (code == kSqliteCorrupt || code == kSqliteNotADatabase);
}

QVariant finiteOrNull(double v)
{
    return std::isfinite(v) ? QVariant(v) : QVariant();
}

double orMinusInfinity(const QVariant &v)
{
    return v.isNull() ? -HUGE_VAL : v.toDouble();
}

const char *const kColumns[] = {"path", "size", "modified_ms", "version", "ok", "error", "integrated",
                                "lra", "true_peak", "audible_start_ms", "audible_end_ms", "length_ms"};

} // namespace

struct AnalysisStore::Queries
{
    QSqlQuery find;
    QSqlQuery save;
};

QString AnalysisStore::nomeArquivo()
{
    return QStringLiteral("ANALISE.DB");
}

AnalysisStore::Key AnalysisStore::keyOf(const QString &path)
{
    Key k;
    k.path = path;
    const QFileInfo info(path);
    if (info.exists() && !info.isDir()) {
        k.size = info.size();
        k.modifiedMs = info.lastModified().toMSecsSinceEpoch();
    }
    return k;
}

AnalysisStore::AnalysisStore(const QString &dbPath)
    : m_dbPath(dbPath.isEmpty() ? DataFolder::filePath(nomeArquivo()) : dbPath)
{
    std::lock_guard<std::mutex> lock(g_openMutex);
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE"))) {
        m_error = QStringLiteral("the SQLite driver of Qt is not installed");
        return;
    }
    bool damaged = false;
    if (openChecked(&m_error, &damaged) || !damaged)
        return;
    closeConnection();
    // Kept for whoever wants to look at it; the console starts a new one.
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString aside = m_dbPath + QStringLiteral(".danificado-") + stamp;
    for (int n = 2; QFileInfo::exists(aside); ++n)
        aside = m_dbPath + QStringLiteral(".danificado-%1-%2").arg(stamp).arg(n);
    if (!QFile::rename(m_dbPath, aside)) {
        m_error = QStringLiteral("%1 is damaged and cannot be moved aside").arg(m_dbPath);
        return;
    }
    // A journal belongs to the file it came from: left here it would be replayed into the new one.
    QFile::rename(m_dbPath + QStringLiteral("-wal"), aside + QStringLiteral("-wal"));
    QFile::remove(m_dbPath + QStringLiteral("-shm"));
    m_setAside = aside;
    QString why;
    if (!openChecked(&why, &damaged))
        m_error = why;
}

AnalysisStore::~AnalysisStore()
{
    closeConnection();
}

void AnalysisStore::closeConnection()
{
    delete m_queries;
    m_queries = nullptr;
    m_open = false;
    if (m_connection.isEmpty())
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
    m_connection.clear();
}

bool AnalysisStore::openChecked(QString *why, bool *damaged)
{
    *damaged = false;
    m_connection = QStringLiteral("analise-%1").arg(++g_connections);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    db.setDatabaseName(m_dbPath);
    // Another thread's connection may be writing: wait for it rather than fail.
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db.open()) {
        *why = db.lastError().text();
        *damaged = damageCode(db.lastError());
        return false;
    }
    QSqlQuery q(db);
    auto run = [&](const QString &sql) {
        if (q.exec(sql))
            return true;
        *why = QStringLiteral("%1: %2").arg(m_dbPath, q.lastError().text());
        *damaged = damageCode(q.lastError());
        return false;
    };
    // Write-ahead log: a crash in the middle of a write leaves the last whole transaction.
    if (!run(QStringLiteral("PRAGMA journal_mode=WAL")) || !run(QStringLiteral("PRAGMA synchronous=NORMAL")))
        return false;
    if (!run(QStringLiteral("PRAGMA quick_check")))
        return false;
    if (!q.next() || q.value(0).toString() != QLatin1String("ok")) {
        *why = QStringLiteral("%1 is damaged").arg(m_dbPath);
        *damaged = true;
        return false;
    }
    if (!run(QStringLiteral("CREATE TABLE IF NOT EXISTS analysis (path TEXT PRIMARY KEY, size INTEGER NOT NULL, "
                            "modified_ms INTEGER NOT NULL, version INTEGER NOT NULL, ok INTEGER NOT NULL, "
                            "error TEXT, integrated REAL, lra REAL, true_peak REAL, audible_start_ms INTEGER, "
                            "audible_end_ms INTEGER, length_ms INTEGER)")))
        return false;
    // A table of the same name made by something else is not ours to fill.
    const QSqlRecord columns = db.record(QStringLiteral("analysis"));
    for (const char *c : kColumns) {
        if (columns.indexOf(QLatin1String(c)) < 0) {
            *why = QStringLiteral("%1 holds another kind of table").arg(m_dbPath);
            *damaged = true;
            return false;
        }
    }
    m_queries = new Queries{QSqlQuery(db), QSqlQuery(db)};
    m_queries->find.setForwardOnly(true);
    if (!m_queries->find.prepare(QStringLiteral(
            "SELECT ok, error, integrated, lra, true_peak, audible_start_ms, audible_end_ms, length_ms "
            "FROM analysis WHERE path = ? AND size = ? AND modified_ms = ? AND version = ?"))
        || !m_queries->save.prepare(QStringLiteral(
            "INSERT OR REPLACE INTO analysis (path, size, modified_ms, version, ok, error, integrated, lra, "
            "true_peak, audible_start_ms, audible_end_ms, length_ms) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"))) {
        *why = db.lastError().text();
        return false;
    }
    m_open = true;
    why->clear();
    return true;
}

QString AnalysisStore::setAsideMessage() const
{
    if (m_setAside.isEmpty())
        return QString();
    return QStringLiteral("O arquivo de análises %1 estava danificado.\rFoi guardado como %2 e um novo foi iniciado.")
        .arg(QFileInfo(m_dbPath).fileName(), QFileInfo(m_setAside).fileName());
}

std::optional<audio::LoudnessResult> AnalysisStore::find(const Key &key)
{
    if (!m_open || !key.valid())
        return std::nullopt;
    QSqlQuery &q = m_queries->find;
    q.bindValue(0, key.path);
    q.bindValue(1, key.size);
    q.bindValue(2, key.modifiedMs);
    q.bindValue(3, kAnalysisVersion);
    if (!q.exec()) {
        m_error = q.lastError().text();
        return std::nullopt;
    }
    std::optional<audio::LoudnessResult> found;
    if (q.next()) {
        audio::LoudnessResult r;
        r.ok = q.value(0).toBool();
        r.error = q.value(1).toString();
        r.integratedLufs = orMinusInfinity(q.value(2));
        r.rangeLu = q.value(3).toDouble();
        r.truePeakDbtp = orMinusInfinity(q.value(4));
        r.audibleStartMs = q.value(5).toLongLong();
        r.audibleEndMs = q.value(6).toLongLong();
        r.lengthMs = q.value(7).toLongLong();
        found = r;
    }
    q.finish();
    return found;
}

bool AnalysisStore::save(const Key &key, const audio::LoudnessResult &r)
{
    if (!m_open || !key.valid())
        return false;
    QSqlQuery &q = m_queries->save;
    const QVariant values[] = {key.path,
                               key.size,
                               key.modifiedMs,
                               kAnalysisVersion,
                               int(r.ok),
                               r.error,
                               finiteOrNull(r.integratedLufs),
                               r.rangeLu,
                               finiteOrNull(r.truePeakDbtp),
                               qint64(r.audibleStartMs),
                               qint64(r.audibleEndMs),
                               qint64(r.lengthMs)};
    for (int i = 0; i < int(std::size(values)); ++i)
        q.bindValue(i, values[i]);
    if (!q.exec()) {
        m_error = q.lastError().text();
        return false;
    }
    q.finish();
    return true;
}

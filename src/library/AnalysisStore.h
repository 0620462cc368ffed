#pragma once
// What the loudness analysis found for each file, kept in the SQLite file ANALISE.DB in the
// data folder, keyed by the file's path, size and modification time: a file that changed is
// analysed again. Music files are only ever read.
//
// One object is one database connection: make, use and destroy it on one thread. Any number
// of threads may have their own at once.
#include "audio/Loudness.h"

#include <QString>
#include <optional>

class AnalysisStore
{
public:
    static QString nomeArquivo(); // "ANALISE.DB"

    // Bumped when the measurement changes, so older results are measured again.
    static constexpr int kAnalysisVersion = 1;

    struct Key
    {
        QString path;
        qint64 size = -1;
        qint64 modifiedMs = 0;
        bool valid() const { return size >= 0; }
    };
    // Reads the file's size and time (so it may wait on a slow drive: not on the UI thread).
    // Invalid for a missing file or a folder.
    static Key keyOf(const QString &path);

    // Opens, or creates, the database; empty `dbPath`: ANALISE.DB in the data folder. A file
    // that is not a sound database is moved aside (setAsidePath()) and a new one begun.
    explicit AnalysisStore(const QString &dbPath = QString());
    ~AnalysisStore();
    AnalysisStore(const AnalysisStore &) = delete;
    AnalysisStore &operator=(const AnalysisStore &) = delete;

    bool isOpen() const { return m_open; }
    // Why the database cannot be used, or why the last call failed.
    QString error() const { return m_error; }
    // Where a damaged database was moved when this object opened it; empty when it was not.
    QString setAsidePath() const { return m_setAside; }
    // The sentence for the operator about it; empty when nothing was set aside.
    QString setAsideMessage() const;

    // The stored result for exactly this key (same size, time and analysis version).
    std::optional<audio::LoudnessResult> find(const Key &key);
    bool save(const Key &key, const audio::LoudnessResult &result);

private:
    struct Queries;
    bool openChecked(QString *why, bool *damaged);
    void closeConnection();

    QString m_dbPath;
    QString m_connection;
    QString m_error;
    QString m_setAside;
    bool m_open = false;
    Queries *m_queries = nullptr;
};

#pragma once
// Loudness analysis in the background: one low-priority thread works through the files the
// console names, the ones the decks play next before the rest, and keeps the results in
// ANALISE.DB. Files already there with the same size and time are not measured again.
//
// A file that stops answering (a drive that went away) holds up nothing: after a while
// without progress its thread is left to end by itself whenever the file lets it, the file
// is reported as failed, and a new thread goes on with the others. Nothing here ever joins
// or waits without a bound on a thread that reads a file.
#include "audio/Loudness.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <deque>
#include <memory>
#include <optional>

// Which file is measured next: urgent ones first, the latest call's first, then the others
// in the order they came. A path waits once; asking for it again as urgent moves it up.
class AnalysisOrder
{
public:
    // Each returns how many paths were not waiting yet.
    int urgent(const QStringList &paths);
    int later(const QStringList &paths);
    // The next path, taken off the queue; empty when none waits.
    QString next();
    int waiting() const { return int(m_where.size()); }
    void clear();

private:
    enum class List { Urgent, Later };
    // A path's entries in the lists count only while m_where says it waits in that list.
    std::deque<QString> m_urgent, m_later;
    QHash<QString, List> m_where;
};

class AnalysisQueue : public QObject
{
    Q_OBJECT
public:
    // Empty `dbPath`: ANALISE.DB in the data folder.
    explicit AnalysisQueue(const QString &dbPath = QString(), QObject *parent = nullptr);
    // Returns at once (after at most a second for a thread between two files); a thread
    // stuck on a file is left behind and ends by itself.
    ~AnalysisQueue() override;

    // The entries the decks play next: ahead of everything waiting, this call's first path first.
    void urgent(const QStringList &paths);
    // Everything else, after what already waits.
    void later(const QStringList &paths);
    // Drops what waits and cancels the file being measured.
    void stop();

    // The last result this queue found for the path (measured or read from the store), without
    // touching the disk: safe on the UI thread. Empty when the path has not come through yet.
    std::optional<audio::LoudnessResult> lookup(const QString &path) const;

    // Without progress for this long, a file counts as not answering (10 s unless set).
    void setStuckAfterMs(int ms) { m_stuckAfterMs = ms; }

    // Analysis threads of every queue still running, the ones left on stuck files included.
    static int running();

signals:
    // On the queue's thread, for every file asked for (a failure too, with ok == false).
    void analysed(const QString &path, const audio::LoudnessResult &result, bool fromStore);
    // Files finished and files asked for since the queue was last idle; equal when idle.
    void progress(int done, int total);
    // ANALISE.DB was damaged and set aside, or cannot be used: a sentence for the operator.
    void storeProblem(const QString &message);

private:
    struct Shared;
    struct Worker;
    void added(int count);
    void ensureWorker();
    void deliver();
    void watch();

    std::shared_ptr<Shared> m_shared;
    std::shared_ptr<Worker> m_active;
    QTimer m_watchdog;
    int m_stuckAfterMs = 10000;
    int m_done = 0, m_total = 0;
    // The watchdog's view of the active worker: which job, how far, since when.
    quint64 m_seenJob = 0;
    int64_t m_seenFrames = -1;
    qint64 m_seenAtMs = 0;
};

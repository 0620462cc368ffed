#include "library/AnalysisQueue.h"

#include "library/AnalysisStore.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#ifdef Q_OS_LINUX
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

// ---------------------------------------------------------------------------------------------

int AnalysisOrder::urgent(const QStringList &paths)
{
    int added = 0;
    // Pushed to the front from the last one back, so the call's first path comes out first.
    for (auto it = paths.crbegin(); it != paths.crend(); ++it) {
        const auto where = m_where.find(*it);
        if (where == m_where.end())
            ++added;
        m_where.insert(*it, List::Urgent);
        m_urgent.push_front(*it);
    }
    return added;
}

int AnalysisOrder::later(const QStringList &paths)
{
    int added = 0;
    for (const QString &p : paths) {
        if (m_where.contains(p))
            continue;
        m_where.insert(p, List::Later);
        m_later.push_back(p);
        ++added;
    }
    return added;
}

QString AnalysisOrder::next()
{
    auto take = [this](std::deque<QString> &list, List kind) {
        while (!list.empty()) {
            const QString p = std::move(list.front());
            list.pop_front();
            const auto where = m_where.find(p);
            // An entry left behind by a move up, or by an earlier copy already taken.
            if (where == m_where.end() || where.value() != kind)
                continue;
            m_where.erase(where);
            return p;
        }
        return QString();
    };
    QString p = take(m_urgent, List::Urgent);
    return p.isEmpty() ? take(m_later, List::Later) : p;
}

void AnalysisOrder::clear()
{
    m_urgent.clear();
    m_later.clear();
    m_where.clear();
}

// ---------------------------------------------------------------------------------------------

namespace {

std::atomic<int> g_running{0};
// Threads left on files that stopped answering; past this the queue waits for one to end
// instead of piling up more on a dead drive.
constexpr int kMaxStuck = 4;

struct Finished
{
    QString path;
    audio::LoudnessResult result;
    bool fromStore = false;
};

qint64 nowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void lowerPriority()
{
#ifdef Q_OS_LINUX
    // Per thread on Linux: the decks' decoders and the sound always come first.
    setpriority(PRIO_PROCESS, id_t(syscall(SYS_gettid)), 19);
#endif
}

} // namespace

struct AnalysisQueue::Worker
{
    std::atomic<bool> abandoned{false};
    // Guarded by Shared::mutex.
    quint64 job = 0; // 0 between files
    quint64 generation = 0;
    QString path;
    std::shared_ptr<audio::LoudnessControl> control;
};

struct AnalysisQueue::Shared
{
    QString dbPath;
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable ended;
    AnalysisOrder order;
    QHash<QString, audio::LoudnessResult> cache;
    std::vector<Finished> finished;
    QStringList problems;
    AnalysisQueue *receiver = nullptr; // null once the queue is gone
    bool posted = false;
    bool stopping = false;
    quint64 jobs = 0;
    quint64 generation = 0; // moves on at stop(): results of older requests are dropped
    int threads = 0;
    int stuck = 0;

    // With the mutex held: one delivery at a time is waiting in the queue's event loop.
    void post()
    {
        if (posted || !receiver)
            return;
        posted = true;
        AnalysisQueue *q = receiver;
        QMetaObject::invokeMethod(q, [q] { q->deliver(); }, Qt::QueuedConnection);
    }

    static void run(const std::shared_ptr<Shared> &s, const std::shared_ptr<Worker> &w);
};

void AnalysisQueue::Shared::run(const std::shared_ptr<Shared> &s, const std::shared_ptr<Worker> &w)
{
    lowerPriority();
    {
        AnalysisStore store(s->dbPath);
        {
            std::lock_guard<std::mutex> lock(s->mutex);
            if (!store.setAsideMessage().isEmpty())
                s->problems << store.setAsideMessage();
            else if (!store.isOpen())
                s->problems << QStringLiteral("As análises não podem ser guardadas: %1").arg(store.error());
            if (!s->problems.isEmpty())
                s->post();
        }
        for (;;) {
            Finished f;
            std::shared_ptr<audio::LoudnessControl> control;
            quint64 generation = 0;
            {
                std::unique_lock<std::mutex> lock(s->mutex);
                s->wake.wait(lock, [&] { return s->stopping || w->abandoned || s->order.waiting() > 0; });
                if (s->stopping || w->abandoned)
                    break;
                f.path = s->order.next();
                control = std::make_shared<audio::LoudnessControl>();
                w->path = f.path;
                w->control = control;
                w->job = ++s->jobs;
                w->generation = generation = s->generation;
            }
            const AnalysisStore::Key key = AnalysisStore::keyOf(f.path);
            if (auto known = store.find(key)) {
                f.result = *known;
                f.fromStore = true;
            } else if (!key.valid()) {
                f.result.error = QStringLiteral("file not found");
            } else {
                f.result = audio::analyseLoudness(f.path, control.get());
                if (!f.result.cancelled && !w->abandoned)
                    store.save(key, f.result);
            }
            std::lock_guard<std::mutex> lock(s->mutex);
            w->job = 0;
            w->path.clear();
            w->control.reset();
            if (w->abandoned)
                break; // its failure went out when it was left
            if (f.result.cancelled || generation != s->generation)
                continue;
            s->cache.insert(f.path, f.result);
            s->finished.push_back(std::move(f));
            s->post();
        }
    } // the store's connection closes on the thread that opened it
    std::lock_guard<std::mutex> lock(s->mutex);
    --s->threads;
    if (w->abandoned)
        --s->stuck;
    --g_running;
    s->ended.notify_all();
}

// ---------------------------------------------------------------------------------------------

AnalysisQueue::AnalysisQueue(const QString &dbPath, QObject *parent)
    : QObject(parent)
    , m_shared(std::make_shared<Shared>())
{
    qRegisterMetaType<audio::LoudnessResult>();
    m_shared->dbPath = dbPath;
    m_shared->receiver = this;
    m_watchdog.setInterval(200);
    connect(&m_watchdog, &QTimer::timeout, this, &AnalysisQueue::watch);
    m_watchdog.start();
}

AnalysisQueue::~AnalysisQueue()
{
    m_watchdog.stop();
    std::unique_lock<std::mutex> lock(m_shared->mutex);
    m_shared->stopping = true;
    m_shared->receiver = nullptr;
    m_shared->order.clear();
    if (m_active && m_active->control)
        m_active->control->cancel = true;
    m_shared->wake.notify_all();
    // A thread between files or inside one ends within a block; one stuck in a read is left.
    m_shared->ended.wait_for(lock, std::chrono::seconds(1),
                             [this] { return m_shared->threads - m_shared->stuck == 0; });
}

int AnalysisQueue::running()
{
    return g_running.load();
}

void AnalysisQueue::urgent(const QStringList &paths)
{
    int n = 0;
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        n = m_shared->order.urgent(paths);
    }
    added(n);
}

void AnalysisQueue::later(const QStringList &paths)
{
    int n = 0;
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        n = m_shared->order.later(paths);
    }
    added(n);
}

void AnalysisQueue::added(int count)
{
    m_shared->wake.notify_all();
    if (count == 0)
        return;
    if (m_done >= m_total)
        m_done = m_total = 0;
    m_total += count;
    ensureWorker();
    emit progress(m_done, m_total);
}

void AnalysisQueue::stop()
{
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        m_shared->order.clear();
        m_shared->finished.clear();
        ++m_shared->generation;
        if (m_active && m_active->control)
            m_active->control->cancel = true;
    }
    m_done = m_total = 0;
    emit progress(0, 0);
}

std::optional<audio::LoudnessResult> AnalysisQueue::lookup(const QString &path) const
{
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    const auto it = m_shared->cache.constFind(path);
    if (it == m_shared->cache.constEnd())
        return std::nullopt;
    return it.value();
}

void AnalysisQueue::ensureWorker()
{
    if (m_active)
        return;
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    if (m_shared->stuck >= kMaxStuck)
        return; // the watchdog tries again when one of them ends
    m_active = std::make_shared<Worker>();
    ++m_shared->threads;
    ++g_running;
    std::thread([s = m_shared, w = m_active] { Shared::run(s, w); }).detach();
    m_seenJob = 0;
}

void AnalysisQueue::watch()
{
    if (!m_active) {
        bool waiting = false;
        {
            std::lock_guard<std::mutex> lock(m_shared->mutex);
            waiting = m_shared->order.waiting() > 0;
        }
        if (waiting)
            ensureWorker();
        return;
    }
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        const quint64 job = m_active->job;
        const int64_t frames = m_active->control ? m_active->control->framesDone.load() : 0;
        const qint64 now = nowMs();
        if (job == 0 || job != m_seenJob || frames != m_seenFrames) {
            m_seenJob = job;
            m_seenFrames = frames;
            m_seenAtMs = now;
            return;
        }
        if (now - m_seenAtMs < m_stuckAfterMs)
            return;
        m_active->abandoned = true;
        m_active->control->cancel = true;
        ++m_shared->stuck;
        if (m_active->generation == m_shared->generation) {
            Finished f;
            f.path = m_active->path;
            f.result.error = QStringLiteral("the file does not answer");
            m_shared->finished.push_back(std::move(f));
            m_shared->post();
        }
        m_active.reset();
        m_seenJob = 0;
    }
    m_shared->wake.notify_all(); // the left thread wakes to end if its file ever answers
    ensureWorker();
}

void AnalysisQueue::deliver()
{
    std::vector<Finished> batch;
    QStringList problems;
    {
        std::lock_guard<std::mutex> lock(m_shared->mutex);
        batch.swap(m_shared->finished);
        problems.swap(m_shared->problems);
        m_shared->posted = false;
    }
    for (const QString &p : problems)
        emit storeProblem(p);
    if (batch.empty())
        return;
    for (const Finished &f : batch) {
        ++m_done;
        emit analysed(f.path, f.result, f.fromStore);
    }
    emit progress(m_done, m_total);
}

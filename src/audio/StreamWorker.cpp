#include "StreamWorker.h"

#include "Stream.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

namespace audio {

namespace {
std::atomic<int> g_running{0};
}

StreamWorker::StreamWorker(const QString &path, Decoder::Entry entry, bool feed)
    : m_path(path)
    , m_entry(entry)
    , m_feed(feed)
{
}

std::shared_ptr<StreamWorker> StreamWorker::start(const QString &path, Decoder::Entry entry, bool feed)
{
    std::shared_ptr<StreamWorker> worker(new StreamWorker(path, entry, feed));
    ++g_running;
    std::thread([worker] {
        worker->run();
        --g_running;
    }).detach();
    return worker;
}

int StreamWorker::running()
{
    return g_running.load();
}

std::shared_ptr<Stream> StreamWorker::waitOpened(int ms, QString *error, bool *answered)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    const bool opened = m_wake.wait_for(lock, std::chrono::milliseconds(std::max(0, ms)), [this] { return m_opened; });
    if (answered)
        *answered = opened;
    if (!opened) {
        if (error)
            *error = QStringLiteral("the file does not answer");
        return nullptr;
    }
    if (!m_stream && error)
        *error = m_error;
    return m_stream;
}

void StreamWorker::wake()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_woken = true;
    }
    m_wake.notify_all();
}

void StreamWorker::release()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_released = true;
        m_stream.reset();
    }
    m_wake.notify_all();
}

void StreamWorker::run()
{
    std::shared_ptr<Stream> stream;
    QString why;
    auto decoder = std::make_unique<Decoder>();
    if (decoder->open(m_path, m_entry, &why)) {
        const int64_t exact = decoder->exactFramesFromContainer();
        stream = std::make_shared<Stream>(std::move(decoder), m_path, m_entry);
        if (exact >= 0)
            stream->setExactLength(exact); // known now: no counting pass needed
        stream->prime();
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_opened = true;
        m_error = why;
        if (m_released)
            return; // nobody waits for it any more; the stream dies here, off the UI thread
        m_stream = stream;
    }
    m_wake.notify_all();
    if (!stream)
        return;
    if (!stream->lengthExact()) {
        ++g_running;
        std::thread([weak = std::weak_ptr<Stream>(stream), path = m_path, entry = m_entry] {
            countLength(weak, path, entry);
            --g_running;
        }).detach();
    }
    if (!m_feed)
        return;
    for (;;) {
        const bool worked = stream->fill();
        std::unique_lock<std::mutex> lock(m_mutex);
        if (m_released)
            break;
        if (!worked && !m_woken)
            m_wake.wait_for(lock, std::chrono::milliseconds(20));
        m_woken = false;
        if (m_released)
            break;
    }
}

void StreamWorker::countLength(std::weak_ptr<Stream> stream, QString path, Decoder::Entry entry)
{
    Decoder counter;
    if (!counter.open(path, entry))
        return;
    // MP3 frame headers tell the length without decoding; others are decoded once.
    int64_t frames = counter.countMp3Frames(path);
    if (frames < 0)
        frames = counter.countFrames();
    if (auto s = stream.lock(); s && !s->lengthExact())
        s->setExactLength(frames);
}

} // namespace audio

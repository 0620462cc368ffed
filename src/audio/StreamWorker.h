#pragma once
// One stream's own thread: it opens the file, then keeps that stream's read-ahead full and
// moves its decoder on seeks; a second thread counts the exact length when the container
// does not state it. A file whose reads block therefore holds up nothing but its own
// threads. The UI thread waits for an opening a bounded time and never joins a worker:
// a released worker ends by itself as soon as its file lets it.
#include "Decoder.h"

#include <QString>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace audio {

class Stream;

class StreamWorker
{
public:
    // Starts opening `path` on a new thread; with `feed`, the thread then keeps the stream's
    // read-ahead full (the offline renderer decodes for itself instead).
    static std::shared_ptr<StreamWorker> start(const QString &path, Decoder::Entry entry, bool feed);

    // Waits at most `ms` for the file to open. The primed stream, or null with the reason;
    // `answered` tells a refusal from a file still being waited for.
    std::shared_ptr<Stream> waitOpened(int ms, QString *error, bool *answered = nullptr);
    // More sound is wanted now (a start or a seek).
    void wake();
    // The stream was freed, or its opening given up.
    void release();

    // Worker threads still running, counters included.
    static int running();

private:
    StreamWorker(const QString &path, Decoder::Entry entry, bool feed);
    void run();
    static void countLength(std::weak_ptr<Stream> stream, QString path, Decoder::Entry entry);

    const QString m_path;
    const Decoder::Entry m_entry;
    const bool m_feed;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_opened = false, m_released = false, m_woken = false;
    QString m_error;
    std::shared_ptr<Stream> m_stream;
};

} // namespace audio

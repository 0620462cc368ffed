// What the audio thread does for a playing stream allocates nothing, even while the pitch
// slider keeps moving: every buffer a converter grows is grown before the audio thread gets
// it. Allocations are counted on the rendering thread alone.
#include "TestSupport.h"
#include "audio/Stream.h"
#include "audio/StreamWorker.h"

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define VELARIX_COUNTS_ALLOCATIONS 0 // the sanitizers own malloc
#else
#define VELARIX_COUNTS_ALLOCATIONS 1
namespace {
thread_local bool t_counting = false;
std::atomic<long> g_allocations{0};
inline void counted()
{
    if (t_counting)
        g_allocations.fetch_add(1, std::memory_order_relaxed);
}
} // namespace

extern "C" {
void *__libc_malloc(size_t);
void *__libc_calloc(size_t, size_t);
void *__libc_realloc(void *, size_t);
void *__libc_memalign(size_t, size_t);

void *malloc(size_t n)
{
    counted();
    return __libc_malloc(n);
}
void *calloc(size_t count, size_t n)
{
    counted();
    return __libc_calloc(count, n);
}
void *realloc(void *p, size_t n)
{
    counted();
    return __libc_realloc(p, n);
}
void *memalign(size_t alignment, size_t n)
{
    counted();
    return __libc_memalign(alignment, n);
}
void *aligned_alloc(size_t alignment, size_t n)
{
    counted();
    return __libc_memalign(alignment, n);
}
int posix_memalign(void **p, size_t alignment, size_t n)
{
    counted();
    *p = __libc_memalign(alignment, n);
    return *p ? 0 : 12; // ENOMEM
}
}
#endif

using namespace testsupport;

class TestRealtime : public QObject
{
    Q_OBJECT
private slots:
    void movingPitchAllocatesNothingOnTheAudioThread()
    {
#if !VELARIX_COUNTS_ALLOCATIONS
        QSKIP("a sanitizer build counts its own allocations");
#else
        const QString file = tone("realtime.wav", 440, 30);
        QVERIFY(!file.isEmpty());
        QString error;
        auto worker = audio::StreamWorker::start(file, audio::Decoder::Entry::Plain, true);
        std::shared_ptr<audio::Stream> stream = worker->waitOpened(5000, &error);
        QVERIFY2(stream, qPrintable(error));
        stream->play();
        worker->wake();
        // Blocks of 512 frames, a little faster than a card takes them; the slider moves to
        // another speed every 40 blocks.
        std::vector<float> out(512 * 2);
        int blocksWithAllocations = 0;
        auto next = std::chrono::steady_clock::now();
        for (int b = 0; b < 1000; ++b) {
            if (b % 40 == 0)
                stream->setAttributes(42000 + (b / 40 % 7) * 1100, 100, 0);
            std::fill(out.begin(), out.end(), 0.f);
            const long before = g_allocations.load();
            t_counting = true;
            stream->mixInto(out.data(), 512);
            t_counting = false;
            if (g_allocations.load() != before)
                ++blocksWithAllocations;
            next += std::chrono::milliseconds(2);
            std::this_thread::sleep_until(next);
        }
        worker->release();
        QCOMPARE(blocksWithAllocations, 0);
#endif
    }
};

VELARIX_TEST_MAIN(TestRealtime)
#include "tst_realtime.moc"

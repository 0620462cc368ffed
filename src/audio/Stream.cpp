#include "Stream.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <thread>

namespace audio {

namespace {
constexpr uint32_t kGenMask = 0xFFFFFF;
constexpr int kPrimeChunks = 6; // about 140 ms of sound decoded on the spot
constexpr int kMinFrequency = 100;
constexpr int kMaxFrequency = 100000;
}

Stream::Stream(std::unique_ptr<Decoder> decoder, const QString &path, Decoder::Entry entry)
    : m_path(path)
    , m_entry(entry)
    , m_decoder(std::move(decoder))
{
    m_rate = m_decoder->sampleRate();
    m_channels = m_decoder->channels();
    m_eightBit = m_decoder->isEightBit();
    m_frequency = m_rate;
    m_length = m_decoder->estimatedFrames();
    m_position = pack(m_gen.load(), 0);
    m_producerGen = m_gen.load();
    // A little over a second of the file, whatever its rate, so the read-ahead always fits;
    // the rate is held to what a card plays so a corrupt header cannot ask for gigabytes.
    const int rate = std::clamp(m_rate, kCardRate, Decoder::kMaxRate);
    const int chunks = int(std::ceil(rate * 1.25 / kMaxBlock)) + 4;
    m_chunks.resize(size_t(chunks));
}

Stream::~Stream() = default;

// ---------------- UI thread ----------------

bool Stream::setAttributes(int frequency, int volume, int pan)
{
    if (frequency < kMinFrequency || frequency > kMaxFrequency)
        return false;
    m_frequency.store(frequency);
    m_volume.store(std::clamp(volume, 0, 100));
    m_pan.store(std::clamp(pan, -100, 100));
    return true;
}

void Stream::attributes(int *frequency, int *volume, int *pan) const
{
    if (frequency)
        *frequency = m_frequency.load();
    if (volume)
        *volume = m_volume.load();
    if (pan)
        *pan = m_pan.load();
}

void Stream::play()
{
    // A stream that played to its end starts again from its beginning.
    if (ranOut())
        seek(0);
    m_state.store(Playing, std::memory_order_release);
}

void Stream::pause()
{
    int expected = Playing;
    m_state.compare_exchange_strong(expected, Paused);
}

void Stream::stop()
{
    m_state.store(Stopped, std::memory_order_release);
    m_stalled = false;
}

Stream::Activity Stream::activity() const
{
    switch (m_state.load(std::memory_order_acquire)) {
    case Playing: return m_stalled.load() ? ActiveStalled : ActivePlaying;
    case Paused: return ActivePaused;
    default: return Inactive;
    }
}

void Stream::setExactLength(int64_t frames)
{
    m_length.store(frames, std::memory_order_release);
    m_lengthExact.store(true, std::memory_order_release);
}

int64_t Stream::positionFrames() const
{
    return int64_t(m_position.load(std::memory_order_acquire) & ((uint64_t(1) << 40) - 1));
}

bool Stream::seek(int64_t frame)
{
    if (frame < 0 || (m_lengthExact.load() && frame > m_length.load()))
        return false;
    std::lock_guard<std::mutex> lock(m_decodeMutex);
    while (m_consumerBusy.test_and_set(std::memory_order_acquire))
        std::this_thread::yield(); // the audio thread holds it for one block's mix at most
    const uint32_t gen = (m_gen.load() + 1) & kGenMask;
    m_seekTarget.store(frame, std::memory_order_relaxed);
    m_position.store(pack(gen, frame), std::memory_order_release);
    m_gen.store(gen, std::memory_order_release);
    // Both sides are ours now: empty the queue and start over at the new place.
    m_head.store(m_tail.load());
    m_chunkOffset = 0;
    m_consumerEof = false;
    m_resampling = false;
    m_resampler.forget();
    m_mixGen = gen;
    m_producerGen = gen;
    m_producerEof = !m_decoder->seek(frame);
    for (int i = 0; i < kPrimeChunks && !m_producerEof; ++i)
        if (!produceOne(gen))
            break;
    m_consumerBusy.clear(std::memory_order_release);
    return true;
}

void Stream::prime()
{
    std::lock_guard<std::mutex> lock(m_decodeMutex);
    const uint32_t gen = m_gen.load();
    while (!m_producerEof && int(m_tail.load() - m_head.load()) < kPrimeChunks)
        if (!produceOne(gen))
            break;
}

bool Stream::ranOut() const
{
    return m_ranOutGen.load(std::memory_order_acquire) == m_gen.load(std::memory_order_acquire);
}

void Stream::history(float *stereo) const
{
    std::lock_guard<std::mutex> lock(m_histReader);
    // Take the latest published snapshot, if there is a newer one, in exchange for ours.
    if (m_histShared.load(std::memory_order_relaxed) & kHistFresh)
        m_histFront = m_histShared.exchange(m_histFront, std::memory_order_acq_rel) & kHistSlot;
    std::memcpy(stereo, m_histSlots[m_histFront].data(), sizeof(float) * 2 * kHistoryFrames);
}

// ---------------- producer ----------------

bool Stream::wantsData() const
{
    if (m_producerGen != m_gen.load(std::memory_order_acquire))
        return true;
    if (m_producerEof)
        return false;
    const uint32_t used = m_tail.load(std::memory_order_relaxed) - m_head.load(std::memory_order_acquire);
    const int want = std::min<int>(int(m_chunks.size()) - 1,
                                   m_frequency.load() / kMaxBlock + 2); // one second of play
    return int(used) < want;
}

bool Stream::produceOne(uint32_t gen)
{
    const uint32_t tail = m_tail.load(std::memory_order_relaxed);
    if (tail - m_head.load(std::memory_order_acquire) >= m_chunks.size())
        return false; // full
    Chunk &c = m_chunks[tail % m_chunks.size()];
    c.gen = gen;
    c.start = m_decoder->nextFrame();
    c.frames = m_decoder->read(c.data, kMaxBlock);
    c.eof = c.frames < kMaxBlock;
    if (c.eof) {
        m_producerEof = true;
        // The end is where the decoder really stopped: the container's figure was an estimate.
        if (!m_lengthExact.load())
            setExactLength(c.start + c.frames);
    }
    m_tail.store(tail + 1, std::memory_order_release);
    return true;
}

bool Stream::fill()
{
    bool worked = false;
    for (;;) {
        // One block per hold of the lock: a seek from the UI thread never waits for more.
        std::lock_guard<std::mutex> lock(m_decodeMutex);
        if (!wantsData())
            break;
        const uint32_t gen = m_gen.load(std::memory_order_acquire);
        if (gen != m_producerGen) {
            m_producerGen = gen;
            m_producerEof = false;
            if (!m_decoder->seek(m_seekTarget.load(std::memory_order_relaxed)))
                m_producerEof = true;
            worked = true;
            continue;
        }
        if (!produceOne(gen))
            break;
        worked = true;
    }
    return worked;
}

void Stream::dropStale(uint32_t gen)
{
    uint32_t head = m_head.load(std::memory_order_relaxed);
    const uint32_t tail = m_tail.load(std::memory_order_acquire);
    while (head != tail && m_chunks[head % m_chunks.size()].gen != gen) {
        ++head;
        m_chunkOffset = 0;
    }
    m_head.store(head, std::memory_order_release);
}

void Stream::fillAtLeast(int frames)
{
    std::lock_guard<std::mutex> lock(m_decodeMutex);
    for (;;) {
        const uint32_t gen = m_gen.load(std::memory_order_acquire);
        if (gen != m_producerGen) {
            m_producerGen = gen;
            m_producerEof = !m_decoder->seek(m_seekTarget.load(std::memory_order_relaxed));
        }
        dropStale(gen); // the offline renderer is the consumer too, so it may clear the queue
        bool eof = false;
        if (queuedFrames(gen, &eof) >= frames || eof || m_producerEof)
            return;
        if (!produceOne(gen))
            return;
    }
}

// ---------------- audio thread ----------------

int Stream::queuedFrames(uint32_t gen, bool *eof) const
{
    int total = 0;
    const uint32_t tail = m_tail.load(std::memory_order_acquire);
    for (uint32_t h = m_head.load(std::memory_order_relaxed); h != tail; ++h) {
        const Chunk &c = m_chunks[h % m_chunks.size()];
        if (c.gen != gen)
            continue;
        total += c.frames;
        if (c.eof)
            *eof = true;
    }
    return total - m_chunkOffset;
}

void Stream::publishPosition(uint32_t gen, int64_t frame)
{
    uint64_t cur = m_position.load(std::memory_order_acquire);
    // A seek made meanwhile owns the position: never overwrite a newer generation.
    while (uint32_t(cur >> 40) == gen) {
        if (m_position.compare_exchange_weak(cur, pack(gen, frame), std::memory_order_acq_rel))
            return;
    }
}

int Stream::pull(float *dst, int frames)
{
    const uint32_t gen = m_mixGen;
    int got = 0;
    uint32_t head = m_head.load(std::memory_order_relaxed);
    const uint32_t tail = m_tail.load(std::memory_order_acquire);
    while (got < frames && head != tail) {
        Chunk &c = m_chunks[head % m_chunks.size()];
        if (c.gen != gen) {
            ++head;
            m_chunkOffset = 0;
            continue;
        }
        const int take = std::min(c.frames - m_chunkOffset, frames - got);
        std::memcpy(dst + size_t(got) * 2, c.data + size_t(m_chunkOffset) * 2,
                    size_t(take) * 2 * sizeof(float));
        got += take;
        m_chunkOffset += take;
        publishPosition(gen, c.start + m_chunkOffset);
        if (m_chunkOffset >= c.frames) {
            if (c.eof)
                m_consumerEof = true;
            ++head;
            m_chunkOffset = 0;
        }
    }
    m_head.store(head, std::memory_order_release);
    return got;
}

int Stream::pullInto(void *self, float *dst, int frames)
{
    return static_cast<Stream *>(self)->pull(dst, frames);
}

void Stream::writeHistory(const float *buf, int frames)
{
    // The ring is the audio thread's own; each block publishes a straight copy of it.
    if (frames > kHistoryFrames) {
        buf += size_t(frames - kHistoryFrames) * 2;
        frames = kHistoryFrames;
    }
    const int first = std::min(frames, kHistoryFrames - m_histWrite);
    std::memcpy(m_histRing.data() + size_t(m_histWrite) * 2, buf, sizeof(float) * 2 * size_t(first));
    std::memcpy(m_histRing.data(), buf + size_t(first) * 2, sizeof(float) * 2 * size_t(frames - first));
    m_histWrite = (m_histWrite + frames) % kHistoryFrames;
    float *back = m_histSlots[m_histBack].data();
    const size_t tail = size_t(kHistoryFrames - m_histWrite) * 2;
    std::memcpy(back, m_histRing.data() + size_t(m_histWrite) * 2, tail * sizeof(float));
    std::memcpy(back + tail, m_histRing.data(), size_t(m_histWrite) * 2 * sizeof(float));
    m_histBack = m_histShared.exchange(m_histBack | kHistFresh, std::memory_order_acq_rel) & kHistSlot;
}

bool Stream::mixInto(float *out, int frames, float *scratch)
{
    if (m_state.load(std::memory_order_acquire) != Playing)
        return true;
    if (m_consumerBusy.test_and_set(std::memory_order_acquire))
        return true; // a seek is being made: this block goes without the stream
    struct Release
    {
        std::atomic_flag &flag;
        ~Release() { flag.clear(std::memory_order_release); }
    } release{m_consumerBusy};
    const uint32_t gen = m_gen.load(std::memory_order_acquire);
    if (gen != m_mixGen) {
        m_mixGen = gen;
        m_consumerEof = false;
        m_resampling = false;
        m_resampler.forget();
        dropStale(gen);
    }
    const int frequency = m_frequency.load(std::memory_order_relaxed);
    bool eofQueued = m_consumerEof;
    const int queued = queuedFrames(gen, &eofQueued);
    int got = 0;
    if (frequency == kCardRate && !m_resampling) {
        if (queued < frames && !eofQueued) {
            m_stalled = true;
            return false;
        }
        got = pull(scratch, frames);
        m_resampler.remember(scratch, got);
    } else {
        const double step = double(frequency) / kCardRate;
        const int need = int(std::ceil(frames * step)) + Resampler::kTaps;
        if (queued < need && !eofQueued) {
            m_stalled = true;
            return false;
        }
        if (!m_resampling) {
            m_resampler.resumeFromMemory(); // continues seamlessly after the unpitched frames
            m_resampling = true;
        }
        got = m_resampler.process(step, scratch, frames, &Stream::pullInto, this);
    }
    m_stalled = false;
    if (got < frames)
        std::fill(scratch + size_t(got) * 2, scratch + size_t(frames) * 2, 0.f);
    if (m_consumerEof && got < frames) {
        // Played out: the stream stops by itself, as a card's channel does.
        m_ranOutGen.store(gen, std::memory_order_release);
        int expected = Playing;
        m_state.compare_exchange_strong(expected, Stopped);
    }

    m_dsp.process(scratch, frames);
    writeHistory(scratch, frames);

    const float vol = float(m_volume.load(std::memory_order_relaxed)) / 100.f;
    const int pan = m_pan.load(std::memory_order_relaxed);
    const float gl = vol * (pan > 0 ? float(100 - pan) / 100.f : 1.f);
    const float gr = vol * (pan < 0 ? float(100 + pan) / 100.f : 1.f);
    if (m_gainL < 0.f) {
        m_gainL = gl;
        m_gainR = gr;
    }
    // Ramp volume and pan over the block so a fader move never clicks.
    const float dl = (gl - m_gainL) / float(frames), dr = (gr - m_gainR) / float(frames);
    float cl = m_gainL, cr = m_gainR;
    for (int i = 0; i < frames; ++i) {
        cl += dl;
        cr += dr;
        out[2 * i] += scratch[2 * i] * cl;
        out[2 * i + 1] += scratch[2 * i + 1] * cr;
    }
    m_gainL = gl;
    m_gainR = gr;
    return true;
}

} // namespace audio

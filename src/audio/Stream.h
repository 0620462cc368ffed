#pragma once
// One playing file: its decoder, a read-ahead queue filled by a worker, the attributes and
// effect stages the UI thread sets, and the mixing of one block on the audio thread.
//
// Threads: the UI thread owns the control calls; one producer (the decode worker, or the
// offline renderer) calls fill(); one audio thread calls mixInto(). The queue is single
// producer / single consumer; seeks bump a generation number so stale chunks are dropped
// by the consumer instead of being cleared under a lock.
#include "AudioTypes.h"
#include "Decoder.h"
#include "DspChain.h"
#include "Resampler.h"

#include <QString>
#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

namespace audio {

class Stream
{
public:
    enum State : int { Stopped = 0, Playing = 1, Paused = 3 };
    enum Activity : int { Inactive = 0, ActivePlaying = 1, ActiveStalled = 2, ActivePaused = 3 };

    Stream(std::unique_ptr<Decoder> decoder, const QString &path, Decoder::Entry entry);
    ~Stream();
    Stream(const Stream &) = delete;
    Stream &operator=(const Stream &) = delete;

    const QString &path() const { return m_path; }
    Decoder::Entry entry() const { return m_entry; }
    int sourceRate() const { return m_rate; }
    int sourceChannels() const { return m_channels; }
    bool isEightBit() const { return m_eightBit; }

    // ---- UI thread ----
    bool setAttributes(int frequency, int volume, int pan);
    void attributes(int *frequency, int *volume, int *pan) const;
    void play();
    void pause();
    void stop();
    Activity activity() const;
    int64_t lengthFrames() const { return m_length.load(std::memory_order_acquire); }
    bool lengthExact() const { return m_lengthExact.load(std::memory_order_acquire); }
    void setExactLength(int64_t frames);
    int64_t positionFrames() const;
    // Seeks and decodes the first blocks at the new place right away, so a Play that
    // follows at once has sound from its first block.
    bool seek(int64_t frame);
    // The stream played through its last decoded frame since the last seek.
    bool ranOut() const;
    DspChain &dsp() { return m_dsp; }
    // Copies the last kHistoryFrames frames sent to the mixer (after effects, before volume
    // and pan), oldest first, as interleaved stereo.
    void history(float *stereo) const;

    // ---- producer ----
    // Decodes until the read-ahead is full; returns whether it decoded anything.
    bool fill();
    // Decodes until at least `frames` source frames of the current position are queued or the
    // file ends. For the offline renderer, which is producer and consumer at once.
    void fillAtLeast(int frames);
    bool wantsData() const;
    // Decodes the first blocks of a new stream before it is handed to a card.
    void prime();

    // ---- audio thread ----
    // Adds one block to `out`. Returns false when a playing stream had no data (underrun).
    bool mixInto(float *out, int frames, float *scratch);

private:
    struct Chunk
    {
        uint32_t gen = 0;
        int frames = 0;
        bool eof = false;
        int64_t start = 0;
        float data[kMaxBlock * 2];
    };
    static int pullInto(void *self, float *dst, int frames);
    int pull(float *dst, int frames);
    int queuedFrames(uint32_t gen, bool *eof) const;
    void dropStale(uint32_t gen);
    bool produceOne(uint32_t gen);
    void publishPosition(uint32_t gen, int64_t frame);
    void writeHistory(const float *buf, int frames);

    static uint64_t pack(uint32_t gen, int64_t frame)
    {
        return (uint64_t(gen & 0xFFFFFF) << 40) | (uint64_t(frame) & ((uint64_t(1) << 40) - 1));
    }

    const QString m_path;
    const Decoder::Entry m_entry;
    int m_rate = 0, m_channels = 0;
    bool m_eightBit = false;

    std::atomic<int> m_frequency{0}, m_volume{100}, m_pan{0};
    std::atomic<int> m_state{Stopped};
    std::atomic<bool> m_stalled{false};
    std::atomic<uint32_t> m_gen{1};
    std::atomic<int64_t> m_seekTarget{0};
    std::atomic<uint64_t> m_position;     // packed generation and frame
    std::atomic<uint32_t> m_ranOutGen{0}; // generation whose end the mixer reached
    std::atomic<int64_t> m_length{0};
    std::atomic<bool> m_lengthExact{false};

    // Queue: m_head is the consumer's, m_tail the producer's.
    std::vector<Chunk> m_chunks;
    std::atomic<uint32_t> m_head{0}, m_tail{0};

    // Producer side.
    std::mutex m_decodeMutex;
    std::unique_ptr<Decoder> m_decoder;
    uint32_t m_producerGen = 0;
    bool m_producerEof = false;

    // Audio-thread side. A seek from the UI thread takes the consumer's place for a moment;
    // the audio thread never waits for it, it skips the stream for that block instead.
    std::atomic_flag m_consumerBusy = ATOMIC_FLAG_INIT;
    uint32_t m_mixGen = 0;
    int m_chunkOffset = 0;
    bool m_consumerEof = false;
    Resampler m_resampler;
    bool m_resampling = false; // once pitched, a stream stays on the resampler until a seek
    float m_gainL = -1.f, m_gainR = -1.f;
    DspChain m_dsp;

    // History for the spectrum: the audio thread's ring, and three snapshots handed between
    // it and the readers without waiting (one being written, one published, one being read).
    using HistorySlot = std::array<float, kHistoryFrames * 2>;
    static constexpr int kHistSlot = 3, kHistFresh = 4;
    std::array<float, kHistoryFrames * 2> m_histRing{};
    int m_histWrite = 0;
    int m_histBack = 0;
    mutable std::array<HistorySlot, 3> m_histSlots{};
    mutable std::atomic<int> m_histShared{1};
    mutable int m_histFront = 2;
    mutable std::mutex m_histReader; // readers only; the audio thread never takes it
};

} // namespace audio

#pragma once
// One playing file: its decoder, a read-ahead queue filled by a worker, the attributes and
// effect stages the UI thread sets, and the mixing of one block on the audio thread.
//
// Threads: the UI thread owns the control calls and never touches the file; one producer
// (the stream's own worker, or the offline renderer) calls fill(); one audio thread calls
// mixInto(). The queue is single producer / single consumer; seeks bump a generation number
// so stale chunks are dropped by the consumer instead of being cleared under a lock.
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
    // A gain on top of the volume (loudness normalisation), linear, 0 to 16.
    void setGain(float linear);
    float gain() const { return m_level.load(std::memory_order_relaxed); }
    void play();
    void pause();
    void stop();
    Activity activity() const;
    int64_t lengthFrames() const { return m_length.load(std::memory_order_acquire); }
    bool lengthExact() const { return m_lengthExact.load(std::memory_order_acquire); }
    void setExactLength(int64_t frames);
    int64_t positionFrames() const;
    // Seeks without waiting for the file: the producer moves the decoder and the mixer
    // fades from the old place to the new one once its sound is there.
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
    // Every start, stop, pause, seek, end and dropout reaches `out` through a short ramp:
    // the stream works kRampFrames ahead of what it sends, so it always has sound to fade.
    bool mixInto(float *out, int frames);

    static constexpr int kRampFrames = 256; // 5.8 ms
    // Frames queued before a start or a seek sounds (186 ms; decoded in well under 1 ms by a
    // decoder that has the processor), and the longest wait for them (372 ms).
    static constexpr int kStartQueue = 8 * kMaxBlock;
    static constexpr int kStartWaitBlocks = 16;

private:
    struct Chunk
    {
        uint32_t gen = 0;
        int frames = 0;
        bool eof = false;
        int64_t start = 0;
        float data[kMaxBlock * 2];
    };
    int queuedFrames(uint32_t gen, bool *eof) const;
    void dropStale(uint32_t gen);
    bool produceOne(uint32_t gen);
    void publishPosition(uint32_t gen, int64_t frame);
    void writeHistory(const float *buf, int frames);

    // Audio thread: the input queue.
    int peekInput(const float **data);
    void consumeInput(int frames);
    // Audio thread: the processed frames waiting to be sent.
    void restartOutput(uint32_t gen);
    void produce(int wanted, int frequency);
    int produceDirect(float *dst, int wanted);
    int produceResampled(float *dst, int wanted);
    bool startResampler();
    bool switchToResampler();
    bool switchConverter(bool variable);
    void chooseConverter(double step, int frames);
    void remember(const float *src, int frames);
    void moveAheadToOutgoing();
    float aheadSample(int frame, int channel) const;
    void consumeAhead(int frames);
    int sendAhead(float *out, int from, int frames, float envTarget);
    int64_t outputPosition() const;

    static uint64_t pack(uint32_t gen, int64_t frame)
    {
        return (uint64_t(gen & 0xFFFFFF) << 40) | (uint64_t(frame) & ((uint64_t(1) << 40) - 1));
    }

    const QString m_path;
    const Decoder::Entry m_entry;
    int m_rate = 0, m_channels = 0;
    bool m_eightBit = false;

    std::atomic<int> m_frequency{0}, m_volume{100}, m_pan{0};
    std::atomic<float> m_level{1.f};
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

    // Audio-thread side.
    uint32_t m_mixGen = 0;
    bool m_genStarted = false;  // sound of this generation has reached the mixer
    bool m_genFlowing = false;  // and a whole block of it was sent: a dry queue now is a dropout
    int m_startWaits = 0;       // blocks this generation waited for kStartQueue
    int m_chunkOffset = 0;
    bool m_consumerEof = false;
    int64_t m_inputPos = 0;     // source frame after the last one taken from the queue
    Resampler m_resampler;
    bool m_resampling = false;  // once pitched, a stream stays on the resampler until a seek
    bool m_resamplerEnded = false;
    std::unique_ptr<float[]> m_recent; // the last source frames played unpitched
    int m_recentWrite = 0, m_recentFrames = 0;
    int m_feedRecent = 0;       // of them still to give a converter that takes over
    int m_discard = 0;          // converter output frames to drop before the sound lines up
    int64_t m_convOrigin = 0;   // source frame of the converter's first input
    double m_steadyStep = 0.0;  // the speed lately asked for, and for how many frames
    int m_steadyFrames = 0;
    std::unique_ptr<float[]> m_ahead;  // frames not yet sent, before the effects
    int m_aheadFrames = 0;
    int m_aheadReal = -1;       // after the end: how many of them are sound, -1 before it
    int m_peeked = 0;           // frames heard in a fade-out that kept them for a resume
    float m_env = 0.f;          // 0 silent .. 1 full
    // The stream's own fade (start, stop, pause, a stall), applied after the effects so their
    // tails fade with the rest; a hand-over cross-fades before them and leaves it alone.
    float m_gate = 0.f;
    std::unique_ptr<float[]> m_send; // the block on its way out, through the effects
    std::unique_ptr<float[]> m_outgoing; // the old sound fading out under the new
    int m_outgoingFrames = 0, m_outgoingPos = 0;
    float m_outgoingEnv = 0.f;
    float m_gainL = -1.f, m_gainR = -1.f;
    float m_blockGainL = 0.f, m_blockGainR = 0.f, m_blockStepL = 0.f, m_blockStepR = 0.f;
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

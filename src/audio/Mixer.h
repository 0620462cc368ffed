#pragma once
// The mix of one sound card: sums its playing streams into the card's block and keeps the
// sum under full scale with its limiter.
// Streams come and go through a fixed table of atomic slots, so the audio thread never
// locks; a removed stream is only destroyed once the block that may still use it is done.
#include "AudioTypes.h"
#include "Limiter.h"

#include <array>
#include <atomic>
#include <memory>
#include <vector>

namespace audio {

class Stream;

class Mixer
{
public:
    static constexpr int kSlots = 64;

    Mixer();
    ~Mixer();

    // UI thread.
    bool attach(const std::shared_ptr<Stream> &stream);
    void detach(const std::shared_ptr<Stream> &stream);
    void collectGarbage();
    uint64_t underruns() const { return m_underruns.load(std::memory_order_relaxed); }
    uint64_t blocks() const { return m_blocks.load(); }

    // UI thread, when the card under this mix changes: fadeIn() gives 50 ms of silence, the
    // players waiting, then brings the output up over 10 ms; fadeOut() takes it down and faded() tells when
    // nothing more is heard, so the card can be closed without a click.
    void fadeIn();
    void fadeOut() { m_muted.store(true); }
    bool faded() const { return m_faded.load(); }

    // UI thread: the highest sample level (0..1) this mix sent to its card since the last call.
    float takePeak() { return m_peak.exchange(0.f, std::memory_order_relaxed); }

    // When set, render() decodes what each stream needs first (offline rendering).
    void setDecodeInline(bool on) { m_decodeInline = on; }

    // Audio thread: writes `frames` (<= kMaxBlock) interleaved stereo frames.
    void render(float *out, int frames);

private:
    void applyGain(float *out, int frames);
    void notePeak(const float *out, int frames);
    bool holding(float *out, int frames);
    std::array<std::atomic<Stream *>, kSlots> m_slots{};
    std::vector<std::shared_ptr<Stream>> m_owned;   // UI thread: keeps attached streams alive
    struct Retired
    {
        std::shared_ptr<Stream> stream;
        uint64_t block;
    };
    std::vector<Retired> m_retired;
    std::atomic<bool> m_inRender{false};
    std::atomic<uint64_t> m_blocks{0};
    std::atomic<uint64_t> m_underruns{0};
    bool m_decodeInline = false;
    Limiter m_limiter;
    std::atomic<bool> m_muted{false};
    std::atomic<bool> m_restart{false};
    std::atomic<bool> m_faded{false};
    std::atomic<float> m_peak{0.f};
    float m_gain = 1.f; // audio thread
    int m_hold = 0;     // audio thread: frames of silence still to give before the fade-in
};

} // namespace audio

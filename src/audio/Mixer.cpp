#include "Mixer.h"

#include "Stream.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#if defined(__SSE__)
#include <xmmintrin.h>
#endif

namespace audio {

Mixer::Mixer() = default;

Mixer::~Mixer() = default;

bool Mixer::attach(const std::shared_ptr<Stream> &stream)
{
    collectGarbage();
    for (auto &slot : m_slots) {
        if (slot.load() == nullptr) {
            m_owned.push_back(stream);
            slot.store(stream.get());
            return true;
        }
    }
    return false;
}

void Mixer::detach(const std::shared_ptr<Stream> &stream)
{
    for (auto &slot : m_slots)
        if (slot.load() == stream.get())
            slot.store(nullptr);
    auto it = std::find(m_owned.begin(), m_owned.end(), stream);
    if (it == m_owned.end())
        return;
    // If no block is running now, none can see the stream any more; otherwise keep it
    // until the running block has finished.
    if (m_inRender.load())
        m_retired.push_back({*it, m_blocks.load()});
    m_owned.erase(it);
    collectGarbage();
}

void Mixer::collectGarbage()
{
    const uint64_t done = m_blocks.load();
    m_retired.erase(std::remove_if(m_retired.begin(), m_retired.end(),
                                   [done](const Retired &r) { return done > r.block; }),
                    m_retired.end());
}

void Mixer::fadeIn()
{
    m_faded.store(false);
    m_restart.store(true);
    m_muted.store(false);
}

bool Mixer::holding(float *out, int frames)
{
    // A card just opened may lose the first milliseconds it is given (a sound server mixing
    // a new stream into a running sink drops its head): those are silence, and the players
    // wait for them instead of playing into them.
    if (m_restart.load()) {
        m_hold = kCardRate / 20;
        m_gain = 0.f;
        m_restart.store(false);
    }
    if (m_hold <= 0)
        return false;
    std::fill(out, out + size_t(frames) * 2, 0.f);
    m_hold -= frames;
    return true;
}

void Mixer::applyGain(float *out, int frames)
{
    constexpr float kStep = 1.f / (kCardRate / 100); // 10 ms from silence to full level
    const float target = m_muted.load() ? 0.f : 1.f;
    if (m_gain == target) {
        if (target == 0.f) {
            std::fill(out, out + size_t(frames) * 2, 0.f);
            m_faded.store(true);
        }
        return;
    }
    for (int i = 0; i < frames; ++i) {
        m_gain = target > m_gain ? std::min(target, m_gain + kStep) : std::max(target, m_gain - kStep);
        out[2 * i] *= m_gain;
        out[2 * i + 1] *= m_gain;
    }
}

void Mixer::notePeak(const float *out, int frames)
{
    float peak = 0.f;
    for (int i = 0; i < frames * 2; ++i)
        peak = std::max(peak, std::fabs(out[i]));
    // A reader's reset racing this store loses at most one block's figure.
    if (peak > m_peak.load(std::memory_order_relaxed))
        m_peak.store(peak, std::memory_order_relaxed);
}

void Mixer::render(float *out, int frames)
{
#if defined(__SSE__)
    // Flush denormals to zero: decaying filter tails must not slow the audio thread down.
    _mm_setcsr(_mm_getcsr() | 0x8040);
#endif
    m_inRender.store(true);
    frames = std::min(frames, kMaxBlock);
    if (holding(out, frames)) {
        m_blocks.fetch_add(1);
        m_inRender.store(false);
        return;
    }
    std::fill(out, out + size_t(frames) * 2, 0.f);
    for (auto &slot : m_slots) {
        Stream *s = slot.load();
        if (!s)
            continue;
        const Stream::Activity activity = m_decodeInline ? s->activity() : Stream::Inactive;
        if (activity == Stream::ActivePlaying || activity == Stream::ActiveStalled) {
            int frequency = kCardRate;
            s->attributes(&frequency, nullptr, nullptr);
            // Enough for this block plus the converter's look-ahead margin, and never less
            // than a start waits for.
            s->fillAtLeast(std::max(int(std::ceil(frames * double(frequency) / kCardRate)) + 3 * kMaxBlock,
                                    Stream::kStartQueue));
        }
        if (!s->mixInto(out, frames))
            m_underruns.fetch_add(1, std::memory_order_relaxed);
    }
    m_limiter.process(out, frames);
    applyGain(out, frames);
    notePeak(out, frames);
    m_blocks.fetch_add(1);
    m_inRender.store(false);
}

} // namespace audio

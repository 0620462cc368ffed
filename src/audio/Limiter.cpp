#include "Limiter.h"

#include "AudioTypes.h"

#include <algorithm>
#include <cmath>

namespace audio {

Limiter::Limiter()
{
    std::fill(m_held, m_held + kWindow, 1.f);
    m_release = float(1.0 - std::exp(-1.0 / (0.05 * kCardRate))); // recovers over about 50 ms
}

float Limiter::wantedGain(float peak)
{
    if (!(peak > kThreshold))
        return 1.f;
    // Soft knee: slope 1 at the threshold, tending to the ceiling, never reaching it.
    const float room = kCeiling - kThreshold;
    const float out = kThreshold + room * (1.f - std::exp(-(peak - kThreshold) / room));
    return out / peak;
}

void Limiter::process(float *buf, int frames)
{
    for (int i = 0; i < frames; ++i, ++m_frame) {
        const float l = buf[2 * i], r = buf[2 * i + 1];
        const float want = wantedGain(std::max(std::fabs(l), std::fabs(r)));

        // Window minimum over the last kWindow frames. What left the window goes first, so
        // the queue never holds more than the window.
        while (m_minCount > 0 && m_minFrame[m_minHead] <= m_frame - kWindow) {
            m_minHead = (m_minHead + 1) % kWindow;
            --m_minCount;
        }
        while (m_minCount > 0 && m_minGain[(m_minHead + m_minCount - 1) % kWindow] >= want)
            --m_minCount;
        const int back = (m_minHead + m_minCount) % kWindow;
        m_minGain[back] = want;
        m_minFrame[back] = m_frame;
        ++m_minCount;
        const float held = m_minGain[m_minHead];

        // Falls at once to what the window needs, recovers slowly.
        m_env = std::min(held, m_env + (1.f - m_env) * m_release);
        if (m_env > 0.9999f && held >= 1.f) // -0.001 dB from home
            m_env = 1.f;

        // Every gain averaged here is at most the one the delayed frame needs.
        const int slot = int(m_frame % kWindow);
        m_heldBelow -= m_held[slot] < 1.f;
        m_heldSum -= m_held[slot];
        m_held[slot] = m_env;
        m_heldSum += m_env;
        m_heldBelow += m_env < 1.f;
        const float gain = m_heldBelow == 0 ? 1.f : float(m_heldSum / kWindow);

        const int d = int(m_frame % kLookAhead);
        const float dl = m_delay[d * 2], dr = m_delay[d * 2 + 1];
        m_delay[d * 2] = l;
        m_delay[d * 2 + 1] = r;
        buf[2 * i] = dl * gain;
        buf[2 * i + 1] = dr * gain;
    }
}

} // namespace audio

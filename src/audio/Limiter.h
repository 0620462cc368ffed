#pragma once
// The master limiter of one card: keeps the mix below full scale without clipping it.
// Below its threshold (-3 dBFS) it is the identity, delayed by its short look-ahead; above
// it, a soft knee bends the peaks towards a ceiling just under full scale. The gain falls
// before a peak arrives (look-ahead), glides (a moving average) and recovers slowly.
#include <cstdint>

namespace audio {

class Limiter
{
public:
    static constexpr int kLookAhead = 64; // frames: 1.5 ms
    static constexpr float kThreshold = 0.70794578f; // -3 dBFS
    static constexpr float kCeiling = 0.98f;

    Limiter();
    // In place, interleaved stereo; the output lags the input by kLookAhead frames.
    void process(float *buf, int frames);

private:
    static constexpr int kWindow = kLookAhead + 1;
    static float wantedGain(float peak);

    float m_delay[kLookAhead * 2] = {};
    // Smallest wanted gain over the window: a monotonic queue of (gain, frame).
    float m_minGain[kWindow] = {};
    int64_t m_minFrame[kWindow] = {};
    int m_minHead = 0, m_minCount = 0;
    // The held gain after its release, averaged over the window.
    float m_held[kWindow] = {};
    double m_heldSum = kWindow;
    int m_heldBelow = 0; // entries under 1: with none, the gain is exactly 1
    float m_env = 1.f;
    float m_release = 0.f;
    int64_t m_frame = 0;
};

} // namespace audio

#pragma once
// A deck's pitch and rate conversion: libsoxr in its variable-rate mode, stereo float.
//
// The audio thread resamples; starting afresh (after a seek) must not allocate there, so a
// second, fresh converter always waits in reserve. A worker thread calls maintain() to
// delete the used one and prepare the next reserve.
#include <atomic>
#include <cstddef>

struct soxr;

namespace audio {

class Resampler
{
public:
    // Highest input frames per output frame: 100 kHz played on a 44.1 kHz card.
    static constexpr double kMaxStep = 2.3;

    Resampler();
    ~Resampler();
    Resampler(const Resampler &) = delete;
    Resampler &operator=(const Resampler &) = delete;

    // ---- worker thread ----
    void maintain();

    // ---- audio thread ----
    // Swaps in the fresh reserve. False while none is ready yet (the caller waits a block).
    bool restart();
    // Sets the speed; a change glides there over some 23 ms.
    void setStep(double step);
    double step() const { return m_step; }
    // Feeds up to `frames` input frames (nullptr: the input has ended) and writes up to
    // `maxOut` output frames. Returns the output frames written; *used the input consumed.
    int process(const float *in, int frames, int *used, float *out, int maxOut);
    // Output frames a fresh converter sends before the one that matches its first input.
    static int latency();

private:
    static soxr *create();
    soxr *m_active = nullptr;
    std::atomic<soxr *> m_reserve{nullptr};
    std::atomic<soxr *> m_retired{nullptr};
    double m_step = 1.0;
};

} // namespace audio

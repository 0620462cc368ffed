#pragma once
// A deck's pitch and rate conversion: libsoxr, stereo float.
//
// A steady speed runs on a fixed-ratio converter, which costs a fraction of the
// variable-rate one; a moving speed runs on the variable-rate one, which glides. The stream
// hands over between them by a cross-fade, lining both up on the source frame they play.
//
// The audio thread never creates a converter: a worker thread calls maintain(), which
// deletes the used one and keeps a variable-rate reserve and, when asked, a fixed-ratio one
// ready at the speeds the audio thread named with prepare().
#include <atomic>
#include <cstddef>

struct soxr;

namespace audio {

class Resampler
{
public:
    // Highest input frames per output frame: 100 kHz played on a 44.1 kHz card.
    static constexpr double kMaxStep = 2.3;
    // Most input frames given in one call: what the converters were warmed with.
    static constexpr int kMaxInput = 4096;
    // Speeds a fixed-ratio converter serves; beyond them the variable-rate one stays on.
    static bool fixedFits(double step) { return step >= 0.25 && step <= kMaxStep; }

    Resampler();
    ~Resampler();
    Resampler(const Resampler &) = delete;
    Resampler &operator=(const Resampler &) = delete;

    // ---- worker thread ----
    void maintain();

    // ---- audio thread ----
    // Swaps in the variable-rate reserve for a fresh start. False while none is ready yet.
    bool restart();
    // Swaps in the converter of that kind prepared at the current speed. False while none is.
    bool takeOver(bool variable);
    // Names the speed the reserve of that kind should be prepared at.
    void prepare(double step, bool variable);
    bool variable() const;
    // Sets the speed of a variable-rate converter; a change glides there over some 23 ms.
    void setStep(double step);
    double step() const { return m_step; }
    // Feeds up to `frames` input frames (nullptr: the input has ended) and writes up to
    // `maxOut` output frames. Returns the output frames written; *used the input consumed.
    int process(const float *in, int frames, int *used, float *out, int maxOut);
    // Output frames the active converter sent before the one that matches its first input.
    int latency() const;
    // Where the next output frame lies, in input frames after the first one fed.
    double nextSource() const { return m_nextSource; }

    // Measured delay of a converter prepared like every other of that kind and speed.
    static int latency(double step, bool variable);

private:
    struct Converter;
    static Converter *create(double step, bool variable);
    static void destroy(Converter *c);
    // Takes the slot's converter if it was made at `wanted` (any, when 0).
    bool swapIn(std::atomic<Converter *> &slot, double wanted);
    void keep(std::atomic<Converter *> &slot, double step, bool variable);

    Converter *m_active = nullptr;
    std::atomic<Converter *> m_reserve{nullptr};
    std::atomic<Converter *> m_fixed{nullptr};
    std::atomic<Converter *> m_retired{nullptr};
    std::atomic<double> m_wantVariable{1.0};
    std::atomic<double> m_wantFixed{0.0}; // 0: none wanted
    double m_step = 1.0;
    double m_nextSource = 0.0;
    double m_glideFrom = 1.0;
    int m_glideLeft = 0;
};

} // namespace audio

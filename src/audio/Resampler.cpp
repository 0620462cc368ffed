#include "Resampler.h"

#include "AudioTypes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <memory>

namespace audio {

namespace {

constexpr int kPhases = 1024;
// Speeds up to these steps use the matching table; each cuts off just below the output's
// Nyquist frequency measured in the input's frames.
constexpr std::array<double, 7> kStepLimits = {1.0, 1.12, 1.3, 1.55, 1.9, 2.4, 3.2};

double besselI0(double x)
{
    double sum = 1, term = 1;
    for (int k = 1; k < 30; ++k) {
        term *= (x / (2 * k)) * (x / (2 * k));
        sum += term;
    }
    return sum;
}

typedef float v4 __attribute__((vector_size(16)));

struct Kernels
{
    // [table][phase][tap], each tap written twice so one vector weighs two stereo frames
    std::unique_ptr<v4[]> data;

    Kernels()
        : data(new v4[kStepLimits.size() * kPhases * Resampler::kTaps / 2])
    {
        float k[Resampler::kTaps];
        const double beta = 7.0;
        const double norm = besselI0(beta);
        for (size_t t = 0; t < kStepLimits.size(); ++t) {
            const double cutoff = 0.91 / kStepLimits[t]; // of the input's Nyquist frequency
            for (int ph = 0; ph < kPhases; ++ph) {
                const double frac = double(ph) / kPhases;
                double sum = 0;
                for (int i = 0; i < Resampler::kTaps; ++i) {
                    // Tap i weighs input frame (idx - kHalf + 1 + i); its distance from the
                    // output point is that minus (idx + frac).
                    const double x = double(i - Resampler::kHalf + 1) - frac;
                    const double r = x / (Resampler::kHalf + 0.0);
                    const double w = std::fabs(r) >= 1.0 ? 0.0 : besselI0(beta * std::sqrt(1 - r * r)) / norm;
                    const double s = x == 0 ? cutoff : std::sin(M_PI * cutoff * x) / (M_PI * x);
                    k[i] = float(s * w);
                    sum += s * w;
                }
                v4 *out = data.get() + (t * kPhases + size_t(ph)) * Resampler::kTaps / 2;
                for (int i = 0; i < Resampler::kTaps; i += 2) {
                    // unity gain at DC for every phase
                    const float a = float(k[i] / sum), b = float(k[i + 1] / sum);
                    out[i / 2] = v4{a, a, b, b};
                }
            }
        }
    }
};

const Kernels &kernels()
{
    static const Kernels k;
    return k;
}

} // namespace

Resampler::Resampler()
{
    kernels(); // build the tables now, never on the audio thread
    reset();
}

void Resampler::reset()
{
    std::fill(m_buf, m_buf + kHalf * 2, 0.f);
    m_frames = kHalf;
    m_pos = kHalf;
    m_inputEnd = -1;
}

void Resampler::remember(const float *frames, int count)
{
    if (count >= kHalf) {
        std::memcpy(m_memory, frames + size_t(count - kHalf) * 2, sizeof m_memory);
        m_remembered = kHalf;
        return;
    }
    const int keep = std::min(m_remembered, kHalf - count);
    std::memmove(m_memory, m_memory + size_t(m_remembered - keep) * 2, size_t(keep) * 2 * sizeof(float));
    std::memcpy(m_memory + size_t(keep) * 2, frames, size_t(count) * 2 * sizeof(float));
    m_remembered = keep + count;
}

void Resampler::resumeFromMemory()
{
    reset();
    const int n = m_remembered;
    std::memcpy(m_buf + size_t(kHalf - n) * 2, m_memory, size_t(n) * 2 * sizeof(float));
    m_remembered = 0;
}

bool Resampler::fill(int needed, Pull pull, void *context)
{
    // Slide the frames still needed to the front.
    const int first = std::max(0, int(m_pos) - kHalf + 1);
    if (first > 0) {
        std::memmove(m_buf, m_buf + size_t(first) * 2, size_t(m_frames - first) * 2 * sizeof(float));
        m_frames -= first;
        m_pos -= first;
        if (m_inputEnd >= 0)
            m_inputEnd -= first;
        needed -= first;
    }
    needed = std::min(needed, kCapacity);
    while (m_frames < needed && m_inputEnd < 0) {
        const int got = pull(context, m_buf + size_t(m_frames) * 2, needed - m_frames);
        if (got <= 0) {
            m_inputEnd = m_frames;
            break;
        }
        m_frames += got;
    }
    if (m_frames < needed) {
        // After the end, silence lets the filter play out the last frames.
        std::fill(m_buf + size_t(m_frames) * 2, m_buf + size_t(needed) * 2, 0.f);
        m_frames = needed;
    }
    return true;
}

VELARIX_VECTOR_CLONES
int Resampler::process(double step, float *out, int frames, Pull pull, void *context)
{
    step = std::clamp(step, 1e-3, kStepLimits.back());
    size_t table = 0;
    while (table + 1 < kStepLimits.size() && step > kStepLimits[table])
        ++table;
    const v4 *base = kernels().data.get() + table * kPhases * kTaps / 2;

    int done = 0;
    while (done < frames) {
        // Work in slices that always fit the buffer.
        const int slice = std::min(frames - done, int((kCapacity - 2 * kTaps) / step) - 1);
        fill(int(std::ceil(m_pos + slice * step)) + kHalf + 1, pull, context);
        for (int n = 0; n < slice; ++n) {
            if (m_inputEnd >= 0 && m_pos >= m_inputEnd)
                return done;
            const int idx = int(m_pos);
            const int phase = std::min(kPhases - 1, int((m_pos - idx) * kPhases));
            const v4 *k = base + size_t(phase) * kTaps / 2;
            const float *x = m_buf + size_t(idx - kHalf + 1) * 2;
            v4 acc = {0, 0, 0, 0};
            for (int i = 0; i < kTaps / 2; ++i) {
                v4 pair; // two stereo frames
                std::memcpy(&pair, x + 4 * i, sizeof pair);
                acc += k[i] * pair;
            }
            out[2 * done] = acc[0] + acc[2];
            out[2 * done + 1] = acc[1] + acc[3];
            ++done;
            m_pos += step;
        }
    }
    return done;
}

} // namespace audio

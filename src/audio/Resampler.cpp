#include "Resampler.h"

#include <soxr.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace audio {

namespace {
// Every speed change glides over this many output frames, so a moving slider sounds smooth.
// It must not be short: a change made without a glide of a few hundred frames, after a slower
// speed, leaves this converter without its anti-alias filter (measured with libsoxr 0.1.3).
constexpr size_t kGlide = 1024;
}

soxr *Resampler::create()
{
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, SOXR_VR);
    const soxr_runtime_spec_t runtime = soxr_runtime_spec(1);
    soxr_error_t error = nullptr;
    // In variable-rate mode the rates given here set the largest ratio it will accept.
    soxr *s = soxr_create(kMaxStep, 1.0, 2, &error, &io, &quality, &runtime);
    if (!s || error) {
        soxr_delete(s);
        return nullptr;
    }
    soxr_set_io_ratio(s, 1.0, 0);
    // Run silence through it at both ends of the speed range, so every buffer it grows
    // lazily is grown here and not later on the audio thread; it then holds only zeros and
    // owes no output beyond its own delay.
    std::vector<float> zeros(size_t(4096) * 2, 0.f), out(size_t(8192) * 2);
    for (double ratio : {2.0, 0.25, 1.0}) {
        soxr_set_io_ratio(s, ratio, kGlide);
        for (int round = 0; round < 4; ++round) {
            size_t used = 0, made = 0;
            soxr_process(s, zeros.data(), 1100, &used, out.data(), 8192, &made);
        }
        for (int round = 0; round < 16; ++round) {
            size_t used = 0, made = 0;
            soxr_process(s, zeros.data(), 0, &used, out.data(), 8192, &made);
            if (made == 0)
                break;
        }
    }
    return s;
}

int Resampler::latency()
{
    // Measured once on a converter prepared like every other: a few tones, no common period,
    // fed at speed 1 and matched against the input at whole-frame offsets.
    static const int measured = [] {
        soxr *s = create();
        const int frames = 8192, maxOffset = 1024;
        std::vector<float> in(size_t(frames) * 2), out(size_t(frames + maxOffset) * 2, 0.f);
        for (int i = 0; i < frames; ++i)
            in[size_t(i) * 2] = in[size_t(i) * 2 + 1] = float(0.3 * std::sin(2 * M_PI * 440.0 * i / 44100)
                + 0.3 * std::sin(2 * M_PI * 1234.5 * i / 44100) + 0.3 * std::sin(2 * M_PI * 3071.3 * i / 44100));
        size_t fed = 0, got = 0;
        while (fed < size_t(frames) && s) {
            size_t used = 0, made = 0;
            soxr_process(s, in.data() + fed * 2, std::min<size_t>(512, frames - fed), &used,
                         out.data() + got * 2, size_t(frames + maxOffset) - got, &made);
            fed += used;
            got += made;
            if (!used && !made)
                break;
        }
        soxr_delete(s);
        int best = 0;
        double bestError = 1e30;
        for (int offset = 0; offset < maxOffset; ++offset) {
            double e = 0;
            for (int k = 1000; k < 4000; ++k) {
                const double d = double(out[size_t(k + offset) * 2]) - in[size_t(k) * 2];
                e += d * d;
            }
            if (e < bestError) {
                bestError = e;
                best = offset;
            }
        }
        return best;
    }();
    return measured;
}

Resampler::Resampler()
{
    latency();
    m_active = create();
    m_reserve.store(create(), std::memory_order_release);
}

Resampler::~Resampler()
{
    soxr_delete(m_active);
    soxr_delete(m_reserve.exchange(nullptr));
    soxr_delete(m_retired.exchange(nullptr));
}

void Resampler::maintain()
{
    if (soxr *old = m_retired.exchange(nullptr, std::memory_order_acq_rel))
        soxr_delete(old);
    if (!m_reserve.load(std::memory_order_acquire))
        m_reserve.store(create(), std::memory_order_release);
}

bool Resampler::restart()
{
    if (m_retired.load(std::memory_order_acquire))
        return false; // the last one has not been collected yet
    soxr *fresh = m_reserve.exchange(nullptr, std::memory_order_acq_rel);
    if (!fresh)
        return false;
    m_retired.store(m_active, std::memory_order_release);
    m_active = fresh;
    m_step = 1.0; // the reserve was left at this speed
    return true;
}

void Resampler::setStep(double step)
{
    step = std::clamp(step, 1e-3, kMaxStep);
    if (step == m_step || !m_active)
        return;
    m_step = step;
    soxr_set_io_ratio(m_active, step, kGlide);
}

int Resampler::process(const float *in, int frames, int *used, float *out, int maxOut)
{
    size_t idone = 0, odone = 0;
    if (m_active)
        soxr_process(m_active, in, in ? size_t(frames) : 0, &idone, out, size_t(maxOut), &odone);
    if (used)
        *used = int(idone);
    return int(odone);
}

} // namespace audio

#include "Resampler.h"

#include <soxr.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

namespace audio {

namespace {
// Every speed change glides over this many output frames, so a moving slider sounds smooth.
// It must not be short: a change made without a glide of a few hundred frames, after a slower
// speed, leaves the variable-rate converter without its anti-alias filter (measured with
// libsoxr 0.1.3).
constexpr int kGlide = 1024;
}

struct Resampler::Converter
{
    soxr *s = nullptr;
    double step = 1.0;
    bool variable = true;
    int latency = 0;
};

static soxr *makeSoxr(double step, bool variable)
{
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, variable ? SOXR_VR : 0);
    const soxr_runtime_spec_t runtime = soxr_runtime_spec(1);
    soxr_error_t error = nullptr;
    // In variable-rate mode the rates given here set the largest ratio it will accept.
    soxr *s = soxr_create(variable ? Resampler::kMaxStep : step, 1.0, 2, &error, &io, &quality, &runtime);
    if (!s || error) {
        soxr_delete(s);
        return nullptr;
    }
    // Run silence through it in the largest input pieces the stream gives, against output
    // room from tiny to ample (and, variable, at both ends of the speed range), so every buffer
    // it grows lazily is grown here and not later on the audio thread; it then holds only
    // zeros and owes no output beyond its own delay.
    std::vector<float> zeros(size_t(4096) * 2, 0.f), out(size_t(32768) * 2);
    const std::vector<double> ratios = variable ? std::vector<double>{2.0, 0.25, step} : std::vector<double>{step};
    for (double ratio : ratios) {
        if (variable)
            soxr_set_io_ratio(s, ratio, kGlide);
        for (const size_t room : {size_t(32768), size_t(16), size_t(1280)}) {
            for (int round = 0; round < 4; ++round) {
                size_t used = 0, made = 0;
                soxr_process(s, zeros.data(), Resampler::kMaxInput, &used, out.data(), room, &made);
            }
        }
        for (int round = 0; round < 16; ++round) {
            size_t used = 0, made = 0;
            soxr_process(s, zeros.data(), 0, &used, out.data(), 32768, &made);
            if (made == 0)
                break;
        }
    }
    return s;
}

int Resampler::latency(double step, bool variable)
{
    // Measured on a converter prepared like every other of its kind and speed: a few tones,
    // no common period, matched against the input at whole output-frame offsets.
    static std::mutex mutex;
    static std::map<std::pair<double, bool>, int> known;
    std::lock_guard<std::mutex> lock(mutex);
    const auto found = known.find({step, variable});
    if (found != known.end())
        return found->second;
    const auto tone = [](double t) {
        return 0.3 * std::sin(2 * M_PI * 440.0 * t / 44100) + 0.3 * std::sin(2 * M_PI * 1234.5 * t / 44100)
            + 0.3 * std::sin(2 * M_PI * 3071.3 * t / 44100);
    };
    const int first = 500, count = 2000;
    const int maxOffset = int(1024 / std::min(step, 1.0)) + 1;
    const int need = first + count + maxOffset;
    const int frames = int(need * step) + 8192;
    std::vector<float> in(size_t(frames) * 2), out(size_t(need) * 2, 0.f);
    for (int i = 0; i < frames; ++i)
        in[size_t(i) * 2] = in[size_t(i) * 2 + 1] = float(tone(i));
    soxr *s = makeSoxr(step, variable);
    size_t fed = 0, got = 0;
    while (s && got < size_t(need)) {
        size_t used = 0, made = 0;
        soxr_process(s, in.data() + fed * 2, std::min<size_t>(512, frames - fed), &used,
                     out.data() + got * 2, size_t(need) - got, &made);
        fed += used;
        got += made;
        if (!used && !made)
            break;
    }
    soxr_delete(s);
    std::vector<double> expected(count);
    for (int k = 0; k < count; ++k)
        expected[size_t(k)] = tone((first + k) * step);
    int best = 0;
    double bestError = 1e300;
    for (int offset = 0; offset < maxOffset; ++offset) {
        double e = 0;
        for (int k = first; k < first + count; ++k) {
            const double d = double(out[size_t(k + offset) * 2]) - expected[size_t(k - first)];
            e += d * d;
        }
        if (e < bestError) {
            bestError = e;
            best = offset;
        }
    }
    known[{step, variable}] = best;
    return best;
}

Resampler::Converter *Resampler::create(double step, bool variable)
{
    soxr *s = makeSoxr(step, variable);
    if (!s)
        return nullptr;
    return new Converter{s, step, variable, latency(step, variable)};
}

void Resampler::destroy(Converter *c)
{
    if (c)
        soxr_delete(c->s);
    delete c;
}

Resampler::Resampler()
{
    m_active = create(1.0, true);
    m_reserve.store(create(1.0, true), std::memory_order_release);
}

Resampler::~Resampler()
{
    destroy(m_active);
    destroy(m_reserve.exchange(nullptr));
    destroy(m_fixed.exchange(nullptr));
    destroy(m_retired.exchange(nullptr));
}

void Resampler::keep(std::atomic<Converter *> &slot, double step, bool variable)
{
    Converter *c = slot.load(std::memory_order_acquire);
    // The audio thread may take it meanwhile; then it is its own and not ours to delete.
    if (c && c->step != step && slot.compare_exchange_strong(c, nullptr, std::memory_order_acq_rel)) {
        destroy(c);
        c = nullptr;
    }
    if (!c && step > 0)
        slot.store(create(step, variable), std::memory_order_release);
}

void Resampler::maintain()
{
    destroy(m_retired.exchange(nullptr, std::memory_order_acq_rel));
    keep(m_reserve, m_wantVariable.load(std::memory_order_relaxed), true);
    keep(m_fixed, m_wantFixed.load(std::memory_order_relaxed), false);
}

bool Resampler::swapIn(std::atomic<Converter *> &slot, double wanted)
{
    if (m_retired.load(std::memory_order_acquire))
        return false; // the last one has not been collected yet
    // Taken out of the slot before it is looked at: the worker may replace what it holds.
    Converter *fresh = slot.exchange(nullptr, std::memory_order_acq_rel);
    if (!fresh)
        return false;
    if (wanted > 0 && fresh->step != wanted) {
        m_retired.store(fresh, std::memory_order_release); // made for a speed no longer held
        return false;
    }
    m_retired.store(m_active, std::memory_order_release);
    m_active = fresh;
    m_step = m_glideFrom = fresh->step; // it was left at this speed
    m_glideLeft = 0;
    m_nextSource = -fresh->latency * fresh->step;
    return true;
}

bool Resampler::restart()
{
    return swapIn(m_reserve, 0.0);
}

bool Resampler::takeOver(bool variable)
{
    return swapIn(variable ? m_reserve : m_fixed, m_step);
}

void Resampler::prepare(double step, bool variable)
{
    (variable ? m_wantVariable : m_wantFixed).store(step, std::memory_order_relaxed);
}

bool Resampler::variable() const
{
    return !m_active || m_active->variable;
}

int Resampler::latency() const
{
    return m_active ? m_active->latency : 0;
}

void Resampler::setStep(double step)
{
    step = std::clamp(step, 1e-3, kMaxStep);
    if (step == m_step || !m_active || !m_active->variable)
        return;
    m_glideFrom = m_glideLeft > 0 ? m_glideFrom + (m_step - m_glideFrom) * (1.0 - double(m_glideLeft) / kGlide)
                                  : m_step;
    m_glideLeft = kGlide;
    m_step = step;
    soxr_set_io_ratio(m_active->s, step, kGlide);
}

int Resampler::process(const float *in, int frames, int *used, float *out, int maxOut)
{
    size_t idone = 0, odone = 0;
    if (m_active)
        soxr_process(m_active->s, in, in ? size_t(frames) : 0, &idone, out, size_t(maxOut), &odone);
    if (used)
        *used = int(idone);
    int n = int(odone);
    for (; n > 0 && m_glideLeft > 0; --n, --m_glideLeft)
        m_nextSource += m_glideFrom + (m_step - m_glideFrom) * (1.0 - double(m_glideLeft) / kGlide);
    m_nextSource += n * m_step;
    return int(odone);
}

} // namespace audio

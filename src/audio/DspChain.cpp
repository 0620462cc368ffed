#include "DspChain.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace audio {

namespace {
constexpr int kSubBlock = 32;            // equaliser coefficients are refreshed this often
constexpr float kGainGlide = 1.f / 441;  // a band's gain follows its slider over some 10 ms, twice
constexpr int kFlangerFrames = 2048;     // power of two, more than the longest sweep
constexpr int kEchoMaxDelayMs = 500;
constexpr int kEchoMaxRepeats = 6;
constexpr int kEchoFrames = kEchoMaxRepeats * kEchoMaxDelayMs * kCardRate / 1000 + kMaxBlock + 4;
constexpr float kCutRateHz = 4.f;        // eighth notes at 120 BPM
constexpr float kCutEdge = 0.016f;       // 4 ms edges, as a share of a cut cycle
constexpr double kTwoPi = 6.283185307179586;
constexpr float kLineGlide = 1.f / 512; // a delay line's input fades in over 12 ms

typedef float v4 __attribute__((vector_size(16)));
typedef int m4 __attribute__((vector_size(16)));

// Steady equaliser bands, two to a vector: lanes 0 and 1 are the left and right side of one
// band, lanes 2 and 3 those of the next.
template <int V>
struct Cascade
{
    v4 b0[V], a1[V], a2[V], e[V], s1[V], s2[V];
};

// One step of the wavefront: band j works on frame t - j, its input being what band j - 1 gave
// one step earlier. At the edges of the block a band outside its frames keeps its memory.
template <int V, bool Edge>
inline void cascadeStep(Cascade<V> &c, v4 (&o)[V], v4 in, int t, int n)
{
    v4 x[V];
    x[0] = __builtin_shuffle(in, o[0], m4{0, 1, 4, 5});
#pragma GCC unroll 8
    for (int v = 1; v < V; ++v)
        x[v] = __builtin_shuffle(o[v - 1], o[v], m4{2, 3, 4, 5});
#pragma GCC unroll 8
    for (int v = 0; v < V; ++v) {
        const v4 y = c.b0[v] * x[v] + c.s1[v];
        const v4 s1 = c.s2[v] - c.a1[v] * y;
        const v4 s2 = -c.b0[v] * x[v] - c.a2[v] * y;
        o[v] = x[v] + c.e[v] * y;
        if (Edge) {
            const int j = 2 * v;
            const int lo = j <= t && t - j < n ? -1 : 0;
            const int hi = j + 1 <= t && t - j - 1 < n ? -1 : 0;
            const m4 live{lo, lo, hi, hi};
            c.s1[v] = live ? s1 : c.s1[v];
            c.s2[v] = live ? s2 : c.s2[v];
        } else {
            c.s1[v] = s1;
            c.s2[v] = s2;
        }
    }
}

// Bands in series wait on each other sample by sample; run as a wavefront, every band moves
// at once and the cascade costs little more than one band.
template <int V>
void runCascade(Cascade<V> &c, float *buf, int n)
{
    constexpr int depth = 2 * V;
    v4 o[V] = {};
    const int steps = n + depth - 1;
    const int full = std::min(depth - 1, n);
    int t = 0;
    auto out = [&](int at) {
        if (at >= depth - 1) {
            buf[2 * (at - depth + 1)] = o[V - 1][2];
            buf[2 * (at - depth + 1) + 1] = o[V - 1][3];
        }
    };
    for (; t < full; ++t) {
        cascadeStep<V, true>(c, o, v4{buf[2 * t], buf[2 * t + 1], 0, 0}, t, n);
        out(t);
    }
    for (; t < n; ++t) {
        cascadeStep<V, false>(c, o, v4{buf[2 * t], buf[2 * t + 1], 0, 0}, t, n);
        out(t);
    }
    for (; t < steps; ++t) {
        cascadeStep<V, true>(c, o, v4{0, 0, 0, 0}, t, n);
        out(t);
    }
}

struct SteadyBand
{
    float b0, a1, a2, extra;
    float s1[2], s2[2];
};

template <int V>
void runSteady(SteadyBand *bands, int count, float *buf, int n)
{
    Cascade<V> c{};
    // An odd count leaves a pad band with no gain and no memory: the identity.
    for (int i = 0; i < count; ++i) {
        const SteadyBand &b = bands[i];
        const int v = i / 2, at = (i % 2) * 2;
        c.b0[v][at] = c.b0[v][at + 1] = b.b0;
        c.a1[v][at] = c.a1[v][at + 1] = b.a1;
        c.a2[v][at] = c.a2[v][at + 1] = b.a2;
        c.e[v][at] = c.e[v][at + 1] = b.extra;
        c.s1[v][at] = b.s1[0];
        c.s1[v][at + 1] = b.s1[1];
        c.s2[v][at] = b.s2[0];
        c.s2[v][at + 1] = b.s2[1];
    }
    runCascade<V>(c, buf, n);
    for (int i = 0; i < count; ++i) {
        SteadyBand &b = bands[i];
        const int v = i / 2, at = (i % 2) * 2;
        b.s1[0] = c.s1[v][at];
        b.s1[1] = c.s1[v][at + 1];
        b.s2[0] = c.s2[v][at];
        b.s2[1] = c.s2[v][at + 1];
    }
}

void runSteadyBands(SteadyBand *bands, int count, float *buf, int n)
{
    switch ((count + 1) / 2) {
    case 1: runSteady<1>(bands, count, buf, n); break;
    case 2: runSteady<2>(bands, count, buf, n); break;
    case 3: runSteady<3>(bands, count, buf, n); break;
    case 4: runSteady<4>(bands, count, buf, n); break;
    case 5: runSteady<5>(bands, count, buf, n); break;
    }
}
} // namespace

DspChain::DspChain()
    : m_flBuffer(new float[kFlangerFrames * 2]())
    , m_dry(new float[kMaxBlock * 2]())
{
}

DspChain::~DspChain() = default;

int DspChain::stageOf(int type)
{
    switch (type) {
    case DspEqualizer: return Eq;
    case DspCut: return Cut;
    case DspFlanger: return Flanger;
    case DspEcho: return Echo;
    default: return -1;
    }
}

bool DspChain::set(int type, int priority)
{
    const int s = stageOf(type);
    if (s < 0)
        return false;
    if (s == Echo && !m_echoBuffer.load(std::memory_order_acquire)) {
        m_echoOwned.reset(new float[kEchoFrames * 2]());
        m_echoBuffer.store(m_echoOwned.get(), std::memory_order_release);
    }
    Control &c = m_ctl[s];
    if (c.attached.load())
        return true; // one stage per type: attaching again never doubles the effect
    c.priority.store(priority);
    c.order.store(++m_orderCounter);
    c.attached.store(true, std::memory_order_release);
    m_layout.fetch_add(1, std::memory_order_release);
    return true;
}

bool DspChain::remove(int type)
{
    const int s = stageOf(type);
    if (s < 0 || !m_ctl[s].attached.load())
        return false;
    m_ctl[s].attached.store(false, std::memory_order_release);
    if (s == Eq)
        for (Band &b : m_bands)
            b.used.store(false);
    m_layout.fetch_add(1, std::memory_order_release);
    return true;
}

bool DspChain::isSet(int type) const
{
    const int s = stageOf(type);
    return s >= 0 && m_ctl[s].attached.load();
}

bool DspChain::setParameters(int type, const void *block)
{
    const int s = stageOf(type);
    if (s < 0 || !block || !m_ctl[s].attached.load())
        return false;
    switch (s) {
    case Eq: {
        auto *p = static_cast<const EqualizerBlock *>(block);
        if (p->band < 0 || p->band >= kBands || !(p->centre > 0.f) || !std::isfinite(p->gain))
            return false;
        if (!(p->q > 0.f) && !(p->bandwidth > 0.f))
            return false;
        Band &b = m_bands[p->band];
        b.centre.store(p->centre);
        b.gain.store(std::clamp(p->gain, -40.f, 40.f));
        b.bandwidth.store(p->bandwidth);
        b.q.store(p->q > 0.f ? p->q : 0.f);
        b.used.store(true, std::memory_order_release);
        return true;
    }
    case Flanger: {
        auto *p = static_cast<const FlangerBlock *>(block);
        m_flDelay.store(std::isfinite(p->delayMs) ? std::clamp(p->delayMs, 0.1f, 10.f) : 1.f);
        m_flTempo.store(std::isfinite(p->tempo) ? std::clamp(p->tempo, 20.f, 300.f) : 120.f);
        m_flDepth.store(std::isfinite(p->depth) ? std::clamp(p->depth, 0.f, 15.f) : 8.f);
        return true;
    }
    case Echo: {
        auto *p = static_cast<const EchoBlock *>(block);
        auto finite = [](float v, float d) { return std::isfinite(v) ? v : d; };
        m_echoDry.store(std::clamp(finite(p->dry, 1.f), 0.f, 2.f));
        m_echoWet.store(std::clamp(finite(p->wet, 1.f), 0.f, 2.f));
        m_echoDelay.store(std::clamp(finite(p->delayMs, 0.f), 0.f, float(kEchoMaxDelayMs)));
        m_echoRepeats.store(std::clamp(finite(p->repeats, 1.f), 1.f, float(kEchoMaxRepeats)));
        return true;
    }
    default:
        return false; // the cut has no parameters
    }
}

bool DspChain::getParameters(int type, void *block) const
{
    const int s = stageOf(type);
    if (s < 0 || !block || !m_ctl[s].attached.load())
        return false;
    switch (s) {
    case Eq: {
        auto *p = static_cast<EqualizerBlock *>(block);
        if (p->band < 0 || p->band >= kBands || !m_bands[p->band].used.load())
            return false; // a band never set leaves the caller's values alone
        const Band &b = m_bands[p->band];
        p->rate = kCardRate;
        p->bandwidth = b.bandwidth.load();
        p->q = b.q.load();
        p->centre = b.centre.load();
        p->gain = b.gain.load();
        return true;
    }
    case Flanger: {
        auto *p = static_cast<FlangerBlock *>(block);
        *p = {m_flDelay.load(), kCardRate, m_flTempo.load(), m_flDepth.load()};
        return true;
    }
    case Echo: {
        auto *p = static_cast<EchoBlock *>(block);
        *p = {m_echoDry.load(), m_echoWet.load(), m_echoDelay.load(), m_echoRepeats.load()};
        return true;
    }
    default:
        return false;
    }
}

// ---- audio thread ----

void DspChain::process(float *buf, int frames)
{
    const uint32_t layout = m_layout.load(std::memory_order_acquire);
    if (layout != m_seenLayout) {
        m_seenLayout = layout;
        for (int i = 0; i < StageCount; ++i)
            m_orderList[i] = i;
        // Higher priority runs first; equal priorities in the order they were attached.
        std::sort(m_orderList.begin(), m_orderList.end(), [this](int a, int b) {
            int pa = m_ctl[a].priority.load(), pb = m_ctl[b].priority.load();
            if (pa != pb)
                return pa > pb;
            return m_ctl[a].order.load() < m_ctl[b].order.load();
        });
    }
    for (int s : m_orderList) {
        const bool want = m_ctl[s].attached.load(std::memory_order_acquire);
        if (!want && !m_running[s])
            continue;
        if (s == Echo && !m_echoBuffer.load(std::memory_order_acquire))
            continue;
        if (want && !m_running[s]) {
            resetStage(s);
            m_running[s] = true;
            m_level[s] = 0.f;
        }
        const float from = m_level[s], to = want ? 1.f : 0.f;
        if (from == 1.f && to == 1.f) {
            processStage(s, buf, frames);
            continue;
        }
        // Attaching or removing: cross-fade between the dry and the processed sound.
        std::memcpy(m_dry.get(), buf, sizeof(float) * 2 * size_t(frames));
        processStage(s, buf, frames);
        const float *dry = m_dry.get();
        for (int i = 0; i < frames; ++i) {
            const float t = from + (to - from) * float(i + 1) / float(frames);
            buf[2 * i] = dry[2 * i] + (buf[2 * i] - dry[2 * i]) * t;
            buf[2 * i + 1] = dry[2 * i + 1] + (buf[2 * i + 1] - dry[2 * i + 1]) * t;
        }
        m_level[s] = to;
        if (to == 0.f)
            m_running[s] = false;
    }
}

void DspChain::processStage(int stage, float *buf, int frames)
{
    switch (stage) {
    case Eq: runEqualizer(buf, frames); break;
    case Cut: runCut(buf, frames); break;
    case Flanger: runFlanger(buf, frames); break;
    case Echo: runEcho(buf, frames); break;
    }
}

void DspChain::resetStage(int stage)
{
    switch (stage) {
    case Eq:
        for (BandState &b : m_bandState)
            b = BandState{};
        break;
    case Cut:
        m_cutPhase = 0;
        break;
    case Flanger:
        std::fill(m_flBuffer.get(), m_flBuffer.get() + kFlangerFrames * 2, 0.f);
        m_flFeedback[0] = m_flFeedback[1] = 0;
        m_flPhase = 0;
        m_flInput = 0.f;
        break;
    case Echo:
        if (float *e = m_echoBuffer.load(std::memory_order_acquire))
            std::fill(e, e + size_t(kEchoFrames) * 2, 0.f);
        m_echoWrite = 0;
        m_echoInput = 0.f;
        break;
    }
}

void DspChain::designBandPass(BandPass &f, float centre, float bandwidth, float q)
{
    const double w0 = kTwoPi * std::clamp(double(centre), 10.0, 0.45 * kCardRate) / kCardRate;
    const double cs = std::cos(w0), sn = std::sin(w0);
    const double alpha = q > 0.f ? sn / (2.0 * q)
                                 : sn * std::sinh(std::log(2.0) / 2.0 * bandwidth * w0 / sn);
    f.alpha = alpha;
    f.cosw = cs;
    f.shape(0.f);
}

void DspChain::BandPass::shape(double extra)
{
    const double a = alpha / std::sqrt(std::max(1e-3, 1.0 + extra));
    const double a0 = 1.0 + a;
    b0 = float(a / a0); // unity gain at the centre
    a1 = float(-2.0 * cosw / a0);
    a2 = float((1.0 - a) / a0);
}

VELARIX_VECTOR_CLONES
void DspChain::runEqualizer(float *buf, int frames)
{
    for (int start = 0; start < frames; start += kSubBlock) {
        const int n = std::min(kSubBlock, frames - start);
        // Bring the bands up to date and gather the ones that are not flat.
        struct Lane
        {
            v4 b0, a1, a2, s1, s2, db0, da1, da2;
            double goal, glide, extra;
            BandState *st;
        } lanes[kBands];
        int count = 0;
        bool gliding = false;
        for (int i = 0; i < kBands; ++i) {
            const Band &b = m_bands[i];
            BandState &st = m_bandState[i];
            const bool used = b.used.load(std::memory_order_acquire);
            const float target = used ? b.gain.load() : 0.f;
            if (!st.active && target == 0.f)
                continue; // a flat band is the identity
            const float centre = used ? b.centre.load() : st.centre;
            const float bw = used ? b.bandwidth.load() : st.bandwidth;
            const float q = used ? b.q.load() : st.q;
            if (!st.active || centre != st.centre || bw != st.bandwidth || q != st.q) {
                st.centre = centre;
                st.bandwidth = bw;
                st.q = q;
                designBandPass(st.f, centre, bw, q);
            }
            st.active = true;
            const double goal = target == 0.f ? 0.0 : std::pow(10.0, target / 20.0) - 1.0;
            if (std::fabs(st.glide - goal) < 1e-6 && std::fabs(st.extra - goal) < 1e-6) {
                if (goal == 0.f) {
                    st = BandState{}; // back at 0 dB: it adds nothing, whatever it holds
                    continue;
                }
                st.glide = st.extra = goal; // arrived
            } else {
                gliding = true;
            }
            // The width moves with the gain frame by frame: shaped here for the gain at the
            // start and at the end of the sub-block, and glided in between.
            BandPass &f = st.f;
            f.shape(st.extra);
            Lane lane{v4{f.b0, f.b0, 0, 0}, v4{f.a1, f.a1, 0, 0}, v4{f.a2, f.a2, 0, 0},
                      v4{f.s1[0], f.s1[1], 0, 0}, v4{f.s2[0], f.s2[1], 0, 0},
                      v4{0, 0, 0, 0}, v4{0, 0, 0, 0}, v4{0, 0, 0, 0}, goal, st.glide, st.extra, &st};
            if (gliding) {
                double glide = st.glide, extra = st.extra;
                for (int k = 0; k < n; ++k) {
                    glide += (goal - glide) * kGainGlide;
                    extra += (glide - extra) * kGainGlide;
                }
                BandPass end = f;
                end.shape(extra);
                const float inv = 1.f / float(n);
                lane.db0 = v4{end.b0 - f.b0, end.b0 - f.b0, 0, 0} * inv;
                lane.da1 = v4{end.a1 - f.a1, end.a1 - f.a1, 0, 0} * inv;
                lane.da2 = v4{end.a2 - f.a2, end.a2 - f.a2, 0, 0} * inv;
            }
            lanes[count++] = lane;
        }
        if (count == 0)
            continue;
        if (!gliding) {
            // Nothing moves until the next block: the rest of it goes through in one pass.
            SteadyBand steady[kBands];
            for (int j = 0; j < count; ++j) {
                const BandPass &f = lanes[j].st->f;
                steady[j] = SteadyBand{f.b0, f.a1, f.a2, float(lanes[j].extra), {f.s1[0], f.s1[1]}, {f.s2[0], f.s2[1]}};
            }
            runSteadyBands(steady, count, buf + 2 * start, frames - start);
            for (int j = 0; j < count; ++j) {
                BandPass &f = lanes[j].st->f;
                std::copy(steady[j].s1, steady[j].s1 + 2, f.s1);
                std::copy(steady[j].s2, steady[j].s2 + 2, f.s2);
            }
            return;
        }
        // Frame by frame through every band, left and right side by side in one vector.
        float *p = buf + 2 * start;
        for (int k = 0; k < n; ++k) {
            v4 x = {p[2 * k], p[2 * k + 1], 0, 0};
            for (int j = 0; j < count; ++j) {
                Lane &f = lanes[j];
                const v4 y = f.b0 * x + f.s1;
                f.s1 = f.s2 - f.a1 * y;
                f.s2 = -f.b0 * x - f.a2 * y;
                if (gliding) {
                    f.glide += (f.goal - f.glide) * kGainGlide;
                    f.extra += (f.glide - f.extra) * kGainGlide;
                    f.b0 += f.db0;
                    f.a1 += f.da1;
                    f.a2 += f.da2;
                }
                x += float(f.extra) * y;
            }
            p[2 * k] = x[0];
            p[2 * k + 1] = x[1];
        }
        for (int j = 0; j < count; ++j) {
            BandState &st = *lanes[j].st;
            st.f.s1[0] = lanes[j].s1[0];
            st.f.s1[1] = lanes[j].s1[1];
            st.f.s2[0] = lanes[j].s2[0];
            st.f.s2[1] = lanes[j].s2[1];
            st.glide = lanes[j].glide;
            st.extra = lanes[j].extra;
        }
    }
}

void DspChain::runCut(float *buf, int frames)
{
    const double step = kCutRateHz / double(kCardRate);
    for (int i = 0; i < frames; ++i) {
        const float ph = float(m_cutPhase);
        float g = 0.f;
        if (ph < 0.5f)
            g = std::clamp(std::min(ph, 0.5f - ph) / kCutEdge, 0.f, 1.f);
        g = 0.5f - 0.5f * std::cos(float(kTwoPi / 2) * g);
        buf[2 * i] *= g;
        buf[2 * i + 1] *= g;
        m_cutPhase += step;
        if (m_cutPhase >= 1.0)
            m_cutPhase -= 1.0;
    }
}

VELARIX_VECTOR_CLONES
void DspChain::runFlanger(float *buf, int frames)
{
    const float base = m_flDelay.load(), depth = m_flDepth.load();
    const double period = 4.0 * 60.0 / m_flTempo.load(); // one sweep per bar
    const double step = 1.0 / (period * kCardRate);
    const float feedback = 0.3f + depth * 0.03f;
    const float msToFrames = kCardRate / 1000.f;
    float *line = m_flBuffer.get();
    auto delayAt = [&](double phase) {
        const float lfo = 0.5f - 0.5f * float(std::cos(kTwoPi * phase));
        return (base + 0.5f * depth * lfo) * msToFrames;
    };
    for (int start = 0; start < frames; start += kSubBlock) {
        const int n = std::min(kSubBlock, frames - start);
        // The sweep is slow: interpolating it across a few dozen frames is inaudible.
        const float d0 = delayAt(m_flPhase);
        m_flPhase += step * n;
        if (m_flPhase >= 1.0)
            m_flPhase -= 1.0;
        const float dd = (delayAt(m_flPhase) - d0) / float(n);
        float *p = buf + 2 * start;
        for (int i = 0; i < n; ++i) {
            float readPos = float(m_flWrite) - (d0 + dd * float(i));
            if (readPos < 0)
                readPos += kFlangerFrames;
            const int i0 = int(readPos);
            const float frac = readPos - float(i0);
            const int j0 = i0 & (kFlangerFrames - 1), j1 = (i0 + 1) & (kFlangerFrames - 1);
            m_flInput = std::min(1.f, m_flInput + kLineGlide);
            for (int c = 0; c < 2; ++c) {
                const float x = p[2 * i + c];
                const float d = line[2 * j0 + c] + (line[2 * j1 + c] - line[2 * j0 + c]) * frac;
                line[2 * m_flWrite + c] = x * m_flInput + feedback * d;
                p[2 * i + c] = 0.5f * (x + d);
            }
            m_flWrite = (m_flWrite + 1) & (kFlangerFrames - 1);
        }
    }
}

void DspChain::runEcho(float *buf, int frames)
{
    float *line = m_echoBuffer.load(std::memory_order_acquire);
    const float dry = m_echoDry.load(), wet = m_echoWet.load();
    const float ms = m_echoDelay.load();
    const int delay = std::max(1, int((ms > 0.f ? ms : 300.f) * kCardRate / 1000.f));
    const int repeats = int(m_echoRepeats.load());
    float gains[kEchoMaxRepeats];
    for (int k = 0; k < repeats; ++k)
        gains[k] = wet * std::ldexp(1.f, -(k + 1));
    for (int i = 0; i < frames; ++i) {
        const float xl = buf[2 * i], xr = buf[2 * i + 1];
        float yl = dry * xl, yr = dry * xr;
        int tap = m_echoWrite;
        for (int k = 0; k < repeats; ++k) {
            tap -= delay;
            if (tap < 0)
                tap += kEchoFrames;
            yl += gains[k] * line[2 * tap];
            yr += gains[k] * line[2 * tap + 1];
        }
        m_echoInput = std::min(1.f, m_echoInput + kLineGlide);
        line[2 * m_echoWrite] = xl * m_echoInput;
        line[2 * m_echoWrite + 1] = xr * m_echoInput;
        buf[2 * i] = yl;
        buf[2 * i + 1] = yr;
        if (++m_echoWrite == kEchoFrames)
            m_echoWrite = 0;
    }
}

} // namespace audio

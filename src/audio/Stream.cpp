#include "Stream.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace audio {

namespace {
constexpr uint32_t kGenMask = 0xFFFFFF;
constexpr int kPrimeChunks = 6; // about 140 ms of sound decoded on the spot
constexpr int kMinFrequency = 100;
constexpr int kMaxFrequency = 100000;
constexpr int kRamp = Stream::kRampFrames;
constexpr int kAheadCapacity = kMaxBlock + kRamp;
constexpr int kRecentFrames = 8192; // source frames kept for a converter taking over
constexpr int kWarmFrames = 512;    // of them fed before the first frame it must match
// A speed held this long (output frames, past any glide) moves to a fixed-ratio converter.
constexpr int kSteadyFrames = 4096;

// Raised-cosine weight of a ramp at t in [0, 1]: a fade in and the matching fade out sum to 1.
inline float smooth(float t)
{
    return 0.5f - 0.5f * std::cos(float(M_PI) * std::clamp(t, 0.f, 1.f));
}
}

Stream::Stream(std::unique_ptr<Decoder> decoder, const QString &path, Decoder::Entry entry)
    : m_path(path)
    , m_entry(entry)
    , m_decoder(std::move(decoder))
    , m_recent(new float[size_t(kRecentFrames) * 2]())
    , m_ahead(new float[size_t(kAheadCapacity) * 2]())
    , m_send(new float[size_t(kMaxBlock) * 2]())
    , m_outgoing(new float[size_t(kRamp) * 2]())
{
    m_rate = m_decoder->sampleRate();
    m_channels = m_decoder->channels();
    m_eightBit = m_decoder->isEightBit();
    m_frequency = m_rate;
    m_length = m_decoder->estimatedFrames();
    m_position = pack(m_gen.load(), 0);
    m_producerGen = m_gen.load();
    // A little over a second of the file, whatever its rate, so the read-ahead always fits;
    // the rate is held to what a card plays so a corrupt header cannot ask for gigabytes.
    const int rate = std::clamp(m_rate, kCardRate, Decoder::kMaxRate);
    const int chunks = int(std::ceil(rate * 1.25 / kMaxBlock)) + 4;
    m_chunks.resize(size_t(chunks));
}

Stream::~Stream() = default;

// ---------------- UI thread ----------------

bool Stream::setAttributes(int frequency, int volume, int pan)
{
    if (frequency < kMinFrequency || frequency > kMaxFrequency)
        return false;
    m_frequency.store(frequency);
    m_volume.store(std::clamp(volume, 0, 100));
    m_pan.store(std::clamp(pan, -100, 100));
    return true;
}

void Stream::setGain(float linear)
{
    m_level.store(std::isfinite(linear) ? std::clamp(linear, 0.f, 16.f) : 1.f, std::memory_order_relaxed);
}

void Stream::attributes(int *frequency, int *volume, int *pan) const
{
    if (frequency)
        *frequency = m_frequency.load();
    if (volume)
        *volume = m_volume.load();
    if (pan)
        *pan = m_pan.load();
}

void Stream::play()
{
    // A stream that played to its end starts again from its beginning.
    if (ranOut())
        seek(0);
    m_state.store(Playing, std::memory_order_release);
}

void Stream::pause()
{
    int expected = Playing;
    m_state.compare_exchange_strong(expected, Paused);
}

void Stream::stop()
{
    m_state.store(Stopped, std::memory_order_release);
    m_stalled = false;
}

Stream::Activity Stream::activity() const
{
    switch (m_state.load(std::memory_order_acquire)) {
    case Playing: return m_stalled.load() ? ActiveStalled : ActivePlaying;
    case Paused: return ActivePaused;
    default: return Inactive;
    }
}

void Stream::setExactLength(int64_t frames)
{
    m_length.store(frames, std::memory_order_release);
    m_lengthExact.store(true, std::memory_order_release);
}

int64_t Stream::positionFrames() const
{
    return int64_t(m_position.load(std::memory_order_acquire) & ((uint64_t(1) << 40) - 1));
}

bool Stream::seek(int64_t frame)
{
    if (frame < 0 || (m_lengthExact.load() && frame > m_length.load()))
        return false;
    uint32_t gen = (m_gen.load() + 1) & kGenMask;
    if (gen == 0)
        gen = 1; // 0 is the generation no end was ever reached in
    m_seekTarget.store(frame, std::memory_order_relaxed);
    m_position.store(pack(gen, frame), std::memory_order_release);
    m_gen.store(gen, std::memory_order_release);
    return true;
}

void Stream::prime()
{
    std::lock_guard<std::mutex> lock(m_decodeMutex);
    const uint32_t gen = m_gen.load();
    while (!m_producerEof && int(m_tail.load() - m_head.load()) < kPrimeChunks)
        if (!produceOne(gen))
            break;
}

bool Stream::ranOut() const
{
    return m_ranOutGen.load(std::memory_order_acquire) == m_gen.load(std::memory_order_acquire);
}

void Stream::history(float *stereo) const
{
    std::lock_guard<std::mutex> lock(m_histReader);
    // Take the latest published snapshot, if there is a newer one, in exchange for ours.
    if (m_histShared.load(std::memory_order_relaxed) & kHistFresh)
        m_histFront = m_histShared.exchange(m_histFront, std::memory_order_acq_rel) & kHistSlot;
    std::memcpy(stereo, m_histSlots[m_histFront].data(), sizeof(float) * 2 * kHistoryFrames);
}

// ---------------- producer ----------------

bool Stream::wantsData() const
{
    if (m_producerGen != m_gen.load(std::memory_order_acquire))
        return true;
    if (m_producerEof)
        return false;
    const uint32_t used = m_tail.load(std::memory_order_relaxed) - m_head.load(std::memory_order_acquire);
    const int want = std::min<int>(int(m_chunks.size()) - 1,
                                   m_frequency.load() / kMaxBlock + 2); // one second of play
    return int(used) < want;
}

bool Stream::produceOne(uint32_t gen)
{
    const uint32_t tail = m_tail.load(std::memory_order_relaxed);
    if (tail - m_head.load(std::memory_order_acquire) >= m_chunks.size())
        return false; // full
    Chunk &c = m_chunks[tail % m_chunks.size()];
    c.gen = gen;
    c.start = m_decoder->nextFrame();
    c.frames = m_decoder->read(c.data, kMaxBlock);
    c.eof = c.frames < kMaxBlock;
    if (c.eof) {
        m_producerEof = true;
        // The end is where the decoder really stopped: the container's figure was an estimate.
        if (!m_lengthExact.load())
            setExactLength(c.start + c.frames);
    }
    m_tail.store(tail + 1, std::memory_order_release);
    return true;
}

bool Stream::fill()
{
    m_resampler.maintain();
    bool worked = false;
    for (;;) {
        // One block per hold of the lock, so the offline renderer never waits for more.
        std::lock_guard<std::mutex> lock(m_decodeMutex);
        if (!wantsData())
            break;
        const uint32_t gen = m_gen.load(std::memory_order_acquire);
        if (gen != m_producerGen) {
            m_producerGen = gen;
            m_producerEof = false;
            if (!m_decoder->seek(m_seekTarget.load(std::memory_order_relaxed)))
                m_producerEof = true;
            worked = true;
            continue;
        }
        if (!produceOne(gen))
            break;
        worked = true;
    }
    return worked;
}

void Stream::dropStale(uint32_t gen)
{
    uint32_t head = m_head.load(std::memory_order_relaxed);
    const uint32_t tail = m_tail.load(std::memory_order_acquire);
    while (head != tail && m_chunks[head % m_chunks.size()].gen != gen) {
        ++head;
        m_chunkOffset = 0;
    }
    m_head.store(head, std::memory_order_release);
}

void Stream::fillAtLeast(int frames)
{
    m_resampler.maintain();
    std::lock_guard<std::mutex> lock(m_decodeMutex);
    for (;;) {
        const uint32_t gen = m_gen.load(std::memory_order_acquire);
        if (gen != m_producerGen) {
            m_producerGen = gen;
            m_producerEof = !m_decoder->seek(m_seekTarget.load(std::memory_order_relaxed));
        }
        dropStale(gen); // the offline renderer is the consumer too, so it may clear the queue
        bool eof = false;
        if (queuedFrames(gen, &eof) >= frames || eof || m_producerEof)
            return;
        if (!produceOne(gen))
            return;
    }
}

// ---------------- audio thread ----------------

int Stream::queuedFrames(uint32_t gen, bool *eof) const
{
    int total = 0;
    const uint32_t tail = m_tail.load(std::memory_order_acquire);
    for (uint32_t h = m_head.load(std::memory_order_relaxed); h != tail; ++h) {
        const Chunk &c = m_chunks[h % m_chunks.size()];
        if (c.gen != gen)
            continue;
        total += c.frames;
        if (c.eof)
            *eof = true;
    }
    return total - m_chunkOffset;
}

void Stream::publishPosition(uint32_t gen, int64_t frame)
{
    uint64_t cur = m_position.load(std::memory_order_acquire);
    // A seek made meanwhile owns the position: never overwrite a newer generation.
    while (uint32_t(cur >> 40) == gen) {
        if (m_position.compare_exchange_weak(cur, pack(gen, frame), std::memory_order_acq_rel))
            return;
    }
}

int Stream::peekInput(const float **data)
{
    uint32_t head = m_head.load(std::memory_order_relaxed);
    const uint32_t tail = m_tail.load(std::memory_order_acquire);
    while (head != tail) {
        const Chunk &c = m_chunks[head % m_chunks.size()];
        if (c.gen == m_mixGen && m_chunkOffset < c.frames) {
            *data = c.data + size_t(m_chunkOffset) * 2;
            return c.frames - m_chunkOffset;
        }
        if (c.gen == m_mixGen && c.eof)
            m_consumerEof = true;
        ++head;
        m_chunkOffset = 0;
        m_head.store(head, std::memory_order_release);
    }
    return 0;
}

void Stream::consumeInput(int frames)
{
    const uint32_t head = m_head.load(std::memory_order_relaxed);
    const Chunk &c = m_chunks[head % m_chunks.size()];
    m_chunkOffset += frames;
    m_inputPos = c.start + m_chunkOffset;
    if (m_chunkOffset >= c.frames) {
        if (c.eof)
            m_consumerEof = true;
        m_chunkOffset = 0;
        m_head.store(head + 1, std::memory_order_release);
    }
}

float Stream::aheadSample(int frame, int channel) const
{
    if (frame >= m_aheadFrames)
        return 0.f;
    float v = m_ahead[size_t(frame) * 2 + size_t(channel)];
    if (m_aheadReal >= 0) {
        // The track's last few milliseconds fade, so a file that stops mid-wave ends softly.
        const int left = m_aheadReal - frame;
        v = left <= 0 ? 0.f : left < kRamp ? v * smooth(float(left) / kRamp) : v;
    }
    return v;
}

void Stream::moveAheadToOutgoing()
{
    m_outgoingEnv = m_env;
    m_outgoingPos = 0;
    m_outgoingFrames = m_env > 0.f ? kRamp : 0;
    for (int i = 0; i < m_outgoingFrames; ++i) {
        m_outgoing[size_t(i) * 2] = aheadSample(m_peeked + i, 0);
        m_outgoing[size_t(i) * 2 + 1] = aheadSample(m_peeked + i, 1);
    }
    m_env = 0.f;
    m_aheadFrames = 0;
    m_aheadReal = -1;
    m_peeked = 0;
}

void Stream::restartOutput(uint32_t gen)
{
    moveAheadToOutgoing();
    m_mixGen = gen;
    m_genStarted = false;
    m_genFlowing = false;
    m_startWaits = 0;
    m_consumerEof = false;
    m_chunkOffset = 0;
    dropStale(gen);
    m_inputPos = m_seekTarget.load(std::memory_order_relaxed);
    m_resampling = false;
    m_resamplerEnded = false;
    m_recentFrames = 0;
    m_feedRecent = 0;
    m_discard = 0;
}

void Stream::consumeAhead(int frames)
{
    frames = std::min(frames, m_aheadFrames);
    if (frames <= 0)
        return;
    std::memmove(m_ahead.get(), m_ahead.get() + size_t(frames) * 2,
                 size_t(m_aheadFrames - frames) * 2 * sizeof(float));
    m_aheadFrames -= frames;
    if (m_aheadReal >= 0)
        m_aheadReal = std::max(0, m_aheadReal - frames);
}

bool Stream::startResampler()
{
    if (!m_resampler.restart())
        return false;
    // The converter sends the silence it was warmed with first: drop it, so the sound starts now.
    m_discard = m_resampler.latency();
    m_feedRecent = 0;
    m_convOrigin = m_inputPos;
    m_steadyFrames = 0;
    m_resampling = true;
    m_resamplerEnded = false;
    return true;
}

bool Stream::switchToResampler()
{
    // The frames waiting to be sent were taken unpitched. The converter starts a little
    // before them, on the same source frames, and its sound replaces theirs by a cross-fade.
    const int ahead = std::min(m_aheadFrames, m_recentFrames);
    const int warm = std::min(kWarmFrames, m_recentFrames - ahead);
    if (!startResampler())
        return false;
    m_feedRecent = warm + ahead;
    m_discard += warm;
    m_convOrigin = m_inputPos - m_feedRecent;
    moveAheadToOutgoing();
    return true;
}

bool Stream::switchConverter(bool variable)
{
    // As from the bypass: the new converter starts on source frames a little before the first
    // frame waiting to be sent, drops its output up to that frame, and its sound replaces the
    // old converter's by a cross-fade.
    const double step = m_resampler.step();
    const double first = double(m_convOrigin) + m_resampler.nextSource() - m_aheadFrames * step;
    const int64_t start = int64_t(std::floor(first)) - kWarmFrames;
    const int64_t feed = m_inputPos - start;
    if (feed > m_recentFrames || feed < 0 || !m_resampler.takeOver(variable))
        return false;
    m_feedRecent = int(feed);
    m_discard = m_resampler.latency() + int(std::lround((first - double(start)) / step));
    m_convOrigin = start;
    m_steadyFrames = 0;
    moveAheadToOutgoing();
    return true;
}

void Stream::chooseConverter(double step, int frames)
{
    if (!m_resampler.variable()) {
        // Ready for the slider's next move: the gliding converter takes over at the speed
        // held now and glides from there, so it is made at this speed, whatever the slider says.
        m_resampler.prepare(m_resampler.step(), true);
        if (step != m_resampler.step())
            switchConverter(true); // until it is ready, the old speed plays on
        return;
    }
    if (step != m_steadyStep) {
        m_steadyStep = step;
        m_steadyFrames = 0;
        return;
    }
    m_steadyFrames = std::min(m_steadyFrames + frames, kSteadyFrames);
    if (m_steadyFrames < kSteadyFrames || !Resampler::fixedFits(step))
        return;
    m_resampler.prepare(step, false);
    switchConverter(false);
}

void Stream::remember(const float *src, int frames)
{
    for (int i = 0; i < frames; ++i) {
        m_recent[size_t(m_recentWrite) * 2] = src[2 * i];
        m_recent[size_t(m_recentWrite) * 2 + 1] = src[2 * i + 1];
        m_recentWrite = (m_recentWrite + 1) & (kRecentFrames - 1);
    }
    m_recentFrames = std::min(kRecentFrames, m_recentFrames + frames);
}

int Stream::produceDirect(float *dst, int wanted)
{
    int produced = 0;
    while (produced < wanted) {
        const float *src = nullptr;
        const int avail = peekInput(&src);
        if (avail <= 0)
            break;
        const int n = std::min(avail, wanted - produced);
        std::memcpy(dst + size_t(produced) * 2, src, size_t(n) * 2 * sizeof(float));
        remember(src, n);
        consumeInput(n);
        produced += n;
    }
    return produced;
}

int Stream::produceResampled(float *dst, int wanted)
{
    int produced = 0;
    while (produced < wanted) {
        const float *src = nullptr;
        int avail = 0;
        const bool fromRecent = m_feedRecent > 0;
        if (fromRecent) {
            const int at = (m_recentWrite - m_feedRecent) & (kRecentFrames - 1);
            avail = std::min(m_feedRecent, kRecentFrames - at);
            src = m_recent.get() + size_t(at) * 2;
        } else {
            avail = peekInput(&src);
        }
        float *o = dst + size_t(produced) * 2;
        const int room = wanted - produced;
        int used = 0, got = 0;
        if (avail > 0) {
            const int give = std::min({avail, int(std::ceil((room + m_discard) * m_resampler.step())) + 8,
                                       Resampler::kMaxInput});
            got = m_resampler.process(src, give, &used, o, room);
            if (fromRecent) {
                m_feedRecent -= used;
            } else if (used > 0) {
                remember(src, used);
                consumeInput(used);
            }
        } else if (m_consumerEof && !m_resamplerEnded) {
            got = m_resampler.process(nullptr, 0, &used, o, room); // play out what it holds
            if (got == 0)
                m_resamplerEnded = true;
        }
        if (used == 0 && got == 0)
            break; // no input now, or the end
        if (m_discard > 0 && got > 0) {
            const int drop = std::min(got, m_discard);
            std::memmove(o, o + size_t(drop) * 2, size_t(got - drop) * 2 * sizeof(float));
            got -= drop;
            m_discard -= drop;
        }
        produced += got;
    }
    return produced;
}

void Stream::produce(int wanted, int frequency)
{
    if (wanted <= 0 || m_aheadReal >= 0)
        return;
    // A converter taking over sends the frames waiting so far into the cross-fade: refill them.
    const int target = m_aheadFrames + wanted;
    if (!m_resampling && frequency != kCardRate) {
        // Without a converter ready, a start waits a block; a pitch change goes on unpitched.
        const bool fresh = m_recentFrames == 0 && m_aheadFrames == 0;
        if (!(fresh ? startResampler() : switchToResampler()) && fresh)
            return;
    }
    if (m_resampling) {
        const double step = double(frequency) / kCardRate;
        chooseConverter(step, wanted);
        m_resampler.setStep(step);
    } else {
        m_resampler.prepare(1.0, true); // the bypass hands over at its own speed
    }
    wanted = std::min(target - m_aheadFrames, kAheadCapacity - m_aheadFrames);
    float *dst = m_ahead.get() + size_t(m_aheadFrames) * 2;
    const int got = m_resampling ? produceResampled(dst, wanted) : produceDirect(dst, wanted);
    if (got > 0) {
        m_genStarted = true;
        m_aheadFrames += got;
    }
    const float *more = nullptr;
    const bool ended = m_resampling ? m_resamplerEnded : m_consumerEof && !peekInput(&more);
    if (ended && got < wanted)
        m_aheadReal = m_aheadFrames;
}

void Stream::writeHistory(const float *buf, int frames)
{
    // The ring is the audio thread's own; each block publishes a straight copy of it.
    if (frames > kHistoryFrames) {
        buf += size_t(frames - kHistoryFrames) * 2;
        frames = kHistoryFrames;
    }
    const int first = std::min(frames, kHistoryFrames - m_histWrite);
    std::memcpy(m_histRing.data() + size_t(m_histWrite) * 2, buf, sizeof(float) * 2 * size_t(first));
    std::memcpy(m_histRing.data(), buf + size_t(first) * 2, sizeof(float) * 2 * size_t(frames - first));
    m_histWrite = (m_histWrite + frames) % kHistoryFrames;
    float *back = m_histSlots[m_histBack].data();
    const size_t tail = size_t(kHistoryFrames - m_histWrite) * 2;
    std::memcpy(back, m_histRing.data() + size_t(m_histWrite) * 2, tail * sizeof(float));
    std::memcpy(back + tail, m_histRing.data(), size_t(m_histWrite) * 2 * sizeof(float));
    m_histBack = m_histShared.exchange(m_histBack | kHistFresh, std::memory_order_acq_rel) & kHistSlot;
}

int Stream::sendAhead(float *out, int from, int frames, float envTarget)
{
    // The effects hear one continuous sound: after a hand-over or a seek, the outgoing frames
    // cross-faded into the incoming ones. Going through them twice would make their delay
    // lines jump back, and that clicks, now and again in every echo.
    float *mix = m_send.get();
    const float step = 1.f / kRamp;
    const bool nearEnd = m_aheadReal >= 0 && m_aheadReal < from + frames + kRamp;
    int audible = 0;
    if (m_env == 1.f && envTarget == 1.f && m_outgoingPos >= m_outgoingFrames && !nearEnd
        && from + frames <= m_aheadFrames) {
        std::memcpy(mix, m_ahead.get() + size_t(from) * 2, sizeof(float) * 2 * size_t(frames));
        audible = frames;
    } else {
        for (int i = 0; i < frames; ++i) {
            if (m_env != envTarget)
                m_env = envTarget > m_env ? std::min(envTarget, m_env + step) : std::max(envTarget, m_env - step);
            const float w = smooth(m_env);
            float l = 0.f, r = 0.f;
            if (w > 0.f) {
                l = aheadSample(from + i, 0) * w;
                r = aheadSample(from + i, 1) * w;
                ++audible;
            }
            if (m_outgoingPos < m_outgoingFrames) {
                m_outgoingEnv = std::max(0.f, m_outgoingEnv - step);
                const float tw = smooth(m_outgoingEnv);
                l += m_outgoing[size_t(m_outgoingPos) * 2] * tw;
                r += m_outgoing[size_t(m_outgoingPos) * 2 + 1] * tw;
                ++m_outgoingPos;
            }
            mix[2 * i] = l;
            mix[2 * i + 1] = r;
        }
    }
    m_dsp.process(mix, frames);
    if (m_gate == 1.f && envTarget == 1.f) {
        // Playing on: the plain mix.
        for (int i = 0; i < frames; ++i) {
            out[2 * i] += mix[2 * i] * (m_blockGainL + m_blockStepL * float(i + 1));
            out[2 * i + 1] += mix[2 * i + 1] * (m_blockGainR + m_blockStepR * float(i + 1));
        }
        return audible;
    }
    for (int i = 0; i < frames; ++i) {
        if (m_gate != envTarget)
            m_gate = envTarget > m_gate ? std::min(envTarget, m_gate + step) : std::max(envTarget, m_gate - step);
        const float g = smooth(m_gate);
        out[2 * i] += mix[2 * i] * g * (m_blockGainL + m_blockStepL * float(i + 1));
        out[2 * i + 1] += mix[2 * i + 1] * g * (m_blockGainR + m_blockStepR * float(i + 1));
    }
    return audible;
}

int64_t Stream::outputPosition() const
{
    double behind = m_aheadFrames;
    if (m_resampling)
        behind = m_feedRecent + (behind + m_resampler.latency()) * m_resampler.step();
    return std::max<int64_t>(0, m_inputPos - int64_t(std::llround(behind)));
}

bool Stream::mixInto(float *out, int frames)
{
    const int state = m_state.load(std::memory_order_acquire);
    const uint32_t gen = m_gen.load(std::memory_order_acquire);
    if (gen != m_mixGen)
        restartOutput(gen);
    const bool playing = state == Playing;
    if (!playing && m_env <= 0.f && m_gate <= 0.f && m_outgoingPos >= m_outgoingFrames)
        return true;

    // Volume and pan glide over the block, so a fader move never clicks.
    const float vol = float(m_volume.load(std::memory_order_relaxed)) / 100.f * m_level.load(std::memory_order_relaxed);
    const int pan = m_pan.load(std::memory_order_relaxed);
    const float gl = vol * (pan > 0 ? float(100 - pan) / 100.f : 1.f);
    const float gr = vol * (pan < 0 ? float(100 + pan) / 100.f : 1.f);
    if (m_gainL < 0.f) {
        m_gainL = gl;
        m_gainR = gr;
    }
    m_blockGainL = m_gainL;
    m_blockGainR = m_gainR;
    m_blockStepL = (gl - m_gainL) / float(frames);
    m_blockStepR = (gr - m_gainR) / float(frames);
    m_gainL = gl;
    m_gainR = gr;

    if (!playing) {
        // Stopped or paused: fade out the frames ahead but keep them, so a resume continues
        // from the very frame the position shows.
        m_peeked += sendAhead(out, m_peeked, frames, 0.f);
        return true;
    }
    // A start or a seek waits, silent, until a little is queued: a decoder that gets the
    // processor late right after it must not run dry a block into the sound. Not forever: a
    // file that delivers nothing more starts all the same and stalls as any other.
    if (!m_genStarted && m_startWaits < kStartWaitBlocks) {
        bool eof = false;
        if (queuedFrames(m_mixGen, &eof) < kStartQueue && !eof) {
            ++m_startWaits;
            return true;
        }
    }
    if (m_peeked > 0) {
        if (m_env > 0.f)
            consumeAhead(m_peeked); // resumed while still fading: those frames were heard
        m_peeked = 0;
    }
    produce(frames + kRamp - m_aheadFrames, m_frequency.load(std::memory_order_relaxed));
    const bool ended = m_aheadReal >= 0;
    bool fed = true;
    if (m_aheadFrames >= frames + kRamp || ended) {
        m_stalled = false;
        m_genFlowing = true;
        sendAhead(out, 0, frames, 1.f);
        writeHistory(m_send.get(), std::min(frames, m_aheadFrames));
        consumeAhead(frames);
        if (ended && m_aheadReal == 0) {
            // Played out: the stream stops by itself, as a card's channel does.
            m_ranOutGen.store(gen, std::memory_order_release);
            int expected = Playing;
            m_state.compare_exchange_strong(expected, Stopped);
        }
    } else {
        // The file does not deliver: fade out on the frames ahead, go on when it does.
        m_stalled = true;
        fed = !m_genFlowing;
        const int fading = std::min(m_aheadFrames, int(std::ceil(m_env * kRamp)));
        sendAhead(out, 0, frames, 0.f);
        consumeAhead(fading);
    }
    if (m_genStarted)
        publishPosition(gen, outputPosition());
    return fed;
}

} // namespace audio

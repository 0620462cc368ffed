#include "Decoder.h"
#include "library/NativeName.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/intreadwrite.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cstdio>
#include <memory>
#include <cmath>
#include <cstring>

namespace audio {

namespace {

// No codec hands out frames this long; a larger count is a corrupt frame.
constexpr int kMaxFrameSamples = 1 << 18;

// Chained Ogg: a stream begins again after pages of data. The demuxer restarts its clock
// there and reports only the last part's length.
bool oggChained(const QString &path)
{
    // Opened by the name's own bytes, which need not be UTF-8.
    std::unique_ptr<FILE, int (*)(FILE *)> file(std::fopen(NativeName::encode(path).constData(), "rb"), &std::fclose);
    if (!file)
        return false;
    // The pages are walked in a window read in large pieces: a slow drive answers a few
    // large reads far sooner than a small one for every page.
    constexpr size_t kWindow = size_t(1) << 18;
    std::vector<unsigned char> window(kWindow);
    int64_t windowStart = 0;
    size_t windowLength = 0;
    auto bytesAt = [&](int64_t pos, size_t need) -> const unsigned char * {
        if (pos < windowStart || pos + int64_t(need) > windowStart + int64_t(windowLength)) {
            if (fseeko(file.get(), off_t(pos), SEEK_SET) != 0)
                return nullptr;
            windowStart = pos;
            windowLength = std::fread(window.data(), 1, kWindow, file.get());
            if (need > windowLength)
                return nullptr;
        }
        return window.data() + (pos - windowStart);
    };
    int64_t pos = 0;
    bool seenData = false;
    for (;;) {
        const unsigned char *header = bytesAt(pos, 27);
        if (!header || std::memcmp(header, "OggS", 4) != 0)
            break;
        const bool begins = header[5] & 0x02;
        if (begins && seenData)
            return true;
        seenData = seenData || !begins;
        const int count = header[26];
        const unsigned char *segments = bytesAt(pos + 27, size_t(count));
        if (!segments)
            break;
        int64_t body = 0;
        for (int i = 0; i < count; ++i)
            body += segments[i];
        pos += 27 + count + body;
    }
    return false;
}

// Samples and rate of the MPEG audio frame a packet starts with.
bool mpegFrameHeader(const uint8_t *p, int size, int *samples, int *rate)
{
    if (size < 4 || p[0] != 0xFF || (p[1] & 0xE0) != 0xE0)
        return false;
    const int version = (p[1] >> 3) & 3; // 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5
    const int layer = (p[1] >> 1) & 3;   // 3 I, 2 II, 1 III
    const int rateIndex = (p[2] >> 2) & 3;
    if (version == 1 || layer == 0 || rateIndex == 3)
        return false;
    static const int base[3] = {44100, 48000, 32000};
    *rate = base[rateIndex] >> (version == 3 ? 0 : version == 2 ? 1 : 2);
    *samples = layer == 3 ? 384 : (layer == 1 && version != 3) ? 576 : 1152;
    return true;
}

} // namespace

bool Decoder::playableFormat(int rate, int channels)
{
    return rate >= kMinRate && rate <= kMaxRate && channels >= 1 && channels <= kMaxChannels;
}

Decoder::~Decoder()
{
    close();
}

void Decoder::close()
{
    swr_free(&m_swr);
    av_channel_layout_uninit(&m_swrLayout);
    m_swrFormat = -1;
    av_frame_free(&m_frame);
    av_packet_free(&m_packet);
    avcodec_free_context(&m_codec);
    avformat_close_input(&m_format);
    m_stream = -1;
    m_pending.clear();
    m_pendingPos = 0;
}

static QString ffError(int code)
{
    char buf[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, buf, sizeof buf);
    return QString::fromUtf8(buf);
}

bool Decoder::open(const QString &path, Entry entry, QString *error)
{
    // Broken files are reported to the caller; the library's own chatter only adds noise.
    static const bool quiet = (av_log_set_level(AV_LOG_FATAL), true);
    (void)quiet;
    close();
    auto fail = [&](const QString &why) {
        if (error)
            *error = why;
        close();
        return false;
    };
    m_path = path;
    m_entry = entry;
    m_irregular = false;
    const QByteArray name = NativeName::encode(path);
    int r = -1;
    if (entry == Entry::WindowsMedia) {
        // Windows Media files are ASF containers; anything else still gets a normal probe.
        const AVInputFormat *asf = av_find_input_format("asf");
        r = avformat_open_input(&m_format, name.constData(), asf, nullptr);
    }
    if (r < 0)
        r = avformat_open_input(&m_format, name.constData(), nullptr, nullptr);
    if (r < 0)
        return fail(ffError(r));
    if ((r = avformat_find_stream_info(m_format, nullptr)) < 0)
        return fail(ffError(r));
    const AVCodec *codec = nullptr;
    m_stream = av_find_best_stream(m_format, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (m_stream < 0 || !codec)
        return fail(QStringLiteral("no audio stream"));
    AVStream *st = m_format->streams[m_stream];
    const QString impossible = QStringLiteral("impossible audio format");
    if (!playableFormat(st->codecpar->sample_rate, st->codecpar->ch_layout.nb_channels))
        return fail(impossible);
    for (unsigned i = 0; i < m_format->nb_streams; ++i)
        if (int(i) != m_stream)
            m_format->streams[i]->discard = AVDISCARD_ALL;
    m_codec = avcodec_alloc_context3(codec);
    avcodec_parameters_to_context(m_codec, st->codecpar);
    m_codec->pkt_timebase = st->time_base; // without it MP3 seeks land wrong
    if ((r = avcodec_open2(m_codec, codec, nullptr)) < 0)
        return fail(ffError(r));
    m_rate = m_codec->sample_rate;
    m_channels = m_codec->ch_layout.nb_channels;
    if (!playableFormat(m_rate, m_channels))
        return fail(impossible);
    m_eightBit = m_codec->sample_fmt == AV_SAMPLE_FMT_U8 || m_codec->sample_fmt == AV_SAMPLE_FMT_U8P;
    m_codecId = int(codec->id);
    m_wma = codec->id == AV_CODEC_ID_WMAV1 || codec->id == AV_CODEC_ID_WMAV2
        || codec->id == AV_CODEC_ID_WMAPRO || codec->id == AV_CODEC_ID_WMALOSSLESS;
    if (st->duration != AV_NOPTS_VALUE && st->duration > 0)
        m_estimatedFrames = av_rescale_q(st->duration, st->time_base, AVRational{1, m_rate});
    else if (m_format->duration != AV_NOPTS_VALUE && m_format->duration > 0)
        m_estimatedFrames = av_rescale_q(m_format->duration, AVRational{1, AV_TIME_BASE},
                                         AVRational{1, m_rate});
    // The walk over every page is done once a file: not again when a seek opens it anew.
    const bool ogg = qstrcmp(m_format->iformat->name, "ogg") == 0;
    if (ogg && path != m_chainCheckedPath) {
        m_chained = oggChained(path);
        m_chainCheckedPath = path;
    }
    m_irregular = ogg && m_chained;
    m_frame = av_frame_alloc();
    m_packet = av_packet_alloc();
    m_flushed = m_ended = m_haveOrigin = false;
    m_resync = true;
    m_nextDecoded = m_dropUntil = m_nextOut = 0;
    m_firstRate = m_firstChannels = 0;
    // Decoding the first frame fixes the time origin and rejects files without usable audio.
    if (!decodeNext())
        return fail(QStringLiteral("no decodable audio"));
    return true;
}

bool Decoder::receiveFrame()
{
    for (;;) {
        int r = avcodec_receive_frame(m_codec, m_frame);
        if (r == 0)
            return true;
        if (r != AVERROR(EAGAIN) || m_flushed) {
            m_ended = true;
            return false;
        }
        r = av_read_frame(m_format, m_packet);
        if (r < 0) {
            avcodec_send_packet(m_codec, nullptr); // drain what the decoder still holds
            m_flushed = true;
            continue;
        }
        if (m_packet->stream_index == m_stream)
            avcodec_send_packet(m_codec, m_packet); // a corrupt packet is skipped
        av_packet_unref(m_packet);
    }
}

int64_t Decoder::framePosition()
{
    if (!m_resync)
        return m_nextDecoded;
    m_resync = false;
    const int64_t ts = m_frame->best_effort_timestamp;
    if (ts == AV_NOPTS_VALUE)
        return m_nextDecoded;
    int64_t samples = av_rescale_q(ts, m_format->streams[m_stream]->time_base, AVRational{1, m_rate});
    if (!m_haveOrigin) {
        m_origin = samples;
        m_haveOrigin = true;
    }
    int64_t pos = samples - m_origin;
    // Windows Media timestamps are whole milliseconds: snap to the codec's frame grid.
    if (m_wma && m_frame->nb_samples > 0) {
        const int64_t grid = m_frame->nb_samples;
        pos = (pos >= 0 ? pos + grid / 2 : pos - grid / 2) / grid * grid;
    }
    return pos;
}

int64_t Decoder::outputFrames(int samples, int rate) const
{
    return rate == m_rate ? samples : av_rescale_rnd(samples, m_rate, rate, AV_ROUND_NEAR_INF);
}

bool Decoder::usableFrame() const
{
    return m_frame->nb_samples > 0 && m_frame->nb_samples <= kMaxFrameSamples
        && playableFormat(m_frame->sample_rate, m_frame->ch_layout.nb_channels)
        && av_get_bytes_per_sample(AVSampleFormat(m_frame->format)) > 0;
}

bool Decoder::sameFormatAsFirst() const
{
    return m_frame->sample_rate == m_firstRate && m_frame->ch_layout.nb_channels == m_firstChannels;
}

bool Decoder::decodeNext()
{
    while (!m_ended) {
        if (!receiveFrame()) {
            if (m_nextDecoded > m_dropUntil)
                drainConverter();
            swr_free(&m_swr);
            return m_pending.size() / 2 > m_pendingPos;
        }
        if (!usableFrame())
            continue;
        if (m_firstRate == 0) {
            m_firstRate = m_frame->sample_rate;
            m_firstChannels = m_frame->ch_layout.nb_channels;
        } else if (m_resync && !m_irregular && !sameFormatAsFirst()) {
            // A time seek landed in a part with another format: its clock cannot be trusted.
            m_irregular = true;
            if (!seekFromStart(m_dropUntil)) {
                m_ended = true;
                return false;
            }
            if (m_pending.size() / 2 > m_pendingPos)
                return true;
            continue;
        }
        const int64_t n = outputFrames(m_frame->nb_samples, m_frame->sample_rate);
        const int64_t pos = framePosition();
        m_nextDecoded = pos + n;
        if (pos + n <= m_dropUntil)
            continue;
        const int skip = int(std::max<int64_t>(0, m_dropUntil - pos));
        convertFrame(skip);
        if (m_pending.size() / 2 > m_pendingPos)
            return true;
    }
    return false;
}

bool Decoder::converterMatches() const
{
    return m_swr && m_frame->format == m_swrFormat && m_frame->sample_rate == m_swrRate
        && av_channel_layout_compare(&m_swrLayout, &m_frame->ch_layout) == 0;
}

bool Decoder::buildConverter()
{
    swr_free(&m_swr);
    av_channel_layout_uninit(&m_swrLayout);
    m_swrFormat = -1;
    const int inChannels = m_frame->ch_layout.nb_channels;
    // Mono stays mono here and goes out at full level on both sides.
    const int outChannels = inChannels == 1 ? 1 : 2;
    AVChannelLayout outLayout;
    av_channel_layout_default(&outLayout, outChannels);
    AVChannelLayout inLayout;
    if (av_channel_layout_copy(&inLayout, &m_frame->ch_layout) < 0)
        return false;
    if (inLayout.order == AV_CHANNEL_ORDER_UNSPEC) {
        av_channel_layout_uninit(&inLayout);
        av_channel_layout_default(&inLayout, inChannels);
    }
    const int r = swr_alloc_set_opts2(&m_swr, &outLayout, AV_SAMPLE_FMT_FLT, m_rate, &inLayout,
                                      AVSampleFormat(m_frame->format), m_frame->sample_rate, 0, nullptr);
    av_channel_layout_uninit(&inLayout);
    if (r < 0 || !m_swr || swr_init(m_swr) < 0
        || av_channel_layout_copy(&m_swrLayout, &m_frame->ch_layout) < 0) {
        swr_free(&m_swr);
        return false;
    }
    m_swrFormat = m_frame->format;
    m_swrRate = m_frame->sample_rate;
    m_swrOutChannels = outChannels;
    return true;
}

void Decoder::drainConverter()
{
    // Only a resampler holds samples back; without one there is nothing to drain.
    if (!m_swr || m_swrRate == m_rate)
        return;
    const int cap = swr_get_out_samples(m_swr, 0);
    if (cap <= 0 || cap > kMaxFrameSamples)
        return;
    m_convert.resize(size_t(cap) * size_t(m_swrOutChannels));
    uint8_t *outPlanes[1] = {reinterpret_cast<uint8_t *>(m_convert.data())};
    append(swr_convert(m_swr, outPlanes, cap, nullptr, 0), 0, m_swrOutChannels);
}

void Decoder::convertFrame(int skip)
{
    if (!converterMatches()) {
        drainConverter();
        if (!buildConverter())
            return;
    }
    const int n = m_frame->nb_samples;
    const int cap = swr_get_out_samples(m_swr, n);
    if (cap <= 0 || cap > 2 * kMaxFrameSamples)
        return;
    m_convert.resize(size_t(cap) * size_t(m_swrOutChannels));
    uint8_t *outPlanes[1] = {reinterpret_cast<uint8_t *>(m_convert.data())};
    const int got = swr_convert(m_swr, outPlanes, cap, const_cast<const uint8_t **>(m_frame->extended_data), n);
    append(got, skip, m_swrOutChannels);
}

void Decoder::append(int got, int skip, int channels)
{
    if (got <= skip)
        return;
    // Compact the hand-out buffer before appending, so it never grows past one frame's worth.
    if (m_pendingPos > 0) {
        m_pending.erase(m_pending.begin(), m_pending.begin() + m_pendingPos * 2);
        m_pendingPos = 0;
    }
    const size_t base = m_pending.size();
    const int frames = got - skip;
    m_pending.resize(base + size_t(frames) * 2);
    float *dst = m_pending.data() + base;
    if (channels == 1) {
        for (int i = 0; i < frames; ++i)
            dst[2 * i] = dst[2 * i + 1] = m_convert[size_t(skip + i)];
    } else {
        std::memcpy(dst, m_convert.data() + size_t(skip) * 2, size_t(frames) * 2 * sizeof(float));
    }
    // A damaged floating-point file may hold NaN, infinity or numbers near the float limit
    // that overflow in the first sum or filter after them, poisoning the whole mix and every
    // effect's state. No recording holds anything beyond kMaxSample: such a sample is damage
    // and plays as silence, as NaN does. Overs below it pass on to the limiter.
    for (size_t i = 0; i < size_t(frames) * 2; ++i)
        if (!(std::fabs(dst[i]) <= kMaxSample))
            dst[i] = 0.f;
}

int Decoder::read(float *out, int maxFrames)
{
    int done = 0;
    while (done < maxFrames) {
        size_t avail = m_pending.size() / 2 - m_pendingPos;
        if (avail == 0) {
            m_pending.clear();
            m_pendingPos = 0;
            if (!decodeNext())
                break;
            continue;
        }
        const int take = int(std::min<size_t>(avail, size_t(maxFrames - done)));
        std::memcpy(out + size_t(done) * 2, m_pending.data() + m_pendingPos * 2,
                    size_t(take) * 2 * sizeof(float));
        m_pendingPos += size_t(take);
        done += take;
    }
    m_nextOut += done;
    return done;
}

bool Decoder::seek(int64_t frame)
{
    if (!isOpen() || frame < 0)
        return false;
    if (m_irregular)
        return seekFromStart(frame);
    // Land well before the target (MP3 needs a few frames of bit reservoir) and decode forward.
    const int64_t preroll = std::max<int64_t>(m_rate / 10, 3 * 1152);
    const int64_t from = std::max<int64_t>(0, frame - preroll);
    AVStream *st = m_format->streams[m_stream];
    int64_t ts = av_rescale_q(from + m_origin, AVRational{1, m_rate}, st->time_base);
    if (from == 0 && st->start_time != AV_NOPTS_VALUE)
        ts = std::min(ts, st->start_time);
    if (av_seek_frame(m_format, m_stream, ts, AVSEEK_FLAG_BACKWARD) < 0
        && avformat_seek_file(m_format, m_stream, INT64_MIN, ts, ts, 0) < 0)
        return false;
    avcodec_flush_buffers(m_codec);
    swr_free(&m_swr); // a resampler's held-back samples belong to the old place
    m_pending.clear();
    m_pendingPos = 0;
    m_flushed = m_ended = false;
    m_resync = true;
    m_dropUntil = frame;
    m_nextDecoded = from;
    m_nextOut = frame;
    return true;
}

bool Decoder::seekFromStart(int64_t frame)
{
    // Opening again is the one start that no container gets wrong; the decoding then runs
    // forward to the frame, counting every sample on the way.
    const QString path = m_path;
    if (!open(path, m_entry)) {
        m_ended = true;
        return false;
    }
    m_irregular = true;
    m_dropUntil = frame;
    m_nextOut = frame;
    const int64_t have = int64_t(m_pending.size() / 2);
    if (frame >= have)
        m_pending.clear();
    else
        m_pending.erase(m_pending.begin(), m_pending.begin() + frame * 2);
    m_pendingPos = 0;
    return true;
}

int64_t Decoder::exactFramesFromContainer() const
{
    if (!isOpen())
        return -1;
    const char *container = m_format->iformat ? m_format->iformat->name : "";
    const AVCodecDescriptor *desc = avcodec_descriptor_get(AVCodecID(m_codecId));
    const bool pcm = desc && desc->props & AV_CODEC_PROP_LOSSLESS && QByteArray(desc->name).startsWith("pcm_");
    // Ogg pages carry the running sample count, so the container's figure is exact.
    if ((pcm || (qstrcmp(container, "ogg") == 0 && !m_irregular)) && m_estimatedFrames > 0)
        return m_estimatedFrames;
    return -1;
}

int64_t Decoder::countMp3Frames(const QString &path) const
{
    if (!isOpen() || m_codecId != AV_CODEC_ID_MP3)
        return -1;
    AVFormatContext *fmt = nullptr;
    if (avformat_open_input(&fmt, NativeName::encode(path).constData(), nullptr, nullptr) < 0)
        return -1;
    int64_t total = 0;
    AVPacket *pkt = av_packet_alloc();
    const AVCodecParameters *par = fmt->nb_streams > unsigned(m_stream) ? fmt->streams[m_stream]->codecpar : nullptr;
    while (par && av_read_frame(fmt, pkt) >= 0) {
        if (pkt->stream_index == m_stream) {
            // Each frame states its own rate: concatenated files may change it.
            int samples = 0, rate = 0;
            if (!mpegFrameHeader(pkt->data, pkt->size, &samples, &rate)) {
                samples = av_get_audio_frame_duration2(const_cast<AVCodecParameters *>(par), pkt->size);
                rate = par->sample_rate;
            }
            if (samples <= 0 || rate <= 0) {
                samples = 1152;
                rate = m_rate;
            }
            int64_t n = samples;
            size_t size = 0;
            if (const uint8_t *skip = av_packet_get_side_data(pkt, AV_PKT_DATA_SKIP_SAMPLES, &size); skip && size >= 8) {
                const uint32_t front = AV_RL32(skip), back = AV_RL32(skip + 4);
                n -= int64_t(front) + int64_t(back);
            }
            total += outputFrames(int(std::max<int64_t>(0, n)), rate);
        }
        av_packet_unref(pkt);
    }
    av_packet_free(&pkt);
    avformat_close_input(&fmt);
    return par ? total : -1;
}

int64_t Decoder::countFrames()
{
    if (!isOpen())
        return 0;
    m_pending.clear();
    m_pendingPos = 0;
    while (receiveFrame()) {
        if (usableFrame())
            m_nextDecoded = framePosition() + outputFrames(m_frame->nb_samples, m_frame->sample_rate);
    }
    return m_nextDecoded;
}

} // namespace audio

#pragma once
// One FFmpeg decoding session for a file: float stereo frames at the file's own rate,
// sample-accurate seeking and exact frame counting. A file whose channels or rate change
// part-way (chained Ogg, concatenated MP3) plays on at the format of its first frame.
#include <QString>
#include <cstdint>
#include <vector>

extern "C" {
#include <libavutil/channel_layout.h>
}

struct AVFormatContext;
struct AVCodecContext;
struct AVFrame;
struct AVPacket;
struct SwrContext;

namespace audio {

class Decoder
{
public:
    enum class Entry { Plain, WindowsMedia };

    // The formats a sound card can play; files outside them are refused.
    static constexpr int kMinRate = 1000;
    static constexpr int kMaxRate = 384000;
    static constexpr int kMaxChannels = 64;
    // 60 dB over full scale: a sample beyond it is damage and plays as silence. Nothing under
    // it can overflow on its way through the effects, the mix and the limiter.
    static constexpr float kMaxSample = 1000.f;
    static bool playableFormat(int rate, int channels);

    Decoder() = default;
    ~Decoder();
    Decoder(const Decoder &) = delete;
    Decoder &operator=(const Decoder &) = delete;

    // Opens the file and its first audio stream. On failure returns false with a reason.
    bool open(const QString &path, Entry entry, QString *error = nullptr);
    void close();
    bool isOpen() const { return m_codec != nullptr; }

    int sampleRate() const { return m_rate; }
    int channels() const { return m_channels; }
    bool isEightBit() const { return m_eightBit; }
    // Frames the container announces; exact for PCM, an estimate for some compressed files.
    int64_t estimatedFrames() const { return m_estimatedFrames; }

    // Fills up to maxFrames interleaved stereo frames. Returns the frames written; 0 means
    // the end of the file (or a decoding error that ends it).
    int read(float *out, int maxFrames);
    // Index of the frame the next read() returns first.
    int64_t nextFrame() const { return m_nextOut; }

    // Positions the next read() exactly on `frame` (counted from the file's first sample).
    bool seek(int64_t frame);

    // The exact number of frames when the container already states it (PCM, Ogg); -1 otherwise.
    int64_t exactFramesFromContainer() const;
    // MP3: the exact number of frames from walking its frame headers, with the encoder's delay
    // and padding taken off; -1 for other codecs. Reads the whole file, so not on the UI thread.
    int64_t countMp3Frames(const QString &path) const;

    // Decodes the rest of the file without conversion and returns the total number of
    // frames of the file (from its first sample). Leaves the decoder at the end.
    int64_t countFrames();

private:
    bool decodeNext();   // decodes one frame into m_pending; false at the end
    bool receiveFrame(); // next decoded frame into m_frame; false when it needs input or ended
    int64_t framePosition();
    int64_t outputFrames(int samples, int rate) const; // input samples as frames at m_rate
    bool usableFrame() const;
    bool sameFormatAsFirst() const;
    bool converterMatches() const;
    bool buildConverter();
    void drainConverter(); // hands out what a resampling converter still holds
    void convertFrame(int skip);
    void append(int got, int skip, int channels);
    bool seekFromStart(int64_t frame);

    AVFormatContext *m_format = nullptr;
    AVCodecContext *m_codec = nullptr;
    AVFrame *m_frame = nullptr;
    AVPacket *m_packet = nullptr;
    SwrContext *m_swr = nullptr;
    AVChannelLayout m_swrLayout{}; // input format the converter was built for
    int m_swrFormat = -1;
    int m_swrRate = 0;
    int m_swrOutChannels = 0;
    QString m_path;
    Entry m_entry = Entry::Plain;
    int m_stream = -1;
    int m_rate = 0;
    int m_channels = 0;
    bool m_eightBit = false;
    bool m_wma = false;
    int m_codecId = 0;
    int64_t m_estimatedFrames = 0;
    int m_firstRate = 0, m_firstChannels = 0;
    // The format changes part-way or the container restarts its clock (chained Ogg): time
    // seeks cannot be trusted, so seeks decode forward from the start.
    bool m_irregular = false;
    bool m_chained = false;       // whether the Ogg file of m_chainCheckedPath is chained
    QString m_chainCheckedPath;

    bool m_flushed = false;   // the demuxer is exhausted and the decoder drained
    bool m_ended = false;
    bool m_haveOrigin = false;
    int64_t m_origin = 0;     // timestamp of the file's first decoded sample, in samples
    bool m_resync = true;     // next frame's place comes from its timestamp (after open/seek)
    int64_t m_nextDecoded = 0;// frame index of the next decoded sample
    int64_t m_dropUntil = 0;  // samples before this frame index are discarded (seek)
    int64_t m_nextOut = 0;

    std::vector<float> m_pending; // converted stereo frames not yet handed out
    size_t m_pendingPos = 0;      // in frames
    std::vector<float> m_convert;
};

} // namespace audio

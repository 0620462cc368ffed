#pragma once
// Stereo band-limited resampler for the decks' pitch: a 16-tap windowed-sinc polyphase
// filter whose cut-off follows the speed, so playing faster never folds treble back down.
// Cheap enough (about 40 multiply-adds a frame) to pitch every stream of a card at once.
#include <cstdint>

namespace audio {

class Resampler
{
public:
    static constexpr int kTaps = 16;
    static constexpr int kHalf = kTaps / 2;

    // Supplies up to `frames` interleaved stereo frames; returns how many, 0 at the end.
    using Pull = int (*)(void *context, float *dst, int frames);

    Resampler();

    // Forgets everything: the next output starts at the next input frame, with silence before it.
    void reset();
    // Forgets the remembered frames too (after a seek).
    void forget()
    {
        reset();
        m_remembered = 0;
    }
    // While the stream plays unresampled, keeps its last frames so a later switch to
    // resampling continues without a seam.
    void remember(const float *frames, int count);
    // Starts resampling right after the remembered frames.
    void resumeFromMemory();

    // Writes `frames` output frames, reading `step` input frames per output frame (a step of
    // 1.06 plays 6 % faster). Returns the frames written; fewer than asked once the input has
    // ended and its last frame has been played out.
    int process(double step, float *out, int frames, Pull pull, void *context);

private:
    static constexpr int kCapacity = 4096 + kTaps; // input frames held at most

    bool fill(int needed, Pull pull, void *context);

    float m_buf[kCapacity * 2];
    int m_frames = 0;       // valid input frames in m_buf
    double m_pos = kHalf;   // input position of the next output frame, in m_buf frames
    int m_inputEnd = -1;    // frame index in m_buf where the input ended, -1 while it goes on
    float m_memory[kHalf * 2];
    int m_remembered = 0;
};

} // namespace audio

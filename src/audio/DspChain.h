#pragma once
// The effect stages of one stream: ten-band equaliser, cut (tremolo), flanger and echo.
// The UI thread attaches, removes and sets parameters through atomics; the audio thread
// reads them once per block and ramps every change, so nothing clicks and nothing waits.
#include "AudioTypes.h"

#include <array>
#include <atomic>
#include <memory>

namespace audio {

class DspChain
{
public:
    static constexpr int kBands = 10;

    DspChain();
    ~DspChain();

    // UI thread. Each returns whether the call took effect.
    bool set(int type, int priority);
    bool remove(int type);
    bool isSet(int type) const;
    bool setParameters(int type, const void *block);
    bool getParameters(int type, void *block) const;

    // Audio thread: processes interleaved stereo in place at the card rate.
    void process(float *buf, int frames);

private:
    enum Stage { Eq, Cut, Flanger, Echo, StageCount };
    static int stageOf(int type);

    struct Control
    {
        std::atomic<bool> attached{false};
        std::atomic<int> priority{0};
        std::atomic<uint32_t> order{0};
    };
    struct Band
    {
        std::atomic<bool> used{false};
        std::atomic<float> centre{1000.f};
        std::atomic<float> gain{0.f};
        std::atomic<float> bandwidth{2.5f};
        std::atomic<float> q{0.f};
    };
    // A peaking band written as the input plus (gain - 1) times a band-pass of it, whose
    // width follows the gain (this is the same filter as the usual peaking design). The gain
    // glides smoothly and the band-pass keeps its memory, so a band moved, or brought back
    // to 0 dB, never steps and never clicks.
    struct BandPass
    {
        double alpha = 0, cosw = 0;   // of the band's centre and width at 0 dB
        float b0 = 0, a1 = 0, a2 = 0; // b1 is 0 and b2 is -b0
        float s1[2] = {0, 0}, s2[2] = {0, 0};
        void shape(double extra); // the width for linear gain 1 + extra
    };
    struct BandState
    {
        BandPass f;
        // Linear gain - 1, smoothed twice so it glides in and out of every change; kept in
        // double, where the glide really arrives (in float it stalls short of its goal).
        double glide = 0, extra = 0;
        float centre = 0, bandwidth = 0, q = 0;
        bool active = false;
    };

    void processStage(int stage, float *buf, int frames);
    void runEqualizer(float *buf, int frames);
    void runCut(float *buf, int frames);
    void runFlanger(float *buf, int frames);
    void runEcho(float *buf, int frames);
    void resetStage(int stage);
    static void designBandPass(BandPass &f, float centre, float bandwidth, float q);

    std::array<Control, StageCount> m_ctl;
    std::atomic<uint32_t> m_orderCounter{0};
    std::atomic<uint32_t> m_layout{1};

    std::array<Band, kBands> m_bands;
    std::atomic<float> m_flDelay{1.0f}, m_flTempo{120.f}, m_flDepth{8.f};
    std::atomic<float> m_echoDry{1.f}, m_echoWet{1.f}, m_echoDelay{0.f}, m_echoRepeats{1.f};
    std::atomic<float *> m_echoBuffer{nullptr};
    std::unique_ptr<float[]> m_echoOwned;

    // Audio thread only.
    uint32_t m_seenLayout = 0;
    std::array<int, StageCount> m_orderList{};
    std::array<float, StageCount> m_level{};    // 0 detached .. 1 fully in
    std::array<bool, StageCount> m_running{};
    std::array<BandState, kBands> m_bandState{};
    double m_cutPhase = 0;
    double m_flPhase = 0;
    std::unique_ptr<float[]> m_flBuffer;
    int m_flWrite = 0;
    float m_flFeedback[2] = {0, 0};
    float m_flInput = 0.f; // what enters the delay line glides in after an attach, so the
    int m_echoWrite = 0;   // first delayed sound arrives softly, not as a step
    float m_echoInput = 0.f;
    std::unique_ptr<float[]> m_dry;
};

} // namespace audio

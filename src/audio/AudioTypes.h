#pragma once
// Values shared by the engine, the player and their tests.
#include <cstdint>

// The hot sample loops are built twice; the faster build is chosen when the program starts
// on a processor with AVX2 and fused multiply-add. Not under ThreadSanitizer: the clones'
// resolvers run before its runtime is up.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(__SANITIZE_THREAD__)
#define VELARIX_VECTOR_CLONES __attribute__((target_clones("arch=x86-64-v3", "default")))
#else
#define VELARIX_VECTOR_CLONES
#endif

namespace audio {

constexpr int kCardRate = 44100;     // every card plays at this rate
constexpr int kMaxBlock = 1024;      // frames per mixer block at most (23 ms)
constexpr int kFftSize = 1024;       // points of the spectrum transform
constexpr int kHistoryFrames = 1024; // last frames a stream sent, for the spectrum and samples

// Effect stage type numbers, as the player asks for them.
enum DspType : int { DspEqualizer = 5, DspUnused6 = 6, DspCut = 8, DspFlanger = 9, DspEcho = 13, DspUnused14 = 14 };

// Parameter blocks handed over by pointer; field order and widths are fixed.
struct EqualizerBlock
{
    int32_t band;      // 0..9
    int32_t rate;      // the channel's sample rate
    float bandwidth;   // octaves, used when q is 0
    float q;
    float centre;      // Hz
    float gain;        // dB
};

// Flanger: `delayMs` is the shortest delay of the sweep in milliseconds; `rate` the channel's
// sample rate (informative); `tempo` the sweep tempo in beats per minute, one sweep per bar of
// four beats; `depth` 0..15 widens the sweep by half a millisecond per step and adds feedback.
struct FlangerBlock
{
    float delayMs;
    int32_t rate;
    float tempo;
    float depth;
};

// Echo: `dry` the direct level; `wet` the level of the echoes (the first repeat sounds at half
// of it, each further one at half the previous); `delayMs` the time between repeats, 0 for the
// default 300 ms; `repeats` 1..6.
struct EchoBlock
{
    float dry;
    float wet;
    float delayMs;
    float repeats;
};

static_assert(sizeof(EqualizerBlock) == 24 && sizeof(FlangerBlock) == 16 && sizeof(EchoBlock) == 16,
              "parameter blocks are six and four 32-bit fields");

} // namespace audio

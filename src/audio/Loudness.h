#pragma once
// Loudness and silence of one file, measured once in the background: integrated loudness and
// loudness range (EBU R128, by libebur128), true peak (4x oversampled), and where the sound
// begins and ends. The file is measured as the console plays it: at its own rate, mono on
// both sides at full level.
#include <QMetaType>
#include <QString>
#include <atomic>
#include <cstdint>
#include <limits>

namespace audio {

struct LoudnessResult
{
    bool ok = false;
    bool cancelled = false;
    QString error;
    // -inf when nothing in the file reaches the absolute gate (silence).
    double integratedLufs = -std::numeric_limits<double>::infinity();
    double rangeLu = 0;
    double truePeakDbtp = -std::numeric_limits<double>::infinity();
    // Start of the first and end of the last 100 ms block above kAudibleLufs; -1 when no
    // block is (nothing to trim to: the file plays as it is). Pauses between them count as sound.
    int64_t audibleStartMs = -1;
    int64_t audibleEndMs = -1;
    int64_t lengthMs = 0;

    bool audible() const { return audibleStartMs >= 0; }
    // Only a file with sound in it gets a gain: lifting near-silence to the target would only
    // bring up its noise.
    bool normalisable() const;
};

// A 100 ms block louder than this is sound; anything quieter is silence to trim.
constexpr double kAudibleLufs = -50.0;
// The loudest true peak a gain may lead to.
constexpr double kPeakCeilingDbtp = -1.0;

// The calling thread may stop an analysis from another thread; `framesDone` moves on with
// every block, so a watcher can tell a slow file from one that has stopped answering.
struct LoudnessControl
{
    std::atomic<bool> cancel{false};
    std::atomic<int64_t> framesDone{0};
};

// Decodes the whole file: not on the UI or audio threads. A file that cannot be opened or
// holds no decodable sound gives ok == false with the reason; a cancelled one gives
// ok == false and cancelled == true.
LoudnessResult analyseLoudness(const QString &path, LoudnessControl *control = nullptr);

// The gain in dB that brings the file to `targetLufs`, lowered so its true peak stays at or
// under kPeakCeilingDbtp (which may turn a lift into a cut for a file that already peaks
// above it). 0 for a file that failed, was not analysed or is silent.
double normalisationGainDb(const LoudnessResult &r, double targetLufs);
double normalisationGainDb(double integratedLufs, double truePeakDbtp, double targetLufs);

} // namespace audio

Q_DECLARE_METATYPE(audio::LoudnessResult)

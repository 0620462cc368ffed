// The effect stages on their own: equaliser response, ramps without clicks, echo repeats,
// the cut's gating and the flanger's stability.
#include "TestSupport.h"
#include "audio/DspChain.h"
#include "audio/Limiter.h"
#include "audio/Resampler.h"

#include <cmath>
#include <complex>
#include <vector>

using namespace audio;

namespace {

std::vector<float> sine(double hz, double amplitude, int frames)
{
    std::vector<float> v(size_t(frames) * 2);
    for (int i = 0; i < frames; ++i)
        v[size_t(i) * 2] = v[size_t(i) * 2 + 1] = float(amplitude * std::sin(2 * M_PI * hz * i / kCardRate));
    return v;
}

void run(DspChain &chain, std::vector<float> &v)
{
    for (size_t i = 0; i < v.size() / 2; i += kMaxBlock)
        chain.process(v.data() + i * 2, int(std::min<size_t>(kMaxBlock, v.size() / 2 - i)));
}

double rms(const std::vector<float> &v, int from, int to)
{
    double s = 0;
    for (int i = from; i < to; ++i)
        s += double(v[size_t(i) * 2]) * v[size_t(i) * 2];
    return std::sqrt(s / (to - from));
}

double gainAt(DspChain &chain, double hz)
{
    std::vector<float> v = sine(hz, 0.1, 44100);
    run(chain, v);
    return 20 * std::log10(rms(v, 22050, 44100) / (0.1 / std::sqrt(2.0)));
}

EqualizerBlock band(int n, float centre, float gain)
{
    return EqualizerBlock{n, kCardRate, 2.5f, 0.f, centre, gain};
}

float maxStep(const std::vector<float> &v)
{
    float worst = 0;
    for (size_t i = 2; i < v.size(); i += 2)
        worst = std::max(worst, std::fabs(v[i] - v[i - 2]));
    return worst;
}

int zeroCrossings(const std::vector<float> &v, int from, int to)
{
    int c = 0;
    for (int i = from + 1; i < to; ++i)
        if ((v[size_t(i) * 2] >= 0) != (v[size_t(i - 1) * 2] >= 0))
            ++c;
    return c;
}

// The textbook peaking filter the equaliser's bands are meant to be, evaluated in double.
double peakingDb(double hz, double centre, double gainDb, double octaves)
{
    const double w0 = 2 * M_PI * centre / kCardRate, w = 2 * M_PI * hz / kCardRate;
    const double A = std::pow(10.0, gainDb / 40), cs = std::cos(w0);
    const double alpha = std::sin(w0) * std::sinh(std::log(2.0) / 2 * octaves * w0 / std::sin(w0));
    const std::complex<double> z1 = std::polar(1.0, -w), z2 = z1 * z1;
    const std::complex<double> num = (1 + alpha * A) - 2 * cs * z1 + (1 - alpha * A) * z2;
    const std::complex<double> den = (1 + alpha / A) - 2 * cs * z1 + (1 - alpha / A) * z2;
    return 20 * std::log10(std::abs(num / den));
}

} // namespace

class TestDsp : public QObject
{
    Q_OBJECT
private slots:
    void flatUntilABandIsSet()
    {
        DspChain chain;
        QVERIFY(chain.set(DspEqualizer, 0));
        std::vector<float> v = sine(440, 0.3, 8192);
        const std::vector<float> dry = v;
        run(chain, v);
        QCOMPARE(v, dry); // a flat equaliser is exactly the identity
    }

    void equaliserResponse()
    {
        DspChain chain;
        QVERIFY(chain.set(DspEqualizer, 0));
        for (int i = 0; i < 10; ++i)
            QVERIFY(chain.setParameters(DspEqualizer, &(const EqualizerBlock &)band(i, 32.f * float(1 << i), 0.f)));
        QVERIFY(std::fabs(gainAt(chain, 1000)) < 0.05);
        const EqualizerBlock up = band(3, 250, 10);
        QVERIFY(chain.setParameters(DspEqualizer, &up));
        QVERIFY(std::fabs(gainAt(chain, 250) - 10) < 0.3);
        QVERIFY(gainAt(chain, 8000) < 1.0); // five octaves away the band hardly acts
        // Attaching again never doubles the filter.
        QVERIFY(chain.set(DspEqualizer, 0));
        QVERIFY(std::fabs(gainAt(chain, 250) - 10) < 0.3);
        // A band's parameters come back; a band never set leaves the block alone.
        EqualizerBlock read{3, 0, 0, 0, 0, 0};
        QVERIFY(chain.getParameters(DspEqualizer, &read));
        QCOMPARE(read.centre, 250.f);
        QCOMPARE(read.gain, 10.f);
        QCOMPARE(read.bandwidth, 2.5f);
        DspChain fresh;
        fresh.set(DspEqualizer, 0);
        EqualizerBlock untouched{7, 44100, 2.5f, 0.f, 0.f, 0.f};
        QVERIFY(!fresh.getParameters(DspEqualizer, &untouched));
        QCOMPARE(untouched.bandwidth, 2.5f);
        // Nonsense is refused.
        EqualizerBlock bad = band(12, 1000, 3);
        QVERIFY(!chain.setParameters(DspEqualizer, &bad));
        bad = EqualizerBlock{2, 44100, 0.f, 0.f, 1000.f, 3.f};
        QVERIFY(!chain.setParameters(DspEqualizer, &bad));
    }

    void bandsInSeriesMatchTheirFilters()
    {
        // Any number of shaping bands, odd or even, in blocks longer or shorter than the
        // cascade is deep: each side comes out as the product of the bands' own responses,
        // and neither side leaks into the other.
        struct Setting
        {
            QList<int> bands;
            QList<float> gains;
        };
        const QList<Setting> settings = {
            {{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, {6, -4, 10, -8, 3, 12, -10, 5, -3, 8}},
            {{1, 4, 8}, {9, -6, 7}},
            {{6}, {-9}},
        };
        const int frames = kCardRate * 3 / 2;
        for (const Setting &setting : settings) {
            for (const int block : {kMaxBlock, 3, 1}) {
                for (const auto &[left, right] : {std::pair{64.0, 2000.0}, std::pair{250.0, 12000.0}}) {
                    DspChain chain;
                    chain.set(DspEqualizer, 0);
                    double wantLeft = 0, wantRight = 0;
                    for (int i = 0; i < setting.bands.size(); ++i) {
                        const float centre = 32.f * float(1 << setting.bands[i]);
                        const EqualizerBlock b = band(setting.bands[i], centre, setting.gains[i]);
                        chain.setParameters(DspEqualizer, &b);
                        wantLeft += peakingDb(left, centre, setting.gains[i], 2.5);
                        wantRight += peakingDb(right, centre, setting.gains[i], 2.5);
                    }
                    std::vector<float> v(size_t(frames) * 2);
                    for (int k = 0; k < frames; ++k) {
                        v[size_t(k) * 2] = float(0.1 * std::sin(2 * M_PI * left * k / kCardRate));
                        v[size_t(k) * 2 + 1] = float(0.1 * std::sin(2 * M_PI * right * k / kCardRate));
                    }
                    for (int k = 0; k < frames; k += block)
                        chain.process(v.data() + size_t(k) * 2, std::min(block, frames - k));
                    double l = 0, r = 0;
                    for (int k = frames - kCardRate / 2; k < frames; ++k) {
                        l += double(v[size_t(k) * 2]) * v[size_t(k) * 2];
                        r += double(v[size_t(k) * 2 + 1]) * v[size_t(k) * 2 + 1];
                    }
                    const double ref = 0.1 / std::sqrt(2.0);
                    const double gotLeft = 20 * std::log10(std::sqrt(l / (kCardRate / 2)) / ref);
                    const double gotRight = 20 * std::log10(std::sqrt(r / (kCardRate / 2)) / ref);
                    const QString where = QString("%1 bands, blocks of %2: %3 Hz %4 dB (want %5), %6 Hz %7 dB (want %8)")
                                              .arg(setting.bands.size()).arg(block)
                                              .arg(left).arg(gotLeft).arg(wantLeft)
                                              .arg(right).arg(gotRight).arg(wantRight);
                    QVERIFY2(std::fabs(gotLeft - wantLeft) < 0.02, qPrintable(where));
                    QVERIFY2(std::fabs(gotRight - wantRight) < 0.02, qPrintable(where));
                }
            }
        }
    }

    void gainChangesAndSwitchingDoNotClick()
    {
        DspChain chain;
        chain.set(DspEqualizer, 0);
        std::vector<float> v = sine(100, 0.25, 44100);
        const float natural = 2 * float(M_PI) * 100 / kCardRate * 0.25f * 3.2f; // steepest slope at +10 dB
        for (size_t i = 0; i < v.size() / 2; i += kMaxBlock) {
            if (i == 8 * kMaxBlock) {
                const EqualizerBlock up = band(2, 100, 10);
                chain.setParameters(DspEqualizer, &up);
            }
            if (i == 20 * kMaxBlock)
                chain.set(DspCut, 1);
            if (i == 30 * kMaxBlock)
                chain.remove(DspEqualizer);
            chain.process(v.data() + i * 2, int(std::min<size_t>(kMaxBlock, v.size() / 2 - i)));
        }
        QVERIFY2(maxStep(v) < natural * 1.3f, qPrintable(QString::number(maxStep(v))));
    }

    void echoRepeatsAtHalfLevel()
    {
        DspChain chain;
        QVERIFY(chain.set(DspEcho, 1));
        const EchoBlock three{1.f, 1.f, 0.f, 3.f};
        QVERIFY(chain.setParameters(DspEcho, &three));
        std::vector<float> v(size_t(kCardRate) * 2 * 2, 0.f);
        run(chain, v); // settle the attach ramp on silence
        v.assign(v.size(), 0.f);
        v[0] = v[1] = 1.f;
        run(chain, v);
        const int delay = kCardRate * 300 / 1000;
        QCOMPARE(v[0], 1.f);
        QCOMPARE(v[size_t(delay) * 2], 0.5f);
        QCOMPARE(v[size_t(2 * delay) * 2 + 1], 0.25f);
        QCOMPARE(v[size_t(3 * delay) * 2], 0.125f);
        QCOMPARE(v[size_t(4 * delay) * 2], 0.f);
        float elsewhere = 0;
        for (size_t i = 1; i < v.size() / 2; ++i)
            if (i % size_t(delay) != 0)
                elsewhere = std::max(elsewhere, std::fabs(v[i * 2]));
        QCOMPARE(elsewhere, 0.f);
        EchoBlock back{};
        QVERIFY(chain.getParameters(DspEcho, &back));
        QCOMPARE(back.repeats, 3.f);
    }

    void cutGatesHalfOfEachCycle()
    {
        DspChain chain;
        QVERIFY(chain.set(DspCut, 1));
        std::vector<float> v(size_t(kCardRate) * 2 * 2, 0.5f);
        run(chain, v);
        int silent = 0, open = 0;
        for (size_t i = kCardRate / 2; i < v.size() / 2; ++i) {
            if (std::fabs(v[i * 2]) < 1e-4f)
                ++silent;
            else if (std::fabs(v[i * 2] - 0.5f) < 1e-4f)
                ++open;
        }
        const int frames = int(v.size() / 2) - kCardRate / 2;
        QVERIFY(silent > frames * 45 / 100 && silent < frames * 52 / 100);
        QVERIFY(open > frames * 45 / 100);
        QVERIFY(maxStep(v) < 0.01f); // soft edges
        QVERIFY(!chain.setParameters(DspCut, &v[0])); // the cut takes no parameters
    }

    void flangerChangesTheSoundAndStaysBounded()
    {
        DspChain chain;
        QVERIFY(chain.set(DspFlanger, 1));
        const FlangerBlock deep{1.3f, kCardRate, 120.f, 15.f};
        QVERIFY(chain.setParameters(DspFlanger, &deep));
        std::vector<float> v = sine(1000, 0.5, kCardRate * 4);
        const std::vector<float> dry = v;
        run(chain, v);
        float diff = 0, peak = 0;
        for (size_t i = 0; i < v.size(); ++i) {
            diff = std::max(diff, std::fabs(v[i] - dry[i]));
            peak = std::max(peak, std::fabs(v[i]));
        }
        QVERIFY(diff > 0.1f);
        QVERIFY(peak < 1.5f);
        // The sweep moves: the level over a quarter bar changes over the bar.
        double lo = 1e9, hi = 0;
        for (int q = 0; q < 8; ++q) {
            const double r = rms(v, kCardRate * 2 + q * 11025 / 2, kCardRate * 2 + (q + 1) * 11025 / 2);
            lo = std::min(lo, r);
            hi = std::max(hi, r);
        }
        QVERIFY(hi - lo > 0.02);
    }

    void resamplerPitchesAndFilters()
    {
        // 6 % faster: a 1 kHz tone comes out at 1060 Hz, at its level.
        auto convert = [](double step, const std::vector<float> &in, std::vector<float> &out) {
            Resampler r;
            r.maintain();
            r.setStep(step);
            out.assign(in.size() * 2, 0.f);
            int fed = 0, got = 0;
            const int frames = int(in.size() / 2);
            while (fed < frames) {
                int used = 0;
                got += r.process(in.data() + size_t(fed) * 2, std::min(700, frames - fed), &used,
                                 out.data() + size_t(got) * 2, int(out.size() / 2) - got);
                fed += used;
            }
            out.resize(size_t(got) * 2);
        };
        std::vector<float> out;
        convert(1.06, sine(1000, 0.5, kCardRate * 3), out);
        QVERIFY(std::abs(zeroCrossings(out, kCardRate / 2, kCardRate * 3 / 2) - 2120) <= 2);
        QVERIFY(std::fabs(rms(out, kCardRate / 2, kCardRate * 2) - 0.5 / std::sqrt(2.0)) < 0.001);
        // Twice as fast, 15 kHz would land at 30 kHz, past what the card can play: it must
        // be filtered out, not folded back into the audible band.
        convert(2.0, sine(15000, 0.5, kCardRate * 2), out);
        const double left = rms(out, kCardRate / 4, kCardRate * 3 / 4);
        QVERIFY2(left < 0.5 / std::sqrt(2.0) * 1e-4, qPrintable(QString::number(left)));
    }

    void limiterHoldsAFallingLevelUnderTheCeiling()
    {
        // A level that falls frame after frame fills the limiter's window with ever larger
        // gains; a burst soon after must still find the window's true minimum.
        std::vector<float> level;
        for (int i = 0; i < 76; ++i)
            level.push_back(3.3f - 2.99f * float(i) / 76);
        level.insert(level.end(), 60, 0.2f);
        level.insert(level.end(), 3, 3.08f);
        level.insert(level.end(), 200, 0.f);
        std::vector<float> v;
        for (size_t i = 0; i < level.size(); ++i) {
            const float x = (i % 2 ? 1.f : -1.f) * level[i];
            v.push_back(x);
            v.push_back(x);
        }
        Limiter limiter;
        limiter.process(v.data(), int(level.size()));
        float peak = 0;
        for (float x : v)
            peak = std::max(peak, std::fabs(x));
        QVERIFY2(peak <= Limiter::kCeiling, qPrintable(QString::number(peak)));
    }

    void typesAndRemovals()
    {
        DspChain chain;
        QVERIFY(!chain.remove(DspFlanger)); // harmless
        QVERIFY(!chain.set(DspUnused6, 1));
        QVERIFY(!chain.set(DspUnused14, 1));
        QVERIFY(!chain.remove(DspUnused14));
        QVERIFY(chain.set(DspFlanger, 1));
        QVERIFY(chain.isSet(DspFlanger));
        QVERIFY(chain.remove(DspFlanger));
        QVERIFY(!chain.isSet(DspFlanger));
        FlangerBlock f{};
        QVERIFY(!chain.getParameters(DspFlanger, &f));
        QVERIFY(!chain.setParameters(DspFlanger, &f));
        // After removal the stage fades out over one block, then the sound is dry again.
        std::vector<float> v = sine(440, 0.3, 4 * kMaxBlock);
        const std::vector<float> dry = v;
        run(chain, v);
        QCOMPARE(std::vector<float>(v.begin() + 2 * kMaxBlock, v.end()),
                 std::vector<float>(dry.begin() + 2 * kMaxBlock, dry.end()));
    }
};

VELARIX_TEST_MAIN(TestDsp)
#include "tst_dsp.moc"

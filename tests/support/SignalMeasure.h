#pragma once
// Measurements on a recorded channel shared by the sound tests and the sound benchmark, so
// both judge clicks and distortion by the same yardstick.
#include <algorithm>
#include <cmath>
#include <vector>

namespace signal_measure {

// Largest second difference in [from, to): a step or a kink shows as a spike in it.
inline double curvaturePeak(const std::vector<float> &x, int from, int to)
{
    from = std::max(from, 1);
    to = std::min(to, int(x.size()) - 1);
    double peak = 0;
    for (int i = from; i < to; ++i)
        peak = std::max(peak, std::fabs(double(x[size_t(i) + 1]) - 2.0 * x[size_t(i)] + x[size_t(i) - 1]));
    return peak;
}

// A move spanning frames [first, last]: the curvature from 10 ms before it to 40 ms after it,
// over the curvature of the steady sound before or after it (the louder of the two).
inline double clickRatio(const std::vector<float> &x, int first, int last, int rate)
{
    const int ms = rate / 1000;
    const double around = curvaturePeak(x, first - 10 * ms, last + 40 * ms);
    const double steady = std::max(curvaturePeak(x, first - 250 * ms, first - 50 * ms),
                                   curvaturePeak(x, last + 100 * ms, last + 300 * ms));
    return steady > 0 ? around / steady : 1e9;
}

// Least-squares fit of a sine of known frequency over [from, to): its RMS level, and the RMS
// of what is left once it is taken out.
inline void fitSine(const std::vector<float> &x, int from, int to, double hz, int rate, double *level,
                    double *residual)
{
    double ss = 0, cc = 0, sc = 0, xs = 0, xc = 0;
    const double w = 2 * M_PI * hz / rate;
    for (int i = from; i < to; ++i) {
        const double s = std::sin(w * i), c = std::cos(w * i);
        ss += s * s;
        cc += c * c;
        sc += s * c;
        xs += x[size_t(i)] * s;
        xc += x[size_t(i)] * c;
    }
    const double det = ss * cc - sc * sc;
    const double a = (xs * cc - xc * sc) / det, b = (xc * ss - xs * sc) / det;
    double e = 0;
    for (int i = from; i < to; ++i) {
        const double r = x[size_t(i)] - a * std::sin(w * i) - b * std::cos(w * i);
        e += r * r;
    }
    *level = std::sqrt((a * a + b * b) / 2);
    *residual = std::sqrt(e / (to - from));
}

} // namespace signal_measure

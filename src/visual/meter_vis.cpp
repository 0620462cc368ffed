#include "visual/meter_vis.h"

#include <QtGlobal>
#include <cmath>

int TMeter::GetLevel(const float *fft, int bins) const
{
    if (!fft)
        return 0;
    int m = 0;
    for (int i = 0; i < BinCount; ++i) {
        const qint64 bin = FirstBin + qint64(i) * Step;
        if (bin < 0 || bin >= bins)
            continue;
        const double v = std::fabs(double(fft[bin])) * 500.0;
        if (!(v >= 0.0))
            continue;
        const int value = v >= double(MaxLevel) ? MaxLevel : int(v);
        m = qMax(m, value);
    }
    return int(std::sqrt(double(m) / 128.0) * 130.0);
}

#include "visual/freq_bars_vis.h"

#include <QtGlobal>
#include <cmath>

namespace {

// Magnitude × scale as a whole number cut toward zero, never above `limit`; a broken
// value (NaN) counts as silence.
int scaledMagnitude(float magnitude, int limit)
{
    const double v = std::fabs(double(magnitude)) * 500.0;
    if (!(v >= 0.0))
        return 0;
    if (v >= double(limit))
        return limit;
    return int(v);
}

} // namespace

TSpectrum::TSpectrum(int width, int height)
    : m_buffer(width, height)
{
}

int TSpectrum::heightOf(float magnitude) const
{
    return scaledMagnitude(magnitude, MaxHeight);
}

void TSpectrum::Draw(QPaintDevice *dc, const float *fft, int X, int Y, int bins)
{
    m_buffer.fill(BackColor.rgb());
    const QRgb peakColour = PeakColor.rgb();
    const QRgb barColour = BarColor.rgb();
    const int base = m_buffer.height() + Y;
    for (int i = 0; i < BarCount; ++i) {
        const qint64 bin = FirstBin + qint64(i) * Step;
        const float v = (fft && bin >= 0 && bin < bins) ? fft[bin] : 0.0f;
        const int h = heightOf(v);

        Peaks[i] = h >= Peaks[i] ? h : qMax(Peaks[i] - PeakFall, 0);
        Bars[i] = h >= Bars[i] ? h : qMax(Bars[i] - BarFall, 0);

        const int left = X + i * (BarWidth + 1);
        if (ShowPeaks)
            m_buffer.line(left, base - Peaks[i], left + BarWidth, base - Peaks[i], peakColour);
        m_buffer.fillRect(left, base - Bars[i], left + BarWidth, base, barColour);
    }
    m_buffer.copyTo(dc);
}

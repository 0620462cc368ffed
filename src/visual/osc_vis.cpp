#include "visual/osc_vis.h"

#include <QtGlobal>

TOcilloScope::TOcilloScope(int width, int height)
    : m_buffer(width, height)
{
}

int TOcilloScope::scaled(int left, int right) const
{
    // Whole-number arithmetic, so the cut toward zero is exact at every value.
    const qint64 y = qint64(left + right) * Amplitude / 131070;
    // Keeps an absurd Amplitude from overflowing the pixel coordinates.
    return int(qBound(qint64(-(1 << 20)), y, qint64(1 << 20)));
}

void TOcilloScope::Draw(QPaintDevice *dc, const void *samples, int X, int Y, int bytes)
{
    m_buffer.fill(BackColor.rgb());
    const auto *frames = static_cast<const qint16 *>(samples);
    const int available = samples ? qMax(bytes, 0) / 4 : 0;
    const int step = qMax(Step, 1);
    if (available > 0) {
        const QRgb colour = LineColor.rgb();
        int px = X;
        int py = Y + scaled(frames[0], frames[1]);
        for (int i = 1; i < Points; ++i) {
            const qint64 k = qint64(i) * step;
            if (k >= available)
                break;
            const int nx = X + i;
            const int ny = Y + scaled(frames[2 * k], frames[2 * k + 1]);
            m_buffer.line(px, py, nx, ny, colour);
            px = nx;
            py = ny;
        }
    }
    m_buffer.copyTo(dc);
}

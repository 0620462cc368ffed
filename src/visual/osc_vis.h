#pragma once
// Oscilloscope trace of a deck's output, one frame per clock tick.
#include "visual/BackBuffer.h"

#include <QColor>

class QPaintDevice;

class TOcilloScope
{
public:
    // The size of the display it draws for; later changes of the display are not followed.
    TOcilloScope(int width, int height);

    // Draws 257 points from a block of 16-bit signed stereo frames (left then right, as the
    // player's sample data hands them out), around the zero line Y, starting at column X,
    // then copies the frame to the target at (0, 0). `bytes` is the size of the block; points
    // whose frame lies past it are left out.
    void Draw(QPaintDevice *dc, const void *samples, int X, int Y, int bytes = DefaultBytes);

    // The trace's offset from the zero line for one frame: (left + right) scaled so that
    // full scale on both channels gives Amplitude / 2, cut toward zero.
    int scaled(int left, int right) const;

    const QImage &frame() const { return m_buffer.image(); }

    static constexpr int DefaultBytes = 2048;
    static constexpr int Points = 257;

    QColor BackColor = QColor(0, 0, 0);
    int Amplitude = 50;
    QColor LineColor = QColor(255, 255, 255);
    int Step = 1;

private:
    BackBuffer m_buffer;
};

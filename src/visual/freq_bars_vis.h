#pragma once
// Spectrum of a deck's output: bars that jump up at once and fall back slowly, with a cap
// that marks each bar's recent peak.
#include "visual/BackBuffer.h"

#include <QColor>
#include <array>

class QPaintDevice;

class TSpectrum
{
public:
    static constexpr int BarCount = 129;
    static constexpr int FirstBin = 5;
    static constexpr int DefaultBins = 512;

    TSpectrum(int width, int height);

    // Advances bars and caps with one block of FFT magnitudes and draws them on a base line
    // Y pixels below the bitmap's bottom edge, the first bar at column X; then copies the
    // frame to the target at (0, 0). Bins past `bins` count as silent.
    void Draw(QPaintDevice *dc, const float *fft, int X, int Y, int bins = DefaultBins);

    // The height one magnitude asks for: 500 pixels per unit, cut toward zero, at most MaxHeight.
    int heightOf(float magnitude) const;

    const QImage &frame() const { return m_buffer.image(); }

    QColor BackColor = QColor(0, 0, 0);
    int MaxHeight = 100;
    QColor BarColor = QColor(255, 255, 255);
    QColor PeakColor = QColor(255, 255, 0);
    int Step = 1;
    int PeakFall = 1;
    int BarFall = 3;
    int BarWidth = 5;
    bool ShowPeaks = true;
    std::array<int, BarCount> Peaks{};
    std::array<int, BarCount> Bars{};

private:
    BackBuffer m_buffer;
};

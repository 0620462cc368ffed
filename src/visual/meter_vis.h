#pragma once
// Level of a deck's output for its gauges, taken from the same FFT block as the spectrum.

class TMeter
{
public:
    static constexpr int BinCount = 129;
    static constexpr int FirstBin = 5;
    static constexpr int DefaultBins = 512;

    TMeter() = default;

    // 0 for silence up to 114 when some used bin reaches MaxLevel; it rises steeply at low
    // values, so quiet passages still move the needle. Bins past `bins` count as silent.
    int GetLevel(const float *fft, int bins = DefaultBins) const;

    int MaxLevel = 100;
    int Step = 1;
};

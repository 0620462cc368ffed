#include "visual/DeckVisuals.h"

#include <QPaintDevice>

DeckVisuals DeckVisuals::create(const QSize &displaySize)
{
    DeckVisuals v;
    v.scope = std::make_unique<TOcilloScope>(displaySize.width(), displaySize.height());
    v.spectrum = std::make_unique<TSpectrum>(displaySize.width(), displaySize.height());
    v.meter = std::make_unique<TMeter>();
    // A 59-pixel display: 45-pixel bars (40 above the edge, the base line lies 5 below it)
    // and a trace of at most 22 pixels either side of the middle.
    v.spectrum->BarWidth = 5;
    v.spectrum->MaxHeight = 45;
    v.scope->Amplitude = 45;
    return v;
}

int DeckVisuals::drawFrame(QPaintDevice *display, int grafico, const float *fft,
                           const void *samples)
{
    if (grafico == 1) {
        if (scope && samples && display)
            scope->Draw(display, samples, 0, display->height() / 2);
    } else if (spectrum && fft) {
        spectrum->Draw(display, fft, 0, 5);
    }
    return meter ? meter->GetLevel(fft) : 0;
}

void cria_graficos(ConsoleVisuals &visuals, const QSize &ppSize, const QSize &pp2Size)
{
    if (!visuals.deckA.exists())
        visuals.deckA = DeckVisuals::create(ppSize);
    if (!visuals.deckB.exists())
        visuals.deckB = DeckVisuals::create(pp2Size);
}

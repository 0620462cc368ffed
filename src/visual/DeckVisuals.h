#pragma once
// The drawing objects of one deck and the frame the deck clock draws with them.
#include "visual/meter_vis.h"
#include "visual/osc_vis.h"
#include "visual/freq_bars_vis.h"

#include <QSize>
#include <memory>

class QPaintDevice;

struct DeckVisuals
{
    std::unique_ptr<TOcilloScope> scope;
    std::unique_ptr<TSpectrum> spectrum;
    std::unique_ptr<TMeter> meter;

    bool exists() const { return scope && spectrum && meter; }

    // The three objects for a display of this size, set up as the console shows them.
    static DeckVisuals create(const QSize &displaySize);

    // One clock tick of a playing deck: `grafico` 1 draws the oscilloscope from `samples`
    // (the player's 2048 bytes of stereo frames; nothing is drawn without them), any other
    // value the spectrum from `fft` (the player's 512 magnitudes). Returns the level for the
    // deck's gauge and needle meter.
    int drawFrame(QPaintDevice *display, int grafico, const float *fft, const void *samples);
};

// The console's drawing objects: deck A's for `pp`, deck B's for `PP2`.
struct ConsoleVisuals
{
    DeckVisuals deckA;
    DeckVisuals deckB;

    bool exist() const { return deckA.exists() && deckB.exists(); }
};

// Creates whichever deck's objects do not exist yet, for its display's current size. Objects
// that exist are kept, so bars and caps carry on.
void cria_graficos(ConsoleVisuals &visuals, const QSize &ppSize, const QSize &pp2Size);

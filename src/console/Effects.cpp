// The shared equaliser and the master volume, on both decks.
#include "UMIXER.h"

void Tform_mixer::bandaChange(int index)
{
    const int position = bandas[size_t(index)]->value();
    for (Deck *d : {deck_a.get(), deck_b.get()})
        d->canal->SetEqualizerBand(index, kBandCentres[size_t(index)], position);
}

void Tform_mixer::aplica_bandas()
{
    for (int i = 0; i < 10; ++i)
        bandaChange(i);
}

void Tform_mixer::aplica_equalizador(TMorvelBass *canal)
{
    canal->SetEqualizer(bsSkinCheckRadioBox1->isChecked());
    aplica_bandas();
}

void Tform_mixer::Trackbar6Change()
{
    for (Deck *d : {deck_a.get(), deck_b.get()})
        d->canal->setVolume(Trackbar6->value());
}

void Tform_mixer::bsSkinCheckRadioBox1Click()
{
    const bool on = bsSkinCheckRadioBox1->isChecked();
    for (Deck *d : {deck_a.get(), deck_b.get()})
        d->canal->SetEqualizer(on);
    aplica_bandas();
}

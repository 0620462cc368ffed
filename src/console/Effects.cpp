// The decks' effect switches, the shared equaliser, the master volume and the crossfader law.
#include "UMIXER.h"

void Tform_mixer::wireEffects()
{
    connect(CheckBox2, &QCheckBox::toggled, this, &Tform_mixer::CheckBox2Click);
    connect(CheckBox5, &QCheckBox::toggled, this, &Tform_mixer::CheckBox5Click);
    connect(CheckBox6, &QCheckBox::toggled, this, &Tform_mixer::CheckBox6Click);
    connect(CheckBox8, &QCheckBox::toggled, this, &Tform_mixer::CheckBox8Click);
    connect(CheckBox7, &QCheckBox::toggled, this, &Tform_mixer::CheckBox7Click);
    connect(CheckBox9, &QCheckBox::toggled, this, &Tform_mixer::CheckBox9Click);
    connect(Flanger1, &QSlider::valueChanged, this, &Tform_mixer::Flanger1Change);
    connect(Flanger2, &QSlider::valueChanged, this, &Tform_mixer::Flanger2Change);
    for (int i = 0; i < 10; ++i)
        connect(bandas[size_t(i)], &QSlider::valueChanged, this, [this, i] { bandaChange(i); });
    connect(Trackbar6, &QSlider::valueChanged, this, &Tform_mixer::Trackbar6Change);
    connect(bsSkinCheckRadioBox1, &QCheckBox::toggled, this, &Tform_mixer::bsSkinCheckRadioBox1Click);
    connect(Trackbar18, &QSlider::valueChanged, this, &Tform_mixer::TrackBar18Change);
}

void Tform_mixer::CheckBox2Click() { canal_a->SetFlanger(CheckBox2->isChecked()); }
void Tform_mixer::CheckBox5Click() { canal_b->SetFlanger(CheckBox5->isChecked()); }
void Tform_mixer::CheckBox6Click() { canal_a->SetEcho(CheckBox6->isChecked()); }
void Tform_mixer::CheckBox8Click() { canal_b->SetEcho(CheckBox8->isChecked()); }
void Tform_mixer::CheckBox7Click() { canal_a->SetCut(CheckBox7->isChecked()); }
void Tform_mixer::CheckBox9Click() { canal_b->SetCut(CheckBox9->isChecked()); }
void Tform_mixer::Flanger1Change() { canal_a->SetFlangerDepth(130, 120, Flanger1->value()); }
void Tform_mixer::Flanger2Change() { canal_b->SetFlangerDepth(130, 120, Flanger2->value()); }

void Tform_mixer::bandaChange(int index)
{
    const int position = bandas[size_t(index)]->value();
    canal_a->SetEqualizerBand(index, kBandCentres[size_t(index)], position);
    canal_b->SetEqualizerBand(index, kBandCentres[size_t(index)], position);
}

void Tform_mixer::aplica_bandas()
{
    for (int i = 0; i < 10; ++i)
        bandaChange(i);
}

void Tform_mixer::Trackbar6Change()
{
    canal_a->setVolume(Trackbar6->value());
    canal_b->setVolume(Trackbar6->value());
}

void Tform_mixer::bsSkinCheckRadioBox1Click()
{
    const bool on = bsSkinCheckRadioBox1->isChecked();
    canal_a->SetEqualizer(on);
    canal_b->SetEqualizer(on);
    aplica_bandas();
}

void Tform_mixer::TrackBar18Change()
{
    // The side the fader moves towards keeps the master volume; the other side gets the
    // fader's distance from its end.
    const int x = Trackbar18->value();
    const int v = Trackbar6->value();
    const bool aLoaded = !canal_a->Title.isEmpty();
    const bool bLoaded = !canal_b->Title.isEmpty();
    try {
        if (x < 100) {
            if (aLoaded)
                canal_a->setVolume(v);
            if (bLoaded)
                canal_b->setVolume(x);
        } else if (x == 100) {
            canal_a->setVolume(v);
            canal_b->setVolume(v);
        } else {
            if (aLoaded)
                canal_a->setVolume(200 - x);
            if (bLoaded)
                canal_b->setVolume(v);
        }
    } catch (...) {
    }
}

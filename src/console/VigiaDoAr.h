#pragma once
// Watches the music card's output during an automatic mix: when a deck is meant to be heard
// and the air has stayed silent for 8 s (a long quiet stretch inside a track, a deck that
// plays nothing it can hear), it hands over to the other deck as the automatic mix does and
// says why on the status line. The operator's own silences (decks stopped or paused, volume
// or crossfader down) and the mix's fades never count.
#include "audio/DeadAir.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class Deck;
class Tform_mixer;

class VigiaDoAr : public QObject
{
    Q_OBJECT
public:
    explicit VigiaDoAr(Tform_mixer &console);

    static constexpr int kIntervaloMs = 250;

private:
    void observa();
    Deck *no_ar() const; // the deck meant to be heard, if the silence would be a fault

    Tform_mixer &m_console;
    audio::DeadAir m_silencio;
    QElapsedTimer m_relogio;
    QTimer m_tique;
};

#pragma once
// The mix between the decks: the crossfader law, the automatic hand-over that the deck clocks
// ask for, the manual ones (Mix A, Mix B, F12), the Auto Mix switch and the housekeeping tick
// that keeps the buttons and lamps in line with the decks.
#include "MixDecision.h"

#include <QObject>

class Deck;
class Tform_mixer;

class Mixagem : public QObject
{
    Q_OBJECT
public:
    explicit Mixagem(Tform_mixer &console);

    bool auto_mix() const;
    mixagem::Regras regras() const;
    // What the clock of `sai` should do about the other deck on this tick.
    mixagem::Motivo decide(const Deck &sai, quint32 duracao, quint32 posicao) const;
    // Starts the other deck and, once it really plays, fades `sai` out.
    void passa_vez(Deck &sai);
    // Starts `entra` on its first entry that plays, centring the crossfader first; false
    // (failure named on the status line) when none plays.
    bool entra_no_ar(Deck &entra);
    // Mix A and Mix B are enabled exactly while their own deck does not play.
    void atualiza_mix();
    // Names on the status line the entries that could not be played.
    void nao_tocou(const QStringList &falhas, bool nenhuma = false);

    void TrackBar18Change();
    void FadePadro1Click();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void FadeMix1Click();
    void LEDButton1Click();
    void Timer3Timer();

private:
    void passa_a_mao(Deck &entra);
    Tform_mixer &m_console;
};

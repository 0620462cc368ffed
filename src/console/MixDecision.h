#pragma once
// Whether a playing deck hands over to the other one now, and why: by time (its remaining time
// fell under the mix time) or by level (a quiet stretch within its last 25 seconds). Plain
// values in, no widget and no player, so every case can be tried in a millisecond.
#include <QtGlobal>

namespace mixagem {

enum class Motivo { nenhum, tempo, nivel };

// The outgoing deck and its partner, as the clock sees them on one tick.
struct Situacao
{
    bool tocando = false;       // the outgoing deck's player plays
    bool saindo = false;        // it is already on its way out
    bool outro_tocando = false; // the other deck's player plays
    int entradas_do_outro = 0;  // entries in the other deck's list
    quint32 duracao = 0;        // player milliseconds
    quint32 posicao = 0;
    int nivel = 0;              // the deck's level gauge, 0..100
};

// The switches and the settings window's values.
struct Regras
{
    bool auto_mix = true;
    bool por_nivel = true; // "Sensibilidade"
    quint32 tempo_mix = 3000;
    int sensibilidade = 20;
};

// The level mix only looks at the last stretch of a track.
constexpr quint32 kJanelaNivel = 25000;

Motivo decide(const Situacao &s, const Regras &r);

} // namespace mixagem

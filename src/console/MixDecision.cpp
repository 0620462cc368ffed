#include "MixDecision.h"

namespace mixagem {

Motivo decide(const Situacao &s, const Regras &r)
{
    // A deck already leaving, a partner already playing or an empty partner list: nobody to
    // hand over to, or it has been done.
    if (!r.auto_mix || !s.tocando || s.saindo || s.outro_tocando || s.entradas_do_outro < 1)
        return Motivo::nenhum;
    // Unsigned, as the clock has always measured it: a position past an estimated length
    // reads as a long way from the end.
    const quint32 resta = s.duracao - s.posicao;
    if (resta < r.tempo_mix)
        return Motivo::tempo;
    if (r.por_nivel && resta < kJanelaNivel && resta > r.tempo_mix && s.nivel < r.sensibilidade + 10)
        return Motivo::nivel;
    return Motivo::nenhum;
}

} // namespace mixagem

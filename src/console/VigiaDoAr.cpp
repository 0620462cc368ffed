#include "VigiaDoAr.h"

#include "UMIXER.h"
#include "audio/AudioEngine.h"

VigiaDoAr::VigiaDoAr(Tform_mixer &console)
    : m_console(console)
{
    m_relogio.start();
    m_tique.setInterval(kIntervaloMs);
    connect(&m_tique, &QTimer::timeout, this, &VigiaDoAr::observa);
    m_tique.start();
}

Deck *VigiaDoAr::no_ar() const
{
    Mixagem &mix = *m_console.mixagem;
    if (!mix.auto_mix() || mix.entrando())
        return nullptr;
    Deck *ouvido = nullptr;
    for (Deck *d : {m_console.deck_a.get(), m_console.deck_b.get()}) {
        if (!d->tocando())
            continue;
        if (d->saindo)
            return nullptr; // a fade the mix started
        if (d->no_ar() && d->canal->Volume() > 0)
            ouvido = d;
    }
    return ouvido;
}

void VigiaDoAr::observa()
{
    Deck *sai = no_ar();
    const int placa = sai ? sai->canal->Device : m_console.device_transmissao;
    const double pico = audio::AudioEngine::instance().outputPeakDb(placa);
    if (!m_silencio.feed(m_relogio.elapsed(), pico, sai != nullptr))
        return;
    m_console.mixagem->passa_vez(*sai, QStringLiteral("Silêncio no ar por %1 s em %2 - deck %3 no ar")
                                           .arg(audio::DeadAir::kLimitMs / 1000)
                                           .arg(sai->canal->Title, sai->outro->traits.numero == 1 ? "A" : "B"));
}

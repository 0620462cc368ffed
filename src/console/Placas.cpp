#include "Placas.h"

#include "Acervo.h"
#include "ConsoleBuild.h"
#include "Deck.h"
#include "UMIXER.h"
#include "audio/AudioEngine.h"

#include <QLabel>
#include <QTimer>

using audio::AudioEngine;

Placas::Placas(Tform_mixer &console)
    : QObject(&console)
    , m_console(console)
{
    // A lost card is named within a second; the engine's look is cheap.
    Timer_placas = console_build::timer(this, "Timer_placas", 250);
    connect(Timer_placas, &QTimer::timeout, this, &Placas::verifica);
}

void Placas::inicia()
{
    verifica();
    Timer_placas->start();
}

QString Placas::sem_escuta()
{
    return QStringLiteral("Escuta (Cue) indisponível: a placa de escuta não está presente");
}

bool Placas::escuta_na_musica() const
{
    // The decks stay on the card of this start even after another is chosen for the next.
    const int escuta = m_console.device_cue;
    return escuta == m_console.device_transmissao || escuta == m_console.deck_a->canal->Device;
}

bool Placas::escuta_falta() const
{
    return !escuta_na_musica() && !AudioEngine::instance().isPresent(m_console.device_cue);
}

void Placas::verifica()
{
    AudioEngine &engine = AudioEngine::instance();
    const int escuta = m_console.device_cue;
    const bool separada = !escuta_na_musica();
    const std::vector<AudioEngine::CardChange> mudancas = engine.watchCards();
    // A listening card missing at start-up, or chosen since, is taken as soon as it is there.
    if (separada && escuta >= 1 && !engine.isInitialized(escuta))
        engine.init(escuta);
    engine.setStandIn(escuta, !separada);

    for (const AudioEngine::CardChange &c : mudancas) {
        if (separada && c.device == escuta)
            continue; // told below, as pre-listening comes and goes
        // Short enough for the status line with a card's long name.
        if (!c.lost)
            m_console.Label7->setText(QStringLiteral("Placa de volta: ") + c.card);
        else
            m_console.Label7->setText(QStringLiteral("Placa perdida: ") + c.card
                                      + (c.onDefault ? QStringLiteral(" - som na saída padrão")
                                                     : QStringLiteral(" - sem saída de som")));
    }

    const bool falta = escuta_falta();
    if (falta != m_escuta_faltava)
        m_console.Label7->setText(falta ? sem_escuta() : QStringLiteral("Escuta (Cue) disponível: ") + engine.cardInUse(escuta));
    m_escuta_faltava = falta;
    // The cards may have been chosen anew since the last look: the button follows at once.
    m_console.acervo->mostra_cue();
}

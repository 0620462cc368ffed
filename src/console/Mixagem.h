#pragma once
// The mix between the decks: the crossfader law, the automatic hand-over that the deck clocks
// ask for, the manual ones (Mix A, Mix B, F12), the Auto Mix switch and the housekeeping tick
// that keeps the buttons and lamps in line with the decks.
#include "MixDecision.h"

#include <QObject>
#include <QStringList>
#include <QTimer>

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
    // Starts the other deck on its first entry that plays, centring the crossfader first,
    // and once it really plays fades `sai` out. The entries' files are opened without the
    // window waiting on them: an answer within kEsperaMs is taken at once, a later one on a
    // following tick. When none plays, the failures are named on the status line and `sai`
    // plays on. `motivo`, when given, goes on the status line once the other deck plays.
    void passa_vez(Deck &sai, const QString &motivo = {});
    // Opens `d`'s selected entry in the background (a deck's next entry after its end during
    // an automatic mix); a failure is named on the status line.
    void prepara(Deck &d);
    // Follows the openings in progress.
    void acompanha();
    bool entrando() const { return m_entrada.deck != nullptr; }
    static constexpr int kEsperaMs = 40;
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
    void comeca_entrada(Deck &entra, bool manual, const QString &motivo = {});
    void tenta(int espera_ms);
    void segue(Deck &d, int espera_ms); // a background opening that no hand-over waits for
    bool no_ar();
    void termina_entrada();

    // The hand-over in progress: the incoming deck, whether the operator asked for it, the
    // entries tried so far and the titles of those that failed.
    struct Entrada
    {
        Deck *deck = nullptr;
        bool manual = false;
        int tentadas = 0;
        QStringList falhas;
        QString motivo;
    };
    Tform_mixer &m_console;
    Entrada m_entrada;
    QTimer m_espera; // polls the openings while any is in progress
};

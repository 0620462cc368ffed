#pragma once
// The sound cards while the show runs: a card that is lost and comes back is named on the
// status line, and pre-listening is offered only while the listening card itself is there,
// so a track meant for the operator's ears never reaches the audience.
#include <QObject>

class QTimer;
class Tform_mixer;

class Placas : public QObject
{
    Q_OBJECT
public:
    explicit Placas(Tform_mixer &console);

    // Starts watching once the players are open.
    void inicia();
    // The listening card is the card the decks play on: there is nothing apart to listen on.
    bool escuta_na_musica() const;
    // The listening card is a card of its own, and it is not there.
    bool escuta_falta() const;
    void verifica();
    static QString sem_escuta();

    QTimer *Timer_placas = nullptr;

private:
    Tform_mixer &m_console;
    bool m_escuta_faltava = false;
};

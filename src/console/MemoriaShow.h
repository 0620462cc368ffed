#pragma once
// The running show kept in SHOW.INI while it runs (on every change, and every 5 s while a deck
// plays, written off the window's thread) and brought back at the next start when the run
// before did not end normally: both lists and their selections, and with Auto Mix on, the
// deck that was on air from about where it was.
#include "settings/ShowFile.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class Deck;
class Tform_mixer;

class MemoriaShow : public QObject
{
    Q_OBJECT
public:
    explicit MemoriaShow(Tform_mixer &console);
    ~MemoriaShow() override;

    // At the show, once the settings are in: restores what a cut-off run left behind, then
    // keeps the show from here on.
    void restaura();

    // A normal close (or the end of the program, which a crash never reaches): the show is
    // marked as ended and no longer kept.
    void termina();

    static constexpr int kIntervaloMs = 5000; // while a deck plays
    static constexpr int kEntradaSuaveMs = 1500; // the resumed deck's fade-in

private:
    ShowFile::EstadoDoShow foto() const;
    void observa();
    void devolve_lista(Deck &d, const ShowFile::Deck &salvo);
    void retoma(Deck &d, int entrada, qint64 posicao);
    void segue_retomada(); // until the entry has opened, then plays it
    void sobe_volume();

    Tform_mixer &m_console;
    ShowFile::Gravador m_gravador;
    ShowFile::EstadoDoShow m_enviado;
    QElapsedTimer m_desde_envio;
    QTimer m_relogio;
    bool m_guardando = false; // the show was read: from now on it is kept

    // The deck resuming: waiting for its file, then fading in.
    Deck *m_retomando = nullptr;
    QString m_arquivo;
    qint64 m_posicao = 0;
    QTimer m_retomada;
    QElapsedTimer m_subindo;
};

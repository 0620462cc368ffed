#pragma once
// Loudness normalisation and silence trimming: the options kept in EXTRAS.INI, the background
// analysis of what the decks will play (their selected entries first, then the rest of their
// lists, then the library if the operator asks), and the gain and the span of sound the players take from it. A file not analysed
// in time plays as it is.
#include "audio/Loudness.h"
#include "settings/Extras.h"

#include <QObject>
#include <QTimer>
#include <memory>
#include <optional>

class AnalysisQueue;
class Tform_mixer;

class Nivelamento : public QObject
{
    Q_OBJECT
public:
    explicit Nivelamento(Tform_mixer &console);
    ~Nivelamento() override;

    const Extras::Valores &valores() const { return m_valores; }
    // From the settings window; switching either option on sends the lists to the analysis.
    void define(const Extras::Valores &v);
    void carrega(); // at the show
    void grava();   // at the close

    // The gain in dB for a player about to play `path`; a file not analysed yet plays at 0 dB
    // and is analysed for its next time.
    double ganho(const QString &path);
    // With trimming on and the file analysed: where a hand-over starts it and where its sound
    // ends; nothing otherwise.
    quint32 inicio(const QString &path) const;
    std::optional<quint32> fim_do_som(const QString &path) const;

    // The file has been through the analysis (measured, or found unreadable).
    bool analisado(const QString &path) const;
    // A deck's selected entry changed, or its list or the library did.
    void selecionada(const QString &path);
    void listas_mudaram();

private:
    // The file's analysis when trimming may use it.
    std::optional<audio::LoudnessResult> som(const QString &path) const;
    bool ativo() const { return m_valores.normalizar || m_valores.cortar_silencio; }
    void envia_listas();
    QStringList ainda_nao(const QStringList &paths) const; // those not analysed yet
    void progresso(int feitos, int total);
    Tform_mixer &m_console;
    Extras::Valores m_valores;
    std::unique_ptr<AnalysisQueue> m_fila;
    QTimer m_listas; // gathers a burst of list changes (AUTO PRG adds thousands at once)
    QString m_mostrado; // the progress text last put on the status line
};

#pragma once
// The running show, kept in "SHOW.INI" in the data folder so a crash or a power cut does not
// lose it: both decks' lists and selections, the deck on air and where it was, Auto Mix and
// the mix mode, and whether the show ended normally. Nothing here touches a widget or a player.
//
// Layout (UTF-8, CR LF after every line), always written whole in this order:
//   VELARIX-SHOW 1
//   TERMINOU=0|1  AUTO_MIX=0|1  POR_NIVEL=0|1  NO_AR=-|A|B  ENTRADA_NO_AR=n  POSICAO_NO_AR=ms
//   A_SELECIONADA=n  A_ENTRADAS=count  then count lines "A=path"
//   B_SELECIONADA=n  B_ENTRADAS=count  then count lines "B=path"
//   FIM=lines md5
// A path keeps every character: "%" and control characters are written as %XX. The last line
// counts the lines before it and carries the MD5 of their bytes, so a cut-off, torn or edited
// file is refused as a whole rather than half restored.
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace ShowFile {

QString nomeArquivo(); // "SHOW.INI"

enum class NoAr { nenhum, A, B };

struct Deck
{
    QStringList entradas; // full paths, in list order
    int selecionada = -1; // -1: nothing selected
};

// A snapshot of the show in plain values. Copying one is cheap (the lists are shared), so the
// console can hand one over on every change.
struct EstadoDoShow
{
    Deck a;
    Deck b;
    NoAr no_ar = NoAr::nenhum;
    int entrada_no_ar = -1;  // index in the on-air deck's list
    qint64 posicao_no_ar = 0; // ms into that entry
    bool auto_mix = false;
    bool por_nivel = false;
    bool terminou = false; // the show ended normally (the console closed it)

    bool operator==(const EstadoDoShow &o) const;
};

// The file's bytes for a show.
QByteArray monta(const EstadoDoShow &estado);

enum class Situacao { ausente, inutilizavel, terminou, interrompido };

struct Leitura
{
    Situacao situacao = Situacao::ausente;
    QString motivo;      // why an inutilizavel file was refused
    EstadoDoShow estado; // meaningful for terminou and interrompido only
};

// Reads the bytes of a file that exists.
Leitura le(const QByteArray &bytes);
// The data folder's file when `caminho` is empty.
Leitura carrega(const QString &caminho = QString());
// What the operator is told when the file was refused (the console then starts without it).
QString mensagemInutilizavel(const Leitura &leitura);

// Written whole through a temporary file: a failure leaves the old file as it was.
bool grava(const EstadoDoShow &estado, const QString &caminho = QString(), QString *erro = nullptr);

// What the start-up does with what it read.
enum class Acao {
    nada,      // start as if there were no file
    so_listas, // fill both decks' lists and selections, play nothing
    retoma     // as so_listas, then start `deck` at `entrada` from `posicao` ms
};

struct Retomada
{
    Acao acao = Acao::nada;
    NoAr deck = NoAr::nenhum;
    int entrada = -1;
    qint64 posicao = 0;
};

// Only a show that was cut off comes back (a normal close starts afresh), and only one with
// Auto Mix on and a deck on air resumes playing; a start-up
// file on the command line decides what plays instead (the lists still come back, and the
// start-up file is opened after them).
Retomada decide_inicio(const Leitura &leitura, bool arquivo_de_inicio);

// Writes snapshots on a thread of its own so the caller never waits on the disk. Snapshots
// that arrive while one is being written replace each other: only the newest is written next.
class Gravador
{
public:
    // How one snapshot reaches the disk; grava() to `caminho` unless given (tests hold it).
    using Escrita = std::function<bool(const EstadoDoShow &, QString *erro)>;

    explicit Gravador(const QString &caminho = QString(), Escrita escrita = {});
    // Writes the newest snapshot still waiting, waiting for it at most `espera_final_ms`
    // (see setEsperaFinal); a disk that does not answer by then is left to its thread.
    ~Gravador();
    Gravador(const Gravador &) = delete;
    Gravador &operator=(const Gravador &) = delete;

    // Returns at once; never waits for a write in progress.
    void envia(EstadoDoShow estado);
    // Waits until every snapshot sent so far has been written or has failed; false when
    // `ms` ran out first.
    bool esvazia(int ms);
    void setEsperaFinal(int ms);

    quint64 gravados() const;
    quint64 falhas() const;
    QString ultimoErro() const;

private:
    struct Compartilhado;
    std::shared_ptr<Compartilhado> m;
    int m_espera_final = 3000;
};

} // namespace ShowFile

#pragma once
// The cartridge bank as data: ten slots and the bank file "CARTUCHEIRA.PFL" that stores them,
// one line per slot: number (three digits), "#", title, "$$", path, "%%%", colour.
#include <QColor>
#include <QString>
#include <QStringList>
#include <array>

struct CartridgeSlot
{
    QString titulo;
    QString arquivo;
    QString cor; // decimal, red in the low byte; empty or not a number means grey
    QString reserva1;
    QString reserva2;

    bool operator==(const CartridgeSlot &o) const
    {
        return titulo == o.titulo && arquivo == o.arquivo && cor == o.cor && reserva1 == o.reserva1
            && reserva2 == o.reserva2;
    }
};

namespace CartridgeBank {

constexpr int kSlots = 10;
using Slots = std::array<CartridgeSlot, kSlots>;

// Colours as the bank file writes them.
constexpr int kCinza = 11184550;   // empty or cleared
constexpr int kAmarelo = 10485759; // from the library grid (and from the file manager)
constexpr int kVerde = 8454016;    // from the search grid

QString fileName();

// Group names of exactly four characters are refused (load and save).
bool nomeInvalido(const QString &nome);

// Line n (1-based) of the file for a slot.
QString linha(int n, const CartridgeSlot &slot);
QStringList linhas(const Slots &banco);

// Cuts one line by "#", "$$" and "%%%" (the "$$" before the path, the last "%%%"): the
// title always starts at the fifth character, whatever the slot number before it says.
CartridgeSlot cortaLinha(const QString &linha);
// Line k goes to slot k; lines after the tenth are ignored, missing ones leave slots empty.
Slots cortaLinhas(const QStringList &linhas);

// The button face for a slot's colour text (the file keeps blue in the high byte).
QColor corBotao(const QString &cor);
// The 13 characters of a title that fit on a button.
QString legenda(const QString &titulo);

enum class LoadResult { Loaded, Missing, Unreadable };
// Reads a bank file into `banco` (all emptied first). On Unreadable `erro` says why.
LoadResult load(const QString &path, Slots *banco, QString *erro = nullptr);
// Replaces the file atomically: on failure the previous file stays whole.
bool save(const QString &path, const Slots &banco, QString *erro = nullptr);

// A file the desktop dropped: is it one of the audio types the console plays?
bool arquivoDeAudio(const QString &path);
// A slot for a file dropped from the file manager: titled as the library titles files.
CartridgeSlot doArquivo(const QString &path);

} // namespace CartridgeBank

#pragma once
// The console's own options beyond the settings file, in "EXTRAS.INI" in the data folder:
//   NORMALIZAR=0|1        bring every track to the target loudness
//   ALVO_LUFS=-14         the target, -23 to -8 LUFS
//   CORTAR_SILENCIO=0|1   start and end tracks at their first and last sound
//   ANALISAR_ACERVO=0|1   analyse the whole library too, after the decks' lists
// A missing file, or a line that is missing or makes no sense, leaves that value's default.
#include <QString>
#include <QStringList>

namespace Extras {

QString nomeArquivo(); // "EXTRAS.INI"

constexpr int kAlvoPadrao = -14;
constexpr int kAlvoMinimo = -23;
constexpr int kAlvoMaximo = -8;

struct Valores
{
    bool normalizar = false;
    int alvo_lufs = kAlvoPadrao;
    bool cortar_silencio = false;
    bool analisar_acervo = false;
};

Valores le_linhas(const QStringList &linhas);
QStringList monta_linhas(const Valores &v);

// The data folder's file when `caminho` is empty.
Valores carrega(const QString &caminho = QString());
// Written whole through a temporary file: a failure leaves the old file as it was.
bool grava(const Valores &v, const QString &caminho = QString(), QString *erro = nullptr);

} // namespace Extras

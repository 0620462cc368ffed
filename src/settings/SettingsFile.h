#pragma once
// The console's settings file "VELARIX4.INI": KEY=value lines looked up by substring, read
// once when the console is first shown and written whole when it closes. No widget here.
#include <QString>
#include <QStringList>
#include <array>

namespace SettingsFile {

QString nomeArquivo(); // "VELARIX4.INI"

// The text after the first "=" of the first line that contains `chave` followed by "="
// anywhere in it (case-sensitive), cut to 255 characters; `padrao` when no line does.
QString le_chave(const QStringList &linhas, const QString &chave, const QString &padrao);

// A signed 32-bit decimal integer; blanks around it are allowed, nothing else.
bool inteiro(const QString &texto, int *valor);

// Every value the file carries, in the console's terms. The defaults are those the console
// starts from before the file is read.
struct Valores
{
    int capturagr = 0;
    int automixar = 1;
    int wav = 0;
    int mp3 = 1;
    int ogg = 0;
    int wma = 0;
    int clips = 0;
    QString tempo_mix_texto = QStringLiteral("3000"); // converted later, with its own check
    int tempo_mix = 3000;
    int grafico01 = 0;
    int grafico02 = 0;
    int device_transmissao = 1;
    int device_cue = 1;
    int ativa_sensor = 1;
    int vlr_sensor = 20;
    int drive = 1;
    int buffers = 1000;
    int fade = 5000;
    int bt_capturagr = 0;
    int eq_ativa = 0;
    int eq_volume = 75;
    std::array<int, 10> eq_banda{10, 10, 10, 10, 10, 10, 10, 10, 10, 10};
};

// Looks the keys up and converts them in the console's reading order, storing each into `v`
// as it goes (CAPTURAGR, BUFFERS and TEMPO_MIX's number are not read; TEMPO_MIX's text is).
// Stops at the first value that is not an integer and returns its key; empty when all
// converted. Keys after a failing one keep what `v` held. `lidas` gets the keys stored.
QString le_valores(const QStringList &linhas, Valores *v, QStringList *lidas = nullptr);

// The 30 lines the close writes, in their fixed order.
QStringList monta_linhas(const Valores &v);

// The read-error message of a value that is not a number.
QString mensagemErroLeitura();

} // namespace SettingsFile

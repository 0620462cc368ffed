#pragma once
// Finding tracks by title, and the audio files of a folder for the start-up listing.
#include <QString>
#include <QVector>

#include <functional>

namespace Search {

// How much of a title the search looks at.
constexpr int TitleSpan = 50;

// The upper case of one character as the search and the type-ahead compare titles: ASCII
// directly, the rest by Unicode.
inline char32_t maiuscula(char32_t c)
{
    if (c < 0x80)
        return (c >= 'a' && c <= 'z') ? c - 32 : c;
    return QChar::toUpper(c);
}

// Upper-cases character by character, as the search compares titles.
QString maiusculas(const QString &texto);

// The rows (0 = first data row) whose titles, upper-cased, hold the upper-cased `texto`
// wholly within their first TitleSpan characters, in row order. Blank text finds nothing.
QVector<int> procura(int linhas, const std::function<QString(int)> &titulo, const QString &texto);

struct ArquivoAudio
{
    QString titulo; // the name, upper-cased
    QString nome;   // the name as the folder holds it
};

// The plain, visible MP3 and WAV files of a folder (empty = the current folder), sorted by
// upper-cased name under the locale's case-insensitive collation.
QVector<ArquivoAudio> lista_arquivos_audio(const QString &pasta);

// Splits a start-up parameter at its last separator: the folder part keeps the separator.
struct PartesInicio
{
    QString pasta;
    QString nome;
};
PartesInicio separa_parametro(const QString &parametros);

} // namespace Search

#pragma once
// The console's text files: read tolerantly as lines, written whole and atomically.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

class QIODevice;

namespace TextFile {

enum class ReadStatus { Ok, Missing, Unreadable };

// Splits raw file contents into lines. Accepts CR, LF and CR LF line ends and a last line
// without one; a leading UTF-8 byte-order mark is dropped. Each line is decoded as UTF-8
// when it is valid UTF-8, otherwise as Windows-1252 (files made on Windows keep accents).
QStringList decodeLines(const QByteArray &bytes);

// Decodes one line (no line end inside) with the UTF-8 / Windows-1252 rule above.
QString decodeLine(const char *data, qsizetype size);

// Length of the well-formed UTF-8 sequence at data (1 for ASCII), or 0 when there is none;
// `left` bytes may be read.
int utf8SequenceLength(const char *data, qsizetype left);

// True when the bytes are well-formed UTF-8 (no overlong forms, surrogates or values
// above U+10FFFF).
bool isValidUtf8(const char *data, qsizetype size);

// Windows-1252 to Unicode; the five unassigned bytes map to the C1 code points.
QString fromWindows1252(const char *data, qsizetype size);

// UTF-8 without byte-order mark, CR LF after every line.
QByteArray encodeLines(const QStringList &lines);

// Reads the whole file. On Missing or Unreadable, `lines` is left empty and `error` (when
// given) says why.
ReadStatus readLines(const QString &path, QStringList *lines, QString *error = nullptr);

// Writes through a temporary file in the same folder that is renamed over the target only
// when everything was written: on false the previous file is untouched. `fill` writes the
// contents and returns false when a write fell short.
bool saveWhole(const QString &path, const std::function<bool(QIODevice &)> &fill, QString *error = nullptr);

// saveWhole of encodeLines(lines).
bool writeLines(const QString &path, const QStringList &lines, QString *error = nullptr);

} // namespace TextFile

#pragma once
// The media library file "lista.upd": one track per line, TITLE#PATH.
#include <QString>
#include <QStringList>
#include <QVector>

struct LibraryRecord
{
    QString title;
    QString path;

    bool operator==(const LibraryRecord &o) const { return title == o.title && path == o.path; }
    bool operator!=(const LibraryRecord &o) const { return !(*this == o); }
};

namespace LibraryFile {

// "lista.upd"
QString fileName();

// The library file in the data folder.
QString defaultPath();

// Splits one line into title and path. The line splits at its first "#": the title is what
// comes before it, the path (whole, however long) what comes after. A line without "#" is
// all path. One exception keeps names with "#" whole: when the text after the first "#" does
// not end with a separator followed by the title, but the text after a later "#" ends with a
// separator followed by everything before that "#", the line splits there (the capture writes
// NAME#FOLDER/NAME, so only that split gives a path that names the file).
LibraryRecord parseLine(const QString &line);

QVector<LibraryRecord> parseLines(const QStringList &lines);

// TITLE#PATH
QString formatLine(const LibraryRecord &record);
QStringList formatLines(const QVector<LibraryRecord> &records);

} // namespace LibraryFile

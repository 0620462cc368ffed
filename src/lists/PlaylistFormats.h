#pragma once
// Playlists of other programs beside the console's own ".ipk" lists: M3U/M3U8 (one entry per
// line, "#" lines are comments) and PLS (an INI-like [playlist] with File1=, File2=, ...).
#include "lists/ListFile.h"

#include <QString>
#include <QStringList>

namespace PlaylistFormats {

enum class Kind { Ipk, M3u, Pls };

// The format a file name asks for, by its extension (any letter case); anything that is not
// ".m3u", ".m3u8" or ".pls" is an ".ipk" list.
Kind kindOf(const QString &fileName);

// The entries a playlist names that exist, in order, and how many it named that do not.
struct Entries
{
    QStringList paths;
    int missing = 0;
};

// An entry as written in a playlist made at `folder`: "file:" URLs become local paths,
// relative paths are taken from the playlist's folder, "\" counts as a separator. Empty for
// entries that are no local file (web addresses).
QString resolveEntry(const QString &entry, const QString &folder);

// The lines of an M3U/M3U8 playlist: blank lines and "#" lines (#EXTM3U, #EXTINF) skipped.
Entries parseM3u(const QStringList &lines, const QString &folder);
// The lines of a PLS playlist: the FileN= keys in the order of N (the count line is not
// trusted), every other key ignored.
Entries parsePls(const QStringList &lines, const QString &folder);

QStringList formatM3u(const QStringList &titles, const QStringList &paths);
QStringList formatPls(const QStringList &titles, const QStringList &paths);

// A playlist file of any kind opened for a deck. Entries of an M3U or PLS playlist whose
// files do not exist are left out and counted in `missing`; an ".ipk" list is taken as is.
struct Opened
{
    ListFile::OpenStatus status = ListFile::OpenStatus::Missing;
    QStringList paths;
    QStringList titles;
    int missing = 0;
    QString error;
};
Opened open(const QString &fileName);

// The name a typed save name is written under: an M3U or PLS name as typed, any other by the
// ".ipk" rule.
QString saveTarget(const QString &typedName);

// Writes a deck's list in the format of the file name, atomically.
bool save(const QString &fileName, const QStringList &titles, const QStringList &paths,
          QString *error = nullptr);

} // namespace PlaylistFormats

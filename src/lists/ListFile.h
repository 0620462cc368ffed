#pragma once
// Programme list files (".ipk": one full path per line) and the widget-free rules of editing
// a deck's list (titles and paths kept side by side, same index).
#include <QString>
#include <QStringList>

namespace ListFile {

enum class OpenStatus { Opened, Missing, Unreadable };

struct OpenedList
{
    OpenStatus status = OpenStatus::Missing;
    QStringList paths;  // the file's lines, as written
    QStringList titles; // derived from the paths, upper-cased
    QString error;
};

// The file name the save uses for a typed name: a name that contains ".IPK" in any letter
// case is kept as typed; any other is trimmed and gets ".IPK" appended. A blank name gives an
// empty result (nothing to save to).
QString saveTarget(const QString &typedName);

// The title a path shows in a deck list: the part after its last separator ("\" or "/"),
// upper-cased; the whole path when it has none.
QString titleFromPath(const QString &path);

// Writes the paths, one per line, replacing the file atomically. False on failure, with the
// previous file untouched.
bool save(const QString &fileName, const QStringList &paths, QString *error = nullptr);

// Reads a list file.
OpenedList open(const QString &fileName);

// The row a drop lands on: the list's top row plus the drop height in whole rows, held to the
// last row when it falls at or past the end. -1 for an empty list.
int dropTarget(int topIndex, int y, int rowHeight, int count);

// Moves the selected entry to `target` (counted after taking it out) in both lists. False
// when nothing moved: empty or unequal lists, no valid selection, a negative or out-of-range
// target, or the entry already there.
bool moveEntry(QStringList &titles, QStringList &paths, int selected, int target);

// Removes entry `index` from both lists. False when there is no such entry.
bool removeEntry(QStringList &titles, QStringList &paths, int index);

// How many times adding `title` asks whether to go on: once per entry with exactly that
// title, but never for a list of fewer than two entries.
int duplicateQuestions(const QStringList &titles, const QString &title);

} // namespace ListFile

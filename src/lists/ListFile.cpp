#include "lists/ListFile.h"

#include "library/NativeName.h"
#include "settings/TextFile.h"

namespace ListFile {

QString saveTarget(const QString &typedName)
{
    if (typedName.trimmed().isEmpty())
        return QString();
    // Lists saved by earlier versions carry ".IPK" somewhere in the name; any such name is
    // taken as typed.
    if (typedName.contains(QStringLiteral(".IPK"), Qt::CaseInsensitive))
        return typedName;
    return typedName.trimmed() + QStringLiteral(".IPK");
}

QString titleFromPath(const QString &path)
{
    qsizetype cut = path.size();
    while (cut > 0 && path.at(cut - 1) != QLatin1Char('\\') && path.at(cut - 1) != QLatin1Char('/'))
        --cut;
    return NativeName::displayed(path.mid(cut)).toUpper();
}

bool save(const QString &fileName, const QStringList &paths, QString *error)
{
    return TextFile::writeLines(fileName, paths, error);
}

OpenedList open(const QString &fileName)
{
    OpenedList list;
    QStringList lines;
    switch (TextFile::readLines(fileName, &lines, &list.error)) {
    case TextFile::ReadStatus::Missing:
        list.status = OpenStatus::Missing;
        return list;
    case TextFile::ReadStatus::Unreadable:
        list.status = OpenStatus::Unreadable;
        return list;
    case TextFile::ReadStatus::Ok:
        break;
    }
    list.status = OpenStatus::Opened;
    list.titles.reserve(lines.size());
    for (const QString &line : std::as_const(lines))
        list.titles.append(titleFromPath(line));
    list.paths = std::move(lines);
    return list;
}

int dropTarget(int topIndex, int y, int rowHeight, int count)
{
    if (count <= 0 || rowHeight <= 0)
        return -1;
    int target = topIndex + y / rowHeight;
    if (target >= count)
        target = count - 1;
    return target;
}

bool moveEntry(QStringList &titles, QStringList &paths, int selected, int target)
{
    const int count = int(titles.size());
    if (count == 0 || paths.size() != count || target < 0 || target >= count)
        return false;
    if (selected < 0 || selected >= count || selected == target)
        return false;
    titles.move(selected, target);
    paths.move(selected, target);
    return true;
}

bool removeEntry(QStringList &titles, QStringList &paths, int index)
{
    if (index < 0 || index >= titles.size() || titles.size() != paths.size())
        return false;
    titles.removeAt(index);
    paths.removeAt(index);
    return true;
}

int duplicateQuestions(const QStringList &titles, const QString &title)
{
    if (titles.size() < 2)
        return 0;
    return int(titles.count(title));
}

} // namespace ListFile

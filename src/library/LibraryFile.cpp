#include "library/LibraryFile.h"

#include "settings/DataFolder.h"

namespace LibraryFile {

QString fileName()
{
    return QStringLiteral("lista.upd");
}

QString defaultPath()
{
    return DataFolder::filePath(fileName());
}

static inline bool isSeparator(QChar c)
{
    return c == QLatin1Char('/') || c == QLatin1Char('\\');
}

// True when line[pathStart..] ends with a separator followed by line[0..hash).
static bool pathNamesTitle(const QString &line, qsizetype hash)
{
    const qsizetype titleLen = hash;
    const qsizetype pathLen = line.size() - hash - 1;
    if (titleLen == 0 || pathLen < titleLen + 1)
        return false;
    const qsizetype tail = line.size() - titleLen;
    if (!isSeparator(line.at(tail - 1)))
        return false;
    // The capture upper-cases the title but may keep the path as the disk spells it.
    return QStringView(line).mid(tail).compare(QStringView(line).left(titleLen),
                                               Qt::CaseInsensitive) == 0;
}

LibraryRecord parseLine(const QString &line)
{
    const qsizetype first = line.indexOf(QLatin1Char('#'));
    if (first < 0)
        return {QString(), line};
    qsizetype split = first;
    if (!pathNamesTitle(line, first)) {
        for (qsizetype h = line.indexOf(QLatin1Char('#'), first + 1); h >= 0;
             h = line.indexOf(QLatin1Char('#'), h + 1)) {
            if (pathNamesTitle(line, h)) {
                split = h;
                break;
            }
        }
    }
    return {line.left(split), line.mid(split + 1)};
}

QVector<LibraryRecord> parseLines(const QStringList &lines)
{
    QVector<LibraryRecord> records;
    records.reserve(lines.size());
    for (const QString &line : lines)
        records.append(parseLine(line));
    return records;
}

QString formatLine(const LibraryRecord &record)
{
    return record.title + QLatin1Char('#') + record.path;
}

QStringList formatLines(const QVector<LibraryRecord> &records)
{
    QStringList lines;
    lines.reserve(records.size());
    for (const LibraryRecord &r : records)
        lines.append(formatLine(r));
    return lines;
}

} // namespace LibraryFile

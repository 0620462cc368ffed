#include "lists/PlaylistFormats.h"
#include "library/NativeName.h"

#include "settings/TextFile.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include <map>

namespace PlaylistFormats {

Kind kindOf(const QString &fileName)
{
    const QString suffix = QFileInfo(fileName.trimmed()).suffix().toLower();
    if (suffix == QLatin1String("m3u") || suffix == QLatin1String("m3u8"))
        return Kind::M3u;
    if (suffix == QLatin1String("pls"))
        return Kind::Pls;
    return Kind::Ipk;
}

QString resolveEntry(const QString &entry, const QString &folder)
{
    QString e = entry.trimmed();
    if (e.isEmpty())
        return QString();
    if (e.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) {
        e = QUrl(e).toLocalFile();
        if (e.isEmpty())
            return QString();
    } else if (e.contains(QLatin1String("://"))) {
        return QString();
    }
#ifndef Q_OS_WIN
    // Lists made on Windows separate folders with "\".
    e.replace(QLatin1Char('\\'), QLatin1Char('/'));
#endif
    if (QDir::isRelativePath(e))
        e = QDir(folder).filePath(e);
    return QDir::toNativeSeparators(QDir::cleanPath(e));
}

static void take(Entries &out, const QString &entry, const QString &folder)
{
    const QString path = resolveEntry(entry, folder);
    if (NativeName::isFile(path))
        out.paths.append(path);
    else
        ++out.missing;
}

Entries parseM3u(const QStringList &lines, const QString &folder)
{
    Entries out;
    for (const QString &line : lines) {
        const QString t = line.trimmed();
        if (t.isEmpty() || t.startsWith(QLatin1Char('#')))
            continue;
        take(out, t, folder);
    }
    return out;
}

Entries parsePls(const QStringList &lines, const QString &folder)
{
    std::map<qint64, QString> files;
    for (const QString &line : lines) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        const QString key = line.left(eq).trimmed();
        if (!key.startsWith(QLatin1String("file"), Qt::CaseInsensitive))
            continue;
        bool number = false;
        const qint64 n = key.mid(4).toLongLong(&number);
        if (number)
            files[n] = line.mid(eq + 1).trimmed();
    }
    Entries out;
    for (const auto &f : files)
        take(out, f.second, folder);
    return out;
}

QStringList formatM3u(const QStringList &titles, const QStringList &paths)
{
    QStringList out{QStringLiteral("#EXTM3U")};
    for (qsizetype i = 0; i < paths.size(); ++i) {
        out << QStringLiteral("#EXTINF:-1,%1").arg(titles.value(i));
        out << paths.at(i);
    }
    return out;
}

QStringList formatPls(const QStringList &titles, const QStringList &paths)
{
    QStringList out{QStringLiteral("[playlist]")};
    for (qsizetype i = 0; i < paths.size(); ++i) {
        out << QStringLiteral("File%1=%2").arg(i + 1).arg(paths.at(i));
        out << QStringLiteral("Title%1=%2").arg(i + 1).arg(titles.value(i));
        out << QStringLiteral("Length%1=-1").arg(i + 1);
    }
    out << QStringLiteral("NumberOfEntries=%1").arg(paths.size());
    out << QStringLiteral("Version=2");
    return out;
}

Opened open(const QString &fileName)
{
    Opened o;
    const Kind kind = kindOf(fileName);
    if (kind == Kind::Ipk) {
        ListFile::OpenedList l = ListFile::open(fileName);
        o.status = l.status;
        o.paths = std::move(l.paths);
        o.titles = std::move(l.titles);
        o.error = std::move(l.error);
        return o;
    }
    QStringList lines;
    switch (TextFile::readLines(fileName, &lines, &o.error)) {
    case TextFile::ReadStatus::Missing:
        o.status = ListFile::OpenStatus::Missing;
        return o;
    case TextFile::ReadStatus::Unreadable:
        o.status = ListFile::OpenStatus::Unreadable;
        return o;
    case TextFile::ReadStatus::Ok:
        break;
    }
    const QString folder = QFileInfo(fileName).absolutePath();
    Entries e = kind == Kind::M3u ? parseM3u(lines, folder) : parsePls(lines, folder);
    o.status = ListFile::OpenStatus::Opened;
    o.missing = e.missing;
    for (const QString &p : std::as_const(e.paths))
        o.titles.append(ListFile::titleFromPath(p));
    o.paths = std::move(e.paths);
    return o;
}

QString saveTarget(const QString &typedName)
{
    if (kindOf(typedName) != Kind::Ipk && !QFileInfo(typedName.trimmed()).completeBaseName().isEmpty())
        return typedName.trimmed();
    return ListFile::saveTarget(typedName);
}

bool save(const QString &fileName, const QStringList &titles, const QStringList &paths, QString *error)
{
    switch (kindOf(fileName)) {
    case Kind::M3u:
        return TextFile::writeLines(fileName, formatM3u(titles, paths), error);
    case Kind::Pls:
        return TextFile::writeLines(fileName, formatPls(titles, paths), error);
    case Kind::Ipk:
        break;
    }
    return ListFile::save(fileName, paths, error);
}

} // namespace PlaylistFormats

// Feeds each file given on the command line to the text, library and programme-list readers,
// and checks that what they read survives being written and read again.
#include "Watchdog.h"
#include "library/LibraryFile.h"
#include "lists/ListFile.h"
#include "settings/TextFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

namespace {

void check(bool ok, const char *what, const char *file)
{
    if (!ok) {
        std::fprintf(stderr, "FAILED %s on %s\n", what, file);
        std::abort();
    }
}

void runCase(const char *name, const QString &scratch)
{
    QFile f(QString::fromLocal8Bit(name));
    if (!f.open(QIODevice::ReadOnly))
        return;
    const QByteArray bytes = f.readAll();
    const QStringList lines = TextFile::decodeLines(bytes);
    QStringList again;
    check(TextFile::readLines(f.fileName(), &again) == TextFile::ReadStatus::Ok, "readLines", name);
    check(again == lines, "readLines agrees with decodeLines", name);

    const QVector<LibraryRecord> records = LibraryFile::parseLines(lines);
    check(records.size() == lines.size(), "one record per line", name);
    for (const LibraryRecord &r : records)
        check(!r.path.contains(QLatin1Char('\n')) && !r.path.contains(QLatin1Char('\r')), "one line per record", name);
    const QStringList written = LibraryFile::formatLines(records);
    check(LibraryFile::formatLines(LibraryFile::parseLines(written)) == written, "library round trip", name);

    check(TextFile::writeLines(scratch, lines), "writeLines", name);
    QStringList back;
    check(TextFile::readLines(scratch, &back) == TextFile::ReadStatus::Ok, "read back", name);

    const ListFile::OpenedList list = ListFile::open(f.fileName());
    check(list.paths.size() == list.titles.size(), "titles beside paths", name);
    QStringList titles = list.titles, paths = list.paths;
    if (!paths.isEmpty()) {
        ListFile::moveEntry(titles, paths, 0, int(paths.size()) - 1);
        ListFile::removeEntry(titles, paths, 0);
        check(titles.size() == paths.size(), "edits keep lists together", name);
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString scratch = dir.filePath(QStringLiteral("scratch.txt"));
    const char *limit = std::getenv("FUZZ_TIMEOUT_MS");
    Watchdog watchdog(limit ? std::atoi(limit) : 20000);
    for (int i = 1; i < argc; ++i) {
        std::fprintf(stderr, "CASE %s\n", argv[i]);
        watchdog.arm(argv[i]);
        runCase(argv[i], scratch);
        watchdog.disarm();
    }
    std::printf("cases: %d\n", argc - 1);
    return 0;
}

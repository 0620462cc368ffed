// Library benchmark: capture against find(1), library load against cat(1), one type-ahead key,
// and the load, memory and Excluir of a million-track library.
#include "library/LibraryModel.h"
#include "library/Search.h"
#include "lists/AutoProgramming.h"
#include "library/TvelarixScan.h"
#include "settings/TextFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSaveFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

static void touch(const QString &path)
{
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(path).constData(), O_CREAT | O_WRONLY, 0644);
    if (fd >= 0)
        ::close(fd);
#else
    QFile f(path);
    f.open(QIODevice::WriteOnly);
#endif
}

// 100,000 files in folders nested up to 8 levels below `root`.
static int makeTree(const QString &root)
{
    static const char *const exts[] = {".mp3", ".MP3", ".wav", ".Wav", ".ogg", ".wma",
                                       ".txt", ".jpg", ".m3u", ".mp3.bak"};
    static const char *const words[] = {"Canção", "Noite", "Ação", "Forró", "Verão",
                                        "Rock", "Samba", "Mix", "Live", "Remix"};
    const int totalFiles = 100000;
    const int filesPerFolder = 50;
    std::vector<QString> folders;
    // Breadth-first folders: each folder has 3 subfolders, down to depth 8.
    folders.push_back(root);
    QDir().mkpath(root);
    std::vector<std::pair<QString, int>> queue{{root, 0}};
    size_t head = 0;
    while (folders.size() * filesPerFolder < size_t(totalFiles) && head < queue.size()) {
        auto [dir, depth] = queue[head++];
        if (depth >= 8)
            continue;
        for (int k = 0; k < 3 && folders.size() * filesPerFolder < size_t(totalFiles); ++k) {
            const QString sub = dir + QStringLiteral("/%1 %2").arg(QString::fromUtf8(words[(folders.size() + k) % 10])).arg(folders.size());
            QDir().mkdir(sub);
            folders.push_back(sub);
            queue.push_back({sub, depth + 1});
        }
    }
    // Make sure the deepest level exists too.
    QString deep = root;
    for (int d = 1; d <= 8; ++d)
        deep += QStringLiteral("/nivel%1").arg(d);
    QDir().mkpath(deep);
    folders.push_back(deep);

    int made = 0;
    for (size_t i = 0; made < totalFiles; ++i) {
        const QString &dir = folders[i % folders.size()];
        const QString name = QStringLiteral("%1 %2 faixa %3%4")
                                 .arg(QString::fromUtf8(words[made % 10]))
                                 .arg(QString::fromUtf8(words[(made / 10) % 10]))
                                 .arg(made, 6, 10, QLatin1Char('0'))
                                 .arg(QString::fromLatin1(exts[(made * 7) % 10]));
        touch(dir + QLatin1Char('/') + name);
        ++made;
    }
    return made;
}

static double runFind(const QString &dir, int *count)
{
    QElapsedTimer t;
    t.start();
    QProcess p;
    p.start(QStringLiteral("find"), {dir, QStringLiteral("-iname"), QStringLiteral("*.mp3"),
                                     QStringLiteral("-o"), QStringLiteral("-iname"),
                                     QStringLiteral("*.wav")});
    QByteArray out;
    p.waitForStarted();
    while (p.state() != QProcess::NotRunning) {
        p.waitForReadyRead(1000);
        out += p.readAllStandardOutput();
    }
    out += p.readAllStandardOutput();
    const double s = t.nsecsElapsed() / 1e9;
    *count = int(out.count('\n'));
    return s;
}

static double runScan(const QString &dir, int *count)
{
    QElapsedTimer t;
    t.start();
    TvelarixScan scan;
    scan.setFilePath(dir + QLatin1Char('/'));
    scan.setSearchFilter({QStringLiteral("*.mp3"), QStringLiteral("*.wav")});
    scan.setSubDirectories(true);
    scan.setXnivel(quint16(TvelarixScan::folderDepth(dir + QLatin1Char('/'), TvelarixScan::volumeRootOf(dir)) + 10));
    scan.Scan();
    const double s = t.nsecsElapsed() / 1e9;
    *count = int(scan.SearchResult().size());
    return s;
}

static double runCat(const QString &file)
{
    QElapsedTimer t;
    t.start();
    QProcess p;
    p.start(QStringLiteral("cat"), {file});
    QByteArray out;
    p.waitForStarted();
    while (p.state() != QProcess::NotRunning) {
        p.waitForReadyRead(1000);
        out += p.readAllStandardOutput();
    }
    out += p.readAllStandardOutput();
    return t.nsecsElapsed() / 1e9;
}

static double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Resident and peak resident memory of this process, in kB, from /proc/self/status.
static long procStatusKb(const char *key)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray want = QByteArray(key) + ':';
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(want))
            return line.mid(want.size()).trimmed().split(' ').value(0).toLong();
    return -1;
}

// Starts a new peak: the kernel resets VmHWM to the current resident size.
static void resetPeak()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

// A library of a million tracks: load time, resident memory the rows cost, and one
// Excluir's time and peak memory.
static void millionRows(const QString &folder)
{
    const int rows = 1000000;
    const QString libFile = folder + QStringLiteral("/milhao.upd");
    {
        QFile f(libFile);
        if (!f.open(QIODevice::WriteOnly))
            return;
        QByteArray chunk;
        for (int i = 0; i < rows; ++i) {
            const QByteArray name = QStringLiteral("CANÇÃO %1 FAIXA.MP3").arg(i, 7, 10, QLatin1Char('0')).toUtf8();
            chunk += name + "#/srv/música/coleção/pasta " + QByteArray::number(i % 997) + '/' + name + "\r\n";
            if (chunk.size() > (1 << 20)) {
                f.write(chunk);
                chunk.clear();
            }
        }
        f.write(chunk);
        std::printf("million library file MB: %.1f\n", f.size() / 1e6);
    }
    runCat(libFile);
    const double catS = runCat(libFile);
    // Replacing the whole file once, as any rewrite of it must.
    double rewriteS = 0;
    {
        QFile in(libFile);
        in.open(QIODevice::ReadOnly);
        const QByteArray bytes = in.readAll();
        QElapsedTimer w;
        w.start();
        QSaveFile out(libFile);
        out.open(QIODevice::WriteOnly);
        out.write(bytes);
        out.commit();
        rewriteS = w.nsecsElapsed() / 1e9;
    }

    auto model = std::make_unique<LibraryModel>();
    const long rssBefore = procStatusKb("VmRSS");
    resetPeak();
    QElapsedTimer t;
    t.start();
    model->load(libFile);
    const double loadS = t.nsecsElapsed() / 1e9;
    const long rssAfter = procStatusKb("VmRSS");
    const long loadPeak = procStatusKb("VmHWM");
    std::printf("million rows loaded: %d\n", model->trackCount());
    std::printf("million cat lista.upd ms: %.1f\n", catS * 1000);
    std::printf("million load ms: %.1f\n", loadS * 1000);
    std::printf("million load resident MB added: %.1f\n", (rssAfter - rssBefore) / 1024.0);
    std::printf("million load peak MB above before: %.1f\n", (loadPeak - rssBefore) / 1024.0);
    std::printf("million load/cat ratio: %.2f\n", loadS / catS);

    {
        QElapsedTimer k;
        k.start();
        const auto step = LibraryModel::typeAhead(*model, 0, QStringLiteral("CANÇÃO 0"), Qt::Key_X, QStringLiteral("x"));
        std::printf("million type-ahead key ms (no match, row %d): %.2f\n", step.row, k.nsecsElapsed() / 1e6);
    }

    resetPeak();
    const long rssBeforeDelete = procStatusKb("VmRSS");
    t.restart();
    const auto r = model->deleteTrack(rows / 2);
    const double deleteS = t.nsecsElapsed() / 1e9;
    const long deletePeak = procStatusKb("VmHWM");
    std::printf("million excluir result ok: %d\n", r == LibraryModel::DeleteResult::Deleted ? 1 : 0);
    std::printf("million excluir ms: %.1f\n", deleteS * 1000);
    std::printf("million rewrite whole file ms: %.1f\n", rewriteS * 1000);
    std::printf("million excluir/rewrite ratio: %.2f\n", deleteS / rewriteS);
    std::printf("million excluir peak MB: %.1f\n", deletePeak / 1024.0);
    std::printf("million excluir peak MB above resident: %.1f\n", (deletePeak - rssBeforeDelete) / 1024.0);
    std::printf("million rows after excluir: %d\n", model->trackCount());
    model.reset();
    QFile::remove(libFile);
}

static double runGrepCount(const QString &text, const QString &file, int *count)
{
    QElapsedTimer t;
    t.start();
    QProcess p;
    p.start(QStringLiteral("grep"), {QStringLiteral("-i"), QStringLiteral("-c"), text, file});
    p.waitForFinished(60000);
    const double s = t.nsecsElapsed() / 1e9;
    *count = p.readAllStandardOutput().trimmed().toInt();
    return s;
}

// The title search as the search edit runs it (rows found and copied for the search grid)
// against grep counting the same file's lines; then the random deal of the whole library.
static void benchSearchAndDeal(const QString &libFile, const LibraryModel &model)
{
    auto titulo = [&model](int r) { return model.title(r); };
    auto caminho = [&model](int r) { return model.path(r); };
    for (const QString &text : {QStringLiteral("faixa"), QStringLiteral("0042")}) {
        std::vector<double> grepTimes, searchTimes;
        int grepCount = 0, found = 0;
        runGrepCount(text, libFile, &grepCount);
        for (int i = 0; i < 7; ++i) {
            grepTimes.push_back(runGrepCount(text, libFile, &grepCount));
            QElapsedTimer t;
            t.start();
            const QVector<int> rows = Search::procura(model.trackCount(), titulo, text);
            QVector<LibraryRecord> copied;
            copied.reserve(rows.size());
            for (int r : rows)
                copied.append(model.record(r));
            searchTimes.push_back(t.nsecsElapsed() / 1e9);
            found = int(copied.size());
        }
        const double g = median(grepTimes), s = median(searchTimes);
        const QByteArray name = text.toUtf8();
        std::printf("search '%s' rows found: %d (grep -i -c: %d)\n", name.constData(), found, grepCount);
        std::printf("search '%s' ms (100000 titles): %.2f\n", name.constData(), s * 1000);
        std::printf("grep -i -c '%s' ms: %.2f\n", name.constData(), g * 1000);
        std::printf("search/grep ratio '%s': %.2f\n", name.constData(), s / g);
    }

    std::vector<double> dealTimes;
    int dealt = 0;
    for (int i = 0; i < 5; ++i) {
        AutoProgramming::semeia(0);
        QElapsedTimer t;
        t.start();
        const AutoProgramming::Distribuicao d = AutoProgramming::aleatoria(model.trackCount(), titulo, caminho);
        dealTimes.push_back(t.nsecsElapsed() / 1e9);
        dealt = int(d.titulosA.size() + d.titulosB.size());
    }
    // The same order drawn from a pool that really shrinks, moving every later entry up.
    QElapsedTimer naive;
    naive.start();
    AutoProgramming::semeia(0);
    std::vector<int> pool(size_t(model.trackCount()));
    for (size_t i = 0; i < pool.size(); ++i)
        pool[i] = int(i);
    long long check = 0;
    while (!pool.empty()) {
        const auto k = AutoProgramming::sorteia(quint32(pool.size()));
        check += pool[k];
        pool.erase(pool.begin() + k);
    }
    const double naiveS = naive.nsecsElapsed() / 1e9;
    std::printf("random deal tracks: %d\n", dealt);
    std::printf("random deal ms (100000 tracks): %.1f\n", median(dealTimes) * 1000);
    std::printf("random order from a shrinking array ms: %.1f (checksum %lld)\n", naiveS * 1000, check);
    std::printf("shrinking array/deal ratio: %.1f\n", naiveS / median(dealTimes));
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir tmp;
    if (!tmp.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 1;
    }
    const QString tree = tmp.path() + QStringLiteral("/árvore");
    QElapsedTimer gen;
    gen.start();
    const int files = makeTree(tree);
    std::printf("tree files: %d\n", files);
    std::printf("tree build s: %.2f\n", gen.nsecsElapsed() / 1e9);

    // Warm the cache once for both, then alternate runs.
    int foundFind = 0, foundScan = 0;
    runFind(tree, &foundFind);
    runScan(tree, &foundScan);
    std::vector<double> findTimes, scanTimes;
    for (int i = 0; i < 5; ++i) {
        findTimes.push_back(runFind(tree, &foundFind));
        scanTimes.push_back(runScan(tree, &foundScan));
    }
    const double findS = median(findTimes);
    const double scanS = median(scanTimes);
    std::printf("audio files found by find: %d\n", foundFind);
    std::printf("audio files found by capture: %d\n", foundScan);
    std::printf("find time ms: %.1f\n", findS * 1000);
    std::printf("capture time ms: %.1f\n", scanS * 1000);

    // Sorting alone under a real locale's collation (the console sorts with the user's).
    {
        TvelarixScan scan;
        scan.setFilePath(tree + QLatin1Char('/'));
        scan.setSearchFilter({QStringLiteral("*.mp3"), QStringLiteral("*.wav")});
        scan.setXnivel(200);
        scan.Scan();
        QStringList lines = scan.SearchResult();
        std::reverse(lines.begin(), lines.end());
        QElapsedTimer t;
        t.start();
        TvelarixScan::sortLines(lines, QLocale(QLocale::Portuguese, QLocale::Brazil));
        std::printf("sort %lld lines pt_BR ms: %.1f\n", (long long)lines.size(), t.nsecsElapsed() / 1e6);
    }

    // A 100,000-line library file.
    const QString libFile = tmp.path() + QStringLiteral("/lista.upd");
    {
        QStringList lines;
        lines.reserve(100000);
        for (int i = 0; i < 100000; ++i) {
            const QString name = QStringLiteral("CANÇÃO %1 FAIXA.MP3").arg(i, 6, 10, QLatin1Char('0'));
            lines.append(name + QStringLiteral("#/srv/música/coleção/pasta %1/").arg(i % 997) + name);
        }
        TextFile::writeLines(libFile, lines);
    }
    runCat(libFile);
    std::vector<double> catTimes, loadTimes;
    LibraryModel model;
    for (int i = 0; i < 5; ++i) {
        catTimes.push_back(runCat(libFile));
        QElapsedTimer t;
        t.start();
        model.load(libFile);
        loadTimes.push_back(t.nsecsElapsed() / 1e9);
    }
    std::printf("library rows: %d\n", model.trackCount());
    std::printf("cat lista.upd ms: %.1f\n", median(catTimes) * 1000);
    std::printf("library load ms: %.1f\n", median(loadTimes) * 1000);

    // One type-ahead key: the worst case walks every row and finds nothing.
    {
        std::vector<double> keyTimes;
        for (int i = 0; i < 20; ++i) {
            QElapsedTimer t;
            t.start();
            const auto step = LibraryModel::typeAhead(model, 0, QStringLiteral("CANÇÃO 0"), Qt::Key_X, QStringLiteral("x"));
            keyTimes.push_back(t.nsecsElapsed() / 1e6);
            if (step.row != 0)
                std::printf("unexpected type-ahead row %d\n", step.row);
        }
        std::printf("type-ahead key ms (100000 rows, no match): %.2f\n", median(keyTimes));
        QElapsedTimer t;
        t.start();
        const auto step = LibraryModel::typeAhead(model, 0, QStringLiteral("CANÇÃO 09999"), Qt::Key_9, QStringLiteral("9"));
        std::printf("type-ahead key ms (match at row %d): %.2f\n", step.row, t.nsecsElapsed() / 1e6);
    }

    benchSearchAndDeal(libFile, model);
    millionRows(tmp.path());

    std::printf("capture/find ratio: %.2f\n", scanS / findS);
    return 0;
}

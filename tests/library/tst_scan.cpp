// The capture scanner: patterns, depth limit, order, cancel, and the volume list.
#include "TestSupport.h"

#include "library/TvelarixScan.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QStorageInfo>
#include <QTemporaryDir>

#include <algorithm>

namespace {

void touch(const QString &path)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(path));
}

// Lines the scanner gives for an entry: the name upper-cased, "#", the path as on disk.
QString line(const QString &root, const QString &rel)
{
    const QString name = rel.section('/', -1);
    return name.toUpper() + "#" + root + "/" + rel;
}

QStringList collated(QStringList lines)
{
    QCollator c(QLocale::system());
    c.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(lines.begin(), lines.end(),
                     [&](const QString &a, const QString &b) { return c.compare(a, b) < 0; });
    return lines;
}

} // namespace

class TestScan : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_root;

    void scanTree(TvelarixScan &scan, const QStringList &patterns, int limit)
    {
        scan.setFilePath(m_root + "/");
        scan.setVolumeRoot(m_root + "/"); // the tree's root counts as a volume root: depth 1
        scan.setSearchFilter(patterns);
        scan.setXnivel(quint16(limit));
        scan.Scan();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_root = m_dir.path() + "/tree";
        touch(m_root + "/a.mp3");
        touch(m_root + "/Zed.WAV");
        touch(m_root + "/note.txt");
        touch(m_root + "/c.ogg");
        touch(m_root + "/b.mp3.bak");
        touch(m_root + "/.hidden.mp3");
        touch(m_root + QString::fromUtf8("/ação.mp3"));
        touch(m_root + "/x/B.wav");
        touch(m_root + "/x/y/C.OGG");
        touch(m_root + "/LIVE.MP3/inner.mp3"); // a folder whose name matches
        touch(m_root + "/1/2/3/4/5/deep5.mp3");
        touch(m_root + "/1/2/3/4/5/6/deep6.mp3");
        QVERIFY(QFile::link(m_root, m_root + "/x/loop")); // a link back up must not loop
    }

    void findsTypesFoldersAndDepth()
    {
        TvelarixScan scan;
        QSignalSpy ready(&scan, &TvelarixScan::OnReady);
        QSignalSpy found(&scan, &TvelarixScan::OnFileFound);
        scanTree(scan, {"*.mp3", "*.wav"}, 5);

        const QStringList expected = collated({
            line(m_root, "a.mp3"), line(m_root, "Zed.WAV"), line(m_root, ".hidden.mp3"),
            line(m_root, QString::fromUtf8("ação.mp3")), line(m_root, "x/B.wav"),
            line(m_root, "LIVE.MP3"), line(m_root, "LIVE.MP3/inner.mp3"),
            line(m_root, "1/2/3/4/5/deep5.mp3")});
        const QStringList got = scan.SearchResult();
        QCOMPARE(got, expected);
        QVERIFY(got.contains(QString::fromUtf8("AÇÃO.MP3#") + m_root + QString::fromUtf8("/ação.mp3")));

        QCOMPARE(ready.count(), 1);
        QCOMPARE(ready.at(0).at(0).toStringList(), got);
        QCOMPARE(found.count(), got.size());
        QStringList foundPaths;
        for (const auto &args : found)
            foundPaths << args.at(0).toString();
        QVERIFY(foundPaths.contains(m_root + "/1/2/3/4/5/deep5.mp3"));
        QVERIFY(foundPaths.contains(m_root + "/LIVE.MP3"));
        // Each pattern runs in turn: every mp3 is reported before the first wav.
        int lastMp3 = -1, firstWav = int(foundPaths.size());
        for (int i = 0; i < foundPaths.size(); ++i) {
            if (foundPaths.at(i).endsWith(".mp3", Qt::CaseInsensitive))
                lastMp3 = i;
            else if (firstWav == int(foundPaths.size()))
                firstWav = i;
        }
        QVERIFY(lastMp3 < firstWav);
    }

    void deeperLimitReachesDeeperFolders()
    {
        TvelarixScan scan;
        scanTree(scan, {"*.mp3"}, 6);
        QVERIFY(scan.SearchResult().contains(line(m_root, "1/2/3/4/5/6/deep6.mp3")));
        scanTree(scan, {"*.mp3"}, 4);
        QVERIFY(!scan.SearchResult().contains(line(m_root, "1/2/3/4/5/deep5.mp3")));
        QVERIFY(scan.SearchResult().contains(line(m_root, "a.mp3")));
    }

    void depthCountsFromTheRealVolumeRoot()
    {
        // No injected root: the limit counts from the volume that holds the temp folder, so
        // work out how deep the tree's root is and give the limit that stops below level 5.
        const QString volume = QStorageInfo(m_root).rootPath();
        const QString rel = QDir(volume).relativeFilePath(m_root);
        const int rootDepth = int(rel.split('/', Qt::SkipEmptyParts).size()) + 1;
        TvelarixScan scan;
        scan.setFilePath(m_root); // no trailing separator: one is added
        scan.setSearchFilter({"*.mp3"});
        scan.setXnivel(quint16(rootDepth + 4));
        scan.Scan();
        const QStringList got = scan.SearchResult();
        QVERIFY(got.contains(line(m_root, "1/2/3/4/5/deep5.mp3")));
        QVERIFY(!got.contains(line(m_root, "1/2/3/4/5/6/deep6.mp3")));
        QVERIFY(got.contains(line(m_root, "a.mp3")));
    }

    void withoutSubfoldersOnlyTheFolderItself()
    {
        TvelarixScan scan;
        scan.setSubDirectories(false);
        scanTree(scan, {"*.mp3", "*.wav"}, 20);
        for (const QString &l : scan.SearchResult())
            QCOMPARE(l.section('#', 1).count('/'), (m_root + "/").count('/'));
        QCOMPARE(scan.SearchResult().size(), 5); // a, Zed, .hidden, ação, LIVE.MP3
    }

    void patternsUseOnlyTheNamePart()
    {
        TvelarixScan scan;
        scanTree(scan, {"/somewhere/else/*.OGG"}, 5);
        QCOMPARE(scan.SearchResult(), collated({line(m_root, "c.ogg"), line(m_root, "x/y/C.OGG")}));
        scanTree(scan, {}, 5);
        QVERIFY(scan.SearchResult().isEmpty());
        scanTree(scan, {"?.mp3"}, 5);
        QCOMPARE(scan.SearchResult(), QStringList{line(m_root, "a.mp3")});
    }

    void linksAreListedNotEntered()
    {
        TvelarixScan scan;
        scanTree(scan, {"*"}, 20);
        const QStringList got = scan.SearchResult();
        QVERIFY(got.contains(line(m_root, "x/loop")));
        for (const QString &l : got)
            QVERIFY2(!l.contains("/loop/"), qPrintable(l));
    }

    void missingFolderFindsNothing()
    {
        TvelarixScan scan;
        scan.setFilePath(m_root + "/does-not-exist/");
        scan.setSearchFilter({"*.mp3"});
        scan.Scan();
        QVERIFY(scan.SearchResult().isEmpty());
    }

    void wildcardMatching()
    {
        QVERIFY(TvelarixScan::matchesPattern(u"Song.MP3", u"*.mp3"));
        QVERIFY(!TvelarixScan::matchesPattern(u"song.mp3.bak", u"*.mp3"));
        QVERIFY(!TvelarixScan::matchesPattern(u"mp3", u"*.mp3"));
        QVERIFY(TvelarixScan::matchesPattern(u".mp3", u"*.mp3"));
        QVERIFY(TvelarixScan::matchesPattern(u"abXcdYc", u"a*c*c"));
        QVERIFY(!TvelarixScan::matchesPattern(u"abXcdY", u"a*c*c"));
        QVERIFY(TvelarixScan::matchesPattern(u"x.wav", u"?.WAV"));
        QVERIFY(!TvelarixScan::matchesPattern(u"xy.wav", u"?.wav"));
        QVERIFY(TvelarixScan::matchesPattern(u"anything", u"*"));
        QVERIFY(TvelarixScan::matchesPattern(QString::fromUtf8("ÇÃO.MP3"), QString::fromUtf8("ção*")));
    }

    void sortAgreesWithTheCollator_data()
    {
        QTest::addColumn<QString>("localeName");
        QTest::newRow("system") << QString();
        QTest::newRow("pt_BR") << QString("pt_BR");
    }
    void sortAgreesWithTheCollator()
    {
        QFETCH(QString, localeName);
        const QLocale locale = localeName.isEmpty() ? QLocale::system() : QLocale(localeName);
        QStringList lines;
        const QStringList parts{"a", "B", "á", "Á", "z", "Ç", "c", "é", "E", "_", "-", " ", "1", "ß", "Ω", "ω", "#"};
        quint32 state = 7;
        for (int i = 0; i < 600; ++i) {
            QString s;
            for (int k = 0; k < 1 + int(i % 6); ++k) {
                state = state * 1664525u + 1013904223u;
                s += parts.at(int((state >> 16) % parts.size()));
            }
            lines << s;
        }
        QStringList sorted = lines;
        TvelarixScan::sortLines(sorted, locale);
        QCOMPARE(sorted.size(), lines.size());
        QCollator c(locale);
        c.setCaseSensitivity(Qt::CaseInsensitive);
        for (int i = 1; i < sorted.size(); ++i)
            QVERIFY2(c.compare(sorted.at(i - 1), sorted.at(i)) <= 0,
                     qPrintable(sorted.at(i - 1) + " > " + sorted.at(i)));
        QStringList a = lines, b = sorted;
        a.sort();
        b.sort();
        QCOMPARE(a, b); // nothing lost or made up, duplicates kept
        // Lines that differ only in case sit together, in their first order (stable).
        QStringList pair{"abc#2", "ABC#2", "abc#1"};
        TvelarixScan::sortLines(pair, locale);
        QCOMPARE(pair, (QStringList{"abc#1", "abc#2", "ABC#2"}));
    }

    void cancelKeepsWhatWasFound()
    {
        QTemporaryDir dir;
        for (int f = 0; f < 10; ++f)
            for (int i = 0; i < 20; ++i)
                touch(dir.path() + QString("/d%1/t%2.mp3").arg(f).arg(i));
        TvelarixScan scan;
        scan.setFilePath(dir.path() + "/");
        scan.setSearchFilter({"*.mp3"});
        scan.setXnivel(200);
        int calls = 0, last = -1;
        bool monotonic = true;
        scan.setProgressCallback([&](int found) {
            ++calls;
            monotonic = monotonic && found >= last;
            last = found;
            if (found >= 25)
                scan.Cancel();
        });
        scan.Scan();
        QVERIFY(scan.isCancelled());
        QVERIFY(monotonic);
        const QStringList got = scan.SearchResult();
        QVERIFY2(got.size() >= 25 && got.size() < 60, qPrintable(QString::number(got.size())));
        for (const QString &l : got)
            QVERIFY(QFile::exists(l.section('#', 1)));
        QCOMPARE(got, collated(got));

        // The next scan starts afresh and runs to the end.
        scan.setProgressCallback({});
        scan.Scan();
        QVERIFY(!scan.isCancelled());
        QCOMPARE(scan.SearchResult().size(), 200);
        QVERIFY(calls > 25);
    }

    void volumesForTheDriveSelector()
    {
        const QVector<VolumeEntry> volumes = mountedVolumes();
        QVERIFY(!volumes.isEmpty());
        QStringList roots;
        for (const VolumeEntry &v : volumes) {
            QVERIFY2(v.rootPath.endsWith(QDir::separator()), qPrintable(v.rootPath));
            const QString text = v.text();
            QVERIFY(text.startsWith(v.rootPath + " ["));
            QVERIFY(text.endsWith("]"));
            QCOMPARE(volumeRootFromText(text), v.rootPath);
            roots << v.rootPath;
        }
        QVERIFY(roots.contains(TvelarixScan::volumeRootOf(m_root)));
    }
};

VELARIX_TEST_MAIN(TestScan)
#include "tst_scan.moc"

// Other programs' playlists: M3U/M3U8 and PLS read with relative, absolute, URL and missing
// entries, written and read back, and the save names that pick each format.
#include "TestSupport.h"
#include "lists/PlaylistFormats.h"
#include "settings/TextFile.h"

#include <QDir>
#include <QUrl>

using namespace testsupport;

class TestPlaylists : public QObject
{
    Q_OBJECT
    QString root;     // the playlists' folder
    QString sub;      // a folder below it
    QString elsewhere; // a folder beside it
    QStringList songs; // existing audio files: root/a.mp3, sub/b.wav, elsewhere/c.ogg, root/ação #1.mp3

    static QString touch(const QString &path)
    {
        writeBytes(path, "x");
        return QDir::toNativeSeparators(path);
    }

private slots:
    void initTestCase()
    {
        root = fixtureDir() + "/listas";
        sub = root + "/sub pasta";
        elsewhere = fixtureDir() + "/outro lugar";
        QDir().mkpath(sub);
        QDir().mkpath(elsewhere);
        songs << touch(root + "/a.mp3") << touch(sub + "/b.wav") << touch(elsewhere + "/c.ogg")
              << touch(root + QString::fromUtf8("/ação #1.mp3"));
    }

    void m3uRelativeAbsoluteAndMissing()
    {
        const QString m3u = root + "/festa.m3u";
        writeBytes(m3u, QByteArray("#EXTM3U\r\n"
                                   "#EXTINF:123,Artist - A\r\n"
                                   "a.mp3\r\n"
                                   "\r\n"
                                   "  sub pasta/b.wav  \n"
                                   "sub pasta\\b.wav\n"
                                   "../outro lugar/c.ogg\n")
                            + elsewhere.toUtf8() + "/c.ogg\n"
                            + QUrl::fromLocalFile(songs[3]).toEncoded() + "\n"
                            + "nao existe.mp3\n"
                            + elsewhere.toUtf8() + "/sumiu.mp3\n"
                            + "http://radio.example/stream.mp3\n"
                            + "# a comment naming missing.mp3\n");
        const PlaylistFormats::Opened o = PlaylistFormats::open(m3u);
        QCOMPARE(o.status, ListFile::OpenStatus::Opened);
        QCOMPARE(o.paths, (QStringList{songs[0], songs[1], songs[1], songs[2], songs[2], songs[3]}));
        QCOMPARE(o.titles, (QStringList{"A.MP3", "B.WAV", "B.WAV", "C.OGG", "C.OGG", QString::fromUtf8("AÇÃO #1.MP3")}));
        // Two missing files and the web address, counted once each; comments are not entries.
        QCOMPARE(o.missing, 3);
    }

    void m3u8KeepsUtf8AndM3uFromWindowsKeepsAccents()
    {
        const QString m3u8 = root + "/lista.M3U8";
        writeBytes(m3u8, QString::fromUtf8("ação #1.mp3\n").toUtf8());
        QCOMPARE(PlaylistFormats::open(m3u8).paths, QStringList{songs[3]});
        // The same name in Windows-1252, as an older program writes it.
        const QString m3u = root + "/antiga.m3u";
        writeBytes(m3u, QByteArray("a\xe7\xe3o #1.mp3\r\n"));
        const PlaylistFormats::Opened o = PlaylistFormats::open(m3u);
        QCOMPARE(o.paths, QStringList{songs[3]});
        QCOMPARE(o.missing, 0);
    }

    void plsFollowsFileKeysNotTheCount()
    {
        const QString pls = root + "/festa.pls";
        writeBytes(pls, QByteArray("[playlist]\r\n"
                                   "NumberOfEntries=7\r\n"
                                   "File3=../outro lugar/c.ogg\r\n"
                                   "Title3=Third\r\n"
                                   "file1=a.mp3\r\n"
                                   "Length1=200\r\n"
                                   "File10=")
                            + songs[3].toUtf8() + "\r\n"
                            + "File2 = sub pasta/b.wav\r\n"
                            + "File4=sumiu.wav\r\n"
                            + "Filex=b.wav\r\n"
                            + "Version=2\r\n");
        const PlaylistFormats::Opened o = PlaylistFormats::open(pls);
        QCOMPARE(o.status, ListFile::OpenStatus::Opened);
        // Ordered by the number in the key (10 after 4, not after 1), whatever the file order.
        QCOMPARE(o.paths, (QStringList{songs[0], songs[1], songs[2], songs[3]}));
        QCOMPARE(o.missing, 1);
    }

    void roundTripThroughEachFormat_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("ipk") << "volta.ipk";
        QTest::newRow("m3u") << "volta.m3u";
        QTest::newRow("m3u8") << "volta.m3u8";
        QTest::newRow("pls") << "volta.PLS";
    }

    void roundTripThroughEachFormat()
    {
        QFETCH(QString, name);
        // Saved from another folder, so relative resolution cannot be what finds them.
        const QString file = elsewhere + "/" + name;
        QStringList titles;
        for (const QString &s : std::as_const(songs))
            titles << ListFile::titleFromPath(s);
        QVERIFY(PlaylistFormats::save(file, titles, songs));
        const PlaylistFormats::Opened o = PlaylistFormats::open(file);
        QCOMPARE(o.status, ListFile::OpenStatus::Opened);
        QCOMPARE(o.paths, songs);
        QCOMPARE(o.titles, titles);
        QCOMPARE(o.missing, 0);
        const QByteArray bytes = readBytes(file);
        QVERIFY(bytes.endsWith("\r\n"));
        if (name.endsWith("pls", Qt::CaseInsensitive))
            QVERIFY(bytes.startsWith("[playlist]\r\nFile1=") && bytes.contains("NumberOfEntries=4\r\n"));
        if (name.contains(".m3u"))
            QVERIFY(bytes.startsWith("#EXTM3U\r\n#EXTINF:-1,A.MP3\r\n"));
    }

    void saveNamesPickTheFormat()
    {
        QCOMPARE(PlaylistFormats::saveTarget(" festa.M3U "), QString("festa.M3U"));
        QCOMPARE(PlaylistFormats::saveTarget("festa.m3u8"), QString("festa.m3u8"));
        QCOMPARE(PlaylistFormats::saveTarget("festa.pls"), QString("festa.pls"));
        QCOMPARE(PlaylistFormats::kindOf("festa.pls"), PlaylistFormats::Kind::Pls);
        // Everything else keeps the console's own rule.
        QCOMPARE(PlaylistFormats::saveTarget("festa"), ListFile::saveTarget("festa"));
        QCOMPARE(PlaylistFormats::saveTarget("festa.m3u.txt"), ListFile::saveTarget("festa.m3u.txt"));
        QCOMPARE(PlaylistFormats::kindOf(".pls.old"), PlaylistFormats::Kind::Ipk);
    }

    void missingAndUnreadablePlaylists()
    {
        QCOMPARE(PlaylistFormats::open(root + "/nada.m3u").status, ListFile::OpenStatus::Missing);
        QDir().mkpath(root + "/pasta.pls");
        QCOMPARE(PlaylistFormats::open(root + "/pasta.pls").status, ListFile::OpenStatus::Unreadable);
    }
};

VELARIX_TEST_MAIN(TestPlaylists)
#include "tst_playlists.moc"

// Programme list files and the widget-free rules of editing a deck's list.
#include "TestSupport.h"

#include "lists/ListFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>


namespace {
using testsupport::readBytes;
using testsupport::writeBytes;


} // namespace

class TestListFile : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString file(const QString &name) const { return m_dir.filePath(name); }

private slots:
    void saveNameRule_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("target");
        QTest::newRow("festa") << "festa" << "festa.IPK";
        QTest::newRow("festa.ipk") << "festa.ipk" << "festa.ipk";
        QTest::newRow("upper case kept") << "FESTA.IPK" << "FESTA.IPK";
        QTest::newRow("mixed case kept") << "Festa.Ipk" << "Festa.Ipk";
        QTest::newRow("blanks dropped") << "  festa  " << "festa.IPK";
        QTest::newRow("full path") << "/home/dj/listas/sabado" << "/home/dj/listas/sabado.IPK";
        QTest::newRow("ipk inside kept") << "festa.ipk.old" << "festa.ipk.old";
        QTest::newRow("other extension") << "festa.txt" << "festa.txt.IPK";
        QTest::newRow("blank") << "   " << "";
        QTest::newRow("bare extension") << ".ipk" << ".ipk";
    }
    void saveNameRule()
    {
        QFETCH(QString, typed);
        QFETCH(QString, target);
        QCOMPARE(ListFile::saveTarget(typed), target);
    }

    void saveThenOpen()
    {
        const QString target = ListFile::saveTarget(file("festa"));
        QCOMPARE(target, file("festa.IPK"));
        const QStringList paths{"D:\\A\\ONE.MP3", "D:\\B\\TWO.WAV"};
        QVERIFY(ListFile::save(target, paths));
        QCOMPARE(readBytes(target), QByteArray("D:\\A\\ONE.MP3\r\nD:\\B\\TWO.WAV\r\n"));

        const ListFile::OpenedList list = ListFile::open(target);
        QCOMPARE(list.status, ListFile::OpenStatus::Opened);
        QCOMPARE(list.paths, paths);
        QCOMPARE(list.titles, (QStringList{"ONE.MP3", "TWO.WAV"}));
    }

    void lowerCasePathsGiveUpperCaseTitles()
    {
        const QString path = file("lower.ipk");
        writeBytes(path, QByteArray("/home/dj/músicas/canção.mp3\n/srv/a b/x.wav\nsolto.ogg"));
        const ListFile::OpenedList list = ListFile::open(path);
        QCOMPARE(list.status, ListFile::OpenStatus::Opened);
        QCOMPARE(list.paths, (QStringList{QString::fromUtf8("/home/dj/músicas/canção.mp3"),
                                          "/srv/a b/x.wav", "solto.ogg"}));
        QCOMPARE(list.titles, (QStringList{QString::fromUtf8("CANÇÃO.MP3"), "X.WAV", "SOLTO.OGG"}));
    }

    void listMadeOnWindows()
    {
        // Windows-1252 accents, CR LF, backslashes, an empty line and no final line end.
        const QString path = file("win.ipk");
        writeBytes(path, QByteArray("C:\\M\xDASICA\\ver\xE3o.mp3\r\n\r\nC:\\X\\y.wav"));
        const ListFile::OpenedList list = ListFile::open(path);
        QCOMPARE(list.paths, (QStringList{QString::fromUtf8("C:\\MÚSICA\\verão.mp3"), "", "C:\\X\\y.wav"}));
        QCOMPARE(list.titles, (QStringList{QString::fromUtf8("VERÃO.MP3"), "", "Y.WAV"}));
    }

    void openMissingAndEmpty()
    {
        const ListFile::OpenedList missing = ListFile::open(file("nowhere.ipk"));
        QCOMPARE(missing.status, ListFile::OpenStatus::Missing);
        QVERIFY(missing.paths.isEmpty());
        QVERIFY(missing.titles.isEmpty());

        const QString empty = file("empty.ipk");
        writeBytes(empty, "");
        const ListFile::OpenedList none = ListFile::open(empty);
        QCOMPARE(none.status, ListFile::OpenStatus::Opened);
        QVERIFY(none.paths.isEmpty());

        QCOMPARE(ListFile::open(m_dir.path()).status, ListFile::OpenStatus::Unreadable);
    }

    void failedSaveKeepsOldList()
    {
        const QString path = file("keep.ipk");
        QVERIFY(ListFile::save(path, {"/old/one.mp3"}));
        const QByteArray before = readBytes(path);
        QStringList many;
        for (int i = 0; i < 200; ++i)
            many << QString("/new/track%1.mp3").arg(i);
        QString error;
        bool ok = true;
        {
            testsupport::FileSizeLimit limit(32);
            ok = ListFile::save(path, many, &error);
        }
        QVERIFY(!ok);
        QVERIFY(!error.isEmpty());
        QCOMPARE(readBytes(path), before);
        QVERIFY(!ListFile::save(file("missing/folder/x.ipk"), {"/a.mp3"}));
    }

    void dropTargetRow()
    {
        // Rows of 13 pixels; drop points inside row 2, at the top of row 3, below the last row.
        QCOMPARE(ListFile::dropTarget(0, 2 * 13 + 5, 13, 5), 2);
        QCOMPARE(ListFile::dropTarget(0, 3 * 13, 13, 5), 3);
        QCOMPARE(ListFile::dropTarget(0, 400, 13, 5), 4);
        QCOMPARE(ListFile::dropTarget(0, 5 * 13, 13, 5), 4);
        // Scrolled down by 10 rows.
        QCOMPARE(ListFile::dropTarget(10, 13, 13, 40), 11);
        QCOMPARE(ListFile::dropTarget(0, 0, 13, 0), -1);
    }

    void moveFirstToRowThreeOfFive()
    {
        QStringList titles{"A", "B", "C", "D", "E"};
        QStringList paths{"/a", "/b", "/c", "/d", "/e"};
        QVERIFY(ListFile::moveEntry(titles, paths, 0, ListFile::dropTarget(0, 3 * 13 + 6, 13, 5)));
        QCOMPARE(titles, (QStringList{"B", "C", "D", "A", "E"}));
        QCOMPARE(paths, (QStringList{"/b", "/c", "/d", "/a", "/e"}));
        // And back up: row 3 to row 1.
        QVERIFY(ListFile::moveEntry(titles, paths, 3, 1));
        QCOMPARE(titles, (QStringList{"B", "A", "C", "D", "E"}));
        QCOMPARE(paths, (QStringList{"/b", "/a", "/c", "/d", "/e"}));
    }

    void dropBelowLastRowMovesToTheEnd()
    {
        QStringList titles{"A", "B", "C"};
        QStringList paths{"/a", "/b", "/c"};
        const int target = ListFile::dropTarget(0, 1000, 13, int(titles.size()));
        QVERIFY(ListFile::moveEntry(titles, paths, 0, target));
        QCOMPARE(titles, (QStringList{"B", "C", "A"}));
        QCOMPARE(paths, (QStringList{"/b", "/c", "/a"}));
    }

    void movesThatChangeNothing()
    {
        const QStringList t0{"A", "B", "C"}, p0{"/a", "/b", "/c"};
        QStringList titles = t0, paths = p0;
        QVERIFY(!ListFile::moveEntry(titles, paths, 1, 1));  // onto itself
        QVERIFY(!ListFile::moveEntry(titles, paths, -1, 2)); // nothing selected
        QVERIFY(!ListFile::moveEntry(titles, paths, 1, -1)); // negative target
        QVERIFY(!ListFile::moveEntry(titles, paths, 5, 0));  // stale selection
        QCOMPARE(titles, t0);
        QCOMPARE(paths, p0);
        QStringList e1, e2;
        QVERIFY(!ListFile::moveEntry(e1, e2, 0, 0));
    }

    void deleteTwice()
    {
        QStringList titles{"A", "B", "C"}, paths{"/a", "/b", "/c"};
        int selected = 1;
        QVERIFY(ListFile::removeEntry(titles, paths, selected));
        selected = -1; // no entry is selected afterwards
        QVERIFY(!ListFile::removeEntry(titles, paths, selected));
        QCOMPARE(titles, (QStringList{"A", "C"}));
        QCOMPARE(paths, (QStringList{"/a", "/c"}));
    }

    void duplicateQuestionsPerOccurrence()
    {
        QCOMPARE(ListFile::duplicateQuestions({}, "X.MP3"), 0);
        QCOMPARE(ListFile::duplicateQuestions({"X.MP3"}, "X.MP3"), 0); // one entry: never asked
        QCOMPARE(ListFile::duplicateQuestions({"X.MP3", "X.MP3"}, "X.MP3"), 2);
        QCOMPARE(ListFile::duplicateQuestions({"X.MP3", "Y.MP3", "X.MP3", "X.MP3"}, "X.MP3"), 3);
        QCOMPARE(ListFile::duplicateQuestions({"x.mp3", "Y.MP3"}, "X.MP3"), 0); // case matters
        QCOMPARE(ListFile::duplicateQuestions({"X.MP3 ", "Y.MP3"}, "X.MP3"), 0); // whole text
    }
};

VELARIX_TEST_MAIN(TestListFile)
#include "tst_listfile.moc"

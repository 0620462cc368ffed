// How the library rows are kept: files of every line-end and code-page kind loaded, deleted
// from and added to without losing a line, and the type-ahead over non-ASCII titles.
#include "TestSupport.h"
#include "library/LibraryModel.h"
#include "settings/TextFile.h"

#include <QSignalSpy>

using namespace testsupport;

class TestLibraryStore : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

    QString file(const QString &name) const { return m_dir.filePath(name); }

    static QStringList rows(const LibraryModel &m)
    {
        QStringList out;
        for (int r = 0; r < m.trackCount(); ++r)
            out << m.title(r) + "|" + m.path(r);
        return out;
    }

private slots:
    void windowsCodePageLinesSurviveExcluir()
    {
        // A BOM-less file from Windows: accents in Windows-1252, one UTF-8 line, CR-only and
        // LF-only line ends mixed in.
        const QString path = file("win.upd");
        writeBytes(path, QByteArray("A\xc7\xc3O.MP3#C:\\A\xc7\xc3O.MP3\r\n"
                                    "B.MP3#C:\\B.MP3\r"
                                    "C\xc3\x87.MP3#C:\\C\xc3\x87.MP3\n"
                                    "D.MP3#C:\\D.MP3"));
        LibraryModel model;
        QCOMPARE(model.load(path), LibraryModel::LoadResult::Loaded);
        QCOMPARE(rows(model), (QStringList{QString::fromUtf8("AÇÃO.MP3|C:\\AÇÃO.MP3"), "B.MP3|C:\\B.MP3",
                                           QString::fromUtf8("CÇ.MP3|C:\\CÇ.MP3"), "D.MP3|C:\\D.MP3"}));
        QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
        QCOMPARE(model.deleteTrack(1), LibraryModel::DeleteResult::Deleted);
        QCOMPARE(removed.size(), 1);
        // Written back whole in the console's own format.
        QCOMPARE(readBytes(path), QString::fromUtf8("AÇÃO.MP3#C:\\AÇÃO.MP3\r\nCÇ.MP3#C:\\CÇ.MP3\r\nD.MP3#C:\\D.MP3\r\n").toUtf8());
        QCOMPARE(model.index(2, 0).data().toString(), QString("3"));
        QCOMPARE(model.title(2), QString("D.MP3"));
        // The rows still are the file: a second Excluir needs no reload.
        QCOMPARE(model.deleteTrack(0), LibraryModel::DeleteResult::Deleted);
        QCOMPARE(readBytes(path), QString::fromUtf8("CÇ.MP3#C:\\CÇ.MP3\r\nD.MP3#C:\\D.MP3\r\n").toUtf8());
    }

    void byteOrderMarkAndHashInNames()
    {
        const QString path = file("bom.upd");
        writeBytes(path, "\xEF\xBB\xBFX#Y#Z\r\nNO HASH LINE\r\nA#B.MP3#/m/A#B.MP3\r\n\r\n");
        LibraryModel model;
        model.load(path);
        QCOMPARE(rows(model), (QStringList{"X|Y#Z", "|NO HASH LINE", "A#B.MP3|/m/A#B.MP3", "|"}));
        QCOMPARE(model.deleteTrack(3), LibraryModel::DeleteResult::Deleted);
        QCOMPARE(readBytes(path), QByteArray("X#Y#Z\r\nNO HASH LINE\r\nA#B.MP3#/m/A#B.MP3\r\n"));

        // With a mark and CR-only line ends the file still is what the rows show: Excluir
        // takes the line out without reading the whole library again.
        writeBytes(path, "\xEF\xBB\xBF" "A.MP3#/A.MP3\rB.MP3#/B.MP3\rC.MP3#/C.MP3\r");
        model.load(path);
        QSignalSpy reloads(&model, &QAbstractItemModel::modelReset);
        QCOMPARE(model.deleteTrack(1), LibraryModel::DeleteResult::Deleted);
        QCOMPARE(reloads.count(), 0);
        QCOMPARE(rows(model), (QStringList{"A.MP3|/A.MP3", "C.MP3|/C.MP3"}));
    }

    void excluirKeepsOtherChangesMadeOnDisk()
    {
        const QString path = file("changed.upd");
        TextFile::writeLines(path, {"A.MP3#/A.MP3", "B.MP3#/B.MP3", "C.MP3#/C.MP3"});
        LibraryModel model;
        model.load(path);
        // Another program added a line at the end; row 1 still is B.
        TextFile::writeLines(path, {"A.MP3#/A.MP3", "B.MP3#/B.MP3", "C.MP3#/C.MP3", "N.MP3#/N.MP3"});
        QCOMPARE(model.deleteTrack(1), LibraryModel::DeleteResult::Deleted);
        QCOMPARE(readBytes(path), QByteArray("A.MP3#/A.MP3\r\nC.MP3#/C.MP3\r\nN.MP3#/N.MP3\r\n"));
        QCOMPARE(rows(model), (QStringList{"A.MP3|/A.MP3", "C.MP3|/C.MP3", "N.MP3|/N.MP3"}));
    }

    void addTracksInOrderWithoutRepeats()
    {
        const QString path = file("add.upd");
        TextFile::writeLines(path, {"B.MP3#/x/B.MP3", "D.MP3#/x/D.MP3", "F.MP3#/x/F.MP3"});
        LibraryModel model;
        model.load(path);
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        int added = -1;
        QCOMPARE(model.addTracks({"G.MP3#/y/G.MP3", "a.mp3#/y/a.mp3", "D.MP3#/x/D.MP3", "C.MP3#/y/C.MP3",
                                  "a.mp3#/y/a.mp3"},
                                 path, &added),
                 LibraryModel::AddResult::Added);
        QCOMPARE(added, 3);
        QCOMPARE(inserted.size(), 3);
        const QByteArray expected("a.mp3#/y/a.mp3\r\nB.MP3#/x/B.MP3\r\nC.MP3#/y/C.MP3\r\nD.MP3#/x/D.MP3\r\n"
                                  "F.MP3#/x/F.MP3\r\nG.MP3#/y/G.MP3\r\n");
        QCOMPARE(readBytes(path), expected);
        QCOMPARE(rows(model), (QStringList{"a.mp3|/y/a.mp3", "B.MP3|/x/B.MP3", "C.MP3|/y/C.MP3", "D.MP3|/x/D.MP3",
                                           "F.MP3|/x/F.MP3", "G.MP3|/y/G.MP3"}));
        QCOMPARE(model.addTracks({"B.MP3#/x/B.MP3"}, path, &added), LibraryModel::AddResult::NothingNew);
        QCOMPARE(added, 0);
        // Excluir after the additions still finds the rows equal to the file.
        QCOMPARE(model.deleteTrack(2), LibraryModel::DeleteResult::Deleted);
        QVERIFY(!readBytes(path).contains("C.MP3"));
    }

    void addTracksToTheFileWhenTheRowsShowSomethingElse()
    {
        const QString path = file("other.upd");
        TextFile::writeLines(path, {"K.MP3#/K.MP3"});
        LibraryModel model;
        model.setLines({"LISTING.MP3#/tmp/LISTING.MP3"});
        QCOMPARE(model.addTracks({"M.MP3#/M.MP3"}, path), LibraryModel::AddResult::Added);
        QCOMPARE(readBytes(path), QByteArray("K.MP3#/K.MP3\r\nM.MP3#/M.MP3\r\n"));
        QCOMPARE(model.source(), LibraryModel::Source::LibraryFile);
        QCOMPARE(rows(model), (QStringList{"K.MP3|/K.MP3", "M.MP3|/M.MP3"}));

        // No library file yet: the additions make it.
        const QString fresh = file("fresh.upd");
        LibraryModel empty;
        QCOMPARE(empty.addTracks({"Z.MP3#/Z.MP3", "A.MP3#/A.MP3"}, fresh), LibraryModel::AddResult::Added);
        QCOMPARE(readBytes(fresh), QByteArray("A.MP3#/A.MP3\r\nZ.MP3#/Z.MP3\r\n"));
        QCOMPARE(empty.rowCount(), 2);
    }

    void addTracksThatCannotBeWrittenChangeNothing()
    {
#ifdef Q_OS_UNIX
        const QString path = file("full.upd");
        TextFile::writeLines(path, {"B.MP3#/x/B.MP3", "D.MP3#/x/D.MP3"});
        const QByteArray before = readBytes(path);
        LibraryModel model;
        model.load(path);
        {
            FileSizeLimit limit(before.size() + 5);
            QCOMPARE(model.addTracks({"C.MP3#/x/C.MP3"}, path), LibraryModel::AddResult::WriteFailed);
        }
        QCOMPARE(readBytes(path), before);
        QCOMPARE(rows(model), (QStringList{"B.MP3|/x/B.MP3", "D.MP3|/x/D.MP3"}));
#endif
    }

    void typeAheadOverAccentedTitles()
    {
        LibraryModel model;
        model.setLines({QString::fromUtf8("ábaco.mp3#/a"), QString::fromUtf8("ação.mp3#/b"),
                        QString::fromUtf8("AÇÚCAR.MP3#/c"), QString::fromUtf8("𝄞 CLAVE.MP3#/d"), "ZZ.MP3#/e"});
        QCOMPARE(model.findTitlePrefix(QString::fromUtf8("AÇ")), 1);
        QCOMPARE(model.findTitlePrefix(QString::fromUtf8("açú")), 2);
        QCOMPARE(model.findTitlePrefix(QString::fromUtf8("ÁB")), 0);
        QCOMPARE(model.findTitlePrefix(QString::fromUtf8("𝄞 C")), 3);
        QCOMPARE(model.findTitlePrefix("ZZ.MP3X"), -1);
        QCOMPARE(model.findTitlePrefix("Z"), 4);
        const auto step = LibraryModel::typeAhead(model, 0, "Z", Qt::Key_Z, "z");
        QCOMPARE(step.row, 4);
        QCOMPARE(step.prefix, QString("ZZ"));
    }
};

VELARIX_TEST_MAIN(TestLibraryStore)
#include "tst_library_store.moc"

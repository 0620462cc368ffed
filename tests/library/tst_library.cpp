// Library file, grid model, type-ahead, text files and the data folder.
#include "TestSupport.h"

#include "library/LibraryFile.h"
#include "library/LibraryModel.h"
#include "settings/DataFolder.h"
#include "settings/TextFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>


namespace {
using testsupport::FileSizeLimit;
using testsupport::readBytes;
using testsupport::writeBytes;

} // namespace

class TestLibrary : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString file(const QString &name) const { return m_dir.filePath(name); }

    QString threeTrackLibrary()
    {
        const QString path = file("lista.upd");
        writeBytes(path, "A.MP3#C:\\A.MP3\r\nB.MP3#C:\\B.MP3\r\nC.MP3#C:\\C.MP3\r\n");
        return path;
    }

private slots:
    // ---- text files -------------------------------------------------------------------

    void readsEveryLineEnding_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("crlf") << QByteArray("a\r\nb\r\n") << QStringList{"a", "b"};
        QTest::newRow("lf") << QByteArray("a\nb\n") << QStringList{"a", "b"};
        QTest::newRow("cr only") << QByteArray("a\rb\r") << QStringList{"a", "b"};
        QTest::newRow("mixed") << QByteArray("a\rb\nc\r\nd") << QStringList{"a", "b", "c", "d"};
        QTest::newRow("no final newline") << QByteArray("a\r\nb") << QStringList{"a", "b"};
        QTest::newRow("blank lines kept") << QByteArray("a\r\n\r\nb\r\n") << QStringList{"a", "", "b"};
        QTest::newRow("lf cr is two ends") << QByteArray("a\n\rb") << QStringList{"a", "", "b"};
        QTest::newRow("empty") << QByteArray() << QStringList{};
        QTest::newRow("only a newline") << QByteArray("\r\n") << QStringList{""};
        QTest::newRow("bom dropped") << QByteArray("\xEF\xBB\xBFX#Y\r\n") << QStringList{"X#Y"};
    }
    void readsEveryLineEnding()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        const QString path = file("ends.txt");
        writeBytes(path, bytes);
        QStringList got;
        QCOMPARE(TextFile::readLines(path, &got), TextFile::ReadStatus::Ok);
        QCOMPARE(got, lines);
    }

    void decodesUtf8AndWindows1252PerLine()
    {
        // Line 1 UTF-8, line 2 Windows-1252 (as a file made on Windows), line 3 UTF-8 again.
        QByteArray bytes;
        bytes += "Canção.mp3\r\n";
        bytes += "A\xE7\xE3o \x80 \x93x\x94 \xE9\r\n";
        bytes += "Forró\r\n";
        const QString path = file("mixed.txt");
        writeBytes(path, bytes);
        QStringList got;
        QCOMPARE(TextFile::readLines(path, &got), TextFile::ReadStatus::Ok);
        QCOMPARE(got.size(), 3);
        QCOMPARE(got.at(0), QString::fromUtf8("Canção.mp3"));
        QCOMPARE(got.at(1), QString::fromUtf8("Ação € “x” é"));
        QCOMPARE(got.at(2), QString::fromUtf8("Forró"));
    }

    void rejectsMalformedUtf8()
    {
        // Overlong, surrogate and truncated forms are not UTF-8: read as Windows-1252.
        QVERIFY(!TextFile::isValidUtf8("\xC0\xAF", 2));
        QVERIFY(!TextFile::isValidUtf8("\xED\xA0\x80", 3));
        QVERIFY(!TextFile::isValidUtf8("\xE2\x82", 2));
        QVERIFY(!TextFile::isValidUtf8("\xF4\x90\x80\x80", 4));
        QVERIFY(TextFile::isValidUtf8("\xF0\x9F\x8E\xB5", 4));
        QCOMPARE(TextFile::decodeLine("\xC3", 1), QString(QChar(0xC3)));
    }

    void garbageNeverCrashes()
    {
        QByteArray bytes;
        quint32 state = 12345;
        for (int i = 0; i < 200000; ++i) {
            state = state * 1103515245u + 12345u;
            bytes.append(char(state >> 24));
        }
        const QString path = file("garbage.bin");
        writeBytes(path, bytes);
        QStringList got;
        QCOMPARE(TextFile::readLines(path, &got), TextFile::ReadStatus::Ok);
        QVERIFY(got.size() > 100);
        for (const QString &line : std::as_const(got))
            QVERIFY(!line.contains('\r') && !line.contains('\n'));
        // Every byte that is not a line end comes back as one character or more.
        qsizetype chars = 0;
        for (const QString &line : std::as_const(got))
            chars += line.size();
        QVERIFY(chars > 0);

        // The lines it gives also survive a library load.
        LibraryModel model;
        QCOMPARE(model.load(path), LibraryModel::LoadResult::Loaded);
        QCOMPARE(model.trackCount(), int(got.size()));
    }

    void readsVeryLongLine()
    {
        const QByteArray longLine(3 * 1024 * 1024, 'x');
        const QString path = file("long.txt");
        writeBytes(path, "first\r\n" + longLine + "\r\nlast");
        QStringList got;
        QCOMPARE(TextFile::readLines(path, &got), TextFile::ReadStatus::Ok);
        QCOMPARE(got.size(), 3);
        QCOMPARE(got.at(1).size(), longLine.size());
        QCOMPARE(got.at(2), QString("last"));
    }

    void missingAndUnreadable()
    {
        QStringList got{"stale"};
        QCOMPARE(TextFile::readLines(file("nope.txt"), &got), TextFile::ReadStatus::Missing);
        QVERIFY(got.isEmpty());
        QCOMPARE(TextFile::readLines(m_dir.path(), &got), TextFile::ReadStatus::Unreadable);
    }

    void writesUtf8WithCrLfAfterEveryLine()
    {
        const QString path = file("out.txt");
        QVERIFY(TextFile::writeLines(path, {QString::fromUtf8("Ação"), "", "z"}));
        QCOMPARE(readBytes(path), QByteArray("A\xC3\xA7\xC3\xA3o\r\n\r\nz\r\n"));
        // Written then read gives the same lines back.
        QStringList got;
        TextFile::readLines(path, &got);
        QCOMPARE(got, (QStringList{QString::fromUtf8("Ação"), "", "z"}));
        // No temporary file is left beside it.
        QCOMPARE(QDir(m_dir.path()).entryList({"out.txt*"}, QDir::Files | QDir::Hidden).size(), 1);
    }

    void failedWriteLeavesOldFileWhole()
    {
#ifdef Q_OS_UNIX
        const QString path = file("keep.txt");
        writeBytes(path, "old\r\n");
        QStringList big;
        for (int i = 0; i < 1000; ++i)
            big << QString("line %1 with some text to make the file large").arg(i);
        bool ok = true;
        {
            FileSizeLimit limit(64);
            ok = TextFile::writeLines(path, big);
        }
        QVERIFY(!ok);
        QCOMPARE(readBytes(path), QByteArray("old\r\n"));
        QCOMPARE(QDir(m_dir.path()).entryList({"keep.txt*"}, QDir::Files | QDir::Hidden).size(), 1);
#else
        QSKIP("needs a file size limit");
#endif
    }

    void writeIntoMissingFolderFails()
    {
        QVERIFY(!TextFile::writeLines(file("no/such/folder/x.txt"), {"a"}));
    }

    // ---- data folder ------------------------------------------------------------------

    void dataFolderChoice()
    {
        QCOMPARE(DataFolder::choose("/h", "/exe", true, "/user"), QString("/h"));
        QCOMPARE(DataFolder::choose("", "/exe", true, "/user"), QString("/exe"));
        QCOMPARE(DataFolder::choose("", "/exe", false, "/user"), QString("/user"));

        const QByteArray saved = qgetenv("VELARIX_HOME");
        const QString home = file("home/deeper");
        qputenv("VELARIX_HOME", QFile::encodeName(home));
        const QString got = DataFolder::path();
        const QString lib = LibraryFile::defaultPath();
        qputenv("VELARIX_HOME", saved);
        QCOMPARE(got, QDir::cleanPath(home));
        QVERIFY(QFileInfo(home).isDir()); // created on first use
        QCOMPARE(lib, QDir::cleanPath(home) + "/lista.upd");
    }

    // ---- library lines ----------------------------------------------------------------

    void splitsAtFirstHash_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("path");
        QTest::newRow("plain") << "SONG.MP3#D:\\MUSIC\\ROCK\\SONG.MP3" << "SONG.MP3"
                               << "D:\\MUSIC\\ROCK\\SONG.MP3";
        QTest::newRow("x#y#z") << "X#Y#Z" << "X" << "Y#Z";
        QTest::newRow("no hash") << "JUST A PATH" << "" << "JUST A PATH";
        QTest::newRow("empty") << "" << "" << "";
        QTest::newRow("hash first") << "#/a/b.mp3" << "" << "/a/b.mp3";
        QTest::newRow("hash last") << "TITLE#" << "TITLE" << "";
        QTest::newRow("hash in folder") << "B.MP3#/m/x#y/B.MP3" << "B.MP3" << "/m/x#y/B.MP3";
        // A captured name that holds "#" stays whole: only that split names the file.
        QTest::newRow("hash in name") << "A#B.MP3#/music/A#B.mp3" << "A#B.MP3"
                                      << "/music/A#B.mp3";
        QTest::newRow("hash in windows name") << "A#B.MP3#D:\\A#B.MP3" << "A#B.MP3"
                                              << "D:\\A#B.MP3";
    }
    void splitsAtFirstHash()
    {
        QFETCH(QString, line);
        QFETCH(QString, title);
        QFETCH(QString, path);
        const LibraryRecord r = LibraryFile::parseLine(line);
        QCOMPARE(r.title, title);
        QCOMPARE(r.path, path);
    }

    void keepsLongPathsWhole()
    {
        QString path = "D:\\";
        while (path.size() < 300)
            path += QString("folder%1\\").arg(path.size());
        path = path.left(300);
        const LibraryRecord r = LibraryFile::parseLine("LONG.MP3#" + path);
        QCOMPARE(r.title, QString("LONG.MP3"));
        QCOMPARE(r.path, path);
        QCOMPARE(LibraryFile::parseLine(path).path, path);
    }

    // ---- the grid model ---------------------------------------------------------------

    void loadsRowsWithCountersAndHeaders()
    {
        const QString path = threeTrackLibrary();
        LibraryModel model;
        QCOMPARE(model.load(path), LibraryModel::LoadResult::Loaded);
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(model.columnCount(), 3);
        QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QString("Contador"));
        QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QString::fromUtf8("Descrição da Música"));
        QCOMPARE(model.headerData(2, Qt::Horizontal).toString(), QString::fromUtf8("Endereço da Música"));
        const QStringList titles{"A.MP3", "B.MP3", "C.MP3"};
        for (int r = 0; r < 3; ++r) {
            QCOMPARE(model.index(r, 0).data().toString(), QString::number(r + 1));
            QCOMPARE(model.index(r, 1).data().toString(), titles.at(r));
            QCOMPARE(model.index(r, 2).data().toString(), "C:\\" + titles.at(r));
        }
        QCOMPARE(model.index(1, 1).data(Qt::ToolTipRole).toString(),
                 QString::fromUtf8("C:\\B.MP3\nDica: Arraste a música para os canais laterais ou para mini cartucheira"));
        QCOMPARE(model.source(), LibraryModel::Source::LibraryFile);
    }

    void emptyFileShowsOneEmptyRow()
    {
        const QString path = file("empty.upd");
        writeBytes(path, "");
        LibraryModel model;
        model.setLines({"OLD.MP3#/old.mp3"});
        QCOMPARE(model.load(path), LibraryModel::LoadResult::Loaded);
        QCOMPARE(model.trackCount(), 0);
        QCOMPARE(model.rowCount(), 1);
        for (int c = 0; c < 3; ++c)
            QCOMPARE(model.index(0, c).data().toString(), QString());
    }

    void missingOrUnreadableFileKeepsRows()
    {
        LibraryModel model;
        model.setLines({"OLD.MP3#/old.mp3"});
        QCOMPARE(model.load(file("absent.upd")), LibraryModel::LoadResult::Missing);
        QCOMPARE(model.title(0), QString("OLD.MP3"));
        QString error;
        QCOMPARE(model.load(m_dir.path(), &error), LibraryModel::LoadResult::Unreadable);
        QVERIFY(!error.isEmpty());
        QCOMPARE(model.title(0), QString("OLD.MP3"));
    }

    void excluirRowTwoOfThree()
    {
        const QString path = threeTrackLibrary();
        LibraryModel model;
        model.load(path);
        // Grid row 2 is model row 1.
        QCOMPARE(model.deleteTrack(1), LibraryModel::DeleteResult::Deleted);
        QCOMPARE(readBytes(path), QByteArray("A.MP3#C:\\A.MP3\r\nC.MP3#C:\\C.MP3\r\n"));
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(model.index(0, 0).data().toString(), QString("1"));
        QCOMPARE(model.index(1, 0).data().toString(), QString("2"));
        QCOMPARE(model.title(0), QString("A.MP3"));
        QCOMPARE(model.title(1), QString("C.MP3"));
    }

    void excluirKeepsLongPathsWhole()
    {
        // The file keeps the whole long path of every other line.
        const QString longPath = "/" + QString(300, 'p') + "/L.MP3";
        const QString path = file("long.upd");
        TextFile::writeLines(path, {"A.MP3#/A.MP3", "L.MP3#" + longPath, "Z.MP3#/Z.MP3"});
        LibraryModel model;
        model.load(path);
        QCOMPARE(model.deleteTrack(0), LibraryModel::DeleteResult::Deleted);
        QStringList lines;
        TextFile::readLines(path, &lines);
        QCOMPARE(lines, (QStringList{"L.MP3#" + longPath, "Z.MP3#/Z.MP3"}));
    }

    void excluirOnlyWhenRowsAreTheFile()
    {
        const QString path = threeTrackLibrary();
        const QByteArray before = readBytes(path);
        LibraryModel model;
        model.load(path);

        // Header row and a row past the end write nothing.
        QCOMPARE(model.deleteTrack(-1), LibraryModel::DeleteResult::NoRow);
        QCOMPARE(model.deleteTrack(3), LibraryModel::DeleteResult::NoRow);
        QCOMPARE(readBytes(path), before);

        // A folder listing shown in the grid (not the library) never rewrites the file.
        model.setLines({"X.MP3#/x/X.MP3", "Y.MP3#/x/Y.MP3", "Z.MP3#/x/Z.MP3", "W.MP3#/x/W.MP3"});
        QCOMPARE(model.deleteTrack(1), LibraryModel::DeleteResult::NotLibrary);
        QCOMPARE(model.deleteTrack(3), LibraryModel::DeleteResult::NotLibrary);
        QCOMPARE(readBytes(path), before);
        QCOMPARE(model.trackCount(), 4);

        // An empty capture shows an empty grid: Excluir there must not eat line 1.
        QCOMPARE(model.applyCapture({}, path), LibraryModel::CaptureResult::NothingFound);
        QCOMPARE(model.rowCount(), 1);
        QCOMPARE(model.deleteTrack(0), LibraryModel::DeleteResult::NotLibrary);
        QCOMPARE(readBytes(path), before);
    }

    void excluirAfterFileChangedUnderneath()
    {
        const QString path = threeTrackLibrary();
        LibraryModel model;
        model.load(path);
        writeBytes(path, "Q.MP3#C:\\Q.MP3\r\nR.MP3#C:\\R.MP3\r\n");
        QCOMPARE(model.deleteTrack(1), LibraryModel::DeleteResult::Mismatch);
        QCOMPARE(readBytes(path), QByteArray("Q.MP3#C:\\Q.MP3\r\nR.MP3#C:\\R.MP3\r\n"));
        QCOMPARE(model.title(1), QString("R.MP3")); // the grid now shows the file
    }

    void excluirWithMissingFile()
    {
        const QString path = threeTrackLibrary();
        LibraryModel model;
        model.load(path);
        QFile::remove(path);
        QCOMPARE(model.deleteTrack(0), LibraryModel::DeleteResult::NoFile);
        QVERIFY(!QFile::exists(path));
        QCOMPARE(model.trackCount(), 3);
    }

    void excluirWriteFailureReloadsUnchanged()
    {
#ifdef Q_OS_UNIX
        const QString path = threeTrackLibrary();
        const QByteArray before = readBytes(path);
        LibraryModel model;
        model.load(path);
        LibraryModel::DeleteResult result;
        {
            FileSizeLimit limit(8);
            result = model.deleteTrack(0);
        }
        QCOMPARE(result, LibraryModel::DeleteResult::WriteFailed);
        QCOMPARE(readBytes(path), before);
        QCOMPARE(model.trackCount(), 3);
        QCOMPARE(model.title(0), QString("A.MP3"));
#else
        QSKIP("needs a file size limit");
#endif
    }

    void captureWritesOrLeavesFile()
    {
        const QString path = threeTrackLibrary();
        LibraryModel model;
        model.load(path);
        const QStringList found{"N1.MP3#/n/N1.mp3", "N2.WAV#/n/N2.wav"};
        QCOMPARE(model.applyCapture(found, path), LibraryModel::CaptureResult::Saved);
        QCOMPARE(readBytes(path), QByteArray("N1.MP3#/n/N1.mp3\r\nN2.WAV#/n/N2.wav\r\n"));
        QCOMPARE(model.title(1), QString("N2.WAV"));
        // The rows now are the file: Excluir works on them.
        QCOMPARE(model.deleteTrack(0), LibraryModel::DeleteResult::Deleted);
        QCOMPARE(readBytes(path), QByteArray("N2.WAV#/n/N2.wav\r\n"));

        // Nothing found: the grid empties, the file stays and comes back at the next load.
        QCOMPARE(model.applyCapture({}, path), LibraryModel::CaptureResult::NothingFound);
        QCOMPARE(model.trackCount(), 0);
        QCOMPARE(readBytes(path), QByteArray("N2.WAV#/n/N2.wav\r\n"));
        model.load(path);
        QCOMPARE(model.title(0), QString("N2.WAV"));
    }

    void captureWriteFailureShowsRowsButProtectsFile()
    {
#ifdef Q_OS_UNIX
        const QString path = threeTrackLibrary();
        const QByteArray before = readBytes(path);
        LibraryModel model;
        LibraryModel::CaptureResult result;
        QStringList found;
        for (int i = 0; i < 50; ++i)
            found << QString("T%1.MP3#/t/T%1.mp3").arg(i);
        {
            FileSizeLimit limit(16);
            result = model.applyCapture(found, path);
        }
        QCOMPARE(result, LibraryModel::CaptureResult::WriteFailed);
        QCOMPARE(readBytes(path), before);
        QCOMPARE(model.trackCount(), 50);
        // The rows are not the file's lines: Excluir must not touch the file.
        QCOMPARE(model.deleteTrack(0), LibraryModel::DeleteResult::NotLibrary);
        QCOMPARE(readBytes(path), before);
#else
        QSKIP("needs a file size limit");
#endif
    }

    // ---- type-ahead -------------------------------------------------------------------

    void typeAheadSequence()
    {
        LibraryModel model;
        model.setLines({"ABBA.MP3#/m/ABBA.MP3", "AC.WAV#/m/AC.WAV", "ACDC.MP3#/m/ACDC.MP3"});
        struct Key
        {
            int key;
            QString text;
            QString prefix;
            int row;
        };
        const QList<Key> keys{{Qt::Key_A, "a", "A", 0},
                              {Qt::Key_C, "C", "AC", 1},
                              {Qt::Key_D, "d", "ACD", 2},
                              {Qt::Key_Backspace, "\b", "AC", 2},
                              {Qt::Key_X, "x", "AC", 2}};
        QString prefix;
        int row = 0;
        for (const Key &k : keys) {
            const auto step = LibraryModel::typeAhead(model, row, prefix, k.key, k.text);
            QVERIFY(!step.ignored);
            QCOMPARE(step.prefix, k.prefix);
            QCOMPARE(step.row, k.row);
            QCOMPARE(step.searchText, k.prefix);
            prefix = step.prefix;
            row = step.row;
        }
    }

    void typeAheadSearchesFromTheTopAndUpperCases()
    {
        LibraryModel model;
        model.setLines({"zeta.mp3#/z", "abba.mp3#/a", "ÁGUA.MP3#/g", "AGUA 2.MP3#/g2", "B-1.MP3#/b"});
        // From the last row, "A" finds the first title starting with a (lower case in the file).
        auto step = LibraryModel::typeAhead(model, 4, "", Qt::Key_A, "A");
        QCOMPARE(step.row, 1);
        // "AG" skips the accented title: upper-casing keeps accents.
        step = LibraryModel::typeAhead(model, step.row, step.prefix, Qt::Key_G, "g");
        QCOMPARE(step.row, 3);
        QCOMPARE(step.prefix, QString("AG"));
        // Characters outside the set never extend the prefix, even when a title has them.
        model.setLines({"A!.MP3#/x", "A-.MP3#/y"});
        step = LibraryModel::typeAhead(model, 0, "A", Qt::Key_Exclam, "!");
        QCOMPARE(step.prefix, QString("A"));
        QCOMPARE(step.row, 0);
        step = LibraryModel::typeAhead(model, 0, "A", Qt::Key_Minus, "-");
        QCOMPARE(step.prefix, QString("A-"));
        QCOMPARE(step.row, 1);
        // Backspace on an empty prefix leaves it empty and the row where it is.
        step = LibraryModel::typeAhead(model, 1, "", Qt::Key_Backspace, "\b");
        QCOMPARE(step.prefix, QString());
        QCOMPARE(step.row, 1);
    }

    void typeAheadIgnoredOnEmptyTitle()
    {
        LibraryModel model; // the empty grid's single empty row
        auto step = LibraryModel::typeAhead(model, 0, "Q", Qt::Key_A, "a");
        QVERIFY(step.ignored);
        QCOMPARE(step.prefix, QString("Q"));
        model.setLines({"#/no/title", "ABC#/abc"});
        step = LibraryModel::typeAhead(model, 0, "", Qt::Key_A, "a");
        QVERIFY(step.ignored);
        step = LibraryModel::typeAhead(model, 1, "", Qt::Key_A, "a");
        QVERIFY(!step.ignored);
        QCOMPARE(step.row, 1);
    }
};

VELARIX_TEST_MAIN(TestLibrary)
#include "tst_library.moc"

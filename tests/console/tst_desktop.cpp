// The console on the desktop, through the real window: files and folders dropped from a file
// manager (text/uri-list) on deck B's list and on the library grid, another program's
// playlist opened and saved through the deck buttons, and the window's icon.
#include "ConsoleHarness.h"
#include "TestSupport.h"
#include "library/LibraryModel.h"
#include "settings/DataFolder.h"
#include "settings/TextFile.h"
#include "settings/uform_config.h"
#include "widgets/ColorButton.h"
#include "widgets/LedNumber.h"

#include <QCheckBox>
#include <QDir>
#include <QMimeData>
#include <QUrl>

using namespace testsupport;

class TestDesktop : public QObject
{
    Q_OBJECT
    std::unique_ptr<Tform_mixer> m;
    QStringList libraryLines;
    QString one, two;          // two dropped files
    QString folder;            // a dropped folder
    QStringList folderTracks;  // the audio files inside it, in the capture's order

    QStringList listTitles(QListWidget *l)
    {
        QStringList t;
        for (int i = 0; i < l->count(); ++i)
            t << l->item(i)->text();
        return t;
    }

    // Drag enter, move and drop of a file manager's selection on a viewport. Returns whether
    // the target accepted the drag on entering.
    bool dropUrls(QWidget *viewport, const QStringList &paths, const QPoint &at)
    {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString &p : paths)
            urls << QUrl::fromLocalFile(p);
        data.setUrls(urls);
        QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &enter);
        if (!enter.isAccepted())
            return false;
        QDragMoveEvent over(at, Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &over);
        if (!over.isAccepted())
            return false;
        QDropEvent drop(QPointF(at), Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &drop);
        return drop.isAccepted() && drop.dropAction() == Qt::CopyAction;
    }

private slots:
    void initTestCase()
    {
        const QString dir = fixtureDir() + "/biblio";
        QDir().mkpath(dir);
        for (const char *name : {"b primeira.wav", "m meio.wav", "z ultima.wav"}) {
            const QString path = tone(dir + "/" + name, 440, 0.2);
            libraryLines << QString::fromUtf8(name).toUpper() + "#" + path;
        }
        const QString drops = fixtureDir() + "/soltas";
        QDir().mkpath(drops + "/pasta/funda");
        one = tone(drops + "/Canção Um.wav", 500, 0.2);
        two = tone(drops + "/a dois.mp3", 550, 0.2);
        writeBytes(drops + "/leia-me.txt", "not audio");
        folder = drops + "/pasta";
        folderTracks << tone(folder + "/funda/n fundo.mp3", 600, 0.2) << tone(folder + "/c raso.wav", 650, 0.2);
        writeBytes(folder + "/capa.jpg", "not audio");
    }

    void init()
    {
        QVERIFY(TextFile::writeLines(DataFolder::filePath("lista.upd"), libraryLines));
        m = std::make_unique<Tform_mixer>();
        // The capture's types come from the settings window: mp3 and wav here, ticked after
        // the show sequence has applied the saved types.
        auto *config = new Tform_config(m.get());
        m->show();
        QVERIFY(QTest::qWaitForWindowExposed(m.get()));
        config->Checkbox3->setChecked(true);
        QCOMPARE(m->acervo->biblioteca->trackCount(), 3);
    }

    void cleanup()
    {
        m->deck_a->canal->OnStop = nullptr;
        m->deck_b->canal->OnStop = nullptr;
        m.reset();
    }

    void windowCarriesTheProgramIcon()
    {
        QVERIFY(!m->windowIcon().isNull());
        const QImage icon = m->windowIcon().pixmap(QSize(64, 64)).toImage();
        QVERIFY(!icon.isNull());
        // Our drawing: transparent corners, an opaque face.
        QCOMPARE(qAlpha(icon.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(icon.pixel(32, 32)), 255);
    }

    void dropOfFilesAndFolderInsertsIntoDeckB()
    {
        fillDeck(*m, 2, {libraryLines[0].section('#', 1), libraryLines[2].section('#', 1)});
        m->deck_b->lista->setCurrentRow(1);
        QListWidget *l = m->deck_b->lista;
        // Dropped on the second row: inserted there, files in the order dropped, the folder's
        // audio files (subfolders too) in the capture's order; other files ignored.
        const QPoint at = l->visualItemRect(l->item(1)).center();
        QVERIFY(dropUrls(l->viewport(), {one, fixtureDir() + "/soltas/leia-me.txt", two, folder}, at));
        QTRY_COMPARE(l->count(), 6);
        QCOMPARE(listTitles(l), (QStringList{"B PRIMEIRA.WAV", QString::fromUtf8("CANÇÃO UM.WAV"), "A DOIS.MP3",
                                             "C RASO.WAV", "N FUNDO.MP3", "Z ULTIMA.WAV"}));
        QCOMPARE(m->deck_b->arquivos, (QStringList{libraryLines[0].section('#', 1), one, two, folderTracks[1],
                                             folderTracks[0], libraryLines[2].section('#', 1)}));
        QCOMPARE(m->deck_b->contador->value(), 6);
        // The deck's current entry is still the same track.
        QCOMPARE(l->currentItem()->text(), QString("Z ULTIMA.WAV"));
        QCOMPARE(m->deck_a->lista->count(), 0);

        // Below the last row: appended.
        QVERIFY(dropUrls(l->viewport(), {two}, QPoint(5, l->viewport()->height() - 2)));
        QTRY_COMPARE(l->count(), 7);
        QCOMPARE(m->deck_b->arquivos.last(), two);
    }

    void dropOnEmptyDeckSelectsAndLoadsTheFirst()
    {
        QVERIFY(dropUrls(m->deck_b->lista->viewport(), {folder, one}, QPoint(5, 5)));
        QTRY_COMPARE(m->deck_b->lista->count(), 3);
        QCOMPARE(m->deck_b->arquivos, (QStringList{folderTracks[1], folderTracks[0], one}));
        QCOMPARE(m->deck_b->lista->currentRow(), 0);
        QTRY_COMPARE(m->deck_b->canal->FileName, folderTracks[1]);
    }

    void dropsWithoutAudioOrFromTheConsoleAreNotTaken()
    {
        // Only text files: accepted as a drag, nothing added.
        QVERIFY(dropUrls(m->deck_a->lista->viewport(), {fixtureDir() + "/soltas/leia-me.txt"}, QPoint(5, 5)));
        QTest::qWait(50);
        QCOMPARE(m->deck_a->lista->count(), 0);
        // Types the capture leaves out are left out here too.
        form_config->Checkbox3->setChecked(false);
        QVERIFY(dropUrls(m->deck_a->lista->viewport(), {one, folder}, QPoint(5, 5)));
        QTRY_COMPARE(m->deck_a->lista->count(), 1);
        QCOMPARE(m->deck_a->arquivos, QStringList{folderTracks[0]});
        // Web addresses are no files of this machine.
        QMimeData web;
        web.setUrls({QUrl("https://example.com/x.mp3")});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &web, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m->acervo->StringGrid1->viewport(), &enter);
        QVERIFY(!enter.isAccepted());
    }

    void dropOnTheGridAddsToTheLibraryFileInOrder()
    {
        const QString file = DataFolder::filePath("lista.upd");
        QVERIFY(dropUrls(m->acervo->StringGrid1->viewport(), {one, two, folder}, QPoint(10, 10)));
        QTRY_COMPARE(m->acervo->biblioteca->trackCount(), 7);
        QStringList lines;
        QCOMPARE(TextFile::readLines(file, &lines), TextFile::ReadStatus::Ok);
        const QStringList expected{"A DOIS.MP3#" + two, libraryLines[0], "C RASO.WAV#" + folderTracks[1],
                                   QString::fromUtf8("CANÇÃO UM.WAV#") + one, libraryLines[1],
                                   "N FUNDO.MP3#" + folderTracks[0], libraryLines[2]};
        QCOMPARE(lines, expected);
        for (int r = 0; r < 7; ++r) {
            QCOMPARE(m->acervo->biblioteca->index(r, LibraryModel::CounterColumn).data().toString(), QString::number(r + 1));
            QCOMPARE(m->acervo->biblioteca->title(r) + "#" + m->acervo->biblioteca->path(r), expected.at(r));
        }
        QVERIFY(readBytes(file).endsWith(".wav\r\n"));

        // The same files again add nothing; Excluir then still removes the right line.
        QVERIFY(dropUrls(m->acervo->StringGrid1->viewport(), {two, folder}, QPoint(10, 10)));
        QTest::qWait(50);
        QCOMPARE(m->acervo->biblioteca->trackCount(), 7);
        m->acervo->StringGrid1->setCurrentIndex(m->acervo->biblioteca->index(3, LibraryModel::TitleColumn));
        m->acervo->Excluir1Click();
        TextFile::readLines(file, &lines);
        QCOMPARE(lines.size(), 6);
        QVERIFY(!lines.contains(expected.at(3)));
    }

    void gridDropThatCannotBeWrittenLeavesTheLibrary()
    {
#ifdef Q_OS_UNIX
        const QString file = DataFolder::filePath("lista.upd");
        const QByteArray before = readBytes(file);
        BoxAnswerer ok;
        {
            FileSizeLimit limit(before.size() + 10);
            QVERIFY(dropUrls(m->acervo->StringGrid1->viewport(), {folder}, QPoint(10, 10)));
            QTRY_COMPARE(ok.texts, QStringList{"Erro ao Salvar Lista de Músicas"});
        }
        QCOMPARE(readBytes(file), before);
        QCOMPARE(m->acervo->biblioteca->trackCount(), 3);
#endif
    }

    void closingDuringAFolderDropLeavesTheLibraryAlone()
    {
        // The console is closed while a dropped folder is still being walked: the walk ends
        // there and nothing is written after the console has gone.
        const QString file = DataFolder::filePath("lista.upd");
        const QByteArray before = readBytes(file);
        BoxAnswerer yes(QMessageBox::Yes);
        // A timer, not a queued call: the walk lets timers and input through as they come.
        QTimer closer;
        closer.setSingleShot(true);
        connect(&closer, &QTimer::timeout, m.get(), [this] { m->close(); });
        QVERIFY(dropUrls(m->acervo->StringGrid1->viewport(), {folder}, QPoint(10, 10)));
        closer.start(0);
        QTRY_VERIFY(!m->isVisible());
        QTest::qWait(100);
        QCOMPARE(yes.texts, QStringList{"Deseja Sair do Quorvanti Velarix ??"});
        QCOMPARE(readBytes(file), before);
        QCOMPARE(m->acervo->biblioteca->trackCount(), 3);
    }

    void openHandMadeM3uAndSaveAsPls()
    {
        const QString dir = fixtureDir() + "/m3u";
        QDir().mkpath(dir + "/musicas");
        const QString near = tone(dir + "/musicas/perto.wav", 700, 0.2);
        const QString m3u = dir + "/feita a mao.m3u";
        writeBytes(m3u, ("#EXTM3U\n#EXTINF:10,Perto\nmusicas/perto.wav\nmusicas/falta1.mp3\n" + one + "\n/nao/ha/falta2.mp3\n").toUtf8());
        QString answer = m3u;
        m->escolhe_arquivo = [&](int, bool, const QString &, const QString &, const QString &) { return answer; };
        BoxAnswerer ok;
        QTest::mouseClick(m->deck_b->abrir, Qt::LeftButton);
        QCOMPARE(listTitles(m->deck_b->lista), (QStringList{"PERTO.WAV", QString::fromUtf8("CANÇÃO UM.WAV")}));
        QCOMPARE(m->deck_b->arquivos, (QStringList{near, one}));
        QCOMPARE(m->deck_b->contador->value(), 2);
        QCOMPARE(m->deck_b->lista_aberta, m3u);
        QCOMPARE(m->deck_b->canal->FileName, near);
        // One message for both missing entries.
        QTRY_COMPARE(ok.texts, QStringList{"Arquivos não localizados nesta lista: 2"});

        answer = dir + "/saida.pls";
        QTest::mouseClick(m->deck_b->salvar, Qt::LeftButton);
        QStringList lines;
        QCOMPARE(TextFile::readLines(answer, &lines), TextFile::ReadStatus::Ok);
        QVERIFY(lines.contains("File1=" + near));
        QVERIFY(lines.contains("File2=" + one));
        QVERIFY(lines.contains("NumberOfEntries=2"));
        QVERIFY(!QFile::exists(answer + ".ipk"));
    }
};

VELARIX_TEST_MAIN(TestDesktop)
#include "tst_desktop.moc"

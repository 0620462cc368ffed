// The library grid and the capture through the real console: Excluir from the grid's menu,
// the type-ahead, folder and general captures, the running count, cancel, empty results.
#include "ConsoleHarness.h"
#include "TestSupport.h"
#include "library/LibraryModel.h"
#include "library/TvelarixScan.h"
#include "library/udir.h"
#include "settings/DataFolder.h"
#include "settings/TextFile.h"
#include "widgets/ColorButton.h"
#include "widgets/LedBarGauge.h"
#include "widgets/LedButton.h"

#include <QCheckBox>
#include <QDir>
#include <QFileSystemModel>
#include <QPushButton>
#include <QTreeView>
#include <functional>

using namespace testsupport;

// Acts on the folder window while it is the active modal window, one step per poll; a step
// returning false is tried again at the next poll.
class DirWindowDriver : public QObject
{
public:
    explicit DirWindowDriver(QList<std::function<bool(Tform_dir *)>> steps)
        : m_steps(std::move(steps))
    {
        m_poll.setInterval(20);
        connect(&m_poll, &QTimer::timeout, this, [this] {
            auto *dir = qobject_cast<Tform_dir *>(QApplication::activeModalWidget());
            if (!dir || m_busy || done == m_steps.size())
                return;
            m_busy = true;
            if (m_steps[done](dir))
                ++done;
            m_busy = false;
        });
        m_poll.start();
    }
    int done = 0;

private:
    QList<std::function<bool(Tform_dir *)>> m_steps;
    QTimer m_poll;
    bool m_busy = false;
};

// Clicks the folder in the folder window's list once its row is laid out.
static bool clickFolder(Tform_dir *dir, const QString &folder)
{
    auto *model = static_cast<QFileSystemModel *>(dir->DirectoryListBox1->model());
    const QModelIndex idx = model->index(folder);
    if (!idx.isValid())
        return false;
    dir->DirectoryListBox1->scrollTo(idx);
    const QRect r = dir->DirectoryListBox1->visualRect(idx);
    if (r.isEmpty())
        return false;
    QTest::mouseClick(dir->DirectoryListBox1->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
    return true;
}

static void touch(const QString &path)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
}

class TestLibraryUi : public QObject
{
    Q_OBJECT
    std::unique_ptr<Tform_mixer> m;
    const QString library = DataFolder::filePath("lista.upd");

    QStringList gridColumn(int column)
    {
        QStringList out;
        for (int r = 0; r < m->acervo->biblioteca->trackCount(); ++r)
            out << m->acervo->biblioteca->index(r, column).data().toString();
        return out;
    }

    QStringList libraryFile()
    {
        QStringList lines;
        TextFile::readLines(library, &lines);
        return lines;
    }

    // A folder holding nothing but what the test puts there.
    QString freshFolder(const QString &name)
    {
        const QString d = fixtureDir() + "/" + name;
        QDir(d).removeRecursively();
        QDir().mkpath(d);
        return d;
    }

    // Makes the folder the selected "volume" of the drive selector and the capture general.
    void selectAsVolume(const QString &root)
    {
        m->acervo->DriveComboBox1->addItem(root + "/ [TESTE]");
        m->acervo->DriveComboBox1->setCurrentIndex(m->acervo->DriveComboBox1->count() - 1);
        m->acervo->captura_geral->setChecked(true);
    }

    void openGridMenu()
    {
        m->acervo->PopupMenu7->popup(m->acervo->StringGrid1->mapToGlobal(QPoint(10, 10)));
        m->acervo->PopupMenu7->close();
    }

private slots:
    void keyboardChoiceOfAFolderCounts()
    {
        QTemporaryDir root;
        QDir(root.path()).mkpath("alfa");
        QDir(root.path()).mkpath("beta");
        Tform_dir dir;
        QTimer::singleShot(0, &dir, [&] {
            auto *model = static_cast<QFileSystemModel *>(dir.DirectoryListBox1->model());
            // Click "alfa", then move to the next folder with the arrow key and accept.
            QTRY_VERIFY(clickFolder(&dir, root.path() + "/alfa"));
            QTRY_VERIFY(model->index(root.path() + "/beta").isValid());
            QTest::keyClick(dir.DirectoryListBox1, Qt::Key_Down);
            dir.BitBtn1->click();
        });
        QVERIFY(dir.executa(root.path()));
        QCOMPARE(QDir::fromNativeSeparators(dir.pasta_selecionada()), root.path() + "/beta");
    }

    void cleanup()
    {
        if (m) {
            m->deck_a->canal->OnStop = nullptr;
            m->deck_b->canal->OnStop = nullptr;
        }
        m.reset();
    }

    void excluirRowTwoOfThree()
    {
        openConsoleOn(m, {"A.MP3#C:\\A.MP3", "B.MP3#C:\\B.MP3", "C.MP3#C:\\C.MP3"});
        QCOMPARE(gridColumn(0), (QStringList{"1", "2", "3"}));
        const QStringList items = [this] {
            QStringList t;
            for (QAction *a : m->acervo->PopupMenu7->actions())
                t << (a->isSeparator() ? QString("-") : a->text());
            return t;
        }();
        QCOMPARE(items, (QStringList{"Play", "Stop", "-", "Excluir", "-", "Auto Programação - Alfabética",
                                     "Auto Programação - Aleatória"}));
        m->acervo->StringGrid1->setCurrentIndex(m->acervo->biblioteca->index(1, 1));
        QCOMPARE(m->acervo->StringGrid1->toolTip(),
                 QString("C:\\B.MP3\nDica: Arraste a música para os canais laterais ou para mini cartucheira"));
        openGridMenu();
        QVERIFY(m->acervo->Excluir1->isEnabled());
        m->acervo->PopupMenu7->actions().at(3)->trigger();
        QCOMPARE(libraryFile(), (QStringList{"A.MP3#C:\\A.MP3", "C.MP3#C:\\C.MP3"}));
        QCOMPARE(gridColumn(0), (QStringList{"1", "2"}));
        QCOMPARE(gridColumn(1), (QStringList{"A.MP3", "C.MP3"}));

        // While the centre player's Play is off, the menu and the Del key delete nothing.
        m->acervo->bitbtn21->setEnabled(false);
        openGridMenu();
        QVERIFY(!m->acervo->Excluir1->isEnabled());
        m->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m.get()));
        m->acervo->StringGrid1->setFocus();
        m->acervo->StringGrid1->setCurrentIndex(m->acervo->biblioteca->index(0, 1));
        QTest::keyClick(m->acervo->StringGrid1, Qt::Key_Delete);
        QCOMPARE(libraryFile().size(), 2);
        m->acervo->bitbtn21->setEnabled(true);
        openGridMenu();
        QTest::keyClick(m->acervo->StringGrid1, Qt::Key_Delete);
        QCOMPARE(libraryFile(), QStringList{"C.MP3#C:\\C.MP3"});
        QCOMPARE(gridColumn(1), QStringList{"C.MP3"});
    }

    void typeAheadThroughKeys()
    {
        openConsoleOn(m, {"ABBA.MP3#/m/ABBA.MP3", "AC.WAV#/m/AC.WAV", "ACDC.MP3#/m/ACDC.MP3"});
        m->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m.get()));
        m->acervo->StringGrid1->setFocus();
        auto row = [this] { return m->acervo->StringGrid1->currentIndex().row(); };
        struct Step { Qt::Key key; int row; const char *prefix; };
        const Step steps[] = {{Qt::Key_A, 0, "A"}, {Qt::Key_C, 1, "AC"}, {Qt::Key_D, 2, "ACD"},
                              {Qt::Key_Backspace, 2, "AC"}, {Qt::Key_X, 2, "AC"}};
        for (const Step &s : steps) {
            QTest::keyClick(m->acervo->StringGrid1, s.key);
            QCOMPARE(row(), s.row);
            QCOMPARE(m->acervo->prefixo_busca, QString(s.prefix));
            QCOMPARE(m->acervo->edit1->text(), QString(s.prefix));
        }
        // The grid's own keys still work; a mouse press starts the typing afresh.
        QTest::keyClick(m->acervo->StringGrid1, Qt::Key_Up);
        QCOMPARE(row(), 1);
        const QRect r = m->acervo->StringGrid1->visualRect(m->acervo->biblioteca->index(1, 1));
        QTest::mouseClick(m->acervo->StringGrid1->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
        QVERIFY(m->acervo->prefixo_busca.isEmpty());
        QTest::keyClick(m->acervo->StringGrid1, Qt::Key_A);
        QCOMPARE(row(), 0);
        QCOMPARE(m->acervo->edit1->text(), QString("A"));
    }

    void folderCaptureThroughTheFolderWindow()
    {
        const QString root = freshFolder("captura_pasta");
        for (const char *f : {"a.mp3", "b.MP3", "sub/c.mp3", "sub/d.wav", "sub/nota.txt", "sub/LIVE.MP3/e.ogg"})
            touch(root + "/" + f);
        openConsoleOn(m, {"VELHA.MP3#/velha/VELHA.MP3"});
        m->acervo->captura_geral->setChecked(false);
        // The drive selector stands on the volume that holds the folder, whatever the settings chose.
        int volume = -1;
        for (int i = 0; i < m->acervo->DriveComboBox1->count(); ++i) {
            const QString r = volumeRootFromText(m->acervo->DriveComboBox1->itemText(i));
            if (root.startsWith(r) && (volume < 0 || r.size() > volumeRootFromText(m->acervo->DriveComboBox1->itemText(volume)).size()))
                volume = i;
        }
        QVERIFY(volume >= 0);
        m->acervo->DriveComboBox1->setCurrentIndex(volume);
        m->acervo->pasta_captura = root;
        BoxAnswerer boxes;
        bool checkedAtStart = false;
        QSize size;
        DirWindowDriver driver({
            [&](Tform_dir *d) {
                // Nothing clicked yet: refused, the window stays.
                checkedAtStart = d->CheckBox1->isChecked();
                size = d->size();
                d->BitBtn1->click();
                return true;
            },
            [&](Tform_dir *d) { return d->isVisible() && clickFolder(d, root); },
            [&](Tform_dir *d) { d->BitBtn1->click(); return true; },
        });
        m->acervo->BitBtn13Click();
        QCOMPARE(driver.done, 3);
        QVERIFY(checkedAtStart);
        QCOMPARE(size, QSize(495, 327));
        QCOMPARE(boxes.texts, QStringList{"Selecione uma Pasta"});
        const QStringList expected = {"A.MP3#" + root + "/a.mp3", "B.MP3#" + root + "/b.MP3",
                                      "C.MP3#" + root + "/sub/c.mp3", "LIVE.MP3#" + root + "/sub/LIVE.MP3"};
        QCOMPARE(libraryFile(), expected);
        QCOMPARE(gridColumn(1), (QStringList{"A.MP3", "B.MP3", "C.MP3", "LIVE.MP3"}));
        QCOMPARE(gridColumn(0), (QStringList{"1", "2", "3", "4"}));
        QCOMPARE(m->acervo->pasta_captura, root);
        QCOMPARE(m->acervo->bitbtn13->text(), QString("Capturar"));
        QCOMPARE(m->acervo->Label33->text(), QString("Status"));

        // Without subfolders only the folder's own files; the window starts on the last folder.
        DirWindowDriver noSubs({
            [&](Tform_dir *d) {
                auto *model = static_cast<QFileSystemModel *>(d->DirectoryListBox1->model());
                if (model->filePath(d->DirectoryListBox1->currentIndex()) != root)
                    return false;
                d->CheckBox1->setChecked(false);
                return clickFolder(d, root);
            },
            [&](Tform_dir *d) { d->BitBtn1->click(); return true; },
        });
        m->acervo->BitBtn13Click();
        QCOMPARE(noSubs.done, 2);
        QCOMPARE(libraryFile(), expected.mid(0, 2));

        // Cancelling the window keeps the file and shows it again.
        m->acervo->biblioteca->clear();
        DirWindowDriver cancel({[&](Tform_dir *d) { d->BitBtn2->click(); return true; }});
        m->acervo->BitBtn13Click();
        QCOMPARE(cancel.done, 1);
        QCOMPARE(libraryFile(), expected.mid(0, 2));
        QCOMPARE(gridColumn(1), (QStringList{"A.MP3", "B.MP3"}));
    }

    void generalCaptureCountsDepthFromTheVolumeRoot()
    {
        const QString root = freshFolder("volume");
        QString deep = root;
        for (int level = 1; level <= 11; ++level) {
            deep += QString("/n%1").arg(level);
            touch(deep + QString("/fundo%1.mp3").arg(level));
        }
        touch(root + "/raiz.mp3");
        touch(root + "/n1/outra.wav");
        openConsoleOn(m, {});
        QVERIFY(m->acervo->biblioteca->trackCount() == 0);
        selectAsVolume(root);
        m->acervo->BitBtn13Click();
        // The default level allows ten levels of subfolders below the root; mp3 only.
        const QStringList titles = gridColumn(1);
        QVERIFY2(titles.contains("FUNDO10.MP3"), qPrintable(titles.join(',')));
        QVERIFY(!titles.contains("FUNDO11.MP3"));
        QVERIFY(!titles.contains("OUTRA.WAV"));
        QCOMPARE(titles.size(), 11);
        QCOMPARE(titles.first(), QString("FUNDO1.MP3"));
        QCOMPARE(titles.last(), QString("RAIZ.MP3"));
        QCOMPARE(libraryFile().size(), 11);
        QVERIFY(libraryFile().contains("RAIZ.MP3#" + root + "/raiz.mp3"));
        QVERIFY(m->deck_a->adicionar->isEnabled() && m->acervo->bitbtn21->isEnabled());
    }

    void runningCountThenCancelKeepsWhatWasFound()
    {
        const QString root = freshFolder("muitos");
        for (int i = 0; i < 600; ++i)
            touch(root + QString("/d%1/f%2.mp3").arg(i % 6).arg(i, 3, 10, QChar('0')));
        openConsoleOn(m, {"VELHA.MP3#/velha/VELHA.MP3"});
        selectAsVolume(root);
        m->acervo->intervalo_contagem = 0;
        BoxAnswerer boxes;
        QString seen, captionWhileRunning;
        bool gaugeHidden = false;
        QTimer poll;
        poll.setInterval(0);
        connect(&poll, &QTimer::timeout, this, [&] {
            const QString text = m->acervo->Label33->text();
            const QString head = "AGUARDE LOCALIZANDO MÍDIA... ";
            if (!m->acervo->capturando() || !text.startsWith(head) || text.mid(head.size()).toInt() < 100)
                return;
            poll.stop();
            seen = text;
            captionWhileRunning = m->acervo->bitbtn13->text();
            gaugeHidden = m->acervo->CoolGauge1->isHidden();
            QTest::mouseClick(m->acervo->bitbtn13, Qt::LeftButton);
        });
        poll.start();
        QTest::mouseClick(m->acervo->bitbtn13, Qt::LeftButton);
        QVERIFY2(!seen.isEmpty(), "the count never showed");
        QCOMPARE(captionWhileRunning, QString("Cancelar"));
        QVERIFY(gaugeHidden);
        QCOMPARE(boxes.texts, QStringList{"Captura Cancelada pelo usuário"});
        QVERIFY(!m->acervo->capturando());
        QCOMPARE(m->acervo->bitbtn13->text(), QString("Capturar"));
        QCOMPARE(m->acervo->Label33->text(), QString("Status"));
        QVERIFY(!m->acervo->CoolGauge1->isHidden());
        const int found = libraryFile().size();
        QVERIFY2(found >= 100 && found < 600, qPrintable(QString::number(found)));
        QCOMPARE(m->acervo->biblioteca->trackCount(), found);
        QVERIFY(!libraryFile().contains("VELHA.MP3#/velha/VELHA.MP3"));
    }

    void captureFindingNothingLeavesTheFile()
    {
        const QString root = freshFolder("vazio");
        touch(root + "/so_texto.txt");
        const QStringList old = {"X.MP3#/x/X.MP3", "Y.MP3#/y/Y.MP3"};
        openConsoleOn(m, old);
        QCOMPARE(m->acervo->biblioteca->trackCount(), 2);
        selectAsVolume(root);
        BoxAnswerer box;
        m->acervo->BitBtn13Click();
        QCOMPARE(box.texts, QStringList{"Nenhuma música encontrada nesta captura - a biblioteca continua como estava"});
        QCOMPARE(libraryFile(), old);
        QCOMPARE(gridColumn(1), (QStringList{"X.MP3", "Y.MP3"}));
    }
};

VELARIX_TEST_MAIN(TestLibraryUi)
#include "tst_library_ui.moc"

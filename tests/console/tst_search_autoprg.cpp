// The search edit and the search grid through the real console (typing, Enter, Esc, leaving,
// Add and drag from the results), and automatic programming from the AUTO PRG button and the
// library grid's menu, checked against a shrinking pool driven by the generator's formula.
#include "ConsoleHarness.h"
#include "TestSupport.h"

#include "library/LibraryModel.h"
#include "lists/AutoProgramming.h"
#include "settings/DataFolder.h"
#include "settings/TextFile.h"
#include "widgets/ColorButton.h"
#include "widgets/LedNumber.h"

#include <QDragEnterEvent>
#include <QMimeData>

using namespace testsupport;

class TestSearchAutoPrg : public QObject
{
    Q_OBJECT
    std::unique_ptr<Tform_mixer> m;
    const QString library = DataFolder::filePath("lista.upd");
    QWidget *dragSource = nullptr;
    std::unique_ptr<QMimeData> dragData;
    QString som; // one short playable file

    void openConsole(const QStringList &libraryLines)
    {
        QFile::remove(library);
        QVERIFY(TextFile::writeLines(library, libraryLines));
        m = std::make_unique<Tform_mixer>();
        m->executa_arrasto = [this](QWidget *source, QMimeData *data) {
            dragSource = source;
            dragData.reset(data);
        };
        m->show();
        QVERIFY(QTest::qWaitForWindowExposed(m.get()));
        m->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m.get()));
    }

    void search(const QString &typed)
    {
        QTest::mouseClick(m->acervo->edit1, Qt::LeftButton);
        QTest::keyClicks(m->acervo->edit1, typed);
        QTest::keyClick(m->acervo->edit1, Qt::Key_Return);
    }

    QStringList column(const LibraryModel *model, int col)
    {
        QStringList out;
        for (int r = 0; r < model->trackCount(); ++r)
            out << model->index(r, col).data().toString();
        return out;
    }

    static QStringList items(const QListWidget *l)
    {
        QStringList t;
        for (int i = 0; i < l->count(); ++i)
            t << l->item(i)->text();
        return t;
    }

    // `n` library lines whose paths all lead to playable files (links to one short file).
    QStringList libraryOf(int n, const QString &folderName)
    {
        const QString dir = fixtureDir() + "/" + folderName;
        QDir(dir).removeRecursively();
        QDir().mkpath(dir);
        QStringList lines;
        for (int i = 0; i < n; ++i) {
            const QString name = QString("F%1.WAV").arg(i, 5, 10, QLatin1Char('0'));
            QFile::link(som, dir + "/" + name);
            lines << name + "#" + dir + "/" + name;
        }
        return lines;
    }

    // The random deal written out: a list that shrinks, draws from the generator's formula.
    static void expectedRandom(const QStringList &lines, quint32 seed, QStringList *a, QStringList *b)
    {
        QStringList pool = lines;
        quint32 state = seed;
        for (int i = 0; !pool.isEmpty(); ++i) {
            state = state * 134775813u + 1u;
            const int k = int((quint64(pool.size()) * state) >> 32);
            (i % 2 == 0 ? b : a)->append(pool.takeAt(k).section('#', 0, 0));
        }
    }

private slots:
    void initTestCase() { som = tone("som.wav", 440, 0.3); }

    void cleanup()
    {
        if (m) {
            m->deck_a->canal->OnStop = nullptr;
            m->deck_b->canal->OnStop = nullptr;
            m->acervo->canal_00->OnStop = nullptr;
        }
        m.reset();
        dragData.reset();
        dragSource = nullptr;
    }

    void searchShowsMatchingTitles()
    {
        const QString pad = QString(47, QLatin1Char('X'));
        openConsole({"BACH.MP3#/m/BACH.MP3", "ACDC.MP3#/m/ACDC.MP3", "MAGIC.WAV#/m/MAGIC.WAV",
                     "pacífico.mp3#/m/pacífico.mp3", pad + "QQAC.MP3#/m/long.mp3", "AC DC.MP3#/m/AC DC.MP3"});
        search("ac");
        QCOMPARE(m->acervo->edit1->text(), QString("AC"));
        QVERIFY(m->acervo->StringGrid2->isVisible());
        QCOMPARE(column(m->acervo->pesquisa, LibraryModel::TitleColumn),
                 (QStringList{"BACH.MP3", "ACDC.MP3", "pacífico.mp3", "AC DC.MP3"}));
        QCOMPARE(column(m->acervo->pesquisa, LibraryModel::PathColumn),
                 (QStringList{"/m/BACH.MP3", "/m/ACDC.MP3", "/m/pacífico.mp3", "/m/AC DC.MP3"}));
        QCOMPARE(m->acervo->pesquisa->trackCount(), 4);
        QCOMPARE(m->acervo->pesquisa->headerData(1, Qt::Horizontal).toString(), QString("<ESC>-SAIR do modo Pesquisa"));
        QCOMPARE(m->acervo->StringGrid2->currentIndex().row(), 0);
        QCOMPARE(m->acervo->StringGrid2->geometry(), m->acervo->StringGrid1->geometry());
        QTRY_VERIFY(m->acervo->StringGrid2->hasFocus());

        // Esc in the results leaves search mode.
        QTest::keyClick(m->acervo->StringGrid2, Qt::Key_Escape);
        QVERIFY(!m->acervo->StringGrid2->isVisible());

        // A trailing blank is part of the text; entering the edit starts afresh.
        search("AC ");
        QCOMPARE(column(m->acervo->pesquisa, LibraryModel::TitleColumn), QStringList{"AC DC.MP3"});
        QTest::mouseClick(m->acervo->edit1, Qt::LeftButton);
        QVERIFY(m->acervo->edit1->text().isEmpty());
        QVERIFY(!m->acervo->StringGrid2->isVisible());

        // Any key typed empties the last result.
        search("ACDC");
        QCOMPARE(m->acervo->pesquisa->trackCount(), 1);
        QTest::keyClick(m->acervo->edit1, Qt::Key_Backspace);
        QCOMPARE(m->acervo->pesquisa->trackCount(), 0);
        QCOMPARE(m->acervo->edit1->text(), QString("ACD"));

        // Nothing found: the beep's message, the edit keeps its text and the focus.
        {
            m->acervo->StringGrid2->hide();
            BoxAnswerer boxes;
            search("ZZ");
            QCOMPARE(boxes.texts, QStringList{"Nenhuma Ocorrência foi Encontrada !!"});
            QVERIFY(!m->acervo->StringGrid2->isVisible());
            QCOMPARE(m->acervo->edit1->text(), QString("ZZ"));
            QCOMPARE(m->focusWidget(), static_cast<QWidget *>(m->acervo->edit1));
        }
        // Blank text: nothing at all. (The edit kept the focus, so clicking it enters nothing.)
        {
            BoxAnswerer boxes;
            m->acervo->edit1->clear();
            search("   ");
            QTest::qWait(50);
            QVERIFY(boxes.texts.isEmpty());
            QVERIFY(!m->acervo->StringGrid2->isVisible());
        }
    }

    void searchResultsFeedTheDecks()
    {
        const QStringList lines = libraryOf(3, "busca");
        openConsole(lines);
        search("F00002");
        QVERIFY(m->acervo->StringGrid2->isVisible());
        QTest::mouseClick(m->deck_a->adicionar, Qt::LeftButton);
        QCOMPARE(items(m->deck_a->lista), QStringList{"F00002.WAV"});
        QCOMPARE(m->deck_a->arquivos, QStringList{lines[2].section('#', 1)});

        // A drag from the results carries the console's drag type and lands on deck B.
        const QRect r = m->acervo->StringGrid2->visualRect(m->acervo->pesquisa->index(0, LibraryModel::TitleColumn));
        QTest::mousePress(m->acervo->StringGrid2->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
        QMouseEvent move(QEvent::MouseMove, QPointF(r.center() + QPoint(0, 1)),
                         m->acervo->StringGrid2->viewport()->mapToGlobal(QPointF(r.center() + QPoint(0, 1))), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m->acervo->StringGrid2->viewport(), &move);
        QTest::mouseRelease(m->acervo->StringGrid2->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
        QCOMPARE(dragSource, static_cast<QWidget *>(m->acervo->StringGrid2));
        QCOMPARE(dragData->data(Tform_mixer::tipoArrasto()), QByteArray("StringGrid2"));
        QWidget *vp = m->deck_b->lista->viewport();
        const QPoint at(10, 10);
        QDragEnterEvent enter(at, Qt::CopyAction, dragData.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(vp, &enter);
        QDropEvent drop(QPointF(at), Qt::CopyAction, dragData.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(vp, &drop);
        QCOMPARE(items(m->deck_b->lista), QStringList{"F00002.WAV"});
    }

    void alphabeticalDealAppendsAndLoads()
    {
        const QStringList lines = libraryOf(5, "alfa");
        openConsole(lines);
        fillDeck(*m, 1, {som});
        QVERIFY(m->acervo->RadioButton1->isChecked());
        QTest::mouseClick(m->acervo->bITBTN24, Qt::LeftButton);
        QCOMPARE(items(m->deck_a->lista), (QStringList{"SOM.WAV", "F00000.WAV", "F00002.WAV", "F00004.WAV"}));
        QCOMPARE(items(m->deck_b->lista), (QStringList{"F00001.WAV", "F00003.WAV"}));
        QCOMPARE(m->deck_b->arquivos, (QStringList{lines[1].section('#', 1), lines[3].section('#', 1)}));
        QCOMPARE(m->deck_a->contador->value(), 4);
        QCOMPARE(m->deck_b->contador->value(), 2);
        // The first entries are selected and loaded: an old one on A.
        QCOMPARE(m->deck_a->lista->currentRow(), 0);
        QCOMPARE(m->deck_b->lista->currentRow(), 0);
        QCOMPARE(m->deck_a->canal->FileName, som);
        QCOMPARE(m->deck_b->canal->FileName, lines[1].section('#', 1));
        QCOMPARE(m->acervo->StringGrid1->currentIndex().row(), 4);

        // Again from the menu, with the search results shown: the whole library once more.
        search("F00003");
        QVERIFY(m->acervo->StringGrid2->isVisible());
        m->acervo->AutoProgramacaoAlfabetica1->trigger();
        QCOMPARE(m->deck_a->lista->count(), 7);
        QCOMPARE(m->deck_b->lista->count(), 4);
        QCOMPARE(m->deck_b->contador->value(), 4);
    }

    void alphabeticalDealStopsAtAnEmptyTitle()
    {
        QStringList lines = libraryOf(4, "vazia");
        lines[2] = "#" + lines[2].section('#', 1);
        openConsole(lines);
        m->acervo->AutoProgramacaoAlfabetica1->trigger();
        QCOMPARE(items(m->deck_a->lista), QStringList{"F00000.WAV"});
        QCOMPARE(items(m->deck_b->lista), QStringList{"F00001.WAV"});
        QCOMPARE(m->deck_a->lista->currentRow(), -1);
        QVERIFY(m->deck_a->canal->FileName.isEmpty());
        // The random deal passes over it.
        AutoProgramming::semeia(0);
        m->acervo->AutoProgramacaoAleatoria1->trigger();
        QCOMPARE(m->deck_a->lista->count() + m->deck_b->lista->count(), 2 + 3);
    }

    void randomDealWithSeedZero()
    {
        const QStringList three = libraryOf(3, "tres");
        openConsole(three.mid(0, 1));
        QTest::mouseClick(m->acervo->RadioButton2, Qt::LeftButton);
        AutoProgramming::semeia(0);
        QTest::mouseClick(m->acervo->bITBTN24, Qt::LeftButton);
        QCOMPARE(items(m->deck_b->lista), QStringList{"F00000.WAV"});
        QCOMPARE(m->deck_a->lista->count(), 0);
        QCOMPARE(m->deck_b->contador->value(), 1);
        QCOMPARE(m->deck_b->canal->FileName, three[0].section('#', 1));
        cleanup();

        openConsole(three);
        AutoProgramming::semeia(0);
        m->acervo->AutoProgramacaoAleatoria1->trigger();
        QCOMPARE(items(m->deck_b->lista), (QStringList{"F00000.WAV", "F00002.WAV"}));
        QCOMPARE(items(m->deck_a->lista), QStringList{"F00001.WAV"});
        QCOMPARE(m->deck_a->canal->FileName, three[1].section('#', 1));
        QCOMPARE(m->deck_b->canal->FileName, three[0].section('#', 1));
        // A second deal goes on from where the generator stands and doubles the lists.
        QStringList a = items(m->deck_a->lista), b = items(m->deck_b->lista);
        expectedRandom(three, AutoProgramming::estado(), &a, &b);
        m->acervo->AutoProgramacaoAleatoria1->trigger();
        QCOMPARE(items(m->deck_a->lista), a);
        QCOMPARE(items(m->deck_b->lista), b);
        QCOMPARE(m->deck_a->contador->value(), 2);
        QCOMPARE(m->deck_b->contador->value(), 4);
    }

    void twelveThousandTracks()
    {
        const QStringList lines = libraryOf(12000, "doze_mil");
        openConsole(lines);
        QTest::mouseClick(m->acervo->RadioButton2, Qt::LeftButton);
        AutoProgramming::semeia(0);
        QTest::mouseClick(m->acervo->bITBTN24, Qt::LeftButton);
        QStringList a, b;
        expectedRandom(lines, 0, &a, &b);
        QCOMPARE(items(m->deck_a->lista), a);
        QCOMPARE(items(m->deck_b->lista), b);
        QCOMPARE(m->deck_a->arquivos.size(), 6000);
        QCOMPARE(m->deck_a->arquivos.first(), lines[a.first().mid(1, 5).toInt()].section('#', 1));
        QCOMPARE(m->deck_a->canal->FileName, m->deck_a->arquivos.first());
        QCOMPARE(m->deck_a->contador->value(), 6000);
        QCOMPARE(m->deck_b->contador->value(), 6000);
        cleanup();

        // The alphabetical deal stops after row 10001 and selects nothing.
        openConsole(lines);
        m->acervo->AutoProgramacaoAlfabetica1->trigger();
        QCOMPARE(m->deck_a->lista->count(), 5001);
        QCOMPARE(m->deck_b->lista->count(), 5000);
        QCOMPARE(m->deck_a->lista->item(5000)->text(), QString("F10000.WAV"));
        QCOMPARE(m->deck_b->arquivos.last(), lines[9999].section('#', 1));
        QCOMPARE(m->deck_a->contador->value(), 5001);
        QCOMPARE(m->deck_a->lista->currentRow(), -1);
        QVERIFY(m->deck_a->canal->FileName.isEmpty());
        QCOMPARE(m->acervo->StringGrid1->currentIndex().row(), 10001);
    }
};

VELARIX_TEST_MAIN(TestSearchAutoPrg)
#include "tst_search_autoprg.moc"

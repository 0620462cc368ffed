// The decks' programme lists through the real console: adding from the library (button and
// drop), duplicates, moving by drop, counters, the Delete shortcut, saving and opening lists.
#include "ConsoleHarness.h"
#include "TestSupport.h"
#include "library/LibraryModel.h"
#include "settings/DataFolder.h"
#include "settings/TextFile.h"
#include "widgets/ColorButton.h"
#include "widgets/LedNumber.h"

#include <QDir>
#include <QMimeData>

using namespace testsupport;

class TestLists : public QObject
{
    Q_OBJECT
    std::unique_ptr<Tform_mixer> m;
    QStringList tracks; // five short audio files, the library's tracks
    QStringList titles;
    QWidget *dragSource = nullptr;
    std::unique_ptr<QMimeData> dragData;

    QListWidget *list(int deck) { return m->deck(deck).lista; }
    QStringList &paths(int deck) { return m->deck(deck).arquivos; }
    LedNumber *counter(int deck) { return m->deck(deck).contador; }

    QStringList listTitles(int deck)
    {
        QStringList t;
        for (int i = 0; i < list(deck)->count(); ++i)
            t << list(deck)->item(i)->text();
        return t;
    }

    void selectLibraryRow(int row)
    {
        m->acervo->StringGrid1->setCurrentIndex(m->acervo->biblioteca->index(row, LibraryModel::TitleColumn));
    }

    // A left press on the widget's viewport at `at`, then one pixel of movement.
    void pressAndNudge(QAbstractItemView *view, const QPoint &at)
    {
        QTest::mousePress(view->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QMouseEvent move(QEvent::MouseMove, QPointF(at + QPoint(0, 1)), view->viewport()->mapToGlobal(QPointF(at + QPoint(0, 1))),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &move);
        QTest::mouseRelease(view->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    }

    // Enter, move and drop the last started drag on a deck list at `at`.
    void dropOn(int deck, const QPoint &at)
    {
        QVERIFY(dragData);
        QWidget *vp = list(deck)->viewport();
        QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, dragData.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(vp, &enter);
        QVERIFY(enter.isAccepted());
        QDragMoveEvent over(at, Qt::CopyAction | Qt::MoveAction, dragData.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(vp, &over);
        QVERIFY(over.isAccepted());
        QDropEvent drop(QPointF(at), Qt::CopyAction | Qt::MoveAction, dragData.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(vp, &drop);
    }

    void moveByDrop(int deck, int from, const QPoint &at)
    {
        QListWidget *l = list(deck);
        dragData.reset();
        pressAndNudge(l, l->visualItemRect(l->item(from)).center());
        QCOMPARE(dragSource, static_cast<QWidget *>(l));
        dropOn(deck, at);
    }

private slots:
    void initTestCase()
    {
        const QString dir = fixtureDir() + "/biblio";
        QDir().mkpath(dir);
        QStringList lines;
        for (int i = 0; i < 5; ++i) {
            const QString name = QString("faixa%1.wav").arg(i);
            tracks << tone(dir + "/" + name, 440 + 50 * i, 0.3);
            titles << name.toUpper();
            lines << titles.last() + "#" + tracks.last();
        }
        QVERIFY(TextFile::writeLines(DataFolder::filePath("lista.upd"), lines));
    }

    void init()
    {
        m = std::make_unique<Tform_mixer>();
        m->show();
        QVERIFY(QTest::qWaitForWindowExposed(m.get()));
        QCOMPARE(m->acervo->biblioteca->trackCount(), 5);
        dragData.reset();
        dragSource = nullptr;
        m->executa_arrasto = [this](QWidget *source, QMimeData *data) {
            dragSource = source;
            dragData.reset(data);
        };
    }

    void cleanup()
    {
        m->deck_a->canal->OnStop = nullptr;
        m->deck_b->canal->OnStop = nullptr;
        m.reset();
    }

    void addByButtonSelectsOnlyTheFirstEntry()
    {
        QVERIFY(m->deck_a->adicionar->isEnabled());
        selectLibraryRow(2);
        QTest::mouseClick(m->deck_a->adicionar, Qt::LeftButton);
        QCOMPARE(listTitles(1), QStringList{titles[2]});
        QCOMPARE(m->deck_a->arquivos, QStringList{tracks[2]});
        QCOMPARE(counter(1)->value(), 1);
        QCOMPARE(m->deck_a->lista->currentRow(), 0);
        QCOMPARE(m->deck_a->canal->FileName, tracks[2]); // the first entry is loaded at once

        selectLibraryRow(4);
        QTest::mouseClick(m->deck_a->adicionar, Qt::LeftButton);
        QCOMPARE(listTitles(1), (QStringList{titles[2], titles[4]}));
        QCOMPARE(m->deck_a->arquivos, (QStringList{tracks[2], tracks[4]}));
        QCOMPARE(counter(1)->value(), 2);
        QCOMPARE(m->deck_a->lista->currentRow(), 0);
        QCOMPARE(m->deck_a->canal->FileName, tracks[2]);

        // Deck B's button fills deck B only.
        QTest::mouseClick(m->deck_b->adicionar, Qt::LeftButton);
        QCOMPARE(listTitles(2), QStringList{titles[4]});
        QCOMPARE(counter(2)->value(), 1);
        QCOMPARE(counter(1)->value(), 2);
    }

    void duplicateAskedOncePerOccurrence()
    {
        selectLibraryRow(1);
        m->BitBtn15Click();
        {
            BoxAnswerer none;
            m->BitBtn15Click(); // a list of one entry is never tested
            QVERIFY(none.texts.isEmpty());
        }
        QCOMPARE(list(2)->count(), 2);
        {
            BoxAnswerer cancel(QMessageBox::Cancel);
            m->BitBtn15Click();
            QCOMPARE(cancel.texts, QStringList{"Música já Existente nesta programação - Deseja Continuar ??"});
            QCOMPARE(cancel.captions, QStringList{"Zyrtan Sistemas"});
        }
        QCOMPARE(list(2)->count(), 2);
        {
            BoxAnswerer ok(QMessageBox::Ok);
            m->BitBtn15Click();
            QCOMPARE(ok.texts.size(), 2);
        }
        QCOMPARE(list(2)->count(), 3);
        QCOMPARE(paths(2), (QStringList{tracks[1], tracks[1], tracks[1]}));
        QCOMPARE(counter(2)->value(), 3);

        // Another title is added without a question.
        selectLibraryRow(0);
        BoxAnswerer none;
        m->BitBtn15Click();
        QVERIFY(none.texts.isEmpty());
        QCOMPARE(list(2)->count(), 4);
    }

    void dropFromTheGridAppendsAtTheEnd()
    {
        fillDeck(*m, 1, {tracks[0], tracks[1], tracks[2]});
        m->deck_a->lista->setCurrentRow(1);
        selectLibraryRow(3);
        const QRect row3 = m->acervo->StringGrid1->visualRect(m->acervo->biblioteca->index(3, LibraryModel::TitleColumn));
        pressAndNudge(m->acervo->StringGrid1, row3.center());
        QCOMPARE(dragSource, static_cast<QWidget *>(m->acervo->StringGrid1));
        dropOn(1, m->deck_a->lista->visualItemRect(m->deck_a->lista->item(0)).center());
        QCOMPARE(list(1)->count(), 4);
        QCOMPARE(list(1)->item(3)->text(), titles[3]);
        QCOMPARE(m->deck_a->arquivos.value(3), tracks[3]);
        QCOMPARE(counter(1)->value(), 4);
        QCOMPARE(m->deck_a->lista->currentRow(), 1); // the selection stays

        // A right press starts no drag.
        dragData.reset();
        dragSource = nullptr;
        QTest::mousePress(m->acervo->StringGrid1->viewport(), Qt::RightButton, Qt::NoModifier, row3.center());
        QMouseEvent move(QEvent::MouseMove, QPointF(row3.center() + QPoint(0, 5)), QPointF(), Qt::NoButton,
                         Qt::RightButton, Qt::NoModifier);
        QApplication::sendEvent(m->acervo->StringGrid1->viewport(), &move);
        QTest::mouseRelease(m->acervo->StringGrid1->viewport(), Qt::RightButton, Qt::NoModifier, row3.center());
        QVERIFY(!dragSource);
    }

    void moveFirstToFourthOfFiveInBothLists()
    {
        for (int deck = 1; deck <= 2; ++deck) {
            fillDeck(*m, deck, tracks);
            counter(deck)->setValue(5);
            QListWidget *l = list(deck);
            moveByDrop(deck, 0, l->visualItemRect(l->item(3)).center());
            QCOMPARE(listTitles(deck), (QStringList{titles[1], titles[2], titles[3], titles[0], titles[4]}));
            QCOMPARE(paths(deck), (QStringList{tracks[1], tracks[2], tracks[3], tracks[0], tracks[4]}));
            QCOMPARE(l->currentRow(), -1);
            QCOMPARE(counter(deck)->value(), 5);
        }
    }

    void dropBelowTheLastRowLandsOnTheLastRow()
    {
        fillDeck(*m, 2, tracks);
        QListWidget *l = list(2);
        QVERIFY(l->visualItemRect(l->item(4)).bottom() < l->viewport()->height() - 10);
        moveByDrop(2, 1, QPoint(20, l->viewport()->height() - 3));
        QCOMPARE(listTitles(2), (QStringList{titles[0], titles[2], titles[3], titles[4], titles[1]}));
        QCOMPARE(paths(2), (QStringList{tracks[0], tracks[2], tracks[3], tracks[4], tracks[1]}));
    }

    void dragFromTheOtherDeckMovesOnlyThisDecksSelection()
    {
        fillDeck(*m, 1, tracks);
        fillDeck(*m, 2, {tracks[0], tracks[1], tracks[2]});
        m->deck_a->lista->setCurrentRow(4);
        pressAndNudge(m->deck_b->lista, m->deck_b->lista->visualItemRect(m->deck_b->lista->item(0)).center());
        QCOMPARE(dragSource, static_cast<QWidget *>(m->deck_b->lista));
        dropOn(1, m->deck_a->lista->visualItemRect(m->deck_a->lista->item(1)).center());
        QCOMPARE(listTitles(1), (QStringList{titles[0], titles[4], titles[1], titles[2], titles[3]}));
        QCOMPARE(m->deck_a->arquivos, (QStringList{tracks[0], tracks[4], tracks[1], tracks[2], tracks[3]}));
        QCOMPARE(m->deck_b->arquivos, (QStringList{tracks[0], tracks[1], tracks[2]}));
    }

    void deleteShortcutFollowsTheLastMenuOpening()
    {
        m->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m.get()));
        fillDeck(*m, 1, tracks);
        m->deck_a->lista->setFocus();
        // Before the menu has ever opened the shortcut works.
        m->deck_a->lista->setCurrentRow(0);
        QTest::keyClick(m->deck_a->lista, Qt::Key_Delete);
        QCOMPARE(m->deck_a->arquivos.size(), 4);
        QCOMPARE(counter(1)->value(), 4);
        QCOMPARE(m->deck_a->lista->currentRow(), -1);
        // A second Delete finds no selection.
        QTest::keyClick(m->deck_a->lista, Qt::Key_Delete);
        QCOMPARE(m->deck_a->arquivos.size(), 4);

        // The menu opened while the deck's clock runs: the item and its shortcut are off.
        m->deck_a->relogio->start();
        m->deck_a->menu->popup(m->deck_a->lista->mapToGlobal(QPoint(5, 5)));
        m->deck_a->menu->close();
        m->deck_a->relogio->stop();
        QVERIFY(!m->deck_a->exclur->isEnabled());
        m->deck_a->lista->setCurrentRow(0);
        QTest::keyClick(m->deck_a->lista, Qt::Key_Delete);
        QCOMPARE(m->deck_a->arquivos.size(), 4);
        // Opened again with the clock stopped: on again.
        m->deck_a->menu->popup(m->deck_a->lista->mapToGlobal(QPoint(5, 5)));
        m->deck_a->menu->close();
        QVERIFY(m->deck_a->exclur->isEnabled());
        QTest::keyClick(m->deck_a->lista, Qt::Key_Delete);
        QCOMPARE(m->deck_a->arquivos, (QStringList{tracks[2], tracks[3], tracks[4]}));
        QCOMPARE(listTitles(1), (QStringList{titles[2], titles[3], titles[4]}));

        // Deck B's menu with an empty list: off, and deck A's state is its own.
        m->deck_b->menu->popup(m->deck_b->lista->mapToGlobal(QPoint(5, 5)));
        m->deck_b->menu->close();
        QVERIFY(!m->deck_b->exclur->isEnabled());
        QVERIFY(m->deck_a->exclur->isEnabled());
    }

    void clearEmptiesListCounterAndRememberedName()
    {
        fillDeck(*m, 2, tracks);
        m->deck_b->lista_aberta = "/algum/lugar/festa.ipk";
        QTest::mouseClick(m->deck_b->limpar, Qt::LeftButton);
        QCOMPARE(list(2)->count(), 0);
        QVERIFY(m->deck_b->arquivos.isEmpty());
        QCOMPARE(counter(2)->value(), 0);
        QVERIFY(m->deck_b->lista_aberta.isEmpty());
    }

    void saveNameRuleAndOverwriteQuestion()
    {
        const QString dir = fixtureDir() + "/salvas";
        QDir(dir).removeRecursively();
        QDir().mkpath(dir);
        QString answer = dir + "/festa";
        QStringList asked;
        m->escolhe_arquivo = [&](int deck, bool save, const QString &filter, const QString &folder, const QString &name) {
            asked << QString("%1|%2|%3|%4|%5").arg(deck).arg(save).arg(filter, folder, name);
            return answer;
        };
        {
            BoxAnswerer box;
            m->bitbtn10Click();
            QCOMPARE(box.texts, QStringList{"Seleção está vazia"});
            QVERIFY(asked.isEmpty());
        }
        fillDeck(*m, 1, {tracks[0], tracks[1]});
        m->bitbtn10Click();
        QCOMPARE(asked.value(0), QString("1|1|Lista Quorvanti Velarix (*.ipk *.IPK);;Lista M3U (*.m3u *.m3u8);;Lista PLS (*.pls)|%1|").arg(DataFolder::path()));
        QFile saved(dir + "/festa.IPK");
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), (tracks[0] + "\r\n" + tracks[1] + "\r\n").toUtf8());
        saved.close();

        // The same name with its extension: asked once; Cancel keeps the file.
        answer = dir + "/festa.IPK";
        fillDeck(*m, 1, {tracks[2]});
        {
            BoxAnswerer cancel(QMessageBox::Cancel);
            m->bitbtn10Click();
            QCOMPARE(cancel.texts, QStringList{"Arquivo de Seleção já Existe - Substitui-lo ??"});
        }
        QStringList lines;
        TextFile::readLines(dir + "/festa.IPK", &lines);
        QCOMPARE(lines, (QStringList{tracks[0], tracks[1]}));
        // The dialog offers the name it was closed with last time.
        QCOMPARE(asked.value(1).section('|', 4), QString("festa"));
        {
            BoxAnswerer ok(QMessageBox::Ok);
            m->bitbtn10Click();
            QCOMPARE(ok.texts.size(), 1);
        }
        TextFile::readLines(dir + "/festa.IPK", &lines);
        QCOMPARE(lines, (QStringList{tracks[0], tracks[1], tracks[2]}));
        QVERIFY(!QFile::exists(dir + "/festa.IPK.IPK"));
        // A lower-case extension typed by the operator is kept as typed.
        answer = dir + "/noite.ipk";
        m->bitbtn10Click();
        QVERIFY(QFile::exists(dir + "/noite.ipk"));
        QVERIFY(!QFile::exists(dir + "/noite.ipk.IPK"));

        // Deck B's own filter; an opened list's name is what its save offers.
        fillDeck(*m, 2, {tracks[3]});
        m->deck_b->lista_aberta = dir + "/outra.ipk";
        answer.clear(); // cancelled dialog: nothing written
        m->BitBtn16Click();
        QCOMPARE(asked.last(), QString("2|1|Lista Quorvanti (*.ipk *.IPK);;Lista M3U (*.m3u *.m3u8);;Lista PLS (*.pls)|%1|%2/outra.ipk").arg(DataFolder::path(), dir));
        QVERIFY(!QFile::exists(dir + "/outra.ipk"));
    }

    void openMissingFileLeavesAnEmptyList()
    {
        fillDeck(*m, 1, tracks);
        m->deck_a->contador->setValue(5);
        m->deck_a->lista_aberta = "anterior.ipk";
        m->escolhe_arquivo = [](int, bool, const QString &, const QString &, const QString &) {
            return fixtureDir() + "/nao-existe.ipk";
        };
        BoxAnswerer box;
        m->bitbtn1Click();
        QCOMPARE(box.texts, QStringList{"Arquivo não Localizado - Verifique !!"});
        QCOMPARE(m->deck_a->lista->count(), 0);
        QVERIFY(m->deck_a->arquivos.isEmpty());
        QCOMPARE(m->deck_a->contador->value(), 0);
        QCOMPARE(m->deck_a->lista_aberta, QString("anterior.ipk"));
    }

    void openLowerCasePathsIntoDeckB()
    {
        const QString dir = fixtureDir() + "/minusculas";
        QDir().mkpath(dir);
        const QStringList files = {tone(dir + "/pista um.wav", 500, 0.3), tone(dir + "/ação.wav", 600, 0.3)};
        // Lines end in LF only, as files from elsewhere may.
        const QString listFile = writeFile("baile.ipk", (files[0] + "\n" + files[1]).toUtf8());
        fillDeck(*m, 2, tracks);
        m->escolhe_arquivo = [&](int deck, bool save, const QString &, const QString &, const QString &) {
            return deck == 2 && !save ? listFile : QString();
        };
        BoxAnswerer none;
        QTest::mouseClick(m->deck_b->abrir, Qt::LeftButton);
        QVERIFY(none.texts.isEmpty());
        QCOMPARE(listTitles(2), (QStringList{"PISTA UM.WAV", "AÇÃO.WAV"}));
        QCOMPARE(m->deck_b->arquivos, files);
        QCOMPARE(m->deck_b->contador->value(), 2);
        QCOMPARE(m->deck_b->lista_aberta, listFile);
        QCOMPARE(m->deck_b->lista->currentRow(), 0);
        QCOMPARE(m->deck_b->canal->FileName, files[0]);
        QCOMPARE(m->deck_a->lista->count(), 0); // deck A untouched
    }
};

VELARIX_TEST_MAIN(TestLists)
#include "tst_lists.moc"

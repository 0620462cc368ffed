// The console window opened, used and closed twice in one process: each one works, refuses
// impossible files with the load message, and closing it while a deck plays and the pointer
// is over a list leaves nothing that reaches back into it (the sanitizer build checks memory).
#include "ConsoleHarness.h"
#include "TestSupport.h"

#include <QElapsedTimer>

using namespace testsupport;

namespace {

// A WAV made by ffmpeg with one header field overwritten.
QString patchedWav(const QString &name, int offset, int width, qint64 value)
{
    QByteArray bytes = readBytes(tone(name + ".orig.wav", 440, 0.3));
    if (bytes.mid(12, 4) != "fmt ")
        return QString();
    for (int i = 0; i < width; ++i)
        bytes[offset + i] = char((value >> (8 * i)) & 0xFF);
    return writeFile(name + ".wav", bytes);
}

} // namespace

class TestConsoleLifetime : public QObject
{
    Q_OBJECT

private slots:
    void twoShownConsolesOneAfterTheOther()
    {
        const QString good = tone("vida.mp3", 440, 2.0);
        const QStringList impossible = {patchedWav("taxa", 24, 4, 2147483647), patchedWav("canais", 22, 2, 0)};
        QVERIFY(!impossible.contains(QString()));

        for (int round = 0; round < 2; ++round) {
            auto m = std::make_unique<Tform_mixer>();
            m->show();
            QVERIFY(QTest::qWaitForWindowExposed(m.get()));
            QCOMPARE(form_mixer, m.get());
            fillDeck(*m, 1, impossible);
            fillDeck(*m, 2, {good});

            for (int row = 0; row < impossible.size(); ++row) {
                BoxAnswerer box;
                QElapsedTimer clock;
                clock.start();
                m->deck_a->lista->setCurrentRow(row);
                m->ListBox1Click();
                QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
                QCOMPARE(box.texts, QStringList{"Erro ao Carregar Mídia - Verifique !!"});
                QVERIFY(!m->deck_a->canal->Loaded);
            }

            // The lists take the mouse through their filter: a press and release selects.
            QListWidget *list = m->deck_b->lista;
            const QPoint at = list->visualItemRect(list->item(0)).center();
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
            QCOMPARE(list->currentRow(), 0);
            m->ListBox2Click();
            m->BitBtn6Click();
            QVERIFY(m->deck_b->canal->Playing);
            QTest::qWait(200);
            QVERIFY(m->deck_b->canal->GetPosition() > 0);

            // Closed while playing, with the pointer pressed on the other list.
            QTest::mousePress(m->deck_a->lista->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
            m.reset();
            QCOMPARE(form_mixer, nullptr);
            for (QWidget *w : QApplication::topLevelWidgets())
                QVERIFY(!qobject_cast<Tform_mixer *>(w));
            QTest::qWait(100); // let queued work of the closed window run, if any were left
        }
    }
};

VELARIX_TEST_MAIN(TestConsoleLifetime)
#include "tst_console_lifetime.moc"

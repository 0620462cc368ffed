// The centre player through the real console, heard on two recording cards: the music card
// with Cue up, the listening card with Cue down or from the search grid, the Cue rules, the
// switch by double click, clips, the gauge, the idle state after Stop or the end, and the
// start-up file.
#include "ConsoleHarness.h"
#include "TestSupport.h"

#include "audio/AudioEngine.h"
#include "audio/OutputBackend.h"
#include "library/LibraryModel.h"
#include "settings/DataFolder.h"
#include "settings/Startup.h"
#include "settings/TextFile.h"
#include "widgets/ColorButton.h"
#include "widgets/LedBarGauge.h"

#include <cmath>
#include <cstring>

using namespace testsupport;

namespace {

// What a recording card played lately: level and pitch of its newest samples.
struct Heard
{
    double rms = 0;
    double hz = 0;
};

class Card
{
public:
    explicit Card(QString path)
        : m_path(std::move(path))
    {
    }
    qint64 frames() const { return qMax<qint64>(0, QFileInfo(m_path).size() - 44) / 4; }
    // The last `seconds` of the card, read after it has played at least that long past `from`.
    Heard last(double seconds) const
    {
        const QByteArray all = readBytes(m_path);
        Heard h;
        const qint64 n = qint64(seconds * 44100);
        const qint64 total = (all.size() - 44) / 4;
        if (total < n)
            return h;
        std::vector<int16_t> s(size_t(n) * 2);
        std::memcpy(s.data(), all.constData() + 44 + (total - n) * 4, s.size() * 2);
        double sum = 0;
        int crossings = 0;
        for (qint64 i = 0; i < n; ++i) {
            const double v = s[size_t(i) * 2] / 32768.0;
            sum += v * v;
            if (i > 0 && (s[size_t(i - 1) * 2] < 0) != (s[size_t(i) * 2] < 0))
                ++crossings;
        }
        h.rms = std::sqrt(sum / double(n));
        h.hz = crossings / 2.0 / seconds;
        return h;
    }

private:
    QString m_path;
};

bool near(double hz, double expected) { return std::abs(hz - expected) < expected * 0.05; }

} // namespace

class TestCentrePlayer : public QObject
{
    Q_OBJECT
    std::unique_ptr<Tform_mixer> m;
    std::unique_ptr<TMorvelBass> m_card2Opener;
    const QString library = DataFolder::filePath("lista.upd");
    QString la, mi, curta, quebrada, clipe, clipeMpg;
    Card card1{fixtureDir() + "/rec/card1.wav"};
    Card card2{fixtureDir() + "/rec/card2.wav"};

    void openConsole(const QStringList &libraryLines, const QString &parametros = QString())
    {
        QFile::remove(library);
        QVERIFY(TextFile::writeLines(library, libraryLines));
        m = std::make_unique<Tform_mixer>();
        m->parametros = parametros;
        m->show();
        QVERIFY(QTest::qWaitForWindowExposed(m.get()));
    }

    // As the settings would: the listening card is card 2, opened as the console opens it.
    void useTwoCards()
    {
        m->device_transmissao = 1;
        m->device_cue = 2;
        if (!m_card2Opener) {
            m_card2Opener = std::make_unique<TMorvelBass>();
            m_card2Opener->OpenDevice(2);
        }
    }

    void clickRow(QTableView *grid, int row)
    {
        const QRect r = grid->visualRect(grid->model()->index(row, LibraryModel::TitleColumn));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
        QCOMPARE(grid->currentIndex().row(), row);
    }

    void doubleClickRow(int row)
    {
        clickRow(m->acervo->StringGrid1, row);
        const QRect r = m->acervo->StringGrid1->visualRect(m->acervo->biblioteca->index(row, LibraryModel::TitleColumn));
        QTest::mouseDClick(m->acervo->StringGrid1->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
    }

    // Lets the cards play on, then tells what each played in its last 0.3 s.
    std::pair<Heard, Heard> listen()
    {
        QTest::qWait(700);
        return {card1.last(0.3), card2.last(0.3)};
    }

    void verifyIdle()
    {
        QVERIFY(!m->acervo->canal_00->Playing);
        QVERIFY(m->acervo->bitbtn21->isEnabled());
        QVERIFY(!m->acervo->bitbtn23->isEnabled());
        QVERIFY(!m->acervo->Timer4->isActive());
        QCOMPARE(m->acervo->CoolGauge1->value(), 0);
    }

private slots:
    void initTestCase()
    {
        audio::AudioEngine::instance().setBackend(
            std::make_unique<audio::PacedBackend>(QStringList{"Placa 1", "Placa 2"}, fixtureDir() + "/rec"));
        la = tone("la.mp3", 440, 30);
        mi = tone("mi.wav", 660, 30);
        curta = tone("curta.wav", 1000, 0.6);
        quebrada = writeFile("quebrada.mp3", QByteArray(4000, 'x'));
        clipe = writeFile("show.avi", QByteArray(4000, 'x'));
        clipeMpg = writeFile("show.mpg", QByteArray(4000, 'x'));
        QVERIFY(!la.isEmpty() && !mi.isEmpty() && !curta.isEmpty());
    }

    void cleanup()
    {
        if (m) {
            if (m->acervo->canal_00->Playing)
                m->acervo->BitBtn23Click();
            m->acervo->canal_00->OnStop = nullptr;
        }
        m.reset();
    }

    void cueUpPlaysOnTheMusicCardAndDoubleClickSwitches()
    {
        openConsole({"LA.MP3#" + la, "MI.WAV#" + mi});
        useTwoCards();
        clickRow(m->acervo->StringGrid1, 0);
        QTest::mouseClick(m->acervo->bitbtn21, Qt::LeftButton);
        QVERIFY(m->acervo->canal_00->Playing);
        QVERIFY(!m->acervo->bitbtn21->isEnabled());
        QVERIFY(m->acervo->bitbtn23->isEnabled());
        QVERIFY(m->acervo->Timer4->isActive());
        auto [one, two] = listen();
        QVERIFY2(one.rms > 0.1 && near(one.hz, 440), qPrintable(QString("%1 %2").arg(one.rms).arg(one.hz)));
        QVERIFY2(two.rms < 0.001, qPrintable(QString::number(two.rms)));
        QTRY_VERIFY(m->acervo->CoolGauge1->value() > 0);

        // Play again while it plays (a capture's end enables the button): only the status
        // line is touched.
        m->Label7->setText("outra coisa");
        clickRow(m->acervo->StringGrid1, 1);
        m->acervo->bitbtn21->setEnabled(true);
        QTest::mouseClick(m->acervo->bitbtn21, Qt::LeftButton);
        QCOMPARE(m->Label7->text(), QString("Quorvanti Velarix-Pro"));
        QCOMPARE(m->acervo->canal_00->FileName, la);
        std::tie(one, two) = listen();
        QVERIFY(near(one.hz, 440));

        // A double click on another row stops this track and plays that one.
        doubleClickRow(1);
        QCOMPARE(m->acervo->canal_00->FileName, mi);
        QVERIFY(m->acervo->canal_00->Playing);
        std::tie(one, two) = listen();
        QVERIFY2(one.rms > 0.1 && near(one.hz, 660), qPrintable(QString::number(one.hz)));
        QVERIFY(two.rms < 0.001);

        // The context menu follows the buttons; its Stop ends in the idle state.
        m->acervo->PopupMenu7->popup(m->acervo->StringGrid1->mapToGlobal(QPoint(10, 10)));
        m->acervo->PopupMenu7->close();
        QVERIFY(!m->acervo->Play3->isEnabled());
        QVERIFY(m->acervo->Stop3->isEnabled());
        QVERIFY(!m->acervo->Excluir1->isEnabled());
        m->acervo->bITBTN24->setDown(true);
        m->acervo->Stop3->trigger();
        verifyIdle();
        QVERIFY(!m->acervo->bITBTN24->isDown());
        QVERIFY(m->acervo->Play3->isEnabled() && !m->acervo->Stop3->isEnabled() && m->acervo->Excluir1->isEnabled());
        std::tie(one, two) = listen();
        QVERIFY(one.rms < 0.001);
    }

    void cueDownPlaysOnTheListeningCard()
    {
        openConsole({"LA.MP3#" + la, "MI.WAV#" + mi});
        useTwoCards();
        QTest::mouseClick(m->acervo->SRColorButton1, Qt::LeftButton);
        QVERIFY(m->acervo->cue_ativo);
        QVERIFY(m->acervo->SRColorButton1->isChecked());
        QCOMPARE(m->acervo->SRColorButton1->faceColor(), QColor(255, 0, 0));
        clickRow(m->acervo->StringGrid1, 0);
        QTest::mouseClick(m->acervo->bitbtn21, Qt::LeftButton);
        auto [one, two] = listen();
        QVERIFY2(two.rms > 0.1 && near(two.hz, 440), qPrintable(QString("%1 %2").arg(two.rms).arg(two.hz)));
        QVERIFY2(one.rms < 0.001, qPrintable(QString::number(one.rms)));

        // While it plays the switch does not move.
        QTest::mouseClick(m->acervo->SRColorButton1, Qt::LeftButton);
        QVERIFY(m->acervo->cue_ativo);
        QVERIFY(m->acervo->SRColorButton1->isChecked());
        QTest::mouseClick(m->acervo->bitbtn23, Qt::LeftButton);
        verifyIdle();
        QTest::mouseClick(m->acervo->SRColorButton1, Qt::LeftButton);
        QVERIFY(!m->acervo->cue_ativo);
        QVERIFY(!m->acervo->SRColorButton1->isChecked());
        QCOMPARE(m->acervo->SRColorButton1->faceColor(), QColor(128, 128, 128));

        // Cue up again, but the search results always go to the listening card.
        m->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m.get()));
        QTest::mouseClick(m->acervo->edit1, Qt::LeftButton);
        QTest::keyClicks(m->acervo->edit1, "mi");
        QTest::keyClick(m->acervo->edit1, Qt::Key_Return);
        QVERIFY(m->acervo->StringGrid2->isVisible());
        QTest::mouseClick(m->acervo->bitbtn21, Qt::LeftButton);
        QCOMPARE(m->acervo->canal_00->FileName, mi);
        std::tie(one, two) = listen();
        QVERIFY2(two.rms > 0.1 && near(two.hz, 660), qPrintable(QString::number(two.hz)));
        QVERIFY(one.rms < 0.001);
    }

    void cueWithOneCardOnlyExplains()
    {
        openConsole({"LA.MP3#" + la});
        m->device_cue = m->device_transmissao = 1;
        BoxAnswerer boxes;
        QTest::mouseClick(m->acervo->SRColorButton1, Qt::LeftButton);
        QTRY_COMPARE(boxes.texts.size(), 1);
        QCOMPARE(boxes.texts.first(),
                 QString("Suas placas de escuta e transmissão estão configuradas para a mesma Placa: \r"
                         "PLACA 1\rPara utilizar este recurso (CUE) será necessáro 2 placas de som - Verifique"));
        QVERIFY(!m->acervo->cue_ativo);
        QVERIFY(!m->acervo->SRColorButton1->isChecked());
        QCOMPARE(m->acervo->SRColorButton1->faceColor(), QColor(128, 128, 128));
    }

    void clipRowsAreNeitherLoadedNorLooped()
    {
        openConsole({"SHOW.AVI#" + clipe, "LA.MP3#" + la, "SHOW.MPG#" + clipeMpg});
        clickRow(m->acervo->StringGrid1, 0);
        QTest::mouseClick(m->acervo->bitbtn21, Qt::LeftButton);
        QVERIFY(m->Label7->text().contains("SHOW.AVI", Qt::CaseInsensitive));
        QVERIFY(m->acervo->canal_00->FileName.isEmpty());
        verifyIdle();
        doubleClickRow(2);
        QVERIFY(m->Label7->text().contains("show.mpg", Qt::CaseInsensitive));
        QVERIFY(m->acervo->canal_00->FileName.isEmpty());

        // Nor from the search results.
        m->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m.get()));
        QTest::mouseClick(m->acervo->edit1, Qt::LeftButton);
        QTest::keyClicks(m->acervo->edit1, "show.a");
        QTest::keyClick(m->acervo->edit1, Qt::Key_Return);
        QVERIFY(m->acervo->StringGrid2->isVisible());
        m->Label7->clear();
        QTest::mouseClick(m->acervo->bitbtn21, Qt::LeftButton);
        QVERIFY(m->Label7->text().contains("show.avi", Qt::CaseInsensitive));
        QVERIFY(m->acervo->canal_00->FileName.isEmpty());
        verifyIdle();
        QTest::keyClick(m->acervo->StringGrid2, Qt::Key_Escape);

        // A track that plays goes on playing when a clip row is double-clicked.
        doubleClickRow(1);
        QVERIFY(m->acervo->canal_00->Playing);
        doubleClickRow(0);
        QVERIFY(m->acervo->canal_00->Playing);
        QCOMPARE(m->acervo->canal_00->FileName, la);
        QVERIFY(near(listen().first.hz, 440));
    }

    void endOfTrackAndBadFiles()
    {
        openConsole({"CURTA.WAV#" + curta, "QUEBRADA.MP3#" + quebrada, "SUMIU.MP3#" + fixtureDir() + "/sumiu.mp3"});
        clickRow(m->acervo->StringGrid1, 0);
        QTest::mouseClick(m->acervo->bitbtn21, Qt::LeftButton);
        QVERIFY(m->acervo->canal_00->Playing);
        m->acervo->bitbtn23->setDown(true);
        QTRY_VERIFY_WITH_TIMEOUT(!m->acervo->canal_00->Playing, 5000);
        verifyIdle();
        QVERIFY(!m->acervo->bitbtn23->isDown());

        // A file the decoder refuses is reported, and the player stays idle.
        BoxAnswerer boxes;
        clickRow(m->acervo->StringGrid1, 1);
        QTest::mouseClick(m->acervo->bitbtn21, Qt::LeftButton);
        QTRY_COMPARE(boxes.texts, QStringList{"Erro ao Carregar Mídia - Verifique !!"});
        verifyIdle();
        // A missing file: nothing at all.
        clickRow(m->acervo->StringGrid1, 2);
        QTest::mouseClick(m->acervo->bitbtn21, Qt::LeftButton);
        QTest::qWait(100);
        QCOMPARE(boxes.texts.size(), 1);
        verifyIdle();
    }

    void startupFileListsItsFolderAndPlays()
    {
        const QString folder = fixtureDir() + "/minha pasta";
        QDir(folder).removeRecursively();
        QVERIFY(QDir().mkpath(folder + "/sub.mp3"));
        QVERIFY(QFile::copy(tone("song.mp3", 550, 30), folder + "/song bom.mp3"));
        QVERIFY(QFile::copy(curta, folder + "/INTRO.WAV"));
        writeBytes(folder + "/NOTES.TXT", "x");
        writeBytes(folder + "/.oculta.mp3", "x");
        // The words of one path given as several arguments.
        const QString parametros = Startup::parametros({folder.section(' ', 0, 0), "pasta/song", "bom.mp3"});
        openConsole({"OUTRA.MP3#/nao/OUTRA.MP3"}, parametros);
        QCOMPARE(m->acervo->biblioteca->trackCount(), 2);
        QCOMPARE(m->acervo->biblioteca->title(0), QString("INTRO.WAV"));
        QCOMPARE(m->acervo->biblioteca->title(1), QString("SONG BOM.MP3"));
        QCOMPARE(m->acervo->biblioteca->path(0), folder + "/INTRO.WAV");
        QCOMPARE(m->acervo->biblioteca->path(1), folder + "/song bom.mp3");
        QCOMPARE(m->acervo->biblioteca->headerData(1, Qt::Horizontal).toString(), QString("Descrição das Músicas"));
        QCOMPARE(m->acervo->StringGrid1->currentIndex().row(), 1);
        QCOMPARE(m->parametros, parametros);
        QVERIFY(m->acervo->canal_00->Playing);
        const Heard one = listen().first;
        QVERIFY2(one.rms > 0.1 && near(one.hz, 550), qPrintable(QString("%1 %2").arg(one.rms).arg(one.hz)));
        m->acervo->BitBtn23Click();
        cleanup();

        // A path that names no file: the library as usual, nothing played.
        openConsole({"OUTRA.MP3#/nao/OUTRA.MP3"}, " " + folder + "/nada.mp3");
        QCOMPARE(m->acervo->biblioteca->title(0), QString("OUTRA.MP3"));
        QVERIFY(m->parametros.isEmpty());
        QVERIFY(!m->acervo->canal_00->Playing);
    }
};

VELARIX_TEST_MAIN(TestCentrePlayer)
#include "tst_centre_player.moc"

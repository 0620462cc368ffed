// The console through its real window: deck transport, messages, seek, balance, pitch,
// loop, the end of a track and the crossfader law, with real-time virtual sound cards.
#include "ConsoleHarness.h"
#include "TestSupport.h"
#include "audio/AudioEngine.h"
#include "widgets/ColorButton.h"
#include "widgets/LedButton.h"
#include "visual/ScreenFit.h"

#include <QElapsedTimer>

using namespace testsupport;

class TestConsole : public QObject
{
    Q_OBJECT
    std::unique_ptr<Tform_mixer> m;
    QStringList tracks;  // 1.5 s each
    QStringList shorts;  // 0.4 s each

    void startDeck(int deck, int row = 0)
    {
        QListWidget *list = m->deck(deck).lista;
        list->setCurrentRow(row);
        deck == 1 ? m->ListBox1Click() : m->ListBox2Click();
        deck == 1 ? m->BitBtn2Click() : m->BitBtn6Click();
        QVERIFY(m->deck(deck).canal->Playing);
    }

private slots:
    void initTestCase()
    {
        for (int i = 0; i < 3; ++i)
            tracks << tone(QString("faixa%1.mp3").arg(i), 440 + 110 * i, 1.5);
        for (int i = 0; i < 2; ++i)
            shorts << tone(QString("curta%1.wav").arg(i), 660, 0.4);
    }

    void init()
    {
        m = std::make_unique<Tform_mixer>();
        m->show();
        QVERIFY(QTest::qWaitForWindowExposed(m.get()));
        QVERIFY(m->deck_a->canal->EndTimer && m->deck_b->canal->EndTimer);
    }

    void cleanup()
    {
        m->deck_a->canal->OnStop = nullptr;
        m->deck_b->canal->OnStop = nullptr;
        m.reset();
    }

    void windowAndRegionsAtTheirPlaces()
    {
        QCOMPARE(m->windowTitle(), QString("Quorvanti Velarix-PRO 5.1.5 - www.quorvanti.com.br - (Velarix o mixer que agita sua festa !!)"));
        QVERIFY(m->windowFlags() & Qt::WindowStaysOnTopHint);
        struct Region { const char *name; QRect r; };
        const Region regions[] = {
            {"bsSkinPanel1", {3, 2, 305, 488}}, {"bsSkinPanel2", {3, 492, 304, 147}},
            {"bsSkinPanel4", {310, 2, 398, 359}}, {"Panel18", {310, 362, 398, 28}},
            {"Panel11", {310, 390, 398, 71}}, {"Panel19", {310, 465, 398, 59}},
            {"bsSkinPanel6", {310, 528, 398, 110}}, {"bsSkinPanel7", {710, 2, 305, 488}},
            {"bsSkinPanel8", {710, 492, 304, 147}}, {"Panel9", {3, 640, 1011, 69}}};
        for (const Region &r : regions) {
            auto *w = m->findChild<QWidget *>(r.name);
            QVERIFY2(w, r.name);
            // Laid out for 1028 x 780 and fitted to the 1024 x 768 test screen.
            QCOMPARE(w->geometry(), screenfit::fitRect(r.r, QSize(1024, 768)));
        }
        // Every named control of the decks is there by its name.
        for (const char *name : {"ListBox1", "ListBox2", "bitbtn2", "bitbtn5", "bitbtn4", "bitbtn6", "bitbtn8",
                                 "bitbtn9", "loop_esquerda", "loop_direita", "MMLEDPanel1", "MMLEDDigit1",
                                 "MMLEDPanel4", "trackbar1", "trackbar5", "trackPan", "trackbar2", "trackFrequencia",
                                 "trackbar4", "VrUserLed1", "VrUserLed2", "pp", "PP2", "pbarvu", "Progressbar1",
                                 "ML", "MR", "CheckBox2", "CheckBox9", "Flanger1", "Flanger2", "bsSkinCheckRadioBox1",
                                 "Trackbar6", "TrackBar20", "bsSkinTrackBar2", "Trackbar18", "StringGrid1",
                                 "StringGrid2", "LEDButton1", "LEDButton2", "label5", "Label7", "CONTA_ESQUERDA",
                                 "conta_direita", "Timer1", "Timer2", "Timer3", "FadeMix1"})
            QVERIFY2(m->findChild<QObject *>(name), name);
        QVERIFY(!m->deck_a->loop->isEnabled());
        QVERIFY(!m->deck_a->loop->isChecked());
        QVERIFY(m->acervo->StringGrid2->isHidden());
    }

    void loadPlayPause()
    {
        fillDeck(*m, 1, tracks);
        startDeck(1, 0);
        QCOMPARE(m->deck_a->titulo->text(), QFileInfo(tracks[0]).fileName());
        QCOMPARE(m->deck_a->duracao->text(), QString("00:01"));
        QCOMPARE(m->deck_a->frequencia->text(), QString("44100"));
        QVERIFY(m->deck_a->relogio->isActive());
        QTRY_COMPARE(m->deck_a->posicao->maximum(), 1500); // the exact length, counted in the background
        QVERIFY(!m->deck_a->tocar->isEnabled());
        QVERIFY(m->deck_a->parar->isEnabled() && m->deck_a->pausar->isEnabled());
        QCOMPARE(m->deck_a->lista->toolTip(), tracks[0]);

        m->BitBtn5Click();
        QCOMPARE(m->deck_a->estado->text(), QString("PAUSE"));
        QVERIFY(m->deck_a->canal->Paused);
        QVERIFY(!m->deck_a->parar->isEnabled());
        m->BitBtn5Click();
        QCOMPARE(m->deck_a->estado->text(), QString("PLAY"));
        QVERIFY(!m->deck_a->canal->Paused);
        QVERIFY(m->deck_a->parar->isEnabled());
        QVERIFY(!m->deck_a->tocar->isEnabled());
    }

    void clickWhilePlayingLoadsNothing()
    {
        fillDeck(*m, 1, tracks);
        startDeck(1, 0);
        m->deck_a->lista->setCurrentRow(2);
        m->ListBox1Click();
        QCOMPARE(m->deck_a->canal->FileName, tracks[0]);
    }

    void loudStopFadesThenLoadsTheNextEntry()
    {
        fillDeck(*m, 1, tracks);
        startDeck(1, 0);
        // The master volume of a first start (no settings file yet) is 75: loud enough to fade.
        QCOMPARE(m->Trackbar6->value(), 75);
        QCOMPARE(m->deck_a->canal->Volume(), 75);
        QElapsedTimer t;
        t.start();
        m->BitBtn4Click();
        QVERIFY(m->deck_a->canal->Playing); // still fading
        QVERIFY(m->deck_a->saindo);
        QVERIFY(m->deck_a->tocar->isEnabled());
        QVERIFY(!m->deck_a->pausar->isEnabled() && !m->deck_a->parar->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(!m->deck_a->canal->Playing, 3000);
        QVERIFY2(t.elapsed() > 400, "a fade, not a cut");
        QCOMPARE(m->deck_a->lista->currentRow(), 1);
        QTRY_COMPARE(m->deck_a->canal->FileName, tracks[1]);
        QVERIFY(m->deck_a->canal->Loaded);
        QVERIFY(!m->deck_a->relogio->isActive());
        QCOMPARE(m->deck_a->duracao->text(), QString("00:01")); // the next entry is shown, waiting
    }

    void quietStopIsImmediate()
    {
        fillDeck(*m, 1, tracks);
        m->Trackbar6->setValue(40);
        startDeck(1, 0);
        QCOMPARE(m->deck_a->canal->Volume(), 40);
        m->BitBtn4Click();
        QVERIFY(!m->deck_a->canal->Playing);
        QTRY_COMPARE(m->deck_a->canal->FileName, tracks[1]);
        QCOMPARE(m->deck_a->lista->currentRow(), 1);
    }

    void endOfTrackAdvancesAndWraps()
    {
        fillDeck(*m, 1, shorts);
        startDeck(1, 1);
        QTRY_VERIFY_WITH_TIMEOUT(!m->deck_a->canal->Playing, 3000);
        QCOMPARE(m->deck_a->lista->currentRow(), 0); // from the last entry back to the first
        QTRY_COMPARE(m->deck_a->canal->FileName, shorts[0]);
        QVERIFY(m->deck_a->canal->Loaded);
        QVERIFY(m->deck_a->tocar->isEnabled());
        QTest::qWait(300);
        QVERIFY(!m->deck_a->canal->Playing); // it waits for the next hand-over
    }

    void missingFilesGiveEachDecksMessage()
    {
        fillDeck(*m, 1, {"/sem/arquivo.mp3"});
        fillDeck(*m, 2, {"/sem/outro.mp3"});
        {
            BoxAnswerer box;
            m->deck_a->lista->setCurrentRow(0);
            m->ListBox1Click();
            QCOMPARE(box.texts, QStringList{"Arquivo ->/sem/arquivo.mp3 - Não Localizado !!"});
        }
        QVERIFY(!m->deck_a->tocar->isEnabled());
        {
            BoxAnswerer box;
            m->deck_b->lista->setCurrentRow(0);
            m->ListBox2Click();
            QCOMPARE(box.texts, QStringList{"Arquivo Selecionado não localizado !!!"});
        }
        QVERIFY(!m->deck_b->tocar->isEnabled());
        QVERIFY(!m->deck_a->canal->Loaded);
    }

    // Loaded by hand after a good track: the good one's title and length do not stay behind
    // a Play that could do nothing.
    void unplayableFileSaysSo()
    {
        fillDeck(*m, 1, {tracks.first(), writeFile("quebrado.mp3", "isto não é música")});
        m->deck_a->lista->setCurrentRow(0);
        m->ListBox1Click();
        QVERIFY(m->deck_a->canal->Loaded && m->deck_a->tocar->isEnabled());
        BoxAnswerer box;
        m->deck_a->lista->setCurrentRow(1);
        m->ListBox1Click();
        QCOMPARE(box.texts, QStringList{"Erro ao Carregar Mídia - Verifique !!"});
        QVERIFY(!m->deck_a->canal->Loaded);
        QCOMPARE(m->deck_a->titulo->text(), QString("Música:"));
        QCOMPARE(m->deck_a->duracao->text(), QString("00:00"));
        QVERIFY(!m->deck_a->tocar->isEnabled());
    }

    void seekWhilePaused()
    {
        fillDeck(*m, 1, tracks);
        fillDeck(*m, 2, tracks);
        startDeck(1);
        startDeck(2);
        m->BitBtn5Click();
        m->bitbtn8Click();
        m->trackbar1Track(900);
        QVERIFY(m->deck_a->canal->Paused); // deck A stays paused at the new place
        QCOMPARE(m->deck_a->canal->GetPosition(), 900u);
        m->trackbar5Track(700);
        QVERIFY(!m->deck_b->canal->Paused); // deck B resumes
        QVERIFY(m->deck_b->canal->GetPosition() >= 700u);
        QVERIFY(!m->deck_b->tocar->isEnabled() && m->deck_b->parar->isEnabled() && m->deck_b->pausar->isEnabled());
    }

    void balanceAndPitch()
    {
        fillDeck(*m, 1, tracks);
        fillDeck(*m, 2, tracks);
        startDeck(1);
        startDeck(2);
        m->deck_a->balanco->setValue(-100);
        QCOMPARE(m->deck_a->canal->Pan(), -100);
        m->deck_b->balanco->setValue(-100);
        QCOMPARE(m->deck_b->canal->Pan(), -100);
        QCOMPARE(m->deck_a->freq_padrao, 44100);
        m->deck_a->velocidade->setValue(50000);
        QCOMPARE(m->deck_a->canal->Frequency(), 50000);
        m->VrUserLed1Click();
        QCOMPARE(m->deck_a->canal->Frequency(), 44100);
        QCOMPARE(m->deck_a->velocidade->value(), 44100);
    }

    void loopRestartsWithoutAdvancing()
    {
        m->LEDButton1->setChecked(false);
        fillDeck(*m, 1, shorts);
        startDeck(1, 0);
        QVERIFY(m->deck_a->loop->isEnabled());
        m->deck_a->loop->click();
        QVERIFY(m->deck_a->canal->Looping);
        QTest::qWait(1200); // three times the track's length
        QVERIFY(m->deck_a->canal->Playing);
        QCOMPARE(m->deck_a->lista->currentRow(), 0);
        QVERIFY(m->deck_a->canal->GetPosition() < 400);
        // With Auto Mix on, Play leaves the switch disabled.
        m->deck_a->canal->Looping = false;
        m->deck_a->canal->Stop();
        m->LEDButton1->setChecked(true);
        m->deck_a->lista->setCurrentRow(0);
        m->ListBox1Click();
        m->BitBtn2Click();
        QVERIFY(!m->deck_a->loop->isEnabled());
    }

    void stopHandlerDoesNothingWhileThePositionSliderHasFocus()
    {
        fillDeck(*m, 1, tracks);
        startDeck(1, 0);
        m->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m.get()));
        m->deck_a->posicao->setFocus();
        QVERIFY(m->deck_a->posicao->hasFocus());
        m->deck_a->canal->Stop();
        QCOMPARE(m->deck_a->lista->currentRow(), 0);
        QVERIFY(m->deck_a->relogio->isActive());
        QCOMPARE(m->deck_a->canal->FileName, tracks[0]);
    }

    void effectsAreClearedAtTheEndAndTheEqualiserComesBackAtPlay()
    {
        fillDeck(*m, 1, tracks);
        startDeck(1, 0);
        m->deck_a->flanger->setChecked(true);
        m->deck_a->eco->setChecked(true);
        audio::FlangerBlock f{};
        QVERIFY(audio::AudioEngine::instance().dspGetParameters(m->deck_a->canal->Channel, audio::DspFlanger, &f));
        m->bsSkinCheckRadioBox1->setChecked(true);
        m->bandas[5]->setValue(20);
        m->Trackbar6->setValue(30);
        m->BitBtn4Click(); // quiet: immediate
        QVERIFY(!m->deck_a->flanger->isChecked() && !m->deck_a->eco->isChecked());
        m->BitBtn2Click();
        QVERIFY(m->deck_a->canal->EqAtivo);
        audio::EqualizerBlock eq{5, 0, 0, 0, 0, 0};
        QVERIFY(audio::AudioEngine::instance().dspGetParameters(m->deck_a->canal->Channel, audio::DspEqualizer, &eq));
        QCOMPARE(eq.gain, 10.f);
        QCOMPARE(eq.centre, 1000.f);
        QVERIFY(!audio::AudioEngine::instance().dspGetParameters(m->deck_a->canal->Channel, audio::DspFlanger, &f));
    }

    void crossfaderLaw_data()
    {
        QTest::addColumn<int>("master");
        QTest::addColumn<int>("fader");
        QTest::addColumn<int>("a");
        QTest::addColumn<int>("b");
        QTest::newRow("X=0") << 100 << 0 << 100 << 0;
        QTest::newRow("X=150") << 100 << 150 << 50 << 100;
        QTest::newRow("X=200") << 100 << 200 << 0 << 100;
        QTest::newRow("V=60 X=90") << 60 << 90 << 60 << 90;
        QTest::newRow("centre V=80") << 80 << 100 << 80 << 80;
    }
    void crossfaderLaw()
    {
        QFETCH(int, master);
        QFETCH(int, fader);
        QFETCH(int, a);
        QFETCH(int, b);
        fillDeck(*m, 1, tracks);
        fillDeck(*m, 2, tracks);
        startDeck(1);
        startDeck(2);
        m->Trackbar6->setValue(master);
        m->Trackbar18->setValue(fader);
        m->TrackBar18Change();
        QCOMPARE(m->deck_a->canal->Volume(), a);
        QCOMPARE(m->deck_b->canal->Volume(), b);
    }

    void crossfaderLeavesAnEmptyDeckAlone()
    {
        fillDeck(*m, 1, tracks);
        startDeck(1);
        m->Trackbar18->setValue(50);
        QCOMPARE(m->deck_a->canal->Volume(), m->Trackbar6->value());
        QVERIFY(m->deck_b->canal->Title.isEmpty());
        QVERIFY(!m->deck_b->canal->Loaded);
    }

    void closingAsksFirst()
    {
        fillDeck(*m, 1, tracks);
        startDeck(1);
        {
            BoxAnswerer box(QMessageBox::Cancel);
            QVERIFY(!m->close());
            QCOMPARE(box.texts, QStringList{"Deseja Sair do Quorvanti Velarix ??"});
            QCOMPARE(box.captions, QStringList{"Zyrtan Sistemas"});
        }
        QVERIFY(m->isVisible());
        QVERIFY(m->deck_a->canal->Playing);
        BoxAnswerer ok(QMessageBox::Ok);
        QVERIFY(m->close());
        QVERIFY(m->deck_a->saindo); // the deck was stopped on the way out
    }
};

VELARIX_TEST_MAIN(TestConsole)
#include "tst_console.moc"

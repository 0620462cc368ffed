// Deck clocks and mixing through the real window: time texts, the hand-over by time and by
// level heard through the clock, the switches and settings the decision reads, the manual
// mixes and F12, housekeeping and the deck displays.
#include "ConsoleHarness.h"
#include "TestSupport.h"
#include "console/Tempo.h"
#include "settings/uform_config.h"
#include "widgets/ColorButton.h"
#include "widgets/LedBarGauge.h"
#include "widgets/LedButton.h"
#include "widgets/LedColon.h"
#include "widgets/LedNumber.h"

#include <QSpinBox>

using namespace testsupport;
using mixagem::Motivo;

class TestMixing : public QObject
{
    Q_OBJECT
    std::unique_ptr<Tform_mixer> m;
    std::unique_ptr<Tform_config> config;
    QString loud6;      // 6 s of tone
    QString quietEnd;   // 5 s of tone, then 5 s of silence

    void start(int deck, int row = 0)
    {
        QListWidget *list = m->deck(deck).lista;
        list->setCurrentRow(row);
        deck == 1 ? m->ListBox1Click() : m->ListBox2Click();
        deck == 1 ? m->BitBtn2Click() : m->BitBtn6Click();
    }

private slots:
    void initTestCase()
    {
        loud6 = tone("forte6.mp3", 440, 6);
        quietEnd = ffmpeg({"-f", "lavfi", "-i", "aevalsrc=if(lt(t\\,5)\\,0.5*sin(2*PI*440*t)\\,0)|if(lt(t\\,5)\\,0.5*sin(2*PI*440*t)\\,0):s=44100:d=10",
                           "-c:a", "libmp3lame", "-b:a", "128k"}, "final_calmo.mp3");
        QVERIFY(!quietEnd.isEmpty());
    }

    void init() { openMixingConsole(m, config); }
    void cleanup() { closeMixingConsole(m, config); }

    void timeTexts()
    {
        QCOMPARE(minutos_segundos(0), QString("00:00"));
        QCOMPARE(minutos_segundos(59999), QString("00:59"));
        QCOMPARE(minutos_segundos(60000), QString("01:00"));
        QCOMPARE(minutos_segundos((3600 + 120 + 5) * 1000), QString("02:05")); // hours are not shown
        QCOMPARE(ms_para_hora(-10), QTime(0, 0, 0));
        QCOMPARE(ms_para_hora(3725999), QTime(1, 2, 5));
        m->Display_c01("12:34");
        QCOMPARE(m->deck_a->minutos->value(), 12);
        QCOMPARE(m->deck_a->segundos->value(), 34);
        m->Display_c02("02:05");
        QCOMPARE(m->deck_b->minutos->value(), 2);
        QCOMPARE(m->deck_b->segundos->value(), 5);
        bool raised = false;
        try {
            m->Display_c01("2:5");
        } catch (...) {
            raised = true;
        }
        QVERIFY(raised);
        // A click on deck B's colon switches its display mode, like its panels.
        QCOMPARE(m->deck_b->modo_tempo, quint8(1));
        emit m->deck_b->dois_pontos->clicked();
        QCOMPARE(m->deck_b->modo_tempo, quint8(2));
        emit m->deck_b->segundos->clicked();
        QCOMPARE(m->deck_b->modo_tempo, quint8(1));
    }

    void handOverByTime()
    {
        fillDeck(*m, 1, {loud6, loud6});
        fillDeck(*m, 2, {loud6});
        m->deck_b->lista->setCurrentRow(0);
        m->ListBox2Click();
        start(1);
        QVERIFY(m->deck_a->canal->SetPosition(2500));
        QTRY_VERIFY_WITH_TIMEOUT(m->deck_b->canal->Playing, 4000);
        const int remaining = int(m->deck_a->canal->GetLength()) - int(m->deck_a->canal->GetPosition());
        QVERIFY2(remaining < 3000 && remaining > 2500, qPrintable(QString::number(remaining)));
        QVERIFY(m->deck_a->saindo);
        QVERIFY(m->deck_a->canal->FadeTimer->Enabled());
        QCOMPARE(m->deck_b->canal->GetPosition() < 300u, true); // deck B from its beginning
        // Deck A fades out, stops by itself and waits with its next entry.
        QTRY_VERIFY_WITH_TIMEOUT(!m->deck_a->canal->Playing, 3000);
        QCOMPARE(m->deck_a->lista->currentRow(), 1);
        QTRY_VERIFY(m->deck_a->canal->Loaded);
        QVERIFY(m->deck_b->canal->Playing);
    }

    void handOverByLevelOnAQuietEnding()
    {
        fillDeck(*m, 1, {quietEnd});
        fillDeck(*m, 2, {loud6});
        m->deck_b->lista->setCurrentRow(0);
        m->ListBox2Click();
        start(1);
        QVERIFY(m->deck_a->canal->SetPosition(4000));
        QTRY_VERIFY_WITH_TIMEOUT(m->deck_b->canal->Playing, 4000);
        const uint32_t at = m->deck_a->canal->GetPosition();
        // The music stops at 5 s: the hand-over comes right after, long before the mix time.
        QVERIFY2(at >= 5000 && at < 5800, qPrintable(QString::number(at)));
        QVERIFY(m->deck_a->saindo);
        // No second hand-over while deck A fades: deck B is not restarted.
        uint32_t last = m->deck_b->canal->GetPosition();
        for (int i = 0; i < 6; ++i) {
            QTest::qWait(100);
            const uint32_t now = m->deck_b->canal->GetPosition();
            QVERIFY(now >= last);
            last = now;
        }
    }

    void theClockAsksWithTheSwitchesAndSettings()
    {
        fillDeck(*m, 1, {loud6});
        fillDeck(*m, 2, {loud6});
        start(1);
        const Deck &a = *m->deck_a;
        auto asks = [&](quint32 length, quint32 at) { return int(m->mixagem->decide(a, length, at)); };
        m->deck_a->barra->setValue(80); // loud: no level mix in the way
        // The settings window's mix time and sensitivity count from the moment they change.
        config->RxSpinEdit7->setValue(5000);
        QCOMPARE(asks(6000, 2000), int(Motivo::tempo));
        config->RxSpinEdit7->setValue(3000);
        QCOMPARE(asks(6000, 2000), int(Motivo::nenhum));
        // The level is the deck's own gauge.
        m->deck_a->barra->setValue(40);
        QCOMPARE(asks(30000, 10000), int(Motivo::nenhum));
        config->RxSpinEdit1->setValue(35);
        QCOMPARE(asks(30000, 10000), int(Motivo::nivel));
        m->LEDButton2->click(); // Sensibilidade off
        QCOMPARE(asks(30000, 10000), int(Motivo::nenhum));
        QCOMPARE(asks(6000, 4000), int(Motivo::tempo));
    }

    void autoMixOffMeansNoMix()
    {
        m->LEDButton1->click(); // off
        QVERIFY(!m->LEDButton1->isChecked());
        QVERIFY(!m->LEDButton2->isChecked());
        QVERIFY(m->deck_a->loop->isEnabled() && m->deck_b->loop->isEnabled());
        QVERIFY(!config->RxSpinEdit7->isEnabled() && !config->RxSpinEdit1->isEnabled());
        fillDeck(*m, 1, {loud6});
        fillDeck(*m, 2, {loud6});
        m->deck_b->lista->setCurrentRow(0); // selected, not loaded yet
        start(1);
        QCOMPARE(int(m->mixagem->decide(*m->deck_a, 6000, 5000)), int(Motivo::nenhum));
        QVERIFY(!m->deck_b->canal->Loaded);
        m->LEDButton1->click(); // on again: loads the decks' entries
        QVERIFY(m->LEDButton2->isChecked());
        QVERIFY(!m->deck_a->loop->isEnabled());
        QVERIFY(config->RxSpinEdit7->isEnabled());
        QVERIFY(m->deck_b->canal->Loaded);
        QCOMPARE(int(m->mixagem->decide(*m->deck_a, 6000, 5000)), int(Motivo::tempo));
    }

    void manualMixes()
    {
        fillDeck(*m, 1, {loud6, loud6});
        fillDeck(*m, 2, {loud6});
        m->deck_b->lista->setCurrentRow(0);
        m->ListBox2Click();
        start(1);
        m->Trackbar18->setValue(30);
        m->Timer3Timer();
        QVERIFY(m->speedbutton2->isEnabled());
        QVERIFY(!m->speedbutton1->isEnabled()); // deck A plays
        m->SpeedButton2Click();
        QCOMPARE(m->Trackbar18->value(), 100);
        QVERIFY(m->deck_b->canal->Playing);
        QCOMPARE(m->deck_b->canal->Volume(), m->Trackbar6->value());
        QVERIFY(m->deck_a->canal->FadeTimer->Enabled());
        QVERIFY(!m->deck_a->tocar->isEnabled() && !m->deck_a->parar->isEnabled());
        QVERIFY(m->deck_a->saindo);
        QTRY_VERIFY_WITH_TIMEOUT(!m->deck_a->canal->Playing, 3000);
        QVERIFY(m->deck_a->tocar->isEnabled());
        // Now only deck B plays: F12 hands over to deck A.
        m->Timer3Timer();
        m->FadeMix1->trigger();
        QVERIFY(m->deck_a->canal->Playing);
        QVERIFY(m->deck_b->saindo);
        QTRY_VERIFY_WITH_TIMEOUT(!m->deck_b->canal->Playing, 3000);
        // With both decks silent F12 does nothing.
        m->deck_a->canal->Stop();
        m->Timer3Timer();
        m->FadeMix1->trigger();
        QVERIFY(!m->deck_a->canal->Playing && !m->deck_b->canal->Playing);
    }

    void f12WithOnlyDeckAPlayingActsAsMixB()
    {
        fillDeck(*m, 1, {loud6});
        fillDeck(*m, 2, {loud6});
        m->deck_b->lista->setCurrentRow(0);
        m->ListBox2Click();
        start(1);
        m->Timer3Timer();
        QTest::keyClick(m.get(), Qt::Key_F12);
        QVERIFY(m->deck_b->canal->Playing);
        QVERIFY(m->deck_a->saindo);
        QVERIFY(m->deck_a->canal->FadeTimer->Enabled());
    }

    void centreResetUsesTheMasterVolume()
    {
        fillDeck(*m, 1, {loud6});
        fillDeck(*m, 2, {loud6});
        start(1);
        start(2);
        m->Trackbar6->setValue(80);
        m->Trackbar18->setValue(170);
        m->FadePadro1Click();
        QCOMPARE(m->Trackbar18->value(), 100);
        QCOMPARE(m->deck_a->canal->Volume(), 80);
        QCOMPARE(m->deck_b->canal->Volume(), 80);
    }

    void housekeepingFollowsTheDecks()
    {
        fillDeck(*m, 1, {loud6});
        start(1);
        m->Timer3Timer();
        QVERIFY(!m->deck_a->limpar->isEnabled() && !m->deck_a->excluir->isEnabled() && !m->speedbutton1->isEnabled());
        QVERIFY(m->deck_a->estado->styleSheet().contains("255, 0, 0"));
        QVERIFY(!m->deck_b->tocar->isEnabled()); // deck B's list is empty
        QCOMPARE(m->deck_b->titulo->text(), QString("Música:"));
        m->deck_a->canal->Stop();
        m->Timer3Timer();
        QVERIFY(m->deck_a->limpar->isEnabled() && m->speedbutton1->isEnabled());
    }

    void deckDisplaysDrawWhilePlaying()
    {
        m->deck_b->grafico = 1; // oscilloscope on deck B
        fillDeck(*m, 1, {loud6});
        fillDeck(*m, 2, {loud6});
        start(1);
        start(2);
        QTest::qWait(400);
        QTRY_VERIFY(m->deck_a->barra->value() > 50);
        QVERIFY(m->deck_b->barra->value() > 50);
        auto litPixels = [](QWidget *w, auto test) {
            const QImage img = w->grab().toImage();
            int n = 0;
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < img.width(); ++x)
                    n += test(img.pixelColor(x, y)) ? 1 : 0;
            return n;
        };
        // Spectrum: white bars; oscilloscope: a white trace that swings.
        QVERIFY(litPixels(m->deck_a->caixa, [](const QColor &c) { return c.red() > 200 && c.green() > 200 && c.blue() > 200; }) > 30);
        QVERIFY(litPixels(m->deck_b->caixa, [](const QColor &c) { return c.red() > 200 && c.green() > 200 && c.blue() > 200; }) > 100);
        QVERIFY(m->deck_a->posicao->value() > 200);
        QCOMPARE(m->deck_a->duracao->text(), QString("00:06"));
    }
};

VELARIX_TEST_MAIN(TestMixing)
#include "tst_mixing.moc"

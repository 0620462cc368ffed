// The console on a real sound server: a private PulseAudio daemon with three null sinks (the
// room's default output, the music card, the listening card), every sink's monitor recorded.
// A card is pulled out and put back while the console plays.
#include "ConsoleHarness.h"
#include "PulseServer.h"
#include "SignalMeasure.h"
#include "TestSupport.h"
#include "audio/AudioEngine.h"
#include "audio/OutputBackend.h"
#include "library/LibraryModel.h"
#include "settings/DataFolder.h"
#include "settings/SettingsFile.h"
#include "settings/TextFile.h"
#include "settings/funcoes.h"
#include "widgets/ColorButton.h"

#include <QElapsedTimer>

using audio::AudioEngine;
using namespace testsupport;

namespace {
const QString kSala = "Saída da Sala", kMusica = "Placa de Música", kFones = "Fones do DJ";
constexpr int kRate = PulseServer::kRate;
// Steady tone against the curvature of its onset: a hard step reads in the hundreds.
double onsetClick(const std::vector<float> &x)
{
    const qint64 start = firstAbove(x, 0.01f);
    if (start < 0 || start + kRate / 2 > qint64(x.size()))
        return 1e9;
    const double around = signal_measure::curvaturePeak(x, int(start) - 10, int(start) + kRate / 50);
    const double steady = signal_measure::curvaturePeak(x, int(start) + kRate / 10, int(start) + kRate / 4);
    return steady > 0 ? around / steady : 1e9;
}
} // namespace

class TestSoundServer : public QObject
{
    Q_OBJECT
    std::unique_ptr<PulseServer> pulse;
    std::unique_ptr<Tform_mixer> m;
    QStringList m_messages;
    QString la, mi;

    int deviceOf(const QString &description)
    {
        for (int n = 1; n <= 10; ++n)
            if (AudioEngine::instance().deviceDescription(n) == description)
                return n;
        return 0;
    }

    double tail(const QString &sink, double seconds)
    {
        const std::vector<float> x = pulse->recorded(sink);
        return rms(x, qint64(x.size()) - qint64(seconds * kRate), qint64(x.size()));
    }

private slots:
    void initTestCase()
    {
        pulse = std::make_unique<PulseServer>();
        QVERIFY2(pulse->error().isEmpty(), qPrintable("the private sound server: " + pulse->error()));
        for (auto [name, description] : {std::pair{"sala", kSala}, {"musica", kMusica}, {"fones", kFones}})
            QVERIFY2(pulse->addSink(name, description), qPrintable(pulse->error()));
        qputenv("SDL_AUDIODRIVER", "pulseaudio");
        AudioEngine::instance().setBackend(std::make_unique<audio::SdlBackend>());
        la = tone("la.wav", 440, 40);
        mi = tone("mi.wav", 660, 40);
        funcoes::setMessageHook([this](const QString &t) { m_messages << t; });
    }

    void cleanupTestCase()
    {
        if (m) {
            for (Deck *d : {m->deck_a.get(), m->deck_b.get()})
                d->canal->OnStop = nullptr;
            m->acervo->canal_00->OnStop = nullptr;
        }
        m.reset();
        AudioEngine::instance().setBackend(nullptr);
        pulse.reset();
    }

    void sinksAreListedByTheirDescriptions()
    {
        QCOMPARE(AudioEngine::instance().deviceDescription(1), QString("Saída padrão do sistema"));
        QVERIFY(deviceOf(kSala) > 1 && deviceOf(kMusica) > 1 && deviceOf(kFones) > 1);
    }

    // Started without its listening card, the console never pre-listens on the music card,
    // takes the card when it comes, and drops pre-listening again when it goes.
    void listeningCardMissingThenFoundThenLost()
    {
        const int musica = deviceOf(kMusica), fones = deviceOf(kFones);
        SettingsFile::Valores v;
        v.device_transmissao = musica;
        v.device_cue = fones;
        QVERIFY(TextFile::writeLines(DataFolder::filePath(SettingsFile::nomeArquivo()), SettingsFile::monta_linhas(v)));
        QVERIFY(pulse->removeSink("fones"));
        QTRY_COMPARE(deviceOf(kFones), 0);
        QVERIFY(pulse->record("musica"));

        openConsoleOn(m, {"LA.MP3#" + la, "MI.WAV#" + mi});
        QCOMPARE(m_messages, QStringList{"Inicialização da Device com Problemas"});
        QCOMPARE(m->Label7->text(), QString("Escuta (Cue) indisponível: a placa de escuta não está presente"));
        QCOMPARE(m->acervo->SRColorButton1->text(), QString("Sem Cue"));
        QTest::mouseClick(m->acervo->SRColorButton1, Qt::LeftButton);
        QVERIFY(!m->acervo->cue_ativo);

        // The search results always go to the listening card: here, nowhere.
        m->activateWindow();
        QTest::mouseClick(m->acervo->edit1, Qt::LeftButton);
        QTest::keyClicks(m->acervo->edit1, "mi");
        QTest::keyClick(m->acervo->edit1, Qt::Key_Return);
        QVERIFY(m->acervo->StringGrid2->isVisible());
        QTest::mouseClick(m->acervo->bitbtn21, Qt::LeftButton);
        QVERIFY(!m->acervo->canal_00->Playing);
        QCOMPARE(m->Label7->text(), QString("Escuta (Cue) indisponível: a placa de escuta não está presente"));
        QTest::keyClick(m->acervo->StringGrid2, Qt::Key_Escape);

        // The card comes: Cue is offered again, without a restart, and plays there only.
        QVERIFY(pulse->addSink("fones", kFones));
        QVERIFY(pulse->record("fones"));
        QTRY_COMPARE_WITH_TIMEOUT(m->acervo->SRColorButton1->text(), QString("Cue"), 2000);
        QCOMPARE(m->Label7->text(), "Escuta (Cue) disponível: " + kFones);
        QTest::mouseClick(m->acervo->SRColorButton1, Qt::LeftButton);
        QVERIFY(m->acervo->cue_ativo);
        const QRect r = m->acervo->StringGrid1->visualRect(m->acervo->biblioteca->index(0, LibraryModel::TitleColumn));
        QTest::mouseClick(m->acervo->StringGrid1->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
        QTest::mouseClick(m->acervo->bitbtn21, Qt::LeftButton);
        QVERIFY(m->acervo->canal_00->Playing);
        QTest::qWait(1000);
        QVERIFY2(tail("fones", 0.5) > 0.1, qPrintable(QString::number(tail("fones", 0.5))));

        // Lost while it pre-listens: said within a second, and still nothing on the music card.
        QVERIFY(pulse->removeSink("fones"));
        QTRY_COMPARE_WITH_TIMEOUT(m->acervo->SRColorButton1->text(), QString("Sem Cue"), 1000);
        QCOMPARE(m->Label7->text(), QString("Escuta (Cue) indisponível: a placa de escuta não está presente"));
        QTest::qWait(1000);
        QVERIFY(m->acervo->canal_00->Playing);
        QTest::mouseClick(m->acervo->bitbtn23, Qt::LeftButton);
        const double naMusica = rms(pulse->recorded("musica"), 0, 1LL << 40);
        QVERIFY2(naMusica < 1e-4, qPrintable(QString::number(naMusica)));
        QVERIFY(pulse->addSink("fones", kFones));
    }

    // The music card is pulled out mid-show: the music goes on on the default output, the
    // deck's clock keeps its time, and the card gets it back within 2 s of its return.
    void musicCardLostAndFound()
    {
        QVERIFY(m);
        fillDeck(*m, 1, {la});
        m->deck_a->lista->setCurrentRow(0);
        m->ListBox1Click();
        QVERIFY(pulse->record("sala"));
        QVERIFY(pulse->record("musica"));
        QTest::mouseClick(m->deck_a->tocar, Qt::LeftButton);
        QVERIFY(m->deck_a->canal->Playing);
        QTest::qWait(1000);
        QVERIFY2(tail("musica", 0.5) > 0.05, qPrintable(QString::number(tail("musica", 0.5))));
        QVERIFY(tail("sala", 0.5) < 1e-4);

        const quint32 antes = m->deck_a->canal->GetPosition();
        QElapsedTimer relogio;
        relogio.start();
        QVERIFY(pulse->removeSink("musica"));
        QTRY_COMPARE_WITH_TIMEOUT(m->Label7->text(), "Placa perdida: " + kMusica + " - som na saída padrão", 1000);
        QTest::qWait(2000);
        QVERIFY2(tail("sala", 1.0) > 0.05, qPrintable(QString::number(tail("sala", 1.0))));
        QVERIFY2(onsetClick(pulse->recorded("sala")) < 4, qPrintable(QString::number(onsetClick(pulse->recorded("sala")))));
        const double andou = (m->deck_a->canal->GetPosition() - antes) / 1000.0, passou = relogio.elapsed() / 1000.0;
        QVERIFY2(std::abs(andou - passou) < 0.5, qPrintable(QString("%1 s played in %2 s").arg(andou).arg(passou)));

        // The console's look at its cards waits until the new sink is recorded, so the
        // return's onset is on the recording.
        m->placas->Timer_placas->stop();
        QVERIFY(pulse->addSink("musica", kMusica));
        QVERIFY(pulse->record("musica"));
        QElapsedTimer volta;
        volta.start();
        m->placas->Timer_placas->start();
        QTRY_VERIFY_WITH_TIMEOUT(m->Label7->text() == "Placa de volta: " + kMusica, 2000);
        QTest::qWait(1000);
        const std::vector<float> depois = pulse->recorded("musica");
        const qint64 som = firstAbove(depois, 0.01f);
        QVERIFY(som > 0);
        const double ate_o_som = volta.elapsed() / 1000.0 - (double(depois.size()) - som) / kRate;
        QVERIFY2(ate_o_som < 2.0, qPrintable(QString("sound %1 s after the return").arg(ate_o_som)));
        QVERIFY(tail("musica", 0.5) > 0.05);
        QVERIFY2(onsetClick(depois) < 4, qPrintable(QString::number(onsetClick(depois))));
        QVERIFY2(tail("sala", 0.5) < 1e-4, qPrintable(QString::number(tail("sala", 0.5))));
        // The default output let go of the music with a fade, too.
        const std::vector<float> sala = pulse->recorded("sala");
        qint64 fim = qint64(sala.size()) - 1;
        while (fim > 0 && std::fabs(sala[size_t(fim)]) < 0.01f)
            --fim;
        const double saida = signal_measure::clickRatio(sala, int(fim), int(fim), kRate);
        QVERIFY2(saida < 4, qPrintable(QString::number(saida)));
        QVERIFY(m->deck_a->canal->Playing);
        m->BitBtn4Click();
    }
};

VELARIX_TEST_MAIN(TestSoundServer)
#include "tst_soundserver.moc"

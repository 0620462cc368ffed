// Settings that last, through the real console and its settings window: the round trip of
// every stored value across two consoles, bad and missing files, a card that is gone, the
// device change that closes the console, the shortcuts on their keys and the about window.
// The two virtual cards record what they play, so the sound is measured, not assumed.
#include "ConsoleHarness.h"
#include "TestSupport.h"
#include "cartridge/Shortcuts.h"
#include "library/LibraryModel.h"
#include "settings/about.h"
#include "settings/uform_config.h"
#include "widgets/ColorButton.h"
#include "widgets/LedButton.h"
#include "widgets/NeedleMeter.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QSpinBox>
#include <cmath>

using namespace testsupport;

namespace {

QTemporaryDir *gravacoes()
{
    static QTemporaryDir dir;
    return &dir;
}

QString ini()
{
    return qEnvironmentVariable("VELARIX_HOME") + "/VELARIX4.INI";
}

QString atalhosIni()
{
    return qEnvironmentVariable("VELARIX_HOME") + "/ATALHOS.INI";
}

// The bytes a recording card has written so far.
qint64 tamanho(int card)
{
    return QFileInfo(gravacoes()->path() + QString("/card%1.wav").arg(card)).size();
}

// Level of a tone and of everything, over what a card wrote after byte `desde`.
struct Medida
{
    double rms = 0;     // of the left channel, full scale 1
    double tom = 0;     // amplitude of the given frequency, full scale 1
};

Medida mede(int card, qint64 desde, double hz)
{
    const QByteArray bytes = readBytes(gravacoes()->path() + QString("/card%1.wav").arg(card));
    Medida m;
    if (bytes.size() <= desde + 4)
        return m;
    // The header is 44 bytes and frames are 4: a size the card reached is a frame boundary.
    const auto *s = reinterpret_cast<const qint16 *>(bytes.constData() + desde);
    const qint64 frames = (bytes.size() - desde) / 4;
    double soma = 0, re = 0, im = 0;
    for (qint64 i = 0; i < frames; ++i) {
        const double x = s[2 * i] / 32768.0;
        soma += x * x;
        re += x * std::cos(2 * M_PI * hz * double(i) / 44100);
        im += x * std::sin(2 * M_PI * hz * double(i) / 44100);
    }
    m.rms = frames > 0 ? std::sqrt(soma / double(frames)) : 0;
    m.tom = frames > 0 ? 2 * std::hypot(re, im) / double(frames) : 0;
    return m;
}

// Answers every message box while it lives: records text and caption, lets `antes` look at
// the desk first, and presses OK unless `resposta` says otherwise for that text.
class Caixas : public QObject
{
public:
    Caixas()
    {
        m_poll.setInterval(10);
        connect(&m_poll, &QTimer::timeout, this, [this] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || box->property("respondida").toBool())
                return;
            box->setProperty("respondida", true);
            textos << box->text();
            if (antes)
                antes(box->text());
            const auto botao = resposta ? resposta(box->text()) : QMessageBox::Ok;
            QAbstractButton *b = box->button(botao);
            (b ? b : box->buttons().value(0))->click();
        });
        m_poll.start();
    }
    QStringList textos;
    std::function<void(const QString &)> antes;
    std::function<QMessageBox::StandardButton(const QString &)> resposta;

private:
    QTimer m_poll;
};

// Runs `acao` once on the next modal window of type T (a dialog shown with exec()).
template <typename T>
class NaJanela : public QObject
{
public:
    explicit NaJanela(std::function<void(T *)> acao)
        : m_acao(std::move(acao))
    {
        m_poll.setInterval(10);
        connect(&m_poll, &QTimer::timeout, this, [this] {
            auto *w = qobject_cast<T *>(QApplication::activeModalWidget());
            if (!w || !w->isVisible())
                return;
            m_poll.stop();
            vista = true;
            m_acao(w);
        });
        m_poll.start();
    }
    bool vista = false;

private:
    std::function<void(T *)> m_acao;
    QTimer m_poll;
};

// Catches what the desktop would open in a browser.
class Navegador : public QObject
{
    Q_OBJECT
public:
    Navegador() { QDesktopServices::setUrlHandler("http", this, "abre"); }
    ~Navegador() override { QDesktopServices::unsetUrlHandler("http"); }
    QList<QUrl> abertos;
public slots:
    void abre(const QUrl &url) { abertos << url; }
};

void teclas(QWidget *w, Qt::Key tecla, int vezes)
{
    for (int i = 0; i < vezes; ++i)
        QTest::keyClick(w, tecla);
}

} // namespace

class TestSettingsConsole : public QObject
{
    Q_OBJECT
    std::unique_ptr<Tform_mixer> m;
    std::unique_ptr<Tform_config> config;

    void abre_console()
    {
        m = std::make_unique<Tform_mixer>();
        config = std::make_unique<Tform_config>(m.get());
        m->show();
        QVERIFY(QTest::qWaitForWindowExposed(m.get()));
    }

    void fecha_console()
    {
        if (!m)
            return;
        m->deck_a->canal->OnStop = nullptr;
        m->deck_b->canal->OnStop = nullptr;
        config.reset();
        m.reset();
    }

    // Closes through the close sequence, answering OK.
    void fecha_com_ok()
    {
        Caixas caixas;
        QVERIFY(m->close());
        QCOMPARE(caixas.textos, QStringList{"Deseja Sair do Quorvanti Velarix ??"});
    }

private slots:
    void init()
    {
        QFile::remove(ini());
        QFile::remove(atalhosIni());
    }

    void cleanup() { fecha_console(); }

    void missingFileGivesTheDefaults()
    {
        {
            Caixas caixas;
            abre_console();
            QVERIFY(caixas.textos.isEmpty());
        }
        // The window's own defaults differ in two places: capture mode and master volume.
        QVERIFY(!m->acervo->captura_geral->isChecked());
        QCOMPARE(m->Trackbar6->value(), 75);
        QVERIFY(m->LEDButton1->isChecked());
        QVERIFY(m->LEDButton2->isChecked());
        QVERIFY(config->Checkbox4->isChecked());
        QVERIFY(!config->Checkbox3->isChecked() && !config->Checkbox1->isChecked() && !config->checkbox_wma->isChecked());
        QCOMPARE(config->RxSpinEdit7->value(), 3000);
        QCOMPARE(config->RxSpinEdit1->value(), 20);
        QCOMPARE(m->tempo_fade, 6000);
        QVERIFY(!m->bsSkinCheckRadioBox1->isChecked());
        for (QSlider *b : m->bandas)
            QCOMPARE(b->value(), 10);
        QCOMPARE(m->device_transmissao, qint16(1));
        QCOMPARE(m->device_cue, qint16(1));
        QCOMPARE(m->deck_a->canal->Device, 1);

        fecha_com_ok();
        QByteArray esperado = "CAPTURAGR=0\r\nAUTOMIXAR=1\r\nWAV=0\r\nMP3=1\r\nOGG=0\r\nWMA=0\r\nCLIPS=0\r\n"
                              "TEMPO_MIX=3000\r\nGRAFICO01=0\r\nGRAFICO02=0\r\nDEVICE_TRANSMISSAO=1\r\nDEVICE_CUE=1\r\n"
                              "ATIVA_SENSOR=1\r\nVLR_SENSOR=20\r\nDRIVE=" + QByteArray::number(m->acervo->DriveComboBox1->count() > 1 ? 1 : -1)
                              + "\r\nBUFFERS=1000\r\nFADE=6000\r\nBT_CAPTURAGR=0\r\nEQ_ATIVA=0\r\nEQ_VOLUME=75\r\n";
        for (int b = 1; b <= 10; ++b)
            esperado += QString("EQ_BANDA%1=10\r\n").arg(b, 2, 10, QChar('0')).toLatin1();
        QCOMPARE(readBytes(ini()), esperado);
    }

    void everyValueSurvivesARestart()
    {
        abre_console();
        // The console's own controls, through their widgets.
        QTest::mouseClick(m->acervo->captura_geral, Qt::LeftButton);              // capture mode on
        QTest::mouseClick(m->bsSkinCheckRadioBox1, Qt::LeftButton);       // EQ on
        m->Trackbar6->setFocus();
        teclas(m->Trackbar6, Qt::Key_Down, 13);                            // 75 -> 62
        for (int b = 0; b < 10; ++b)
            teclas(m->bandas[size_t(b)], b % 2 ? Qt::Key_Up : Qt::Key_Down, b + 1);
        if (m->acervo->DriveComboBox1->count() > 1)
            QTest::keyClick(m->acervo->DriveComboBox1, Qt::Key_Up);              // entry 1 -> 0
        m->deck_a->grafico = 1;                                                  // no control sets these
        m->deck_b->grafico = 7;

        // The settings window's live controls; its fade and cards reach the console through OK.
        auto caixas = std::make_unique<Caixas>();
        NaJanela<Tform_config> naJanela([this](Tform_config *c) {
            QCOMPARE(c->ComboBox1->count(), 2);
            QCOMPARE(c->ComboBox1->itemText(1), QString("Placa virtual 2"));
            QCOMPARE(c->Label7->text(), QString("6000"));
            QTest::mouseClick(c->Checkbox3, Qt::LeftButton);
            QTest::mouseClick(c->Checkbox4, Qt::LeftButton);
            QTest::mouseClick(c->Checkbox1, Qt::LeftButton);
            QTest::mouseClick(c->checkbox_wma, Qt::LeftButton);
            teclas(c->RxSpinEdit7, Qt::Key_Up, 12);                          // 3000 -> 4200
            teclas(c->RxSpinEdit1, Qt::Key_Down, 1);                         // 20 -> 15
            teclas(c->TrackBar1, Qt::Key_PageUp, 5);
            teclas(c->TrackBar1, Qt::Key_Up, 7);
            QTest::keyClick(c->ComboBox1, Qt::Key_Down);                     // music on card 2
            QTest::mouseClick(c->BitBtn1, Qt::LeftButton);
        });
        QTest::mouseClick(m->acervo->SRColorButton2, Qt::LeftButton);
        QVERIFY(naJanela.vista);
        const int fade = 6000 + 5 * config->TrackBar1->pageStep() + 7;
        QCOMPARE(m->tempo_fade, fade);
        // A changed card needs a restart: told, confirmed, saved and closed.
        QCOMPARE(caixas->textos, (QStringList{"O Velarix precisa ser Fechado para ser Atualizado",
                                              "Deseja Sair do Quorvanti Velarix ??"}));
        caixas.reset();
        QVERIFY(!m->isVisible());
        QVERIFY(!config->isVisible());
        QVERIFY(readBytes(ini()).contains("DEVICE_TRANSMISSAO=2\r\n"));
        // The players keep their cards until the next start.
        QCOMPARE(m->deck_a->canal->Device, 1);
        const int drive = m->acervo->DriveComboBox1->currentIndex();
        fecha_console();

        // The second console shows what the first one was left with. Auto Mix goes last, and
        // through a plain close: switching it off also switches "Sensibilidade" off and locks
        // the spin edits.
        abre_console();
        QCOMPARE(m->deck_a->canal->Device, 2);
        QCOMPARE(m->acervo->canal_00->Device, 1);
        QCOMPARE(m->device_transmissao, qint16(2));
        QVERIFY(m->acervo->captura_geral->isChecked());
        QVERIFY(m->bsSkinCheckRadioBox1->isChecked());
        QCOMPARE(m->Trackbar6->value(), 62);
        for (int b = 0; b < 10; ++b)
            QCOMPARE(m->bandas[size_t(b)]->value(), b % 2 ? std::min(20, 10 + b + 1) : 10 - (b + 1));
        QCOMPARE(m->acervo->DriveComboBox1->currentIndex(), drive);
        QCOMPARE(m->deck_a->grafico, qint16(1));
        QCOMPARE(m->deck_b->grafico, qint16(7));
        QVERIFY(config->Checkbox3->isChecked());
        QVERIFY(!config->Checkbox4->isChecked());
        QVERIFY(config->Checkbox1->isChecked());
        QVERIFY(config->checkbox_wma->isChecked());
        QCOMPARE(config->RxSpinEdit7->value(), 4200);
        QCOMPARE(config->RxSpinEdit1->value(), 15);
        QCOMPARE(m->tempo_fade, fade);
        QVERIFY(m->LEDButton1->isChecked());
        QTest::mouseClick(m->LEDButton1, Qt::LeftButton);
        QVERIFY(!m->LEDButton2->isChecked());
        fecha_com_ok();
        fecha_console();

        abre_console();
        QVERIFY(!m->LEDButton1->isChecked());
        QVERIFY(!m->LEDButton2->isChecked());
        QCOMPARE(m->Trackbar6->value(), 62);
        QCOMPARE(m->device_transmissao, qint16(2));
        QCOMPARE(config->RxSpinEdit7->value(), 4200);
        const QByteArray gravado = readBytes(ini());
        QCOMPARE(gravado.count("\r\n"), 30);
        QVERIFY(gravado.startsWith("CAPTURAGR=1\r\nAUTOMIXAR=0\r\nWAV=1\r\nMP3=0\r\nOGG=1\r\nWMA=1\r\nCLIPS=0\r\nTEMPO_MIX=4200\r\n"));
    }

    void badValueInTheMiddle()
    {
        writeBytes(ini(), "xx AUTOMIXAR=0\nGRAFICO01=1\nVLR_SENSOR=5\nFADE=abc\nBT_CAPTURAGR=0\nEQ_VOLUME=30\n"
                          "EQ_BANDA01=3\nOGG=1\nTEMPO_MIX=900\n");
        {
            Caixas caixas;
            abre_console();
            QCOMPARE(caixas.textos,
                     QStringList{"Erro na Leitura (INI)\rFeche o Velarix e execute novamente\rPara atualização dos dados"});
        }
        // Before the bad value: read (a key inside another line still counts, a low value is raised).
        QVERIFY(!m->LEDButton1->isChecked());
        QCOMPARE(m->deck_a->grafico, qint16(1));
        QCOMPARE(config->RxSpinEdit1->value(), 10);
        // From it on: the values from before the reading.
        QCOMPARE(m->tempo_fade, 5000);
        QVERIFY(m->acervo->captura_geral->isChecked());
        QCOMPARE(m->Trackbar6->value(), 100);
        QCOMPARE(m->bandas[0]->value(), 10);
        QVERIFY(!config->Checkbox1->isChecked());
        // The mix time has its own check, after the reading.
        QCOMPARE(config->RxSpinEdit7->value(), 900);
        // Players, shortcuts and the rest of the sequence went on.
        QVERIFY(m->deck_a->canal->EndTimer && m->acervo->canal_00->EndTimer && m->cartucheira->canal_atalho->EndTimer);
        fecha_console();

        writeBytes(ini(), "TEMPO_MIX=tres mil\nFADE=7000\n");
        Caixas caixas;
        abre_console();
        QCOMPARE(caixas.textos.size(), 1);
        QCOMPARE(config->RxSpinEdit7->value(), 3000);
        QCOMPARE(m->tempo_fade, 7000);
    }

    void unreadableFileKeepsTheDefaultsAndIsNotReplacedUnseen()
    {
        QVERIFY(QDir().mkpath(ini()));
        {
            Caixas caixas;
            abre_console();
            QCOMPARE(caixas.textos.size(), 1);
            QVERIFY2(caixas.textos[0].startsWith("Não foi possível ler o arquivo de configuração"), qPrintable(caixas.textos[0]));
        }
        QVERIFY(!m->acervo->captura_geral->isChecked());
        QCOMPARE(m->Trackbar6->value(), 75);
        QCOMPARE(m->tempo_fade, 6000);
        // A close that cannot write says so, and the program still closes.
        Caixas caixas;
        QVERIFY(m->close());
        QCOMPARE(caixas.textos, (QStringList{"Deseja Sair do Quorvanti Velarix ??", "Erro ao Gravar arquivo do sistema"}));
        QVERIFY(QFileInfo(ini()).isDir());
        QDir(ini()).removeRecursively();
    }

    void cardThatIsGoneFallsBackToTheFirst()
    {
        writeBytes(ini(), "DEVICE_TRANSMISSAO=9\r\nDEVICE_CUE=2\r\n");
        {
            Caixas caixas;
            abre_console();
            QCOMPARE(caixas.textos, QStringList{"Inicialização da Device com Problemas"});
        }
        QCOMPARE(m->device_transmissao, qint16(9));
        QCOMPARE(m->deck_a->canal->Device, 1);
        QCOMPARE(m->cartucheira->canal_atalho->Device, 1);
        QCOMPARE(m->cartucheira->canal_cartucho[9]->Device, 1);
        QCOMPARE(m->acervo->canal_00->Device, 2);

        // The music is heard on card 1, not on the listening card.
        fillDeck(*m, 1, {tone("queda.wav", 1000, 3.0, 44100, 2, 0.5)});
        m->deck_a->lista->setCurrentRow(0);
        m->ListBox1Click();
        const qint64 um = tamanho(1), dois = tamanho(2);
        QTest::mouseClick(m->deck_a->tocar, Qt::LeftButton);
        QVERIFY(m->deck_a->canal->Playing);
        QTest::qWait(1200);
        const Medida musica = mede(1, um, 1000), escuta = mede(2, dois, 1000);
        QVERIFY2(musica.tom > 0.2, qPrintable(QString::number(musica.tom)));
        QVERIFY2(escuta.rms < 0.01, qPrintable(QString::number(escuta.rms)));

        // Pre-listening with Cue off goes to the music card: the first, standing in for it.
        m->acervo->biblioteca->setLines({"PREVIA.WAV#" + tone("previa.wav", 700, 3.0, 44100, 2, 0.5)});
        m->acervo->StringGrid1->setCurrentIndex(m->acervo->biblioteca->index(0, LibraryModel::TitleColumn));
        QVERIFY(!m->acervo->cue_ativo);
        {
            Caixas caixas;
            QTest::mouseClick(m->acervo->bitbtn21, Qt::LeftButton);
            QVERIFY(m->acervo->canal_00->Playing);
            QCOMPARE(caixas.textos, QStringList());
        }
        QCOMPARE(m->acervo->canal_00->Device, 1);
        m->acervo->BitBtn23Click();

        // The settings window shows no music card and OK keeps the saved number.
        NaJanela<Tform_config> naJanela([](Tform_config *c) {
            QCOMPARE(c->ComboBox1->currentIndex(), -1);
            QCOMPARE(c->ComboBox2->currentIndex(), 1);
            QTest::mouseClick(c->BitBtn1, Qt::LeftButton);
        });
        QTest::mouseClick(m->acervo->SRColorButton2, Qt::LeftButton);
        QVERIFY(naJanela.vista);
        QVERIFY(m->isVisible());
        QCOMPARE(m->device_transmissao, qint16(9));
        fecha_com_ok();
        QVERIFY(readBytes(ini()).contains("DEVICE_TRANSMISSAO=9\r\nDEVICE_CUE=2\r\n"));
    }

    void deviceChangeAsksFirstAndCancelKeepsTheMusic()
    {
        abre_console();
        fillDeck(*m, 2, {tone("deckb.mp3", 440, 6.0)});
        m->deck_b->lista->setCurrentRow(0);
        m->ListBox2Click();
        QTest::mouseClick(m->deck_b->tocar, Qt::LeftButton);
        QVERIFY(m->deck_b->canal->Playing);
        auto ok_com = [this](std::function<void(Tform_config *)> escolhe) {
            NaJanela<Tform_config> naJanela([escolhe](Tform_config *c) {
                escolhe(c);
                QTest::mouseClick(c->BitBtn1, Qt::LeftButton);
            });
            QTest::mouseClick(m->acervo->SRColorButton2, Qt::LeftButton);
            QVERIFY(naJanela.vista);
        };
        auto tocando = [this] { return m->deck_b->canal->Playing && !m->deck_b->saindo && m->deck_b->parar->isEnabled(); };

        // Picking the card in use again is no change: nothing is asked, nothing stops.
        {
            Caixas caixas;
            ok_com([](Tform_config *c) {
                QTest::keyClick(c->ComboBox2, Qt::Key_Down);
                QTest::keyClick(c->ComboBox2, Qt::Key_Up);
            });
            QCOMPARE(caixas.textos, QStringList());
            QVERIFY(tocando());
        }

        // Another listening card is a change; the music plays on while it is asked, and on
        // after the exit is cancelled.
        Caixas caixas;
        bool tocavaAoPerguntar = false, acimaDoConsole = true;
        caixas.antes = [&](const QString &) {
            tocavaAoPerguntar = tocando();
            // Each box opens over a window of the console's and stays on top with it.
            auto *box = QApplication::activeModalWidget();
            acimaDoConsole = acimaDoConsole && box->parentWidget() && box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        };
        caixas.resposta = [](const QString &t) {
            return t.startsWith("Deseja") ? QMessageBox::Cancel : QMessageBox::Ok;
        };
        ok_com([](Tform_config *c) { QTest::keyClick(c->ComboBox2, Qt::Key_Down); });
        QCOMPARE(caixas.textos, (QStringList{"O Velarix precisa ser Fechado para ser Atualizado",
                                             "Deseja Sair do Quorvanti Velarix ??"}));
        QVERIFY(tocavaAoPerguntar);
        QVERIFY(acimaDoConsole);
        QVERIFY(tocando());
        QVERIFY(m->isVisible());
        QVERIFY(!config->isVisible());
        QVERIFY(!QFile::exists(ini()));

        // The card chosen for listening is taken at once: Cue goes down on it, not on the music card.
        QCOMPARE(m->device_cue, qint16(2));
        QTRY_VERIFY(!m->placas->escuta_na_musica() && !m->placas->escuta_falta());
        QTest::mouseClick(m->acervo->SRColorButton1, Qt::LeftButton);
        QVERIFY(m->acervo->cue_ativo);
        QCOMPARE(m->acervo->SRColorButton1->faceColor(), QColor(255, 0, 0));

        // Music moved to card 2 for the next start while the decks stay on card 1 and listening
        // goes back to card 1: that is the decks' card, so Cue comes up and says why.
        caixas.textos.clear();
        ok_com([](Tform_config *c) {
            QTest::keyClick(c->ComboBox1, Qt::Key_Down);
            QTest::keyClick(c->ComboBox2, Qt::Key_Up);
        });
        QVERIFY(tocando());
        QTRY_VERIFY(!m->acervo->cue_ativo);
        QCOMPARE(m->acervo->SRColorButton1->faceColor(), QColor(128, 128, 128));
        caixas.textos.clear();
        QTest::mouseClick(m->acervo->SRColorButton1, Qt::LeftButton);
        QVERIFY(!m->acervo->cue_ativo);
        QCOMPARE(caixas.textos.size(), 1);
        QVERIFY(caixas.textos.first().startsWith("Suas placas de escuta e transmissão"));
    }

    void settingsWindowRules()
    {
        abre_console();
        m->tempo_fade = 20000;
        NaJanela<Tform_config> primeira([](Tform_config *c) {
            QCOMPARE(c->TrackBar1->value(), 12000);
            QCOMPARE(c->Label7->text(), QString("12000"));
            // The window moves by the drag's offset, from any free point of its panel.
            const QPoint antes = c->pos();
            const QPoint em(708, 100);
            QVERIFY(c->Panel1->childAt(em) == nullptr);
            QTest::mousePress(c->Panel1, Qt::LeftButton, {}, em);
            QTest::mouseMove(c->Panel1, em + QPoint(-40, 25));
            QTest::mouseRelease(c->Panel1, Qt::LeftButton, {}, em + QPoint(-40, 25));
            QCOMPARE(c->pos(), antes + QPoint(-40, 25));
            QTest::mouseClick(c->BitBtn1, Qt::LeftButton);
        });
        QTest::mouseClick(m->acervo->SRColorButton2, Qt::LeftButton);
        QVERIFY(primeira.vista);
        QCOMPARE(m->tempo_fade, 12000);
        QVERIFY(m->isVisible());

        // Defaults then Cancel: the live controls keep the defaults, the fade does not.
        NaJanela<Tform_config> segunda([](Tform_config *c) {
            teclas(c->RxSpinEdit7, Qt::Key_Up, 3);
            QTest::mouseClick(c->Checkbox3, Qt::LeftButton);
            QTest::mouseClick(c->Checkbox4, Qt::LeftButton);
            c->MMSwitch1->setValue(3);
            QTest::mouseClick(c->BitBtn3, Qt::LeftButton);
            QCOMPARE(c->Label7->text(), QString("6000"));
            QTest::mouseClick(c->BitBtn2, Qt::LeftButton);
        });
        QTest::mouseClick(m->acervo->SRColorButton2, Qt::LeftButton);
        QVERIFY(segunda.vista);
        QCOMPARE(m->tempo_fade, 12000);
        QCOMPARE(config->RxSpinEdit7->value(), 3000);
        QVERIFY(config->Checkbox4->isChecked() && !config->Checkbox3->isChecked());
        QCOMPARE(config->MMSwitch1->value(), 1);
    }

    void shortcutPlaysOnItsKey()
    {
        const QString agudo = tone("atalho.wav", 1500, 4.0, 44100, 2, 0.5);
        const QString ausente = fixtureDir() + "/nao_existe.mp3";
        QByteArray linhas = agudo.toUtf8() + "\r\n" + ausente.toUtf8() + "\r\n";
        for (int i = 3; i <= 12; ++i)
            linhas += "\r\n";
        linhas.replace(linhas.size() - 2, 2, "/m/decima-primeira.mp3\r\n");
        writeBytes(atalhosIni(), linhas);
        abre_console();
        QCOMPARE(m->cartucheira->atalhos->entrada(1), agudo);
        m->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m.get()));

        const qint64 antes = tamanho(1);
        QTest::keyClick(m.get(), Qt::Key_1, Qt::ControlModifier);
        QVERIFY(m->cartucheira->canal_atalho->Playing);
        QCOMPARE(m->cartucheira->canal_atalho->FileName, agudo);
        QTest::qWait(1000);
        const Medida tocado = mede(1, antes, 1500);
        QVERIFY2(tocado.tom > 0.2, qPrintable(QString::number(tocado.tom)));
        QVERIFY(!m->deck_a->canal->Playing && !m->deck_b->canal->Playing);

        // A missing file is reported and does not stop the one playing.
        {
            Caixas caixas;
            QTest::keyClick(m.get(), Qt::Key_2, Qt::ControlModifier);
            QCOMPARE(caixas.textos, QStringList{"Arquivo ->" + ausente + " - Não Localizado !!"});
        }
        m->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m.get()));
        QVERIFY(m->cartucheira->canal_atalho->Playing);
        // Any shortcut stops the one playing and starts nothing.
        QTest::keyClick(m.get(), Qt::Key_1, Qt::ControlModifier);
        QVERIFY(!m->cartucheira->canal_atalho->Playing);
        const qint64 parado = tamanho(1);
        QTest::qWait(400);
        QVERIFY(tamanho(1) > parado + 8 * 4410);
        QVERIFY(mede(1, parado + 4 * 4410, 1500).tom < 0.01);
        // Ctrl+0 is the tenth, which is empty: nothing happens.
        QTest::keyClick(m.get(), Qt::Key_0, Qt::ControlModifier);
        QVERIFY(!m->cartucheira->canal_atalho->Playing);

        // OK in the settings window writes the ten entries back; the twelfth line is gone.
        NaJanela<Tform_config> naJanela([](Tform_config *c) { QTest::mouseClick(c->BitBtn1, Qt::LeftButton); });
        QTest::mouseClick(m->acervo->SRColorButton2, Qt::LeftButton);
        QVERIFY(naJanela.vista);
        const QByteArray escrito = readBytes(atalhosIni());
        QCOMPARE(escrito.count("\r\n"), 10);
        QVERIFY(escrito.startsWith(agudo.toUtf8() + "\r\n" + ausente.toUtf8() + "\r\n"));
        QVERIFY(!escrito.contains("decima-primeira"));
    }

    void aboutWindowAndTheSite()
    {
        abre_console();
        m->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m.get()));
        Navegador navegador;
        int subida = 0;
        NaJanela<Tform_about> f1([&](Tform_about *a) {
            // Above the console, which stays on top of other windows, and with the keyboard.
            QCOMPARE(a->parentWidget(), m.get());
            QVERIFY(a->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
            QTRY_COMPARE(QApplication::activeWindow(), a);
            QCOMPARE(a->ProductName->text(), QString("Quorvanti Velarix-Pro"));
            QCOMPARE(a->sistemas->text(), QString("Quorvanti Sistemas de Áudio"));
            const int inicio = a->sistemas->y();
            QVERIFY(inicio <= a->Panel3->height() && inicio > a->Panel3->height() - 5);
            QCOMPARE(a->cidade->y(), inicio + 30);
            QCOMPARE(a->Label3->y(), inicio + 110);
            QTest::qWait(1000);
            subida = inicio - a->sistemas->y();
            QCOMPARE(a->Label2->y(), a->sistemas->y() + 70);
            QTest::mouseClick(a->Label1, Qt::LeftButton);
            QTest::mouseClick(a->OKButton, Qt::LeftButton);
        });
        QTest::keyClick(m.get(), Qt::Key_F1);
        QVERIFY(f1.vista);
        // 10 pixels a second, give or take a busy machine.
        QVERIFY2(subida >= 3 && subida <= 11, qPrintable(QString::number(subida)));
        QCOMPARE(navegador.abertos, QList<QUrl>{QUrl("http://www.quorvanti.com.br")});

        // The credits wrap: a label that reached the top comes back below the first one.
        {
            Tform_about a;
            a.sistemas->move(0, 2);
            a.cidade->move(0, 1);
            a.Timer1Timer();
            QCOMPARE(a.sistemas->y(), 1);
            QCOMPARE(a.cidade->y(), 2 + 30 - 1);
            a.Timer1Timer();
            QCOMPARE(a.sistemas->y(), a.Panel3->height() - 1);
        }

        // The deck displays and the needle meters open it too, each time from the bottom.
        for (QWidget *alvo : {m->deck_a->caixa, m->deck_b->caixa, static_cast<QWidget *>(m->deck_a->medidor), static_cast<QWidget *>(m->deck_b->medidor)}) {
            NaJanela<Tform_about> clique([](Tform_about *a) {
                QVERIFY(a->sistemas->y() > a->Panel3->height() - 5);
                QTest::mouseClick(a->Label2, Qt::LeftButton);
                QTest::mouseClick(a->OKButton, Qt::LeftButton);
            });
            QTest::mouseClick(alvo, Qt::LeftButton);
            QTRY_VERIFY(clique.vista);
            QTRY_VERIFY(!QApplication::activeModalWidget());
        }
        QCOMPARE(navegador.abertos.size(), 5);

        // The site picture opens the site and puts the program away.
        QVERIFY(!m->Image1->pixmap().isNull());
        QCOMPARE(m->Image1->toolTip(), QString("VISITE NOSSO SITE:\r\nwww.quorvanti.com.br"));
        QTest::mouseClick(m->Image1, Qt::LeftButton);
        QCOMPARE(navegador.abertos.size(), 6);
        QVERIFY(m->windowState() & Qt::WindowMinimized);
    }
};

int main(int argc, char **argv)
{
    // Two cards that record what they play.
    qputenv("VELARIX_AUDIO", QFile::encodeName("record:" + gravacoes()->path() + ":2"));
    testsupport::prepareEnvironment();
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestSettingsConsole tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_settings_console.moc"

// Start-up pieces: parameters, minimum screen, time-format check, first-run rule,
// message routines, single instance (across processes) and the splash window.
#include "TestSupport.h"

#include "audio/TThreadedTimer.h"
#include "settings/DataFolder.h"
#include "settings/SingleInstance.h"
#include "settings/Startup.h"
#include "settings/funcoes.h"
#include "settings/uabertura.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QUuid>

#include <cstdio>
#include <unistd.h>

// The same executable doubles as "another copy of the program" for the single-instance
// tests: the parent starts it with VELARIX_TST_COPY set, and it never reaches the tests.
namespace {

int runAsOtherCopy(const QByteArray &mode)
{
    static int argc = 1;
    static char name[] = "tst_startup_copy";
    static char *argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    const QString all = QString::fromUtf8(mode);
    const QString role = all.section(QLatin1Char(':'), 0, 0);
    const QString key = all.section(QLatin1Char(':'), 1);
    SingleInstance instance(key);
    if (role == QLatin1String("hold")) {
        // A first copy that will be killed while holding the lock and the socket.
        std::puts(instance.claim() ? "held" : "refused");
        std::fflush(stdout);
        for (;;)
            ::pause();
    }
    if (role == QLatin1String("second")) {
        if (instance.claim())
            return 3; // wrongly believes it is first
        return instance.requestActivation(5000) ? 0 : 4;
    }
    return 5;
}

const int g_otherCopy = [] {
    const QByteArray mode = qgetenv("VELARIX_TST_COPY");
    if (!mode.isEmpty())
        ::_exit(runAsOtherCopy(mode));
    return 0;
}();

QString uniqueKey()
{
    return QStringLiteral("tst_Tform_mixer_") + QString::number(QCoreApplication::applicationPid())
           + QLatin1Char('_') + QUuid::createUuid().toString(QUuid::Id128).left(8);
}

void startCopy(QProcess &p, const QString &role, const QString &key)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("VELARIX_TST_COPY"), role + QLatin1Char(':') + key);
    p.setProcessEnvironment(env);
    p.start(QCoreApplication::applicationFilePath(), {});
}

const QString kPergunta = QStringLiteral(
    "O Formato de HORA Padrão do Windows está em modo incompatível com o VELARIX"
    "\r\rDESEJA QUE O SOFTWARE ACERTE O FORMATO PADRÃO PARA HH:mm:ss ??");

// Answers every modal message box that comes up while it lives with `botao` (OK when the
// box has no such button) and records what each one showed.
class ModalAnswer
{
public:
    explicit ModalAnswer(QMessageBox::StandardButton botao)
    {
        poll.setInterval(20);
        QObject::connect(&poll, &QTimer::timeout, [this, botao] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || box->isHidden())
                return;
            titles << box->windowTitle();
            texts << box->text();
            QAbstractButton *b = box->button(botao);
            if (!b)
                b = box->button(QMessageBox::Ok);
            if (b)
                b->click();
            else
                box->reject();
        });
        poll.start();
    }
    QStringList titles;
    QStringList texts;

private:
    QTimer poll;
};

} // namespace

class TstStartup : public QObject
{
    Q_OBJECT

    QStringList mensagens;

private slots:
    void init()
    {
        mensagens.clear();
        funcoes::setMessageHook([this](const QString &t) { mensagens << t; });
        Startup::setFormatoHora(Startup::formatoHoraPadrao());
        QFile::remove(DataFolder::filePath(QStringLiteral("lista.upd")));
    }
    void cleanup() { funcoes::setMessageHook({}); }

    void parametros_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("esperado");
        QTest::newRow("none") << QStringList() << QString();
        QTest::newRow("a b") << QStringList{"a", "b"} << QString(" a b");
        QTest::newRow("blanks kept") << QStringList{"/m/minha musica.mp3", "x"}
                                     << QString(" /m/minha musica.mp3 x");
        QTest::newRow("empty parameter") << QStringList{"a", "", "b"} << QString(" a  b");
    }
    void parametros()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, esperado);
        QCOMPARE(Startup::parametros(args), esperado);
    }

    void screenWidth()
    {
        QVERIFY(!Startup::telaAceita(QSize(1023, 768)));
        QVERIFY(!Startup::telaAceita(QSize(1023, 2000))); // height does not help
        QVERIFY(Startup::telaAceita(QSize(1024, 600)));   // nor does it hurt
        QVERIFY(Startup::verificaTela(QSize(1024, 600)));
        QVERIFY(mensagens.isEmpty());
        QVERIFY(!Startup::verificaTela(QSize(1023, 768)));
        QCOMPARE(mensagens, QStringList{QString::fromUtf8(
                                "QUORVANTI VELARIX-PRO IV  - Resolução de tela Mínima 1024x768 - "
                                "Verifique\rQuorvanti Sistemas de Áudio")});
    }

    void secondCopyNotice()
    {
        funcoes::setMessageHook({});
        ModalAnswer a(QMessageBox::Ok);
        Startup::avisaCopiaAberta();
        QCOMPARE(a.texts, QStringList{QString::fromUtf8(
                              "Quorvanti já está aberto. A cópia anterior será ativada.")});
        QCOMPARE(a.titles, QStringList{QString::fromUtf8("Quorvanti Velarix já está aberto")});
    }

    void timeFormatDefaultPasses()
    {
        QCOMPARE(Startup::formatoHora(), QStringLiteral("HH:mm:ss"));
        QVERIFY(Startup::verifica_formato_hora());
        QVERIFY(mensagens.isEmpty());
        QCOMPARE(Startup::formatoHora(), QStringLiteral("HH:mm:ss"));
    }

    void timeFormatWrongAnsweredOnTheBox_data()
    {
        QTest::addColumn<int>("botao");
        QTest::addColumn<QString>("formatoDepois");
        QTest::newRow("OK sets HH:mm:ss") << int(QMessageBox::Ok) << QString("HH:mm:ss");
        QTest::newRow("Cancel leaves it") << int(QMessageBox::Cancel) << QString("H:mm:ss");
    }
    void timeFormatWrongAnsweredOnTheBox()
    {
        QFETCH(int, botao);
        QFETCH(QString, formatoDepois);
        funcoes::setMessageHook({});
        Startup::setFormatoHora(QStringLiteral("H:mm:ss"));
        ModalAnswer a{QMessageBox::StandardButton(botao)};
        QVERIFY(!Startup::verifica_formato_hora());
        QCOMPARE(a.titles, QStringList{QStringLiteral("Zyrtan Sistemas")});
        QCOMPARE(a.texts, QStringList{kPergunta});
        QCOMPARE(Startup::formatoHora(), formatoDepois);
        if (botao == QMessageBox::Ok) {
            // After the correction the check passes without asking.
            funcoes::setMessageHook([this](const QString &t) { mensagens << t; });
            QVERIFY(Startup::verifica_formato_hora());
            QVERIFY(mensagens.isEmpty());
        }
    }

    void timeFormatUnparseable_data()
    {
        QTest::addColumn<QString>("formato");
        QTest::newRow("no seconds") << QString("HH:mm");
        QTest::newRow("dots") << QString("HH.mm.ss");
    }
    void timeFormatUnparseable()
    {
        QFETCH(QString, formato);
        Startup::setFormatoHora(formato);
        QVERIFY(!Startup::verifica_formato_hora());
        QCOMPARE(mensagens.value(0), QString::fromUtf8("Formato de Hora Inválido:") + formato);
        // Midnight in that format is not "00:00:00" either: the correction is offered.
        QCOMPARE(mensagens.value(1), kPergunta);
        QCOMPARE(mensagens.size(), 2);
        QCOMPARE(Startup::formatoHora(), formato);
    }

    void timeFormatOnlyWithoutLibrary()
    {
        QTemporaryDir pasta;
        QVERIFY(pasta.isValid());
        Startup::setFormatoHora(QStringLiteral("H:mm:ss"));

        QVERIFY(Startup::precisaVerificarFormatoHora(pasta.path()));
        QVERIFY(Startup::verificaFormatoHoraSePrimeiraVez(pasta.path()));
        QCOMPARE(mensagens, QStringList{kPergunta});

        mensagens.clear();
        QFile lista(pasta.filePath(QStringLiteral("lista.upd")));
        QVERIFY(lista.open(QIODevice::WriteOnly));
        lista.close();
        QVERIFY(!Startup::precisaVerificarFormatoHora(pasta.path()));
        QVERIFY(!Startup::verificaFormatoHoraSePrimeiraVez(pasta.path()));
        QVERIFY(mensagens.isEmpty());

        // Without a folder given, the data folder is the one looked at.
        QVERIFY(Startup::verificaFormatoHoraSePrimeiraVez());
        QCOMPARE(mensagens.size(), 1);
        mensagens.clear();
        QFile dados(DataFolder::filePath(QStringLiteral("lista.upd")));
        QVERIFY(dados.open(QIODevice::WriteOnly));
        dados.close();
        QVERIFY(!Startup::verificaFormatoHoraSePrimeiraVez());
        QVERIFY(mensagens.isEmpty());
        QCOMPARE(Startup::formatoHora(), QStringLiteral("H:mm:ss"));
    }

    void zerosEsquerda_data()
    {
        QTest::addColumn<QString>("texto");
        QTest::addColumn<int>("largura");
        QTest::addColumn<QString>("esperado");
        QTest::newRow("7 w2") << "7" << 2 << "07";
        QTest::newRow("blank 7 w2") << " 7" << 2 << "07";
        QTest::newRow("123 w2") << "123" << 2 << "123";
        QTest::newRow("blank 12 w2") << " 12" << 2 << " 12";
        QTest::newRow("slot 3 w3") << "3" << 3 << "003";
        QTest::newRow("slot 10 w3") << "10" << 3 << "010";
        QTest::newRow("two blanks") << "  5" << 3 << "005";
    }
    void zerosEsquerda()
    {
        QFETCH(QString, texto);
        QFETCH(int, largura);
        QFETCH(QString, esperado);
        QCOMPARE(funcoes::zeros_esquerda(texto, largura), esperado);
    }

    void confirmaOnRealBox_data()
    {
        QTest::addColumn<int>("botao");
        QTest::addColumn<bool>("esperado");
        QTest::newRow("Cancel") << int(QMessageBox::Cancel) << false;
        QTest::newRow("OK") << int(QMessageBox::Ok) << true;
    }
    void confirmaOnRealBox()
    {
        QFETCH(int, botao);
        QFETCH(bool, esperado);
        funcoes::setMessageHook({});
        ModalAnswer a{QMessageBox::StandardButton(botao)};
        QCOMPARE(funcoes::confirma(QStringLiteral("Deseja Sair do Quorvanti Velarix ??")), esperado);
        QCOMPARE(a.titles, QStringList{QStringLiteral("Zyrtan Sistemas")});
    }

    void singleInstanceInOneProcess()
    {
        const QString key = uniqueKey();
        SingleInstance first(key);
        QVERIFY(first.claim());
        QVERIFY(first.isFirst());
        QVERIFY(first.isListening());

        SingleInstance second(key);
        QVERIFY(!second.claim());
        QVERIFY(!second.isFirst());

        // Another key is another program: no clash.
        SingleInstance other(key + QStringLiteral("_x"));
        QVERIFY(other.claim());

        first.release();
        QVERIFY(!first.isFirst());
        QVERIFY(second.claim());
    }

    void secondCopyActivatesFirst()
    {
        const QString key = uniqueKey();
        SingleInstance first(key);
        QVERIFY(first.claim());
        QSignalSpy spy(&first, &SingleInstance::activateRequested);

        QProcess copy;
        startCopy(copy, QStringLiteral("second"), key);
        QVERIFY(copy.waitForStarted());
        QTRY_COMPARE_WITH_TIMEOUT(copy.state(), QProcess::NotRunning, 10000);
        QCOMPARE(copy.exitStatus(), QProcess::NormalExit);
        QCOMPARE(copy.exitCode(), 0); // the first copy confirmed the request
        QCOMPARE(spy.count(), 1);
    }

    void activationWithoutFirstFails()
    {
        SingleInstance lone(uniqueKey());
        QElapsedTimer t;
        t.start();
        QVERIFY(!lone.requestActivation(300));
        QVERIFY(t.elapsed() < 3000);
    }

    void staleLockDoesNotBlock()
    {
        const QString key = uniqueKey();
        QProcess holder;
        startCopy(holder, QStringLiteral("hold"), key);
        QVERIFY(holder.waitForStarted());
        QVERIFY(holder.waitForReadyRead(10000));
        QCOMPARE(holder.readLine().trimmed(), QByteArray("held"));

        // While it lives, it is the first copy.
        SingleInstance me(key);
        QVERIFY(!me.claim());

        holder.kill(); // dies without unlocking or closing its socket
        QVERIFY(holder.waitForFinished(10000));
        QVERIFY(QFile::exists(me.lockFilePath()));

        QVERIFY(me.claim());
        QVERIFY(me.isListening()); // the dead copy's socket was cleared away

        QSignalSpy spy(&me, &SingleInstance::activateRequested);
        QProcess copy;
        startCopy(copy, QStringLiteral("second"), key);
        QVERIFY(copy.waitForStarted());
        QTRY_COMPARE_WITH_TIMEOUT(copy.state(), QProcess::NotRunning, 10000);
        QCOMPARE(copy.exitCode(), 0);
        QCOMPARE(spy.count(), 1);
    }

    void splashWindow()
    {
        Tform_abertura w;
        QCOMPARE(w.objectName(), QStringLiteral("form_abertura"));
        QVERIFY(w.windowFlags().testFlag(Qt::FramelessWindowHint));
        QVERIFY(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QCOMPARE(w.cursor().shape(), Qt::WaitCursor);
        QCOMPARE(w.palette().color(QPalette::Window), QColor(Qt::black));

        auto *tempo = w.findChild<TThreadedTimer *>(QStringLiteral("tempo"));
        QVERIFY(tempo);
        QCOMPARE(tempo, w.tempo);
        QVERIFY(tempo->Enabled());
        QCOMPARE(tempo->Interval(), 3000);

        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.size(), QSize(457, 269));
        QCOMPARE(w.geometry().size(), QSize(457, 269));
        const QRect tela = w.screen()->geometry();
        QVERIFY(qAbs(w.geometry().center().x() - tela.center().x()) <= 1);
        QVERIFY(qAbs(w.geometry().center().y() - tela.center().y()) <= 1);

        // The window shows its picture, and the picture is a picture, not a flat fill.
        const QImage shown = w.grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(shown.size(), QSize(457, 269));
        QCOMPARE(shown, w.quadro().convertToFormat(QImage::Format_RGB32));
        QSet<QRgb> cores;
        for (int y = 0; y < shown.height(); y += 7)
            for (int x = 0; x < shown.width(); x += 7)
                cores.insert(shown.pixel(x, y));
        QVERIFY2(cores.size() > 50, qPrintable(QString::number(cores.size())));
        w.close();
    }

    void splashClosesAtFirstTick()
    {
        Tform_abertura w;
        w.tempo->setInterval(400);
        bool visibleBefore = false;
        QTimer::singleShot(150, &w, [&] { visibleBefore = w.isVisible(); });
        bool guardFired = false;
        QTimer::singleShot(10000, &w, [&] {
            guardFired = true;
            w.reject();
        });
        QElapsedTimer t;
        t.start();
        const int result = w.exec();
        QVERIFY(!guardFired);
        QVERIFY(visibleBefore);
        QVERIFY(t.elapsed() >= 300);
        QCOMPARE(result, int(QDialog::Accepted));
        QVERIFY(!w.isVisible());
        QVERIFY(!w.tempo->Enabled()); // one tick only
    }

    // Qt's own texts speak the console's language: the question boxes' buttons here.
    void qtTextsInPortuguese()
    {
        QVERIFY2(Startup::traduzQt(), "qtbase_pt_BR.qm not found: scripts/install-deps.sh installs it");
        QMessageBox box(QMessageBox::NoIcon, "t", "t", QMessageBox::Ok | QMessageBox::Cancel);
        QCOMPARE(box.button(QMessageBox::Cancel)->text(), QString("Cancelar"));
    }
};

VELARIX_TEST_MAIN(TstStartup)
#include "tst_startup.moc"

// The program as started from the command line: a second copy hands over to the first, a
// narrow screen is refused, a small but wide enough screen starts.
#include "ConsoleHarness.h"
#include "TestSupport.h"
#include "settings/SingleInstance.h"

#include <QElapsedTimer>
#include <QProcess>
#include <csignal>

using namespace testsupport;

class TestStartupProcess : public QObject
{
    Q_OBJECT

    static QProcessEnvironment environment(const QString &screen)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen:configfile=" + screen);
        env.insert("VELARIX_MESSAGES", "stderr");
        env.insert("VELARIX_NO_SPLASH", "1");
        env.insert("VELARIX_INSTANCE_KEY", QString("velarix-test-%1").arg(QCoreApplication::applicationPid()));
        return env;
    }

private slots:
    void secondStartActivatesTheFirstAndLeaves()
    {
        Tform_mixer console;
        SingleInstance first(QString("velarix-test-%1").arg(QCoreApplication::applicationPid()));
        QVERIFY(first.claim());
        connect(&first, &SingleInstance::activateRequested, &console, &Tform_mixer::ativa_janela);
        console.showMinimized();
        QVERIFY(console.windowState() & Qt::WindowMinimized);

        QProcess second;
        second.setProcessEnvironment(environment(screenConfig(1024, 768)));
        second.start(VELARIX_EXE, {});
        QVERIFY(second.waitForStarted());
        // The first copy keeps serving while the second one talks to it.
        QTRY_VERIFY_WITH_TIMEOUT(second.state() == QProcess::NotRunning, 15000);
        QCOMPARE(second.exitCode(), 0);
        const QString said = QString::fromUtf8(second.readAllStandardError());
        QVERIFY2(said.contains("Quorvanti já está aberto. A cópia anterior será ativada."), qPrintable(said));
        QTRY_VERIFY(!(console.windowState() & Qt::WindowMinimized));
        QVERIFY(console.isVisible());
        QVERIFY(!second.readAllStandardOutput().contains("shown"));
    }

    void narrowScreenIsRefused()
    {
        QProcess p;
        QProcessEnvironment env = environment(screenConfig(1000, 900));
        env.insert("VELARIX_STARTUP_PROBE", "0");
        p.setProcessEnvironment(env);
        p.start(VELARIX_EXE, {});
        QVERIFY(p.waitForFinished(20000));
        QCOMPARE(p.exitCode(), 0);
        QVERIFY(QString::fromUtf8(p.readAllStandardError())
                    .contains("QUORVANTI VELARIX-PRO IV  - Resolução de tela Mínima 1024x768 - Verifique"));
    }

    void wideButShortScreenStarts()
    {
        QProcess p;
        QProcessEnvironment env = environment(screenConfig(1024, 600));
        env.insert("VELARIX_STARTUP_PROBE", "1");
        p.setProcessEnvironment(env);
        p.start(VELARIX_EXE, {});
        QVERIFY(p.waitForFinished(20000));
        QCOMPARE(p.exitCode(), 0);
        QVERIFY(p.readAllStandardOutput().contains("shown"));
        QVERIFY(!p.readAllStandardError().contains("Resolução"));
    }

    // SIGTERM closes the console as its own close would, without the question; SIGINT ends the
    // command-line player.
    void endSignalsEndInOrder()
    {
        QTemporaryDir home;
        writeBytes(home.filePath("VELARIX4.INI"), "FADE=7000\r\n");
        QProcess console;
        QProcessEnvironment env = environment(screenConfig(1024, 768));
        env.insert("VELARIX_HOME", home.path());
        env.insert("VELARIX_STARTUP_PROBE", "print");
        console.setProcessEnvironment(env);
        console.start(VELARIX_EXE, {});
        // The check runs more than once per try: what was read is kept.
        QByteArray said;
        QTRY_VERIFY_WITH_TIMEOUT((said += console.readAllStandardOutput()).contains("shown"), 20000);
        QElapsedTimer t;
        t.start();
        ::kill(pid_t(console.processId()), SIGTERM);
        QVERIFY(console.waitForFinished(5000));
        QVERIFY2(t.elapsed() < 2000, qPrintable(QString::number(t.elapsed())));
        QCOMPARE(console.exitStatus(), QProcess::NormalExit);
        const QByteArray ini = readBytes(home.filePath("VELARIX4.INI"));
        QCOMPARE(ini.count("\r\n"), 30);
        QVERIFY(ini.contains("FADE=7000\r\n"));

        QProcess player;
        env.insert("VELARIX_AUDIO", "null:2");
        player.setProcessEnvironment(env);
        player.start(VELARIX_EXE, {"--play", tone("longa.wav", 440, 60)});
        said.clear();
        QTRY_VERIFY_WITH_TIMEOUT((said += player.readAllStandardError()).contains("(60 s)"), 10000);
        t.restart();
        ::kill(pid_t(player.processId()), SIGINT);
        QVERIFY(player.waitForFinished(5000));
        QVERIFY2(t.elapsed() < 2000, qPrintable(QString::number(t.elapsed())));
        QCOMPARE(player.exitStatus(), QProcess::NormalExit);
    }

    void versionAndHelpNeedNoDisplayNorSoundCard()
    {
        // A platform that cannot open and a sound driver that does not exist: anything that
        // touched either would fail or hang instead of printing.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        env.insert("VELARIX_AUDIO", "sdl");
        env.insert("SDL_AUDIODRIVER", "no-such-driver");
        for (const QString &option : {QString("--version"), QString("--help")}) {
            QProcess p;
            p.setProcessEnvironment(env);
            p.start(VELARIX_EXE, {option});
            QVERIFY(p.waitForFinished(10000));
            QCOMPARE(p.exitStatus(), QProcess::NormalExit);
            QCOMPARE(p.exitCode(), 0);
            const QString out = QString::fromUtf8(p.readAllStandardOutput());
            if (option == "--version")
                QCOMPARE(out, QString("Quorvanti Velarix-Pro 5.1.5\n"));
            else
                QVERIFY2(out.contains("velarix --version") && out.contains("velarix --help"), qPrintable(out));
            QCOMPARE(p.readAllStandardError(), QByteArray());
        }
    }
};

VELARIX_TEST_MAIN(TestStartupProcess)
#include "tst_startup_process.moc"

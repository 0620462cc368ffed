// The velarix program: the mixing console. `velarix --play FILE` is a bare command-line
// player that plays FILE on the first sound device until its end.
#include "audio/TMorvelBass.h"
#include "console/UMIXER.h"
#include "library/udir.h"
#include "lists/AutoProgramming.h"
#include "settings/EndSignals.h"
#include "settings/SingleInstance.h"
#include "settings/Startup.h"
#include "settings/about.h"
#include "settings/funcoes.h"
#include "settings/uabertura.h"
#include "settings/uform_config.h"

#include <QApplication>
#include <QScreen>
#include <QTextStream>
#include <cstdio>
#include <memory>

static int playFile(QCoreApplication &app, const QStringList &args)
{
    QTextStream err(stderr);
    if (args.isEmpty()) {
        err << "usage: velarix --play FILE\n";
        return 2;
    }
    funcoes::setMessageHook([&err](const QString &text) { err << text << "\n"; err.flush(); });
    TMorvelBass player;
    player.OpenDevice(1);
    if (!player.EndTimer)
        return 1;
    try {
        player.LoadFile(args.first());
    } catch (const audio::LoadError &e) {
        err << "Erro ao Carregar Mídia - Verifique !!\n" << e.what() << "\n";
        return 1;
    }
    if (!player.Loaded)
        return 1;
    player.OnStop = [&app](TMorvelBass *) { QMetaObject::invokeMethod(&app, "quit", Qt::QueuedConnection); };
    err << player.Title << " (" << player.GetLength() / 1000 << " s)\n";
    err.flush();
    EndSignals sinais([&app] { app.quit(); });
    player.SetPosition(0);
    player.Play();
    return app.exec();
}

int main(int argc, char **argv)
{
    // Answered before anything touches a display or a sound card, so they work anywhere.
    if (argc > 1) {
        const int codigo = Startup::respondeOpcao(QString::fromLocal8Bit(argv[1]));
        if (codigo >= 0)
            return codigo;
    }
    // The command-line player needs no display: it runs without any window system.
    if (argc > 1 && qstrcmp(argv[1], "--play") == 0) {
        QCoreApplication app(argc, argv);
        return playFile(app, app.arguments().mid(2));
    }
    QApplication app(argc, argv);
    app.setApplicationName(Startup::tituloAplicacao());
    Startup::traduzQt();
    AutoProgramming::semeiaDoRelogio();

    // Scripts and tests read the messages instead of answering boxes.
    if (qgetenv("VELARIX_MESSAGES") == "stderr")
        funcoes::setMessageHook([](const QString &text) { std::fprintf(stderr, "%s\n", qPrintable(text)); });

    const bool screenOk = Startup::verificaTela(app.primaryScreen()->size());
    // Ends the program once its message loop starts, without asking the console to close.
    if (!screenOk)
        QMetaObject::invokeMethod(&app, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);

    const QString key = qEnvironmentVariable("VELARIX_INSTANCE_KEY", SingleInstance::defaultKey());
    SingleInstance instance(key);
    if (!instance.claim()) {
        Startup::avisaCopiaAberta();
        instance.requestActivation();
        return 0;
    }

    const QString parametros = Startup::parametros();
    Startup::verificaFormatoHoraSePrimeiraVez();

    auto splash = std::make_unique<Tform_abertura>();
    if (screenOk && qgetenv("VELARIX_NO_SPLASH") != "1")
        splash->exec();

    Tform_mixer console;
    console.parametros = parametros;
    Tform_config config(&console);
    splash.reset();
    Tform_dir dir(&console);
    Tform_about about;

    QObject::connect(&instance, &SingleInstance::activateRequested, &console, &Tform_mixer::ativa_janela);
    const QByteArray probe = qgetenv("VELARIX_STARTUP_PROBE");
    if (probe == "1" || probe == "print")
        QObject::connect(&console, &Tform_mixer::consoleShown, &app, [&app, probe] {
            std::printf("shown\n");
            std::fflush(stdout);
            if (probe == "1")
                QMetaObject::invokeMethod(&app, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
        });
    EndSignals sinais([&console] { console.encerra(); });
    console.showMaximized();
    return app.exec();
}

// The velarix program. Until the console window arrives it is a command-line player:
// `velarix FILE` plays FILE on the first sound device until the end.
#include "audio/TMorvelBass.h"
#include "settings/funcoes.h"

#include <QApplication>
#include <QTextStream>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Quorvanti Velarix-Pro V"));
    QTextStream err(stderr);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty()) {
        err << "usage: velarix FILE\n";
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
    player.SetPosition(0);
    player.Play();
    return app.exec();
}

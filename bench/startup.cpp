// Start-up time: from starting the process to the console shown (its splash left out, an
// empty data folder), beside a bare Qt program that shows one empty window, in the same run.
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// The bare program: this executable started with --bare.
class Bare : public QWidget
{
protected:
    void showEvent(QShowEvent *e) override
    {
        QWidget::showEvent(e);
        std::printf("shown\n");
        std::fflush(stdout);
        QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    }
};

double timeToShown(const QString &program, const QStringList &args, const QProcessEnvironment &env)
{
    QProcess p;
    p.setProcessEnvironment(env);
    QElapsedTimer t;
    t.start();
    p.start(program, args);
    while (p.waitForReadyRead(30000))
        if (p.readAllStandardOutput().contains("shown"))
            break;
    const double ms = t.nsecsElapsed() / 1e6;
    p.waitForFinished(30000);
    return ms;
}

// Time for the program to start and leave at once: loading its shared libraries and making
// the application object, the part of start-up that no window work can shorten.
double timeToExit(const QString &program, const QStringList &args, const QProcessEnvironment &env)
{
    QProcess p;
    p.setProcessEnvironment(env);
    QElapsedTimer t;
    t.start();
    p.start(program, args);
    p.waitForFinished(30000);
    return t.nsecsElapsed() / 1e6;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && QByteArray(argv[1]) == "--bare") {
        QApplication app(argc, argv);
        Bare w;
        w.resize(1020, 716);
        w.show();
        return app.exec();
    }
    QCoreApplication app(argc, argv);
    QTemporaryDir home;
    const QString screen = home.filePath("screen.json");
    QFile f(screen);
    f.open(QIODevice::WriteOnly);
    f.write("{\"screens\":[{\"name\":\"s\",\"x\":0,\"y\":0,\"width\":1024,\"height\":768,"
            "\"logicalDpi\":96,\"logicalBaseDpi\":96,\"dpr\":1}]}");
    f.close();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen:configfile=" + screen);
    env.insert("VELARIX_HOME", home.path());
    env.insert("VELARIX_AUDIO", "null:2");
    env.insert("VELARIX_NO_SPLASH", "1");
    env.insert("VELARIX_STARTUP_PROBE", "1");
    env.insert("VELARIX_MESSAGES", "stderr");
    env.insert("VELARIX_INSTANCE_KEY", QString("velarix-bench-%1").arg(QCoreApplication::applicationPid()));

    std::vector<double> console, bare, floor;
    for (int i = 0; i < 7; ++i) {
        bare.push_back(timeToShown(QCoreApplication::applicationFilePath(), {"--bare"}, env));
        console.push_back(timeToShown(VELARIX_EXE, {}, env));
        floor.push_back(timeToExit(VELARIX_EXE, {"--play"}, env));
    }
    const double c = median(console), b = median(bare), l = median(floor);
    std::printf("bare window ms: %.1f\n", b);
    std::printf("program start and exit, no window ms: %.1f\n", l);
    std::printf("console ms: %.1f\n", c);
    std::printf("console beyond library loading ms: %.1f\n", c - l);
    std::printf("startup/bare ratio: %.2f\n", c / b);
    return 0;
}

#include "settings/DataFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace DataFolder {

QString choose(const QString &overrideDir, const QString &exeDir, bool exeDirWritable,
               const QString &userDir)
{
    if (!overrideDir.isEmpty())
        return overrideDir;
    if (!exeDir.isEmpty() && exeDirWritable)
        return exeDir;
    return userDir;
}

static QString userDataDir()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (dir.isEmpty())
        dir = QDir::homePath() + QStringLiteral("/.velarix");
    return dir;
}

QString path()
{
    const QString overrideDir = qEnvironmentVariable("VELARIX_HOME");
    QString exeDir;
    bool exeWritable = false;
    if (QCoreApplication::instance()) {
        exeDir = QCoreApplication::applicationDirPath();
        const QFileInfo info(exeDir);
        exeWritable = info.isDir() && info.isWritable();
    }
    QString dir = choose(overrideDir, exeDir, exeWritable,
                         overrideDir.isEmpty() && !exeWritable ? userDataDir() : QString());
    dir = QDir::cleanPath(QDir(dir).absolutePath());
    QDir().mkpath(dir);
    return dir;
}

QString filePath(const QString &fileName)
{
    return path() + QLatin1Char('/') + fileName;
}

} // namespace DataFolder

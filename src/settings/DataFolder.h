#pragma once
// Where the console keeps its own files (settings, library, cartridge bank, shortcuts).
#include <QString>

namespace DataFolder {

// Picks the folder from the three candidates, in order: the override (when not empty), the
// executable's folder (when it is a writable folder), the per-user folder. Pure: touches nothing.
QString choose(const QString &overrideDir, const QString &exeDir, bool exeDirWritable,
               const QString &userDir);

// The data folder: $VELARIX_HOME when set, else the executable's folder when writable,
// else the per-user application data folder. The chosen folder is created when missing.
// No trailing separator.
QString path();

// path() + "/" + fileName.
QString filePath(const QString &fileName);

} // namespace DataFolder

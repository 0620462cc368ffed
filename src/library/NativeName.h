#pragma once
// File names as the file system spells them. A name that is not valid UTF-8 (one written
// under a Latin-1 system, say) keeps each stray byte as one private-use character, so the
// name survives a QString, a UTF-8 text file and the way back to the very same bytes.
#include <QByteArray>
#include <QString>

namespace NativeName {

// The bytes for the file system: UTF-8, with each kept stray byte put back as it was.
QByteArray encode(const QString &name);
// The name for the program: valid UTF-8 decoded, every other byte kept (see above).
QString decode(const QByteArray &bytes);
// The kept bytes shown as Latin-1 letters, for titles on screen.
QString displayed(const QString &name);
// Whether the file (or folder) exists, by its file-system bytes.
bool exists(const QString &path);
// Whether it is a file (or a link to one), by its file-system bytes.
bool isFile(const QString &path);

} // namespace NativeName

#include "settings/TextFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace TextFile {

int utf8SequenceLength(const char *data, qsizetype left)
{
    const auto *p = reinterpret_cast<const unsigned char *>(data);
    const unsigned char c = p[0];
    if (c < 0x80)
        return 1;
    int n;
    char32_t cp;
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
        cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        cp = c & 0x07;
    } else {
        return 0; // stray continuation byte, C0/C1 overlong lead, or F5..FF
    }
    if (left < n)
        return 0;
    for (int i = 1; i < n; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (p[i] & 0x3F);
    }
    if ((n == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)))
        return 0;
    return n;
}

bool isValidUtf8(const char *data, qsizetype size)
{
    const char *end = data + size;
    while (data < end) {
        if (static_cast<unsigned char>(*data) < 0x80) {
            ++data;
            continue;
        }
        const int n = utf8SequenceLength(data, end - data);
        if (n == 0)
            return false;
        data += n;
    }
    return true;
}

QString fromWindows1252(const char *data, qsizetype size)
{
    // 0x80..0x9F differ from Latin-1; the rest of the code page is Latin-1.
    static const char16_t high[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
        0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    QString out(size, Qt::Uninitialized);
    QChar *d = out.data();
    for (qsizetype i = 0; i < size; ++i) {
        const unsigned char c = static_cast<unsigned char>(data[i]);
        d[i] = (c >= 0x80 && c < 0xA0) ? QChar(high[c - 0x80]) : QChar(c);
    }
    return out;
}

static bool isAscii(const char *data, qsizetype size)
{
    for (qsizetype i = 0; i < size; ++i)
        if (static_cast<unsigned char>(data[i]) >= 0x80)
            return false;
    return true;
}

QString decodeLine(const char *data, qsizetype size)
{
    if (isAscii(data, size))
        return QString::fromLatin1(data, size);
    if (isValidUtf8(data, size))
        return QString::fromUtf8(data, size);
    return fromWindows1252(data, size);
}

QStringList decodeLines(const QByteArray &bytes)
{
    QStringList lines;
    const char *data = bytes.constData();
    qsizetype size = bytes.size();
    if (size >= 3 && data[0] == '\xEF' && data[1] == '\xBB' && data[2] == '\xBF') {
        data += 3;
        size -= 3;
    }
    // A whole file that is valid UTF-8 (the common case) is checked once instead of per line.
    const bool allUtf8 = isValidUtf8(data, size);
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < size) {
        const char c = data[i];
        if (c != '\r' && c != '\n') {
            ++i;
            continue;
        }
        const qsizetype len = i - start;
        lines.append(allUtf8 ? QString::fromUtf8(data + start, len) : decodeLine(data + start, len));
        ++i;
        if (c == '\r' && i < size && data[i] == '\n')
            ++i;
        start = i;
    }
    if (start < size) {
        const qsizetype len = size - start;
        lines.append(allUtf8 ? QString::fromUtf8(data + start, len) : decodeLine(data + start, len));
    }
    return lines;
}

QByteArray encodeLines(const QStringList &lines)
{
    QByteArray out;
    qsizetype estimate = 0;
    for (const QString &line : lines)
        estimate += line.size() + 2;
    out.reserve(estimate + estimate / 8);
    for (const QString &line : lines) {
        out += line.toUtf8();
        out += "\r\n";
    }
    return out;
}

ReadStatus readLines(const QString &path, QStringList *lines, QString *error)
{
    lines->clear();
    const QFileInfo info(path);
    if (!info.exists()) {
        if (error)
            *error = QStringLiteral("File not found: %1").arg(path);
        return ReadStatus::Missing;
    }
    QFile file(path);
    if (info.isDir() || !file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = info.isDir() ? QStringLiteral("%1 is a folder").arg(path) : file.errorString();
        return ReadStatus::Unreadable;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = file.errorString();
        return ReadStatus::Unreadable;
    }
    *lines = decodeLines(bytes);
    return ReadStatus::Ok;
}

bool saveWhole(const QString &path, const std::function<bool(QIODevice &)> &fill, QString *error)
{
    QSaveFile file(path);
    // Never fall back to writing the target in place: a failure must leave it whole.
    file.setDirectWriteFallback(false);
    // Unbuffered: a failed write must show in write() itself; a buffered one could fail in
    // the flush inside commit() unnoticed and rename a cut-off file over the old one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    if (!fill(file) || file.error() != QFileDevice::NoError) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

bool writeLines(const QString &path, const QStringList &lines, QString *error)
{
    const QByteArray bytes = encodeLines(lines);
    return saveWhole(path, [&](QIODevice &file) { return file.write(bytes) == bytes.size(); }, error);
}

} // namespace TextFile

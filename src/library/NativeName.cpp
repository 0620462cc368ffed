#include "library/NativeName.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace NativeName {

namespace {
// Stray byte b (0x80..0xFF) is held as U+EE00 + b: private use, valid in any UTF-8 file.
constexpr char16_t kKept = 0xEE00;

bool isKept(char16_t c)
{
    return c >= kKept + 0x80 && c <= kKept + 0xFF;
}

// Length of the valid UTF-8 sequence at p (strict: no overlong forms, no surrogates,
// nothing past U+10FFFF), or 0.
int validSequence(const unsigned char *p, qsizetype left)
{
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
        return 0;
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
    // A real character of the kept range is kept byte by byte too, so decoding stays one to one.
    if (n == 3 && isKept(char16_t(cp)))
        return 0;
    return n;
}
} // namespace

QByteArray encode(const QString &name)
{
    bool kept = false;
    for (QChar c : name)
        kept = kept || isKept(c.unicode());
    if (!kept)
        return QFile::encodeName(name);
    QByteArray out;
    out.reserve(name.size() * 2);
    qsizetype from = 0;
    for (qsizetype i = 0; i <= name.size(); ++i) {
        if (i == name.size() || isKept(name.at(i).unicode())) {
            out += QStringView(name).mid(from, i - from).toUtf8();
            if (i < name.size())
                out += char(name.at(i).unicode() - kKept);
            from = i + 1;
        }
    }
    return out;
}

QString decode(const QByteArray &bytes)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype n = bytes.size();
    QString out;
    out.reserve(n);
    qsizetype run = 0; // start of the current run of valid UTF-8
    for (qsizetype i = 0; i < n;) {
        const int len = validSequence(p + i, n - i);
        if (len > 0) {
            i += len;
            continue;
        }
        out += QString::fromUtf8(bytes.constData() + run, i - run);
        out += QChar(char16_t(kKept + p[i]));
        run = ++i;
    }
    out += QString::fromUtf8(bytes.constData() + run, n - run);
    return out;
}

QString displayed(const QString &name)
{
    QString out = name;
    for (QChar &c : out)
        if (isKept(c.unicode()))
            c = QChar(char16_t(c.unicode() - kKept));
    return out;
}

bool exists(const QString &path)
{
#ifdef Q_OS_UNIX
    struct stat st;
    return !path.isEmpty() && ::stat(encode(path).constData(), &st) == 0;
#else
    return QFileInfo::exists(path);
#endif
}

} // namespace NativeName

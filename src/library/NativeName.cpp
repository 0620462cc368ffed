#include "library/NativeName.h"
#include "settings/TextFile.h"

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

// Length of the valid UTF-8 sequence at p, or 0. A real character of the kept range is kept
// byte by byte too, so decoding stays one to one.
int validSequence(const char *p, qsizetype left)
{
    const int n = TextFile::utf8SequenceLength(p, left);
    if (n == 3) {
        const auto *u = reinterpret_cast<const unsigned char *>(p);
        if (isKept(char16_t(((u[0] & 0x0F) << 12) | ((u[1] & 0x3F) << 6) | (u[2] & 0x3F))))
            return 0;
    }
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
        const int len = validSequence(bytes.constData() + i, n - i);
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

bool isFile(const QString &path)
{
#ifdef Q_OS_UNIX
    struct stat st;
    return !path.isEmpty() && ::stat(encode(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
#else
    return QFileInfo(path).isFile();
#endif
}

} // namespace NativeName

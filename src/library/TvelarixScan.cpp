#include "library/TvelarixScan.h"

#include "library/NativeName.h"

#include <QCollator>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMetaMethod>
#include <QStorageInfo>

#include <algorithm>
#include <numeric>
#include <string>
#include <vector>

#ifdef Q_OS_UNIX
#include <dirent.h>
#include <sys/stat.h>
#endif
#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <sys/vfs.h>
// Older C libraries lack the names of these statx fields.
static constexpr unsigned kStatxMountId = 0x1000U;       // STATX_MNT_ID
static constexpr quint64 kStatxMountRoot = 0x2000ULL;    // STATX_ATTR_MOUNT_ROOT
#endif

static inline bool isSep(QChar c)
{
#ifdef Q_OS_WIN
    return c == QLatin1Char('\\') || c == QLatin1Char('/');
#else
    return c == QLatin1Char('/');
#endif
}

TvelarixScan::TvelarixScan(QObject *parent)
    : QObject(parent)
    , m_about(QStringLiteral("Quorvanti Velarix - varredura de mídia"))
{
}

void TvelarixScan::Cancel()
{
    m_cancel.store(true, std::memory_order_relaxed);
}

int TvelarixScan::folderDepth(const QString &folder, const QString &volumeRoot)
{
    QString f = QDir::fromNativeSeparators(folder);
    QString root = QDir::fromNativeSeparators(volumeRoot);
    if (!root.endsWith(QLatin1Char('/')))
        root += QLatin1Char('/');
    if (!f.endsWith(QLatin1Char('/')))
        f += QLatin1Char('/');
    QStringView rest(f);
    if (f.startsWith(root))
        rest = rest.mid(root.size());
    else if (f.startsWith(QLatin1Char('/')))
        rest = rest.mid(1); // not under the given root: count from the top
    return int(rest.count(QLatin1Char('/'))) + 1;
}

QString TvelarixScan::volumeRootOf(const QString &path)
{
    QString root = QStorageInfo(path).rootPath();
    if (root.isEmpty())
        root = QDir::rootPath();
    root = QDir::toNativeSeparators(root);
    if (!isSep(root.back()))
        root += QDir::separator();
    return root;
}

static inline char16_t fold(char16_t c)
{
    if (c < 0x80)
        return (c >= 'A' && c <= 'Z') ? char16_t(c + 32) : c;
    if (QChar::isSurrogate(c))
        return c;
    return char16_t(QChar::toCaseFolded(char32_t(c)));
}

bool TvelarixScan::matchesPattern(QStringView name, QStringView pattern)
{
    // The usual "*.ext": one star in front of a plain tail is a suffix test.
    if (pattern.size() > 1 && pattern[0] == QLatin1Char('*')
        && !pattern.mid(1).contains(QLatin1Char('*')) && !pattern.mid(1).contains(QLatin1Char('?'))) {
        const QStringView tail = pattern.mid(1);
        if (name.size() < tail.size())
            return false;
        const QStringView end = name.right(tail.size());
        for (qsizetype i = 0; i < tail.size(); ++i)
            if (fold(end[i].unicode()) != fold(tail[i].unicode()))
                return false;
        return true;
    }
    // Iterative glob with one back-track point per star.
    qsizetype n = 0, p = 0, starP = -1, starN = 0;
    const qsizetype nl = name.size(), pl = pattern.size();
    while (n < nl) {
        if (p < pl && pattern[p] == QLatin1Char('*')) {
            starP = p++;
            starN = n;
        } else if (p < pl && (pattern[p] == QLatin1Char('?')
                              || fold(pattern[p].unicode()) == fold(name[n].unicode()))) {
            ++p;
            ++n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pl && pattern[p] == QLatin1Char('*'))
        ++p;
    return p == pl;
}

QString TvelarixScan::resultLine(const QString &folder, const QString &name)
{
#ifdef Q_OS_WIN
    return (name + QLatin1Char('#') + folder + name).toUpper();
#else
    // The title is shown upper-cased; the path keeps its spelling, or a case-sensitive
    // file system could not open it again.
    return NativeName::displayed(name).toUpper() + QLatin1Char('#') + folder + name;
#endif
}

// The C locale's case-insensitive collation compares simply case-folded code points; a
// folded key per line lets the sort compare plain numbers instead of folding on every compare.
static std::u32string foldedKey(const QString &s)
{
    std::u32string key;
    key.reserve(size_t(s.size()));
    const QChar *p = s.constData();
    const QChar *end = p + s.size();
    while (p < end) {
        char32_t c = p->unicode();
        if (c < 0x80) {
            key.push_back((c >= 'A' && c <= 'Z') ? c + 32 : c);
            ++p;
            continue;
        }
        if (QChar::isHighSurrogate(c) && p + 1 < end && p[1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(char16_t(c), p[1].unicode());
            ++p;
        }
        key.push_back(QChar::toCaseFolded(c));
        ++p;
    }
    return key;
}

void TvelarixScan::sortLines(QStringList &lines, const QLocale &locale)
{
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    const qsizetype n = lines.size();
    std::vector<int> order(static_cast<size_t>(n));
    std::iota(order.begin(), order.end(), 0);
    if (collator.locale().language() == QLocale::C) {
        std::vector<std::u32string> keys;
        keys.reserve(size_t(n));
        for (const QString &line : std::as_const(lines))
            keys.push_back(foldedKey(line));
        std::stable_sort(order.begin(), order.end(),
                         [&](int a, int b) { return keys[size_t(a)] < keys[size_t(b)]; });
    } else {
        // One key per line; comparing keys is far cheaper than collating pairs.
        std::vector<QCollatorSortKey> keys;
        keys.reserve(size_t(n));
        for (const QString &line : std::as_const(lines))
            keys.push_back(collator.sortKey(line));
        std::stable_sort(order.begin(), order.end(),
                         [&](int a, int b) { return keys[size_t(a)].compare(keys[size_t(b)]) < 0; });
    }
    QStringList sorted;
    sorted.reserve(n);
    for (int i : order)
        sorted.append(std::move(lines[i]));
    lines = std::move(sorted);
}

TvelarixScan::FolderIdentity TvelarixScan::identify(const QString &folder)
{
    FolderIdentity id;
#ifdef Q_OS_LINUX
    struct statx sx;
    if (::statx(AT_FDCWD, NativeName::encode(folder).constData(), AT_SYMLINK_NOFOLLOW,
                STATX_BASIC_STATS | kStatxMountId, &sx) == 0) {
        id.known = true;
        id.device = (quint64(sx.stx_dev_major) << 32) | sx.stx_dev_minor;
        id.hasMount = (sx.stx_mask & kStatxMountId) != 0;
        id.mount = sx.stx_mnt_id;
        id.mountRoot = (sx.stx_attributes_mask & kStatxMountRoot) && (sx.stx_attributes & kStatxMountRoot);
        return id;
    }
#endif
#ifdef Q_OS_UNIX
    struct stat st;
    if (::lstat(NativeName::encode(folder).constData(), &st) == 0) {
        id.known = true;
        id.device = quint64(st.st_dev);
    }
#else
    Q_UNUSED(folder);
#endif
    return id;
}

bool TvelarixScan::staysOnVolume(const FolderIdentity &start, const FolderIdentity &sub)
{
    if (!start.known)
        return true; // nothing to compare with: the platform tells nothing
    if (!sub.known || sub.device != start.device || sub.mountRoot)
        return false;
    return !(start.hasMount && sub.hasMount) || sub.mount == start.mount;
}

bool TvelarixScan::isPseudoFileSystem(const QString &folder)
{
#ifdef Q_OS_LINUX
    struct statfs fs;
    if (::statfs(NativeName::encode(folder).constData(), &fs) != 0)
        return false;
    switch (static_cast<unsigned long>(fs.f_type)) {
    case 0x9fa0:     // proc
    case 0x62656572: // sysfs
    case 0x1cd1:     // devpts
    case 0x27e0eb:   // cgroup
    case 0x63677270: // cgroup2
    case 0x64626720: // debugfs
    case 0x74726163: // tracefs
    case 0x73636673: // securityfs
    case 0x62656570: // configfs
    case 0x6165676c: // pstore
    case 0xcafe4a11: // bpf
    case 0x19800202: // mqueue
    case 0x42494e4d: // binfmt_misc
    case 0x65735543: // fusectl
    case 0xde5e81e4: // efivarfs
    case 0x958458f6: // hugetlbfs
    case 0x0187:     // autofs
    case 0x6e736673: // nsfs
        return true;
    default:
        break;
    }
    // devtmpfs reports itself as tmpfs: known by where it sits.
    const QString f = QDir::cleanPath(folder);
    return f == QLatin1String("/dev") || f.startsWith(QLatin1String("/dev/"));
#else
    Q_UNUSED(folder);
    return false;
#endif
}

static bool hasLineBreak(const char *name)
{
    for (const char *p = name; *p; ++p)
        if (*p == '\r' || *p == '\n')
            return true;
    return false;
}

const QVector<TvelarixScan::Entry> &TvelarixScan::listing(const QString &folder)
{
    auto it = m_listings.find(folder);
    if (it != m_listings.end())
        return *it;
    QVector<Entry> entries;
#ifdef Q_OS_UNIX
    const QByteArray encoded = NativeName::encode(folder);
    if (DIR *dir = ::opendir(encoded.constData())) {
        while (const dirent *d = ::readdir(dir)) {
            const char *nm = d->d_name;
            if (nm[0] == '.' && (nm[1] == 0 || (nm[1] == '.' && nm[2] == 0)))
                continue;
            if (hasLineBreak(nm)) {
                ++m_skipped;
                continue;
            }
            bool isDir = d->d_type == DT_DIR;
            if (d->d_type == DT_UNKNOWN) {
                struct stat st;
                if (::lstat((encoded + nm).constData(), &st) == 0)
                    isDir = S_ISDIR(st.st_mode);
            }
            // Links to folders are listed like any entry but not entered: no loops. Nor is
            // a folder on another volume, or one where another volume is mounted.
            const QString name = NativeName::decode(QByteArray(nm));
            if (isDir)
                isDir = staysOnVolume(m_start, identify(folder + name));
            entries.append({name, isDir});
        }
        ::closedir(dir);
    }
#else
    QDirIterator di(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (di.hasNext()) {
        di.next();
        const QFileInfo fi = di.fileInfo();
        if (fi.fileName().contains(QLatin1Char('\r')) || fi.fileName().contains(QLatin1Char('\n'))) {
            ++m_skipped;
            continue;
        }
        entries.append({fi.fileName(), fi.isDir() && !fi.isSymLink()});
    }
#endif
    return *m_listings.insert(folder, std::move(entries));
}

void TvelarixScan::folderStep(const QString &folder, int depth, const QString &pattern)
{
    // Held by value (shared, no copy): subfolder steps insert into the listing cache.
    const QVector<Entry> entries = listing(folder);
    for (const Entry &e : entries) {
        if (!matchesPattern(e.name, pattern))
            continue;
        if (m_progress)
            m_progress(int(m_result.size()));
        m_result.append(resultLine(folder, e.name));
        if (m_reportFound)
            emit OnFileFound(folder + e.name);
        if (isCancelled())
            break;
    }
    if (!m_subDirectories || depth > m_xnivel)
        return;
    for (const Entry &e : entries) {
        if (e.isDir) {
            if (m_progress)
                m_progress(int(m_result.size()));
            folderStep(folder + e.name + QDir::separator(), depth + 1, pattern);
        }
        if (isCancelled())
            break;
    }
}

void TvelarixScan::Scan()
{
    m_cancel.store(false, std::memory_order_relaxed);
    m_result = QStringList();
    m_listings.clear();
    m_skipped = 0;
    m_reportFound = isSignalConnected(QMetaMethod::fromSignal(&TvelarixScan::OnFileFound));

    QString start = QDir::toNativeSeparators(m_filePath);
    if (!start.isEmpty() && !isSep(start.back()))
        start += QDir::separator();
    m_start = identify(start);
    if (!start.isEmpty() && !isPseudoFileSystem(start)) {
        const QString root = m_volumeRoot.isEmpty() ? volumeRootOf(start) : m_volumeRoot;
        const int depth = folderDepth(start, root);
        for (const QString &filter : std::as_const(m_searchFilter)) {
            if (m_progress)
                m_progress(int(m_result.size()));
            // Only the file-name part of a pattern counts.
            qsizetype cut = filter.size();
            while (cut > 0 && !isSep(filter.at(cut - 1)))
                --cut;
            const QString pattern = filter.mid(cut);
            if (pattern.isEmpty())
                continue;
            // After a cancel each later pattern still handles its first entry, then stops.
            folderStep(start, depth, pattern);
        }
    }
    m_listings.clear();
    sortLines(m_result);
    emit OnReady(m_result);
}

QString VolumeEntry::text() const
{
    return rootPath + QStringLiteral(" [") + label + QLatin1Char(']');
}

QVector<VolumeEntry> mountedVolumes()
{
    QVector<VolumeEntry> out;
    const QList<QStorageInfo> volumes = QStorageInfo::mountedVolumes();
    for (const QStorageInfo &v : volumes) {
        if (!v.isValid() || !v.isReady())
            continue;
        QString root = QDir::toNativeSeparators(v.rootPath());
        if (root.isEmpty())
            continue;
        if (!isSep(root.back()))
            root += QDir::separator();
        out.append({root, v.name()});
    }
    return out;
}

QString volumeRootFromText(const QString &entryText)
{
    // The root ends with a separator and is followed by " [label]".
    for (qsizetype i = entryText.indexOf(QStringLiteral(" [")); i > 0;
         i = entryText.indexOf(QStringLiteral(" ["), i + 1)) {
        if (isSep(entryText.at(i - 1)))
            return entryText.left(i);
    }
    return entryText;
}

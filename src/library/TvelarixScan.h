#pragma once
// The file scanner behind the library capture, and the volume list of the drive selector.
#include <QHash>
#include <QLocale>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>

#include <atomic>
#include <functional>

class TvelarixScan : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString FilePath READ FilePath WRITE setFilePath)
    Q_PROPERTY(QStringList SearchFilter READ SearchFilter WRITE setSearchFilter)
    Q_PROPERTY(bool SubDirectories READ SubDirectories WRITE setSubDirectories)
    Q_PROPERTY(QString About READ About WRITE setAbout)
    Q_PROPERTY(quint16 xnivel READ xnivel WRITE setXnivel)
public:
    // Called before every entry the scan handles (and before each pattern) with the number of
    // lines found so far. The console processes pending events here, so a click on the
    // capture button can call Cancel() in the middle of a scan.
    using Progress = std::function<void(int found)>;

    explicit TvelarixScan(QObject *parent = nullptr);

    QString FilePath() const { return m_filePath; }
    void setFilePath(const QString &path) { m_filePath = path; }
    QStringList SearchFilter() const { return m_searchFilter; }
    void setSearchFilter(const QStringList &patterns) { m_searchFilter = patterns; }
    bool SubDirectories() const { return m_subDirectories; }
    void setSubDirectories(bool on) { m_subDirectories = on; }
    QString About() const { return m_about; }
    void setAbout(const QString &) {} // fixed text
    quint16 xnivel() const { return m_xnivel; }
    void setXnivel(quint16 limit) { m_xnivel = limit; }

    // The volume root that folder depths count from. Empty (the default): the root of the
    // mounted volume holding FilePath.
    QString volumeRoot() const { return m_volumeRoot; }
    void setVolumeRoot(const QString &root) { m_volumeRoot = root; }

    void setProgressCallback(Progress progress) { m_progress = std::move(progress); }

    // The sorted lines NAME#FOLDERNAME of the last scan.
    QStringList SearchResult() const { return m_result; }
    // Names the last scan left out because they hold a line break (they would split a
    // library line).
    int skippedNames() const { return m_skipped; }
    bool isCancelled() const { return m_cancel.load(std::memory_order_relaxed); }

    // Runs the whole search; returns when it has ended by completion or by Cancel().
    void Scan();
    // Asks a running Scan to wind down; what it found so far is kept.
    void Cancel();

    // Depth of a folder as the limit counts it: separators after the volume root, plus one
    // (the volume root itself is 1).
    static int folderDepth(const QString &folder, const QString &volumeRoot);
    // Root of the mounted volume holding `path`, ending in a separator.
    static QString volumeRootOf(const QString &path);
    // Case-insensitive wildcard match ("*" any run, "?" one character).
    static bool matchesPattern(QStringView name, QStringView pattern);
    // Ascending, case-insensitive, under the locale's collation; stable.
    static void sortLines(QStringList &lines, const QLocale &locale = QLocale::system());
    // One result line for an entry `name` found in `folder` (which ends with a separator).
    static QString resultLine(const QString &folder, const QString &name);

    // Where a folder lives: its device, its mount and whether it is the root of a mount.
    struct FolderIdentity
    {
        bool known = false;
        quint64 device = 0;
        bool hasMount = false;
        quint64 mount = 0;
        bool mountRoot = false;
    };
    static FolderIdentity identify(const QString &folder);
    // A capture enters a subfolder only on the volume it started from: same device, same
    // mount, and not the root of another mount (a bind mount of the same device).
    static bool staysOnVolume(const FolderIdentity &start, const FolderIdentity &sub);
    // Kernel and device file systems (/proc, /sys, /dev and their kin) hold no music and
    // may never end; a capture never enters them.
    static bool isPseudoFileSystem(const QString &folder);

signals:
    void OnFileFound(const QString &FileName);
    void OnReady(const QStringList &SearchResult);

private:
    struct Entry
    {
        QString name;
        bool isDir; // a folder that the scan may enter
    };
    const QVector<Entry> &listing(const QString &folder);
    void folderStep(const QString &folder, int depth, const QString &pattern);

    QString m_filePath;
    QStringList m_searchFilter;
    bool m_subDirectories = true;
    QString m_about;
    quint16 m_xnivel = 5;
    QString m_volumeRoot;
    Progress m_progress;
    QStringList m_result;
    std::atomic<bool> m_cancel{false};
    int m_skipped = 0;
    FolderIdentity m_start;
    bool m_reportFound = false;
    // Each folder is read once per scan, however many patterns walk it.
    QHash<QString, QVector<Entry>> m_listings;
};

// One entry of the drive selector: a mounted volume.
struct VolumeEntry
{
    QString rootPath; // ends with a separator
    QString label;
    // "rootPath [label]"
    QString text() const;
};

// The mounted, ready volumes, in the system's order.
QVector<VolumeEntry> mountedVolumes();

// The root path of a drive selector text made by VolumeEntry::text().
QString volumeRootFromText(const QString &entryText);

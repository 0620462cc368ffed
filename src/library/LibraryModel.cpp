#include "library/LibraryModel.h"
#include "library/Search.h"

#include "library/TvelarixScan.h"
#include "settings/TextFile.h"

#include <QCollator>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <cstring>
#include <string>

LibraryModel::LibraryModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

QString LibraryModel::headerText(int column)
{
    switch (column) {
    case CounterColumn:
        return QStringLiteral("Contador");
    case TitleColumn:
        return QStringLiteral("Descrição da Música");
    case PathColumn:
        return QStringLiteral("Endereço da Música");
    default:
        return QString();
    }
}

QString LibraryModel::rowHint(const QString &path)
{
    // The text breaks its two lines with a carriage return; on screen that is a line feed.
    return path + QLatin1Char('\n')
           + QStringLiteral("Dica: Arraste a música para os canais laterais ou para mini cartucheira");
}

QString LibraryModel::initialHint()
{
    return QStringLiteral("Arraste a música desejada para os canais laterais");
}

int LibraryModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    // An empty library still shows one empty row under the header.
    return m_rows.empty() ? 1 : trackCount();
}

int LibraryModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant LibraryModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() < 0 || index.row() >= rowCount())
        return QVariant();
    const int row = index.row();
    const bool empty = row >= trackCount();
    if (role == Qt::DisplayRole || role == Qt::EditRole) {
        if (empty)
            return QString();
        switch (index.column()) {
        case CounterColumn:
            return QString::number(row + 1);
        case TitleColumn:
            return title(row);
        case PathColumn:
            return path(row);
        default:
            return QVariant();
        }
    }
    if (role == Qt::ToolTipRole)
        return empty ? initialHint() : rowHint(path(row));
    return QVariant();
}

QVariant LibraryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Vertical)
        return QVariant();
    if (section == TitleColumn && !m_titleHeader.isEmpty())
        return m_titleHeader;
    return headerText(section);
}

bool LibraryModel::setHeaderData(int section, Qt::Orientation orientation,
                                 const QVariant &value, int role)
{
    // Only the title header changes (the search grid shows how to leave search mode there).
    if (orientation != Qt::Horizontal || section != TitleColumn
        || (role != Qt::EditRole && role != Qt::DisplayRole))
        return false;
    m_titleHeader = value.toString();
    emit headerDataChanged(orientation, section, section);
    return true;
}

Qt::ItemFlags LibraryModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.row() < trackCount())
        f |= Qt::ItemIsDragEnabled;
    return f;
}

// Calls f(start, length) for every line of data[begin, size): line ends CR, LF or CR LF, a
// last line without one counts too.
template <class F>
static void forEachLine(const char *data, qint64 begin, qint64 size, F f)
{
    const char *p = data + begin;
    const char *end = data + size;
    while (p < end) {
        const char *nl = static_cast<const char *>(std::memchr(p, '\n', size_t(end - p)));
        const char *lineEnd = nl ? nl : end;
        // Lone CRs inside the stretch end lines too; a CR right before the LF is its pair.
        const char *q = p;
        for (;;) {
            const char *cr = static_cast<const char *>(std::memchr(q, '\r', size_t(lineEnd - q)));
            if (!cr) {
                f(qint64(q - data), qint64(lineEnd - q));
                break;
            }
            f(qint64(q - data), qint64(cr - q));
            q = cr + 1;
            if (q == lineEnd)
                break;
        }
        p = nl ? nl + 1 : end;
    }
}

static qint64 bomLength(const QByteArray &bytes)
{
    return bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
}

LibraryModel::Row LibraryModel::splitRow(const QByteArray &arena, qint64 start, quint32 length)
{
    const char *p = arena.constData() + start;
    const char *hash = static_cast<const char *>(std::memchr(p, '#', length));
    if (!hash)
        return {start, length, NoTitle};
    const quint32 first = quint32(hash - p);
    if (!std::memchr(hash + 1, '#', length - first - 1))
        return {start, length, first};
    // A name with "#" in it: the library file's own rule picks the split.
    const LibraryRecord r = LibraryFile::parseLine(QString::fromUtf8(p, length));
    return {start, length, quint32(r.title.toUtf8().size())};
}

QByteArrayView LibraryModel::lineBytes(int row) const
{
    const Row &r = m_rows[size_t(row)];
    return QByteArrayView(m_arena.constData() + r.start, r.length);
}

QByteArrayView LibraryModel::titleBytes(int row) const
{
    const Row &r = m_rows[size_t(row)];
    if (r.titleBytes == NoTitle)
        return QByteArrayView();
    return QByteArrayView(m_arena.constData() + r.start, r.titleBytes);
}

QByteArrayView LibraryModel::pathBytes(int row) const
{
    const Row &r = m_rows[size_t(row)];
    if (r.titleBytes == NoTitle)
        return lineBytes(row);
    return QByteArrayView(m_arena.constData() + r.start + r.titleBytes + 1, r.length - r.titleBytes - 1);
}

LibraryRecord LibraryModel::record(int row) const
{
    return {title(row), path(row)};
}

QString LibraryModel::title(int row) const
{
    if (row < 0 || row >= trackCount())
        return QString();
    const QByteArrayView b = titleBytes(row);
    return QString::fromUtf8(b.data(), b.size());
}

QString LibraryModel::path(int row) const
{
    if (row < 0 || row >= trackCount())
        return QString();
    const QByteArrayView b = pathBytes(row);
    return QString::fromUtf8(b.data(), b.size());
}

LibraryModel::LoadResult LibraryModel::load(const QString &filePath, QString *error)
{
    const QFileInfo info(filePath);
    if (!info.exists()) {
        if (error)
            *error = QStringLiteral("File not found: %1").arg(filePath);
        return LoadResult::Missing;
    }
    QFile file(filePath);
    if (info.isDir() || !file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = info.isDir() ? QStringLiteral("%1 is a folder").arg(filePath) : file.errorString();
        return LoadResult::Unreadable;
    }
    QByteArray raw = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = file.errorString();
        return LoadResult::Unreadable;
    }
    file.close();

    const qint64 begin = bomLength(raw);
    qint64 lines = 0;
    forEachLine(raw.constData(), begin, raw.size(), [&lines](qint64, qint64) { ++lines; });
    std::vector<Row> rows;
    rows.reserve(size_t(lines));
    if (TextFile::isValidUtf8(raw.constData() + begin, raw.size() - begin)) {
        // The usual case: the file's own bytes are the arena, line ends and all.
        forEachLine(raw.constData(), begin, raw.size(), [&](qint64 start, qint64 length) {
            rows.push_back(splitRow(raw, start, quint32(length)));
        });
        assign(std::move(raw), std::move(rows), Source::LibraryFile);
    } else {
        // Lines made on Windows are re-encoded, one by one, as the text file rule decodes them.
        QByteArray arena;
        arena.reserve(raw.size() + raw.size() / 4);
        forEachLine(raw.constData(), begin, raw.size(), [&](qint64 start, qint64 length) {
            const char *p = raw.constData() + start;
            const qint64 at = arena.size();
            if (TextFile::isValidUtf8(p, length))
                arena.append(p, length);
            else
                arena.append(TextFile::fromWindows1252(p, length).toUtf8());
            rows.push_back(splitRow(arena, at, quint32(arena.size() - at)));
        });
        raw = QByteArray();
        assign(std::move(arena), std::move(rows), Source::LibraryFile);
    }
    m_filePath = filePath;
    return LoadResult::Loaded;
}

void LibraryModel::setLines(const QStringList &lines, Source source)
{
    QByteArray arena;
    std::vector<Row> rows;
    rows.reserve(size_t(lines.size()));
    for (const QString &line : lines) {
        const qint64 at = arena.size();
        arena.append(line.toUtf8());
        rows.push_back(splitRow(arena, at, quint32(arena.size() - at)));
    }
    assign(std::move(arena), std::move(rows), source);
}

void LibraryModel::setRecords(QVector<LibraryRecord> records, Source source)
{
    QByteArray arena;
    std::vector<Row> rows;
    rows.reserve(size_t(records.size()));
    for (const LibraryRecord &r : std::as_const(records)) {
        const qint64 at = arena.size();
        arena.append(r.title.toUtf8());
        const quint32 titleLen = quint32(arena.size() - at);
        arena.append('#');
        arena.append(r.path.toUtf8());
        rows.push_back({at, quint32(arena.size() - at), titleLen});
    }
    assign(std::move(arena), std::move(rows), source);
}

void LibraryModel::assign(QByteArray arena, std::vector<Row> rows, Source source)
{
    beginResetModel();
    m_arena = std::move(arena);
    m_rows = std::move(rows);
    m_source = source;
    if (source != Source::LibraryFile)
        m_filePath.clear();
    endResetModel();
}

void LibraryModel::setShowsLibraryFile(const QString &filePath)
{
    m_source = Source::LibraryFile;
    m_filePath = filePath;
}

void LibraryModel::clear()
{
    assign(QByteArray(), {}, Source::Empty);
}

LibraryModel::CaptureResult LibraryModel::applyCapture(const QStringList &lines,
                                                       const QString &filePath)
{
    if (lines.isEmpty()) {
        clear();
        return CaptureResult::NothingFound;
    }
    setLines(lines, Source::Other);
    // The rows already hold the file's bytes: written from them, not encoded again.
    if (!writeRows(filePath, -1, {}))
        return CaptureResult::WriteFailed;
    setShowsLibraryFile(filePath);
    return CaptureResult::Saved;
}

bool LibraryModel::fileMatchesRows(const QString &filePath) const
{
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    constexpr qint64 Chunk = 4 << 20;
    QByteArray buffer;
    size_t row = 0;
    bool same = true;
    bool first = true;
    QByteArray decoded;
    auto compare = [&](const char *data, qint64 start, qint64 length) {
        if (!same)
            return;
        if (row >= m_rows.size()) {
            same = false;
            return;
        }
        const QByteArrayView have(data + start, length);
        const QByteArrayView want = lineBytes(int(row++));
        if (have == want)
            return;
        if (TextFile::isValidUtf8(have.data(), have.size())) {
            same = false;
            return;
        }
        decoded = TextFile::fromWindows1252(have.data(), have.size()).toUtf8();
        same = QByteArrayView(decoded) == want;
    };
    for (;;) {
        const QByteArray chunk = file.read(Chunk);
        if (file.error() != QFileDevice::NoError)
            return false;
        const bool atEnd = chunk.isEmpty();
        buffer.append(chunk);
        if (first) {
            if (buffer.size() < 3 && !atEnd)
                continue;
            // Dropped once, so a first line longer than a chunk is compared without it too.
            buffer.remove(0, bomLength(buffer));
            first = false;
        }
        // Whole lines only: the stretch up to the last LF, or everything at the end.
        qint64 stop = buffer.size();
        if (!atEnd) {
            const qint64 lf = buffer.lastIndexOf('\n');
            if (lf < 0)
                continue;
            stop = lf + 1;
        }
        const char *data = buffer.constData();
        forEachLine(data, 0, stop, [&](qint64 s, qint64 l) { compare(data, s, l); });
        buffer.remove(0, stop);
        if (!same)
            return false;
        if (atEnd)
            break;
    }
    return row == m_rows.size();
}

bool LibraryModel::writeRows(const QString &filePath, int skipRow,
                             const std::vector<Insertion> &insertions, QString *error) const
{
    return TextFile::saveWhole(filePath, [&](QIODevice &file) {
        constexpr qsizetype Chunk = 1 << 20;
        QByteArray buffer;
        buffer.reserve(Chunk + 4096);
        bool ok = true;
        auto flush = [&] {
            if (ok && !buffer.isEmpty() && file.write(buffer) != buffer.size())
                ok = false;
            buffer.clear();
        };
        auto put = [&](QByteArrayView line) {
            buffer.append(line);
            buffer.append("\r\n", 2);
            if (buffer.size() >= Chunk)
                flush();
        };
        size_t k = 0;
        for (size_t row = 0; row < m_rows.size() && ok; ++row) {
            while (k < insertions.size() && insertions[k].before == qint64(row))
                put(QByteArrayView(insertions[k++].line));
            if (qint64(row) != skipRow)
                put(lineBytes(int(row)));
        }
        while (k < insertions.size())
            put(QByteArrayView(insertions[k++].line));
        flush();
        return ok;
    }, error);
}

LibraryModel::DeleteResult LibraryModel::deleteTrack(int row)
{
    // Rows from a capture that could not be saved, an empty capture or a folder listing do
    // not line up with the file: deleting "line row" there would remove an unrelated track.
    if (m_source != Source::LibraryFile || m_filePath.isEmpty())
        return DeleteResult::NotLibrary;
    const QString file = m_filePath;
    if (!QFileInfo::exists(file))
        return DeleteResult::NoFile;
    if (row < 0 || row >= trackCount())
        return DeleteResult::NoRow;
    if (!fileMatchesRows(file)) {
        // Changed on disk since it was read: delete only if that line still is the track the
        // operator sees.
        const QByteArray seen = lineBytes(row).toByteArray();
        if (load(file) != LoadResult::Loaded)
            return DeleteResult::NoFile;
        if (row >= trackCount() || lineBytes(row) != QByteArrayView(seen))
            return DeleteResult::Mismatch;
    }
    if (!writeRows(file, row, {}))
        return DeleteResult::WriteFailed;
    // The rows now are the file as written; no reload needed.
    if (m_rows.size() == 1) {
        assign(QByteArray(), {}, Source::LibraryFile);
        m_filePath = file;
        return DeleteResult::Deleted;
    }
    beginRemoveRows(QModelIndex(), row, row);
    m_rows.erase(m_rows.begin() + row);
    endRemoveRows();
    return DeleteResult::Deleted;
}

LibraryModel::AddResult LibraryModel::addTracks(const QStringList &lines, const QString &filePath,
                                                int *added, QString *error)
{
    if (added)
        *added = 0;
    // The new lines go into the file as it stands on disk.
    const bool rowsAreFile = m_source == Source::LibraryFile && m_filePath == filePath
                             && QFileInfo::exists(filePath) && fileMatchesRows(filePath);
    if (!rowsAreFile) {
        if (QFileInfo::exists(filePath)) {
            if (load(filePath, error) != LoadResult::Loaded)
                return AddResult::Unreadable;
        } else {
            assign(QByteArray(), {}, Source::LibraryFile);
            m_filePath = filePath;
        }
    }

    // Paths already in the library, or twice among the new lines, are left out.
    QSet<QByteArray> newPaths;
    QStringList fresh;
    for (const QString &line : lines) {
        const QByteArray bytes = line.toUtf8();
        const Row r = splitRow(bytes, 0, quint32(bytes.size()));
        const QByteArray p = r.titleBytes == NoTitle ? bytes : bytes.mid(r.titleBytes + 1);
        if (newPaths.contains(p))
            continue;
        newPaths.insert(p);
        fresh.append(line);
    }
    if (!newPaths.isEmpty()) {
        QSet<QByteArray> known;
        for (int row = 0; row < trackCount(); ++row) {
            const QByteArrayView p = pathBytes(row);
            const QByteArray probe = QByteArray::fromRawData(p.data(), p.size());
            if (newPaths.contains(probe))
                known.insert(QByteArray(p.data(), p.size()));
        }
        if (!known.isEmpty()) {
            fresh.removeIf([&](const QString &line) {
                const QByteArray bytes = line.toUtf8();
                const Row r = splitRow(bytes, 0, quint32(bytes.size()));
                return known.contains(r.titleBytes == NoTitle ? bytes : bytes.mid(r.titleBytes + 1));
            });
        }
    }
    if (fresh.isEmpty())
        return AddResult::NothingNew;

    // Each new line goes before the first row that sorts after it, as the capture sorts.
    TvelarixScan::sortLines(fresh);
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::vector<Insertion> insertions;
    insertions.reserve(size_t(fresh.size()));
    qint64 low = 0;
    for (const QString &line : std::as_const(fresh)) {
        qint64 lo = low, hi = trackCount();
        while (lo < hi) {
            const qint64 mid = lo + (hi - lo) / 2;
            const QByteArrayView b = lineBytes(int(mid));
            if (collator.compare(QString::fromUtf8(b.data(), b.size()), line) <= 0)
                lo = mid + 1;
            else
                hi = mid;
        }
        low = lo;
        insertions.push_back({lo, line.toUtf8()});
    }
    if (!writeRows(filePath, -1, insertions, error))
        return AddResult::WriteFailed;

    std::vector<Row> newRows;
    newRows.reserve(insertions.size());
    for (const Insertion &ins : insertions) {
        const qint64 at = m_arena.size();
        m_arena.append(ins.line);
        newRows.push_back(splitRow(m_arena, at, quint32(ins.line.size())));
    }
    if (m_rows.empty() || insertions.size() > 64) {
        std::vector<Row> merged;
        merged.reserve(m_rows.size() + newRows.size());
        size_t k = 0;
        for (size_t row = 0; row < m_rows.size(); ++row) {
            while (k < insertions.size() && insertions[k].before == qint64(row))
                merged.push_back(newRows[k++]);
            merged.push_back(m_rows[row]);
        }
        while (k < newRows.size())
            merged.push_back(newRows[k++]);
        beginResetModel();
        m_rows = std::move(merged);
        endResetModel();
    } else {
        // A few rows: inserted in place, so the grid keeps its current row and scroll.
        for (size_t k = 0; k < newRows.size(); ++k) {
            const int at = int(insertions[k].before + qint64(k));
            beginInsertRows(QModelIndex(), at, at);
            m_rows.insert(m_rows.begin() + at, newRows[k]);
            endInsertRows();
        }
    }
    m_source = Source::LibraryFile;
    m_filePath = filePath;
    if (added)
        *added = int(newRows.size());
    return AddResult::Added;
}

int LibraryModel::findTitlePrefix(const QString &prefix) const
{
    std::u16string want;
    want.reserve(size_t(prefix.size()));
    for (QChar c : prefix)
        want.push_back(c.isSurrogate() ? c.unicode() : char16_t(Search::maiuscula(c.unicode())));
    const size_t n = want.size();
    for (int row = 0; row < trackCount(); ++row) {
        const QByteArrayView t = titleBytes(row);
        const auto *p = reinterpret_cast<const unsigned char *>(t.data());
        const auto *end = p + t.size();
        size_t k = 0;
        // The title's first n UTF-16 units, upper-cased, against the prefix.
        while (k < n && p < end) {
            char32_t cp = *p;
            if (cp < 0x80) {
                ++p;
            } else {
                const int more = cp >= 0xF0 ? 3 : cp >= 0xE0 ? 2 : 1;
                cp &= 0x3F >> more;
                for (int i = 1; i <= more && p + i < end; ++i)
                    cp = (cp << 6) | (p[i] & 0x3F);
                p += more + 1;
            }
            if (cp < 0x10000) {
                if (want[k] != char16_t(Search::maiuscula(cp)))
                    break;
                ++k;
            } else {
                if (want[k] != QChar::highSurrogate(cp))
                    break;
                if (++k < n) {
                    if (want[k] != QChar::lowSurrogate(cp))
                        break;
                    ++k;
                }
            }
        }
        if (k == n)
            return row;
    }
    return -1;
}

static bool isTypeAheadChar(QChar c)
{
    const char16_t u = c.unicode();
    return u == ' ' || u == '-' || u == '.' || u == '/' || u == '=' || u == '_'
           || (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z');
}

LibraryModel::TypeAheadStep LibraryModel::typeAhead(const LibraryModel &model, int currentRow,
                                                    const QString &prefixo_busca, int key,
                                                    const QString &text)
{
    TypeAheadStep step;
    step.prefix = prefixo_busca;
    step.row = currentRow;
    if (model.title(currentRow).isEmpty()) {
        step.ignored = true;
        return step;
    }
    if (key == Qt::Key_Backspace) {
        step.prefix.chop(1);
    } else {
        QChar c;
        if (!text.isEmpty())
            c = text.at(0);
        else if (key > 0 && key < 0x80)
            c = QChar(key);
        if (c.unicode() >= 'a' && c.unicode() <= 'z')
            c = QChar(c.unicode() - 32);
        if (isTypeAheadChar(c)) {
            const int found = model.findTitlePrefix(prefixo_busca + c);
            if (found >= 0) {
                step.prefix = prefixo_busca + c;
                step.row = found;
            }
        }
    }
    step.searchText = step.prefix;
    return step;
}

#include "library/LibraryModel.h"

#include "settings/TextFile.h"

#include <QFileInfo>

#include <algorithm>

// Upper-cases one character the way a title compares against typed (ASCII) keys; characters
// whose upper case is longer than one character cannot match a typed key anyway.
static inline char16_t upperUnit(char16_t c)
{
    if (c < 0x80)
        return (c >= 'a' && c <= 'z') ? char16_t(c - 32) : c;
    if (QChar::isSurrogate(c))
        return c;
    return char16_t(QChar::toUpper(char32_t(c)));
}

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
    return m_records.isEmpty() ? 1 : int(m_records.size());
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
    const bool empty = row >= m_records.size();
    if (role == Qt::DisplayRole || role == Qt::EditRole) {
        if (empty)
            return QString();
        switch (index.column()) {
        case CounterColumn:
            return QString::number(row + 1);
        case TitleColumn:
            return m_records.at(row).title;
        case PathColumn:
            return m_records.at(row).path;
        default:
            return QVariant();
        }
    }
    if (role == Qt::ToolTipRole)
        return empty ? initialHint() : rowHint(m_records.at(row).path);
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
    if (index.row() < m_records.size())
        f |= Qt::ItemIsDragEnabled;
    return f;
}

LibraryRecord LibraryModel::record(int row) const
{
    return row >= 0 && row < m_records.size() ? m_records.at(row) : LibraryRecord();
}

QString LibraryModel::title(int row) const
{
    return row >= 0 && row < m_records.size() ? m_records.at(row).title : QString();
}

QString LibraryModel::path(int row) const
{
    return row >= 0 && row < m_records.size() ? m_records.at(row).path : QString();
}

LibraryModel::LoadResult LibraryModel::load(const QString &filePath, QString *error)
{
    QStringList lines;
    const TextFile::ReadStatus status = TextFile::readLines(filePath, &lines, error);
    if (status == TextFile::ReadStatus::Missing)
        return LoadResult::Missing;
    if (status == TextFile::ReadStatus::Unreadable)
        return LoadResult::Unreadable;
    QVector<LibraryRecord> records = LibraryFile::parseLines(lines);
    lines = QStringList(); // free the raw text before the rows are swapped in
    setRecords(std::move(records), Source::LibraryFile);
    m_filePath = filePath;
    return LoadResult::Loaded;
}

void LibraryModel::setLines(const QStringList &lines, Source source)
{
    setRecords(LibraryFile::parseLines(lines), source);
}

void LibraryModel::setRecords(QVector<LibraryRecord> records, Source source)
{
    beginResetModel();
    m_records = std::move(records);
    m_source = source;
    rebuildHeads();
    if (source != Source::LibraryFile)
        m_filePath.clear();
    endResetModel();
}

void LibraryModel::rebuildHeads()
{
    m_heads.assign(size_t(m_records.size()), {});
    for (qsizetype row = 0; row < m_records.size(); ++row) {
        const QString &t = m_records.at(row).title;
        const int len = int(std::min<qsizetype>(t.size(), HeadLength));
        auto &h = m_heads[size_t(row)];
        for (int i = 0; i < len; ++i)
            h[size_t(i)] = upperUnit(t.at(i).unicode());
        // Shorter titles keep zeros, which no typed character equals.
    }
}

void LibraryModel::setShowsLibraryFile(const QString &filePath)
{
    m_source = Source::LibraryFile;
    m_filePath = filePath;
}

void LibraryModel::clear()
{
    setRecords({}, Source::Empty);
}

LibraryModel::CaptureResult LibraryModel::applyCapture(const QStringList &lines,
                                                       const QString &filePath)
{
    if (lines.isEmpty()) {
        clear();
        return CaptureResult::NothingFound;
    }
    setLines(lines, Source::Other);
    if (!TextFile::writeLines(filePath, lines))
        return CaptureResult::WriteFailed;
    setShowsLibraryFile(filePath);
    return CaptureResult::Saved;
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
    if (row < 0)
        return DeleteResult::NoRow;
    QStringList lines;
    if (TextFile::readLines(file, &lines) != TextFile::ReadStatus::Ok)
        return DeleteResult::NoFile;
    if (row >= lines.size() || row >= m_records.size())
        return DeleteResult::NoRow;
    // The file may have been replaced since it was loaded: only delete the track the
    // operator sees.
    if (LibraryFile::parseLine(lines.at(row)) != m_records.at(row)) {
        load(file);
        return DeleteResult::Mismatch;
    }
    lines.removeAt(row);
    const bool written = TextFile::writeLines(file, lines);
    load(file);
    return written ? DeleteResult::Deleted : DeleteResult::WriteFailed;
}

int LibraryModel::findTitlePrefix(const QString &prefix) const
{
    const qsizetype n = prefix.size();
    const QChar *want = prefix.constData();
    std::array<char16_t, HeadLength> head{};
    const int checked = int(std::min<qsizetype>(n, HeadLength));
    for (int i = 0; i < checked; ++i)
        head[size_t(i)] = upperUnit(want[i].unicode());
    for (int row = 0; row < m_records.size(); ++row) {
        const auto &h = m_heads[size_t(row)];
        int i = 0;
        while (i < checked && h[size_t(i)] == head[size_t(i)])
            ++i;
        if (i < checked)
            continue;
        const QString &t = m_records.at(row).title;
        if (t.size() < n)
            continue;
        const QChar *have = t.constData();
        qsizetype k = checked;
        while (k < n && upperUnit(have[k].unicode()) == upperUnit(want[k].unicode()))
            ++k;
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

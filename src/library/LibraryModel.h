#pragma once
// The rows of the library grid `StringGrid1`: counter, title and path of every track.
// Model row r is the grid's data row r + 1 and, while the model shows the library file,
// line r of that file. A library may hold a million tracks: rows are kept as one UTF-8
// block with offsets, and a cell becomes a QString only when it is asked for.
#include <QAbstractTableModel>
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QVector>

#include <vector>

#include "library/LibraryFile.h"

class LibraryModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { CounterColumn = 0, TitleColumn = 1, PathColumn = 2, ColumnCount = 3 };

    // What the rows come from. Only rows loaded from the library file may be deleted from it.
    enum class Source { Empty, LibraryFile, Other };

    enum class LoadResult { Loaded, Missing, Unreadable };

    enum class DeleteResult {
        Deleted,        // the line was removed from the file and the rows reloaded
        NotLibrary,     // the rows are not the library file's lines: nothing written
        NoFile,         // no library file: nothing happens
        NoRow,          // header or a row past the file's last line: nothing written
        Mismatch,       // the file no longer holds this track at this line: reloaded only
        WriteFailed     // the file could not be written; reloaded from the unchanged file
    };

    // The result of one key in the grid's type-ahead.
    struct TypeAheadStep
    {
        bool ignored = false; // the current row has no title: the key does nothing
        QString prefix;       // `prefixo_busca` after the key
        int row = -1;         // the current row after the key
        QString searchText;   // what the search edit shows (the prefix); unset when ignored
    };

    explicit LibraryModel(QObject *parent = nullptr);

    static QString headerText(int column);
    // The grid's tooltip for a current row.
    static QString rowHint(const QString &path);
    static QString initialHint();

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant &value,
                       int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // Number of tracks (an empty model still shows one empty row).
    int trackCount() const { return int(m_rows.size()); }
    LibraryRecord record(int row) const;
    QString title(int row) const;
    QString path(int row) const;
    Source source() const { return m_source; }
    QString filePath() const { return m_filePath; }

    // Reads the library file into the rows. Missing or unreadable: the rows stay as they were
    // (an unreadable file's error goes to `error`). An empty file gives the empty model.
    LoadResult load(const QString &filePath, QString *error = nullptr);

    // Rows made from library lines that are not (or not yet) the file's content.
    void setLines(const QStringList &lines, Source source = Source::Other);
    void setRecords(QVector<LibraryRecord> records, Source source = Source::Other);
    // Marks the rows as being the file's lines (after they were written to it).
    void setShowsLibraryFile(const QString &filePath);
    void clear();

    enum class CaptureResult { Saved, NothingFound, WriteFailed };
    // Shows the lines a capture found and, when there is at least one, replaces the library
    // file with them. Nothing found: the rows are emptied and the file is left as it was.
    // When the file cannot be written the rows still show the lines, but no longer count as
    // the file's lines.
    CaptureResult applyCapture(const QStringList &lines, const QString &filePath);

    // "Excluir": removes the track of `row` from the library file and reloads the rows from
    // the file. Only when the rows are the file's lines and the file's line still is that track.
    DeleteResult deleteTrack(int row);

    enum class AddResult { Added, NothingNew, Unreadable, WriteFailed };
    // Adds library lines (TITLE#PATH) to the library file at `filePath`, each at its place in
    // the file's order, skipping paths the library already holds; the file is replaced
    // atomically and the rows then show it. `added` (when given) receives how many were new.
    AddResult addTracks(const QStringList &lines, const QString &filePath, int *added = nullptr,
                        QString *error = nullptr);

    // One key of the type-ahead. `key` is a Qt::Key; `text` the character it types.
    static TypeAheadStep typeAhead(const LibraryModel &model, int currentRow,
                                   const QString &prefixo_busca, int key, const QString &text);
    // The first row whose title starts with `prefix` (compared in upper case), or -1.
    int findTitlePrefix(const QString &prefix) const;

private:
    // One track: its line's bytes in the arena, and where the title ends ("#" at
    // start + titleBytes), or NoTitle for a line without "#".
    struct Row
    {
        qint64 start;
        quint32 length;
        quint32 titleBytes;
    };
    static constexpr quint32 NoTitle = 0xFFFFFFFFu;

    void assign(QByteArray arena, std::vector<Row> rows, Source source);
    static Row splitRow(const QByteArray &arena, qint64 start, quint32 length);
    QByteArrayView lineBytes(int row) const;
    QByteArrayView titleBytes(int row) const;
    QByteArrayView pathBytes(int row) const;
    // True when the file holds exactly the rows' lines, in order (read in chunks, not whole).
    bool fileMatchesRows(const QString &filePath) const;
    // A new line written before row `before` (or after the last row when it is the count).
    struct Insertion
    {
        qint64 before;
        QByteArray line;
    };
    // Writes the rows but `skipRow`, with the insertions (in row order), to the file
    // atomically, CR LF after every line.
    bool writeRows(const QString &filePath, int skipRow, const std::vector<Insertion> &insertions,
                   QString *error = nullptr) const;

    // All lines back to back as UTF-8; rows point into it. Bytes of deleted rows and line
    // ends stay until the next load.
    QByteArray m_arena;
    std::vector<Row> m_rows;
    Source m_source = Source::Empty;
    QString m_filePath;
    QString m_titleHeader;
};

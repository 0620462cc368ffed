#pragma once
// The rows of the library grid `StringGrid1`: counter, title and path of every track.
// Model row r is the grid's data row r + 1 and, while the model shows the library file,
// line r of that file.
#include <QAbstractTableModel>
#include <QString>
#include <QStringList>
#include <QVector>

#include <array>
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
    int trackCount() const { return int(m_records.size()); }
    const QVector<LibraryRecord> &records() const { return m_records; }
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

    // One key of the type-ahead. `key` is a Qt::Key; `text` the character it types.
    static TypeAheadStep typeAhead(const LibraryModel &model, int currentRow,
                                   const QString &prefixo_busca, int key, const QString &text);
    // The first row whose title starts with `prefix` (compared in upper case), or -1.
    int findTitlePrefix(const QString &prefix) const;

private:
    void rebuildHeads();

    QVector<LibraryRecord> m_records;
    // The first characters of every title, upper-cased, side by side in one block: the
    // type-ahead walks this instead of every title's own string.
    static constexpr int HeadLength = 8;
    std::vector<std::array<char16_t, HeadLength>> m_heads;
    Source m_source = Source::Empty;
    QString m_filePath;
    QString m_titleHeader;
};

#pragma once
// LED dot-matrix text display, black behind the dots; the title ticker scrolls its text
// by calling step() from its timer.
#include <QColor>
#include <QString>
#include <QVector>
#include <QWidget>

class LedDotMatrixLabel : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText)
    Q_PROPERTY(QColor dotColor READ dotColor WRITE setDotColor)
    Q_PROPERTY(QColor backgroundColor READ backgroundColor WRITE setBackgroundColor)
    Q_PROPERTY(bool showUnlitDots READ showUnlitDots WRITE setShowUnlitDots)
    Q_PROPERTY(int scrollOffset READ scrollOffset WRITE setScrollOffset)
    Q_PROPERTY(int scrollStep READ scrollStep WRITE setScrollStep)
    Q_PROPERTY(int characterColumns READ characterColumns WRITE setCharacterColumns)

public:
    explicit LedDotMatrixLabel(QWidget *parent = nullptr);

    QString text() const { return m_text; }
    void setText(const QString &text);
    QColor dotColor() const { return m_dot; }
    void setDotColor(const QColor &c);
    QColor backgroundColor() const { return m_background; }
    void setBackgroundColor(const QColor &c);
    bool showUnlitDots() const { return m_showUnlit; }
    void setShowUnlitDots(bool on);

    // How many dot columns the text has moved left: 0 puts its first column at the left
    // edge, -visibleColumns() just outside the right edge.
    int scrollOffset() const { return m_offset; }
    void setScrollOffset(int columns);
    // Dot columns moved by each step() (negative scrolls to the right).
    int scrollStep() const { return m_step; }
    void setScrollStep(int columns);
    // Width in characters that sizeHint() asks for.
    int characterColumns() const { return m_charColumns; }
    void setCharacterColumns(int count);

    // Geometry and contents of the dot grid.
    static constexpr int kRows = 7;
    qreal dotPitch() const;
    int visibleColumns() const;
    int textColumns() const { return m_columns.size(); }
    QPointF dotCenter(int column, int row) const;
    bool isDotLit(int column, int row) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

public slots:
    // Moves the text by scrollStep(); text that has left the display comes back in from
    // the other side.
    void step();
    // Puts the text just outside the right edge, ready to enter.
    void restartFromRight();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void rebuildColumns();

    QString m_text;
    QVector<quint8> m_columns; // one entry per dot column of the text, bit r = row r
    QColor m_dot;
    QColor m_background;
    bool m_showUnlit = true;
    int m_offset = 0;
    int m_step = 1;
    int m_charColumns = 26;
};

#pragma once
// Seven-segment LED number panel: the deck clocks' minute and second panels and the
// five-digit entry counters.
#include <QColor>
#include <QPolygonF>
#include <QString>
#include <QWidget>

class LedNumber : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int digitCount READ digitCount WRITE setDigitCount)
    Q_PROPERTY(int value READ value WRITE setValue)
    Q_PROPERTY(QString text READ text WRITE setText)
    Q_PROPERTY(bool leadingZeros READ leadingZeros WRITE setLeadingZeros)
    Q_PROPERTY(QColor litColor READ litColor WRITE setLitColor)
    Q_PROPERTY(QColor unlitColor READ unlitColor WRITE setUnlitColor RESET resetUnlitColor)
    Q_PROPERTY(QColor backgroundColor READ backgroundColor WRITE setBackgroundColor)

public:
    // Segment order: a top, b upper right, c lower right, d bottom, e lower left,
    // f upper left, g middle.
    enum Segment { SegA, SegB, SegC, SegD, SegE, SegF, SegG, SegmentCount };

    explicit LedNumber(QWidget *parent = nullptr);
    LedNumber(int digits, QWidget *parent = nullptr);

    int digitCount() const { return m_digits; }
    void setDigitCount(int digits);

    // The number shown; 0 when the text is not a number.
    int value() const;
    void setValue(int value);

    // Digits, blanks, '-' and the few letters seven segments can draw. Shorter texts are
    // right-aligned; longer ones keep their last digitCount characters.
    QString text() const { return m_text; }
    void setText(const QString &text);

    bool leadingZeros() const { return m_leadingZeros; }
    void setLeadingZeros(bool on);

    QColor litColor() const { return m_lit; }
    void setLitColor(const QColor &c);
    QColor unlitColor() const;
    void setUnlitColor(const QColor &c);
    void resetUnlitColor();
    QColor backgroundColor() const { return m_background; }
    void setBackgroundColor(const QColor &c);

    // What each digit cell shows, padded to digitCount.
    QString displayedText() const;
    // Bit n set means segment n is lit for this character.
    static quint8 segmentMask(QChar c);
    // Where a segment lies in widget coordinates.
    QPolygonF segmentPolygon(int digit, int segment) const;
    QPointF segmentCenter(int digit, int segment) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    struct Cell { qreal x, y, w, h, thickness; };
    Cell cell(int digit) const;

    int m_digits = 2;
    QString m_text;
    bool m_leadingZeros = true;
    QColor m_lit;
    QColor m_unlit;
    QColor m_background;
};

#pragma once
// Horizontal LED bar gauge: green, then yellow, then red segments from left to right.
#include <QColor>
#include <QWidget>

class LedBarGauge : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int value READ value WRITE setValue)
    Q_PROPERTY(int maximum READ maximum WRITE setMaximum)
    Q_PROPERTY(int segmentCount READ segmentCount WRITE setSegmentCount)
    Q_PROPERTY(double yellowFrom READ yellowFrom WRITE setYellowFrom)
    Q_PROPERTY(double redFrom READ redFrom WRITE setRedFrom)
    Q_PROPERTY(QColor greenColor READ greenColor WRITE setGreenColor)
    Q_PROPERTY(QColor yellowColor READ yellowColor WRITE setYellowColor)
    Q_PROPERTY(QColor redColor READ redColor WRITE setRedColor)
    Q_PROPERTY(QColor backgroundColor READ backgroundColor WRITE setBackgroundColor)

public:
    explicit LedBarGauge(QWidget *parent = nullptr);

    // The value is kept within 0..maximum.
    int value() const { return m_value; }
    void setValue(int v);
    int maximum() const { return m_max; }
    void setMaximum(int max);

    // 0 lets the gauge choose about square segments for its size.
    int segmentCount() const { return m_segments; }
    void setSegmentCount(int count);
    int effectiveSegmentCount() const;
    // Segments whose position (as a fraction of the bar) reaches these take those colours.
    double yellowFrom() const { return m_yellowFrom; }
    void setYellowFrom(double fraction);
    double redFrom() const { return m_redFrom; }
    void setRedFrom(double fraction);

    QColor greenColor() const { return m_green; }
    void setGreenColor(const QColor &c);
    QColor yellowColor() const { return m_yellow; }
    void setYellowColor(const QColor &c);
    QColor redColor() const { return m_red; }
    void setRedColor(const QColor &c);
    QColor backgroundColor() const { return m_background; }
    void setBackgroundColor(const QColor &c);

    // How many segments the current value lights, and where segment i lies.
    int litSegmentCount() const;
    QRectF segmentRect(int index) const;
    QColor segmentColor(int index) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_value = 0;
    int m_max = 100;
    int m_segments = 0;
    double m_yellowFrom = 0.6;
    double m_redFrom = 0.85;
    QColor m_green;
    QColor m_yellow;
    QColor m_red;
    QColor m_background;
};

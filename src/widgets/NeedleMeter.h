#pragma once
// Analogue needle level meter of a deck (caption "dB", levels 0 to 114 by default).
#include <QColor>
#include <QString>
#include <QWidget>

class NeedleMeter : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(double value READ value WRITE setValue)
    Q_PROPERTY(double minimum READ minimum WRITE setMinimum)
    Q_PROPERTY(double maximum READ maximum WRITE setMaximum)
    Q_PROPERTY(QColor faceColor READ faceColor WRITE setFaceColor)
    Q_PROPERTY(QColor needleColor READ needleColor WRITE setNeedleColor)
    Q_PROPERTY(QColor scaleColor READ scaleColor WRITE setScaleColor)
    Q_PROPERTY(QString caption READ caption WRITE setCaption)
    Q_PROPERTY(double redZoneFrom READ redZoneFrom WRITE setRedZoneFrom)
    Q_PROPERTY(double majorTickStep READ majorTickStep WRITE setMajorTickStep)
    Q_PROPERTY(int minorTicks READ minorTicks WRITE setMinorTicks)

public:
    explicit NeedleMeter(QWidget *parent = nullptr);

    // Values outside minimum..maximum pin the needle at the stop.
    double value() const { return m_value; }
    void setValue(double v);
    double minimum() const { return m_min; }
    void setMinimum(double v);
    double maximum() const { return m_max; }
    void setMaximum(double v);
    void setRange(double min, double max);

    QColor faceColor() const { return m_face; }
    void setFaceColor(const QColor &c);
    QColor needleColor() const { return m_needle; }
    void setNeedleColor(const QColor &c);
    QColor scaleColor() const { return m_scale; }
    void setScaleColor(const QColor &c);
    QString caption() const { return m_caption; }
    void setCaption(const QString &caption);
    // Fraction of the scale (0..1) where the red zone begins.
    double redZoneFrom() const { return m_redFrom; }
    void setRedZoneFrom(double fraction);
    // Distance between labelled ticks in value units; 0 picks a round step.
    double majorTickStep() const { return m_majorStep; }
    void setMajorTickStep(double step);
    int minorTicks() const { return m_minorTicks; }
    void setMinorTicks(int count);

    // Needle deflection in degrees from upright: negative left, positive right.
    double needleAngle() const;
    static constexpr double kHalfSweep = 48.0;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    double effectiveMajorStep() const;
    double angleFor(double v) const;

    double m_value = 0;
    double m_min = 0;
    double m_max = 114;
    QColor m_face;
    QColor m_needle;
    QColor m_scale;
    QString m_caption;
    double m_redFrom = 0.8;
    double m_majorStep = 0;
    int m_minorTicks = 4;
};

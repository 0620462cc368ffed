#include "NeedleMeter.h"

#include "SkinPalette.h"

#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtMath>

NeedleMeter::NeedleMeter(QWidget *parent)
    : QWidget(parent), m_face(199, 218, 135), m_needle(25, 20, 20), m_scale(30, 30, 30),
      m_caption(QStringLiteral("dB"))
{
}

void NeedleMeter::setValue(double v)
{
    if (qFuzzyCompare(v + 1.0, m_value + 1.0))
        return;
    m_value = v;
    update();
}

void NeedleMeter::setMinimum(double v)
{
    setRange(v, qMax(v, m_max));
}

void NeedleMeter::setMaximum(double v)
{
    setRange(qMin(m_min, v), v);
}

void NeedleMeter::setRange(double min, double max)
{
    m_min = min;
    m_max = qMax(min, max);
    update();
}

void NeedleMeter::setFaceColor(const QColor &c)
{
    m_face = c;
    update();
}

void NeedleMeter::setNeedleColor(const QColor &c)
{
    m_needle = c;
    update();
}

void NeedleMeter::setScaleColor(const QColor &c)
{
    m_scale = c;
    update();
}

void NeedleMeter::setCaption(const QString &caption)
{
    m_caption = caption;
    update();
}

void NeedleMeter::setRedZoneFrom(double fraction)
{
    m_redFrom = qBound(0.0, fraction, 1.0);
    update();
}

void NeedleMeter::setMajorTickStep(double step)
{
    m_majorStep = qMax(0.0, step);
    update();
}

void NeedleMeter::setMinorTicks(int count)
{
    m_minorTicks = qBound(0, count, 20);
    update();
}

double NeedleMeter::effectiveMajorStep() const
{
    if (m_majorStep > 0)
        return m_majorStep;
    // A round step giving about five labelled ticks.
    const double span = m_max - m_min;
    if (span <= 0)
        return 1;
    const double raw = span / 5.0;
    const double mag = std::pow(10.0, std::floor(std::log10(raw)));
    for (double f : {1.0, 2.0, 2.5, 5.0, 10.0}) {
        if (f * mag >= raw * 0.85)
            return f * mag;
    }
    return 10 * mag;
}

double NeedleMeter::angleFor(double v) const
{
    const double span = m_max - m_min;
    const double frac = span > 0 ? qBound(0.0, (v - m_min) / span, 1.0) : 0.0;
    return -kHalfSweep + frac * 2 * kHalfSweep;
}

double NeedleMeter::needleAngle() const
{
    return angleFor(m_value);
}

QSize NeedleMeter::sizeHint() const
{
    return QSize(124, 62);
}

QSize NeedleMeter::minimumSizeHint() const
{
    return QSize(40, 20);
}

void NeedleMeter::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    // Black bezel, then the face lit from above.
    const QRectF outer = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal bezel = qMax<qreal>(1.5, qMin(width(), height()) * 0.05);
    QLinearGradient bz(outer.topLeft(), outer.bottomLeft());
    bz.setColorAt(0, QColor(70, 72, 78));
    bz.setColorAt(1, QColor(12, 12, 14));
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(bz);
    p.drawRoundedRect(outer, bezel * 1.5, bezel * 1.5);

    const QRectF face = outer.adjusted(bezel, bezel, -bezel, -bezel);
    QLinearGradient fg(face.topLeft(), face.bottomLeft());
    fg.setColorAt(0, m_face.lighter(112));
    fg.setColorAt(0.7, m_face);
    fg.setColorAt(1, m_face.darker(118));
    p.setPen(Qt::NoPen);
    p.setBrush(fg);
    p.drawRoundedRect(face, bezel, bezel);

    p.save();
    p.setClipRect(face);

    // The pivot sits below the face, as on a classic VU meter, so the scale is a shallow arc.
    const qreal H = face.height();
    const qreal sweep = qDegreesToRadians(kHalfSweep);
    // A wide face gets a longer, flatter arc; the arc's top stays just under the labels.
    const qreal R = qMin(H * 1.2, face.width() * 0.44 / std::sin(sweep));
    const QPointF pivot(face.center().x(), face.top() + H * 0.3 + R);

    auto polar = [&](double angleDeg, qreal radius) {
        const double a = qDegreesToRadians(angleDeg);
        return QPointF(pivot.x() + radius * std::sin(a), pivot.y() - radius * std::cos(a));
    };

    // Scale arc and the red zone band.
    const qreal line = qMax<qreal>(0.8, H * 0.022);
    const QRectF arcRect(pivot.x() - R, pivot.y() - R, 2 * R, 2 * R);
    auto arcAngles = [&](double fromFrac, double toFrac, int *start, int *spanOut) {
        const double a0 = -kHalfSweep + fromFrac * 2 * kHalfSweep;
        const double a1 = -kHalfSweep + toFrac * 2 * kHalfSweep;
        // Qt counts arcs in 1/16 degree, anticlockwise from three o'clock.
        *start = qRound((90.0 - a0) * 16);
        *spanOut = qRound(-(a1 - a0) * 16);
    };
    int start = 0, span = 0;
    arcAngles(0.0, m_redFrom, &start, &span);
    p.setPen(QPen(m_scale, line, Qt::SolidLine, Qt::FlatCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(arcRect, start, span);
    if (m_redFrom < 1.0) {
        const qreal band = qMax<qreal>(1.5, H * 0.055);
        arcAngles(m_redFrom, 1.0, &start, &span);
        p.setPen(QPen(QColor(200, 30, 25), band, Qt::SolidLine, Qt::FlatCap));
        const QRectF bandRect = arcRect.adjusted(-band / 2, -band / 2, band / 2, band / 2);
        p.drawArc(bandRect, start, span);
    }

    // Ticks and labels.
    const double major = effectiveMajorStep();
    QFont f = font();
    f.setPixelSize(qMax(6, qRound(H * 0.15)));
    p.setFont(f);
    const qreal majorLen = H * 0.12, minorLen = H * 0.06;
    const double minorStep = major / (m_minorTicks + 1);
    const double first = std::ceil(m_min / minorStep - 1e-9) * minorStep;
    for (double v = first; v <= m_max + 1e-9; v += minorStep) {
        const bool isMajor = std::fabs(std::remainder(v, major)) < minorStep * 0.01;
        const double frac = (m_max > m_min) ? (v - m_min) / (m_max - m_min) : 0.0;
        const double a = angleFor(v);
        const qreal len = isMajor ? majorLen : minorLen;
        const QColor tc = frac >= m_redFrom ? QColor(190, 25, 20) : m_scale;
        p.setPen(QPen(tc, isMajor ? line * 1.3 : line * 0.8, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(polar(a, R), polar(a, R - len));
        if (isMajor) {
            const QPointF at = polar(a, R + H * 0.16);
            const QString label = QString::number(v, 'g', 4);
            const QRectF box(at.x() - H * 0.4, at.y() - H * 0.1, H * 0.8, H * 0.2);
            p.setPen(tc);
            p.drawText(box, Qt::AlignCenter, label);
        }
    }

    // Caption in the lower middle of the face.
    QFont cf = font();
    cf.setPixelSize(qMax(6, qRound(H * 0.2)));
    cf.setBold(true);
    p.setFont(cf);
    p.setPen(m_scale);
    p.drawText(QRectF(face.left(), face.top() + H * 0.5, face.width(), H * 0.28),
               Qt::AlignCenter, m_caption);

    // Needle with a soft shadow cast on the face.
    const double a = needleAngle();
    const qreal tipR = R + H * 0.04;
    const qreal nw = qMax<qreal>(1.0, H * 0.03);
    p.setPen(QPen(QColor(0, 0, 0, 60), nw * 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(pivot + QPointF(H * 0.03, H * 0.02), polar(a, tipR) + QPointF(H * 0.03, H * 0.02));
    p.setPen(QPen(m_needle, nw, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(pivot, polar(a, tipR));

    // Pivot housing along the bottom edge.
    const qreal hub = H * 0.2;
    QRadialGradient hg(QPointF(face.center().x(), face.bottom()), hub * 1.6);
    hg.setColorAt(0, QColor(70, 70, 76));
    hg.setColorAt(1, QColor(10, 10, 12));
    p.setPen(Qt::NoPen);
    p.setBrush(hg);
    p.drawEllipse(QPointF(face.center().x(), face.bottom()), hub * 1.6, hub);

    // Glass: a faint reflection over the upper half.
    QLinearGradient glass(face.topLeft(), QPointF(face.left(), face.top() + H * 0.55));
    glass.setColorAt(0, QColor(255, 255, 255, 70));
    glass.setColorAt(1, QColor(255, 255, 255, 0));
    p.setBrush(glass);
    p.drawRect(face);
    p.restore();
}

void NeedleMeter::mousePressEvent(QMouseEvent *event)
{
    event->accept();
}

void NeedleMeter::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    event->accept();
}

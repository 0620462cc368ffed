#include "LedBarGauge.h"

#include "SkinPalette.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

LedBarGauge::LedBarGauge(QWidget *parent)
    : QWidget(parent), m_green(skin::ledGreen()), m_yellow(skin::ledYellow()),
      m_red(skin::ledRed()), m_background(skin::displayBlack())
{
}

void LedBarGauge::setValue(int v)
{
    v = qBound(0, v, m_max);
    if (v == m_value)
        return;
    m_value = v;
    update();
}

void LedBarGauge::setMaximum(int max)
{
    m_max = qMax(1, max);
    m_value = qBound(0, m_value, m_max);
    update();
}

void LedBarGauge::setSegmentCount(int count)
{
    m_segments = qBound(0, count, 400);
    update();
}

int LedBarGauge::effectiveSegmentCount() const
{
    if (m_segments > 0)
        return m_segments;
    const qreal h = qMax(4, height() - 2);
    return qBound(4, qRound((width() - 2) / h), 200);
}

void LedBarGauge::setYellowFrom(double fraction)
{
    m_yellowFrom = qBound(0.0, fraction, 1.0);
    update();
}

void LedBarGauge::setRedFrom(double fraction)
{
    m_redFrom = qBound(0.0, fraction, 1.0);
    update();
}

void LedBarGauge::setGreenColor(const QColor &c)
{
    m_green = c;
    update();
}

void LedBarGauge::setYellowColor(const QColor &c)
{
    m_yellow = c;
    update();
}

void LedBarGauge::setRedColor(const QColor &c)
{
    m_red = c;
    update();
}

void LedBarGauge::setBackgroundColor(const QColor &c)
{
    m_background = c;
    update();
}

int LedBarGauge::litSegmentCount() const
{
    // Segment i lights once the value reaches its middle, so half scale lights half the bar.
    const int n = effectiveSegmentCount();
    return qBound(0, qRound(static_cast<double>(m_value) * n / m_max), n);
}

QRectF LedBarGauge::segmentRect(int index) const
{
    const int n = effectiveSegmentCount();
    const QRectF inner = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
    const qreal pitch = inner.width() / n;
    const qreal gap = qMax<qreal>(1.0, pitch * 0.22);
    return QRectF(inner.left() + index * pitch + gap / 2, inner.top(), pitch - gap, inner.height());
}

QColor LedBarGauge::segmentColor(int index) const
{
    const int n = effectiveSegmentCount();
    // Colour by where the segment starts on the scale.
    const double pos = static_cast<double>(index) / n;
    if (pos >= m_redFrom)
        return m_red;
    if (pos >= m_yellowFrom)
        return m_yellow;
    return m_green;
}

QSize LedBarGauge::sizeHint() const
{
    return QSize(288, 12);
}

QSize LedBarGauge::minimumSizeHint() const
{
    return QSize(20, 4);
}

void LedBarGauge::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), m_background);
    p.setPen(QPen(QColor(0, 0, 0, 200), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));

    const int n = effectiveSegmentCount();
    const int lit = litSegmentCount();
    for (int i = 0; i < n; ++i) {
        const QRectF r = segmentRect(i);
        const QColor c = segmentColor(i);
        const qreal round = qMin(r.width(), r.height()) * 0.18;
        QPainterPath path;
        path.addRoundedRect(r, round, round);
        if (i < lit) {
            skin::paintGlow(p, path, c, qMin(r.width(), r.height()) * 0.2);
            QLinearGradient g(r.topLeft(), r.bottomLeft());
            g.setColorAt(0, skin::mix(c, Qt::white, 0.4));
            g.setColorAt(0.45, c);
            g.setColorAt(1, c.darker(125));
            p.setPen(Qt::NoPen);
            p.setBrush(g);
        } else {
            p.setPen(Qt::NoPen);
            p.setBrush(skin::unlit(c, m_background, 0.16));
        }
        p.drawPath(path);
    }
}

#include "Lamp.h"

#include "SkinPalette.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

Lamp::Lamp(QWidget *parent)
    : QWidget(parent), m_color(skin::ledGreen())
{
}

void Lamp::setOn(bool on)
{
    if (on == m_on)
        return;
    m_on = on;
    update();
    emit toggled(on);
}

void Lamp::setColor(const QColor &c)
{
    m_color = c;
    update();
}

QColor Lamp::offColor() const
{
    return m_off.isValid() ? m_off : skin::mix(QColor(8, 8, 8), m_color, 0.22);
}

void Lamp::setOffColor(const QColor &c)
{
    m_off = c;
    update();
}

void Lamp::resetOffColor()
{
    setOffColor(QColor());
}

QPointF Lamp::lensCenter() const
{
    return QRectF(rect()).center();
}

qreal Lamp::lensRadius() const
{
    // The bezel takes a fifth of the lamp; the glow needs a little room outside it.
    const qreal outer = qMin(width(), height()) / 2.0 - 1.0;
    return qMax<qreal>(1.0, outer * 0.72);
}

QSize Lamp::sizeHint() const
{
    return QSize(14, 14);
}

QSize Lamp::minimumSizeHint() const
{
    return QSize(6, 6);
}

void Lamp::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c = lensCenter();
    const qreal r = lensRadius();
    const qreal bezel = qMax<qreal>(1.0, r * 0.28);

    if (m_on) {
        QRadialGradient halo(c, r + bezel * 2.2);
        halo.setColorAt(0.55, skin::withAlpha(m_color, 150));
        halo.setColorAt(1.0, skin::withAlpha(m_color, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(halo);
        p.drawEllipse(c, r + bezel * 2.2, r + bezel * 2.2);
    }

    // Metal bezel: lighter at the top, like a chromed ring under the desk lights.
    QLinearGradient ring(c.x(), c.y() - r - bezel, c.x(), c.y() + r + bezel);
    ring.setColorAt(0, QColor(150, 155, 162));
    ring.setColorAt(0.5, QColor(60, 63, 68));
    ring.setColorAt(1, QColor(25, 26, 28));
    p.setPen(QPen(QColor(0, 0, 0, 200), 0.8));
    p.setBrush(ring);
    p.drawEllipse(c, r + bezel, r + bezel);

    // Lens.
    const QColor base = m_on ? m_color : offColor();
    QRadialGradient lens(c, r);
    if (m_on) {
        lens.setColorAt(0, skin::mix(base, Qt::white, 0.45));
        lens.setColorAt(0.55, base);
        lens.setColorAt(1, base.darker(140));
    } else {
        lens.setColorAt(0, base.lighter(130));
        lens.setColorAt(1, base.darker(160));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(lens);
    p.drawEllipse(c, r, r);

    // Specular spot on the dome.
    QRadialGradient spot(c.x() - r * 0.35, c.y() - r * 0.4, r * 0.5);
    spot.setColorAt(0, QColor(255, 255, 255, m_on ? 200 : 110));
    spot.setColorAt(1, QColor(255, 255, 255, 0));
    p.setBrush(spot);
    p.drawEllipse(c, r, r);
}

void Lamp::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_down = true;
        emit pressed();
    }
    event->accept();
}

void Lamp::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && m_down) {
        m_down = false;
        emit released();
        if (rect().contains(event->position().toPoint()))
            emit clicked();
    }
    event->accept();
}

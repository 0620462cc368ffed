#include "LedColon.h"

#include "SkinPalette.h"

#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

LedColon::LedColon(QWidget *parent)
    : QWidget(parent), m_litColor(skin::segmentRed()), m_background(skin::displayBlack())
{
}

void LedColon::setLit(bool lit)
{
    if (lit == m_lit)
        return;
    m_lit = lit;
    update();
}

void LedColon::setLitColor(const QColor &c)
{
    m_litColor = c;
    update();
}

QColor LedColon::unlitColor() const
{
    return m_unlit.isValid() ? m_unlit : skin::unlit(m_litColor, m_background);
}

void LedColon::setUnlitColor(const QColor &c)
{
    m_unlit = c;
    update();
}

void LedColon::resetUnlitColor()
{
    setUnlitColor(QColor());
}

void LedColon::setBackgroundColor(const QColor &c)
{
    m_background = c;
    update();
}

qreal LedColon::dotRadius() const
{
    return qMax<qreal>(0.8, qMin(width() * 0.22, height() * 0.075));
}

QPointF LedColon::dotCenter(int dot) const
{
    // Dots at a third and two thirds of the height, matching where a digit's halves sit.
    const qreal y = height() * (dot == 0 ? 0.34 : 0.66);
    return QPointF(width() / 2.0, y);
}

QSize LedColon::sizeHint() const
{
    return QSize(8, 24);
}

QSize LedColon::minimumSizeHint() const
{
    return QSize(3, 10);
}

void LedColon::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient glass(0, 0, 0, height());
    glass.setColorAt(0, m_background.lighter(135));
    glass.setColorAt(0.5, m_background);
    glass.setColorAt(1, m_background.darker(130));
    p.fillRect(rect(), glass);

    const qreal r = dotRadius();
    for (int i = 0; i < 2; ++i) {
        QPainterPath dot;
        dot.addEllipse(dotCenter(i), r, r);
        if (m_lit) {
            skin::paintGlow(p, dot, m_litColor, r * 0.8);
            p.setPen(Qt::NoPen);
            p.setBrush(m_litColor);
            p.drawPath(dot);
            p.setBrush(skin::mix(m_litColor, Qt::white, 0.3));
            p.drawEllipse(dotCenter(i), r * 0.45, r * 0.45);
        } else {
            p.setPen(Qt::NoPen);
            p.setBrush(unlitColor());
            p.drawPath(dot);
        }
    }
}

void LedColon::mousePressEvent(QMouseEvent *event)
{
    // Accepting the press keeps the release here, so the display itself is clickable.
    event->accept();
}

void LedColon::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    event->accept();
}

#include "ColorButton.h"

#include "SkinPalette.h"

#include <QEnterEvent>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

ColorButton::ColorButton(QWidget *parent)
    : ColorButton(QString(), parent)
{
}

ColorButton::ColorButton(const QString &caption, QWidget *parent)
    : QPushButton(caption, parent), m_face(skin::buttonFace()), m_text(skin::captionLight())
{
}

void ColorButton::setFaceColor(const QColor &c)
{
    if (c == m_face)
        return;
    m_face = c;
    update();
}

void ColorButton::setTextColor(const QColor &c)
{
    if (c == m_text)
        return;
    m_text = c;
    update();
}

void ColorButton::setGlyph(Glyph g)
{
    m_glyph = g;
    updateGeometry();
    update();
}

QSize ColorButton::sizeHint() const
{
    const QFontMetrics fm = fontMetrics();
    int w = fm.horizontalAdvance(text()) + 16;
    if (m_glyph != NoGlyph)
        w += fm.height() + (text().isEmpty() ? 0 : 4);
    return QSize(qMax(w, 40), qMax(fm.height() + 10, 25));
}

QSize ColorButton::minimumSizeHint() const
{
    return QSize(16, 12);
}

void ColorButton::enterEvent(QEnterEvent *event)
{
    m_hover = true;
    update();
    QPushButton::enterEvent(event);
}

void ColorButton::leaveEvent(QEvent *event)
{
    m_hover = false;
    update();
    QPushButton::leaveEvent(event);
}

void ColorButton::drawGlyph(QPainter &p, const QRectF &box, const QColor &c) const
{
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    const qreal s = box.height();
    switch (m_glyph) {
    case Play: {
        QPolygonF tri;
        tri << QPointF(box.left() + s * 0.2, box.top()) << QPointF(box.left() + s * 0.95, box.center().y())
            << QPointF(box.left() + s * 0.2, box.bottom());
        p.drawPolygon(tri);
        break;
    }
    case Pause:
        p.drawRect(QRectF(box.left() + s * 0.15, box.top(), s * 0.25, s));
        p.drawRect(QRectF(box.left() + s * 0.6, box.top(), s * 0.25, s));
        break;
    case Stop:
        p.drawRect(QRectF(box.left() + s * 0.1, box.top() + s * 0.05, s * 0.8, s * 0.9));
        break;
    case NoGlyph:
        break;
    }
}

void ColorButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const bool down = isDown() || isChecked();
    const QRectF outer = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal radius = qMin(outer.width(), outer.height()) * 0.14;

    QColor face = m_face;
    if (!isEnabled())
        face = skin::mix(face, QColor(45, 45, 48), 0.55);
    else if (m_hover && !down)
        face = face.lighter(112);

    // Dark recess, then the cap with light from above; a pressed cap loses its highlight.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 180));
    p.drawRoundedRect(outer, radius + 1, radius + 1);
    const QRectF cap = outer.adjusted(1, 1, -1, -1);
    QLinearGradient g(cap.topLeft(), cap.bottomLeft());
    g.setColorAt(0, down ? face.darker(125) : face.lighter(140));
    g.setColorAt(0.5, down ? face.darker(110) : face);
    g.setColorAt(1, down ? face.darker(100) : face.darker(145));
    p.setPen(QPen(down ? face.darker(160) : face.lighter(170), 0.8));
    p.setBrush(g);
    p.drawRoundedRect(cap, radius, radius);

    QColor tc = isEnabled() ? m_text : skin::mix(m_text, face, 0.6);
    QRectF content = cap.adjusted(4, 2, -4, -2);
    if (down)
        content.translate(0, 1);
    const QFontMetricsF fm(font());
    const qreal glyphSize = m_glyph == NoGlyph ? 0 : qMin(content.height() * 0.6, fm.height() * 0.8);
    const qreal gap = (m_glyph != NoGlyph && !text().isEmpty()) ? glyphSize * 0.5 : 0;
    const qreal textW = text().isEmpty() ? 0 : fm.horizontalAdvance(text());
    const qreal total = glyphSize + gap + textW;
    qreal x = content.center().x() - total / 2;
    if (m_glyph != NoGlyph) {
        drawGlyph(p, QRectF(x, content.center().y() - glyphSize / 2, glyphSize, glyphSize),
                  isEnabled() ? (down ? skin::ledGreen() : tc) : tc);
        x += glyphSize + gap;
    }
    if (!text().isEmpty()) {
        p.setPen(tc);
        p.setFont(font());
        p.drawText(QRectF(x, content.top(), content.right() - x, content.height()),
                   Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text());
    }

    if (hasFocus()) {
        p.setPen(QPen(skin::withAlpha(skin::segmentCyan(), 140), 1));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(cap.adjusted(1.5, 1.5, -1.5, -1.5), radius, radius);
    }
}

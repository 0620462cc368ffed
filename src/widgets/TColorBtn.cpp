#include "TColorBtn.h"

#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>

TColorBtn::TColorBtn(QWidget *parent)
    : QPushButton(parent), m_buttonColor(palette().color(QPalette::Button)), m_bordas(true),
      m_frame3D(false)
{
}

void TColorBtn::setButtonColor(const QColor &c)
{
    m_buttonColor = c;
    update();
}

void TColorBtn::setBordas(bool on)
{
    m_bordas = on;
    update();
}

void TColorBtn::setUsarFocus(bool on)
{
    m_usarFocus = on;
    update();
}

void TColorBtn::setBordaCor(const QColor &c)
{
    m_bordaCor = c;
    update();
}

void TColorBtn::setBordaWidth(int width)
{
    m_bordaWidth = qMax(0, width);
    update();
}

void TColorBtn::setNumero(const QString &text)
{
    m_numero = text;
    update();
}

void TColorBtn::setLoop(bool on)
{
    m_loop = on;
}

void TColorBtn::setChecado(bool on)
{
    m_checado = on;
    update();
}

void TColorBtn::setFrame3D(bool on)
{
    m_frame3D = on;
    update();
}

QFont TColorBtn::numeroFont() const
{
    QFont f = font();
    f.setBold(true);
    // The number stays small while the caption grows (a playing cartridge shows large digits).
    const int px = qBound(7, qRound(height() * 0.2), 14);
    f.setPixelSize(px);
    return f;
}

QRect TColorBtn::faceRect() const
{
    const int w = qMin(m_bordaWidth, qMin(width(), height()) / 2);
    return rect().adjusted(w, w, -w, -w);
}

QRect TColorBtn::numeroRect() const
{
    if (m_numero.isEmpty())
        return QRect();
    const QFontMetrics fm(numeroFont());
    const QRect face = faceRect();
    const int inset = m_bordas ? 2 : 1;
    const int w = fm.horizontalAdvance(m_numero) + 4;
    const int h = fm.height();
    return QRect(face.right() - inset - w + 1, face.top() + inset, w, h);
}

QSize TColorBtn::sizeHint() const
{
    const QFontMetrics fm = fontMetrics();
    return QSize(qMax(98, fm.horizontalAdvance(text()) + 24), qMax(40, fm.height() + 12));
}

QSize TColorBtn::minimumSizeHint() const
{
    return QSize(24, 16);
}

void TColorBtn::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const bool down = isDown();
    const QRect all = rect();

    // Outline: a frame of BordaWidth pixels in BordaCor around the face.
    if (m_bordaWidth > 0)
        p.fillRect(all, m_bordaCor);

    const QRect face = faceRect();
    QColor fill = isEnabled() ? m_buttonColor : m_buttonColor.darker(115);
    if (m_frame3D) {
        // Domed face: a little lighter at the top, darker at the bottom.
        QLinearGradient g(face.topLeft(), face.bottomLeft());
        g.setColorAt(0, fill.lighter(down ? 100 : 118));
        g.setColorAt(1, fill.darker(down ? 112 : 118));
        p.fillRect(face, g);
    } else {
        p.fillRect(face, fill);
    }

    if (m_bordas && face.width() > 4 && face.height() > 4) {
        // 3-D frame inside the outline; it sinks while the button is held down.
        const QColor light = down ? fill.darker(170) : fill.lighter(150);
        const QColor dark = down ? fill.lighter(150) : fill.darker(170);
        const QRect f = face;
        p.setPen(light);
        p.drawLine(f.topLeft(), f.topRight());
        p.drawLine(f.topLeft(), f.bottomLeft());
        p.setPen(dark);
        p.drawLine(f.bottomLeft(), f.bottomRight());
        p.drawLine(f.topRight(), f.bottomRight());
        p.setPen(down ? fill : fill.lighter(120));
        p.drawLine(f.topLeft() + QPoint(1, 1), f.topRight() + QPoint(-1, 1));
        p.drawLine(f.topLeft() + QPoint(1, 1), f.bottomLeft() + QPoint(1, -1));
        p.setPen(down ? fill : fill.darker(130));
        p.drawLine(f.bottomLeft() + QPoint(1, -1), f.bottomRight() + QPoint(-1, -1));
        p.drawLine(f.topRight() + QPoint(-1, 1), f.bottomRight() + QPoint(-1, -1));
    }

    // Caption, centred on the whole face.
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setFont(font());
    p.setPen(isEnabled() ? palette().color(QPalette::ButtonText)
                         : palette().color(QPalette::Disabled, QPalette::ButtonText));
    QRect textRect = face;
    if (down)
        textRect.translate(1, 1);
    p.drawText(textRect, Qt::AlignCenter, text());

    // Number box: white on black, white on red when checked.
    const QRect box = numeroRect();
    if (!box.isEmpty()) {
        p.fillRect(box, m_checado ? QColor(255, 0, 0) : QColor(0, 0, 0));
        p.setFont(numeroFont());
        p.setPen(Qt::white);
        p.drawText(box, Qt::AlignCenter, m_numero);
    }

    if (m_usarFocus && hasFocus()) {
        QPen pen(palette().color(QPalette::ButtonText), 1, Qt::DotLine);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawRect(face.adjusted(3, 3, -4, -4));
    }
}

void TColorBtn::mouseDoubleClickEvent(QMouseEvent *event)
{
    mousePressEvent(event);
}

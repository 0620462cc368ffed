#include "LedButton.h"

#include "SkinPalette.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

LedButton::LedButton(QWidget *parent)
    : LedButton(QString(), parent)
{
}

LedButton::LedButton(const QString &caption, QWidget *parent)
    : QAbstractButton(parent), m_ledOn(skin::ledGreen()), m_face(skin::buttonFace()),
      m_text(skin::captionLight())
{
    setText(caption);
    setCheckable(true);
    setFocusPolicy(Qt::StrongFocus);
}

void LedButton::setLedOnColor(const QColor &c)
{
    m_ledOn = c;
    update();
}

QColor LedButton::ledOffColor() const
{
    return m_ledOff.isValid() ? m_ledOff : skin::mix(QColor(10, 10, 10), m_ledOn, 0.2);
}

void LedButton::setLedOffColor(const QColor &c)
{
    m_ledOff = c;
    update();
}

void LedButton::resetLedOffColor()
{
    setLedOffColor(QColor());
}

void LedButton::setFaceColor(const QColor &c)
{
    m_face = c;
    update();
}

void LedButton::setTextColor(const QColor &c)
{
    m_text = c;
    update();
}

bool LedButton::isLedLit() const
{
    return isCheckable() ? isChecked() : isDown();
}

QRectF LedButton::faceRect() const
{
    return QRectF(rect()).adjusted(1, 1, -1, -1);
}

QRectF LedButton::ledRect() const
{
    // A short horizontal LED bar across the top of the cap, as on desk push buttons.
    const QRectF f = faceRect();
    const qreal h = qMax<qreal>(2.0, f.height() * 0.16);
    const qreal w = f.width() * 0.5;
    return QRectF(f.center().x() - w / 2, f.top() + f.height() * 0.14, w, h);
}

QSize LedButton::sizeHint() const
{
    const QFontMetrics fm = fontMetrics();
    const int w = fm.horizontalAdvance(text()) + fm.height() * 2;
    return QSize(qMax(60, w), qMax(28, fm.height() * 2 + 6));
}

QSize LedButton::minimumSizeHint() const
{
    return QSize(24, 16);
}

void LedButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF f = faceRect();
    const qreal radius = qMin(f.width(), f.height()) * 0.12;
    const bool down = isDown();

    // Recess in the panel, then the rubber cap; a pressed cap sits lower and darker.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 170));
    p.drawRoundedRect(QRectF(rect()).adjusted(0, 0, 0, 0), radius + 1, radius + 1);

    QColor face = isEnabled() ? m_face : skin::mix(m_face, QColor(40, 40, 40), 0.5);
    QLinearGradient cap(f.topLeft(), f.bottomLeft());
    cap.setColorAt(0, down ? face.darker(115) : face.lighter(135));
    cap.setColorAt(0.45, down ? face.darker(105) : face);
    cap.setColorAt(1, face.darker(down ? 120 : 150));
    p.setPen(QPen(down ? QColor(0, 0, 0, 200) : face.lighter(160), 1));
    p.setBrush(cap);
    p.drawRoundedRect(f.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);

    // LED bar with its glow.
    const QRectF led = ledRect();
    QPainterPath ledPath;
    ledPath.addRoundedRect(led, led.height() * 0.4, led.height() * 0.4);
    if (isLedLit()) {
        skin::paintGlow(p, ledPath, m_ledOn, led.height() * 0.9);
        QLinearGradient g(led.topLeft(), led.bottomLeft());
        g.setColorAt(0, skin::mix(m_ledOn, Qt::white, 0.45));
        g.setColorAt(0.5, m_ledOn);
        g.setColorAt(1, m_ledOn.darker(120));
        p.setPen(Qt::NoPen);
        p.setBrush(g);
    } else {
        p.setPen(QPen(QColor(0, 0, 0, 180), 0.8));
        p.setBrush(ledOffColor());
    }
    p.drawPath(ledPath);

    // Caption in the lower part of the cap.
    QRectF textRect(f.left() + 2, led.bottom(), f.width() - 4, f.bottom() - led.bottom());
    if (down)
        textRect.translate(0, 1);
    QColor tc = isEnabled() ? m_text : skin::mix(m_text, face, 0.6);
    p.setPen(tc);
    p.setFont(font());
    p.drawText(textRect, Qt::AlignCenter | Qt::TextSingleLine, text());

    if (hasFocus()) {
        p.setPen(QPen(skin::withAlpha(m_ledOn, 150), 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(f.adjusted(2.5, 2.5, -2.5, -2.5), radius, radius);
    }
}

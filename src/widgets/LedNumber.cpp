#include "LedNumber.h"

#include "SkinPalette.h"

#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace {
// The segments lean a little to the right, like real display glass.
constexpr qreal kSlant = 0.08;

QPolygonF bar(QPointF from, QPointF to, qreal thickness)
{
    // A six-sided bar with pointed ends, so neighbouring segments meet on a diagonal.
    const qreal h = thickness / 2;
    QPolygonF poly;
    if (qFuzzyCompare(from.y(), to.y())) {
        poly << QPointF(from.x(), from.y()) << QPointF(from.x() + h, from.y() - h)
             << QPointF(to.x() - h, to.y() - h) << QPointF(to.x(), to.y())
             << QPointF(to.x() - h, to.y() + h) << QPointF(from.x() + h, from.y() + h);
    } else {
        poly << QPointF(from.x(), from.y()) << QPointF(from.x() + h, from.y() + h)
             << QPointF(to.x() + h, to.y() - h) << QPointF(to.x(), to.y())
             << QPointF(to.x() - h, to.y() - h) << QPointF(from.x() - h, from.y() + h);
    }
    return poly;
}
} // namespace

LedNumber::LedNumber(QWidget *parent)
    : LedNumber(2, parent)
{
}

LedNumber::LedNumber(int digits, QWidget *parent)
    : QWidget(parent), m_digits(qBound(1, digits, 16)), m_lit(skin::segmentRed()),
      m_background(skin::displayBlack())
{
    setValue(0);
}

void LedNumber::setDigitCount(int digits)
{
    digits = qBound(1, digits, 16);
    if (digits == m_digits)
        return;
    m_digits = digits;
    updateGeometry();
    update();
}

int LedNumber::value() const
{
    bool ok = false;
    const int v = m_text.trimmed().toInt(&ok);
    return ok ? v : 0;
}

void LedNumber::setValue(int value)
{
    QString t = QString::number(qAbs(static_cast<qint64>(value)));
    if (m_leadingZeros)
        t = t.rightJustified(value < 0 ? m_digits - 1 : m_digits, QLatin1Char('0'));
    if (value < 0)
        t.prepend(QLatin1Char('-'));
    setText(t);
}

void LedNumber::setText(const QString &text)
{
    if (text == m_text)
        return;
    m_text = text;
    update();
}

void LedNumber::setLeadingZeros(bool on)
{
    if (on == m_leadingZeros)
        return;
    m_leadingZeros = on;
    // A number on show is laid out again under the new rule; free text stays as it is.
    bool ok = false;
    const int v = m_text.trimmed().toInt(&ok);
    if (ok) {
        m_text.clear();
        setValue(v);
    }
}

void LedNumber::setLitColor(const QColor &c)
{
    m_lit = c;
    update();
}

QColor LedNumber::unlitColor() const
{
    return m_unlit.isValid() ? m_unlit : skin::unlit(m_lit, m_background);
}

void LedNumber::setUnlitColor(const QColor &c)
{
    m_unlit = c;
    update();
}

void LedNumber::resetUnlitColor()
{
    setUnlitColor(QColor());
}

void LedNumber::setBackgroundColor(const QColor &c)
{
    m_background = c;
    update();
}

QString LedNumber::displayedText() const
{
    if (m_text.size() >= m_digits)
        return m_text.right(m_digits);
    return m_text.rightJustified(m_digits, QLatin1Char(' '));
}

quint8 LedNumber::segmentMask(QChar c)
{
    enum : quint8 { A = 1, B = 2, C = 4, D = 8, E = 16, F = 32, G = 64 };
    switch (c.toUpper().unicode()) {
    case '0': return A | B | C | D | E | F;
    case '1': return B | C;
    case '2': return A | B | D | E | G;
    case '3': return A | B | C | D | G;
    case '4': return B | C | F | G;
    case '5': return A | C | D | F | G;
    case '6': return A | C | D | E | F | G;
    case '7': return A | B | C;
    case '8': return A | B | C | D | E | F | G;
    case '9': return A | B | C | D | F | G;
    case '-': return G;
    case '_': return D;
    case 'A': return A | B | C | E | F | G;
    case 'B': return C | D | E | F | G;
    case 'C': return A | D | E | F;
    case 'D': return B | C | D | E | G;
    case 'E': return A | D | E | F | G;
    case 'F': return A | E | F | G;
    case 'H': return B | C | E | F | G;
    case 'L': return D | E | F;
    case 'O': return C | D | E | G;
    case 'P': return A | B | E | F | G;
    case 'R': return E | G;
    case 'U': return B | C | D | E | F;
    default: return 0;
    }
}

LedNumber::Cell LedNumber::cell(int digit) const
{
    // Digits keep a fixed aspect and sit centred in equal cells, so the panel stays
    // legible however the console stretches it.
    const qreal margin = qMin(width(), height()) * 0.06 + 0.5;
    const qreal innerW = width() - 2 * margin;
    const qreal innerH = height() - 2 * margin;
    const qreal cellW = innerW / m_digits;
    qreal h = qMin(innerH, cellW * 0.84 / 0.56);
    qreal w = h * 0.56;
    Cell c;
    c.w = w;
    c.h = h;
    c.x = margin + cellW * digit + (cellW - w) / 2;
    c.y = margin + (innerH - h) / 2;
    // Below two pixels a segment turns to grey fuzz, so small panels get bolder strokes.
    c.thickness = qMax<qreal>(qMin<qreal>(2.0, w * 0.3), w * 0.2);
    return c;
}

QPolygonF LedNumber::segmentPolygon(int digit, int segment) const
{
    const Cell c = cell(digit);
    const qreal t = c.thickness;
    const qreal gap = t * 0.14;
    const qreal l = c.x + t / 2, r = c.x + c.w - t / 2;
    const qreal top = c.y + t / 2, mid = c.y + c.h / 2, bot = c.y + c.h - t / 2;
    QPolygonF poly;
    switch (segment) {
    case SegA: poly = bar({l + gap, top}, {r - gap, top}, t); break;
    case SegB: poly = bar({r, top + gap}, {r, mid - gap}, t); break;
    case SegC: poly = bar({r, mid + gap}, {r, bot - gap}, t); break;
    case SegD: poly = bar({l + gap, bot}, {r - gap, bot}, t); break;
    case SegE: poly = bar({l, mid + gap}, {l, bot - gap}, t); break;
    case SegF: poly = bar({l, top + gap}, {l, mid - gap}, t); break;
    case SegG: poly = bar({l + gap, mid}, {r - gap, mid}, t); break;
    default: return poly;
    }
    // Lean the glyph: the top moves right, the bottom left, around the digit's middle.
    for (QPointF &p : poly)
        p.rx() += (mid - p.y()) * kSlant;
    return poly;
}

QPointF LedNumber::segmentCenter(int digit, int segment) const
{
    return segmentPolygon(digit, segment).boundingRect().center();
}

QSize LedNumber::sizeHint() const
{
    return QSize(m_digits * 13 + 4, 24);
}

QSize LedNumber::minimumSizeHint() const
{
    return QSize(m_digits * 6 + 2, 10);
}

void LedNumber::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);

    // Smoked glass: the background colour with a faint sheen towards the top.
    QLinearGradient glass(0, 0, 0, height());
    glass.setColorAt(0, m_background.lighter(135));
    glass.setColorAt(0.5, m_background);
    glass.setColorAt(1, m_background.darker(130));
    p.fillRect(rect(), glass);

    const QString shown = displayedText();
    const QColor off = unlitColor();
    const QColor core = skin::mix(m_lit, Qt::white, 0.28);
    for (int d = 0; d < m_digits; ++d) {
        const quint8 mask = segmentMask(shown.at(d));
        const qreal glow = cell(d).thickness * 0.55;
        for (int s = 0; s < SegmentCount; ++s) {
            QPainterPath path;
            path.addPolygon(segmentPolygon(d, s));
            path.closeSubpath();
            if (mask & (1 << s)) {
                skin::paintGlow(p, path, m_lit, glow);
                p.setPen(Qt::NoPen);
                p.setBrush(m_lit);
                p.drawPath(path);
                // A hotter core in the middle of the segment.
                p.setPen(QPen(core, cell(d).thickness * 0.3, Qt::SolidLine, Qt::RoundCap));
                const QRectF br = path.boundingRect();
                if (s == SegA || s == SegD || s == SegG)
                    p.drawLine(QPointF(br.left() + br.width() * 0.25, br.center().y()),
                               QPointF(br.right() - br.width() * 0.25, br.center().y()));
                else
                    p.drawLine(QPointF(br.center().x() + br.width() * 0.1, br.top() + br.height() * 0.25),
                               QPointF(br.center().x() - br.width() * 0.1, br.bottom() - br.height() * 0.25));
            } else {
                p.setPen(Qt::NoPen);
                p.setBrush(off);
                p.drawPath(path);
            }
        }
    }

    // A thin bezel so the panel reads as a separate display on the desk.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0, 0, 0, 160), 1));
    p.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}

void LedNumber::mousePressEvent(QMouseEvent *event)
{
    // Accepting the press keeps the release here, so the display itself is clickable.
    event->accept();
}

void LedNumber::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    event->accept();
}

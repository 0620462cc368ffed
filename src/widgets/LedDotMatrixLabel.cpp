#include "LedDotMatrixLabel.h"

#include "DotMatrixFont.h"
#include "SkinPalette.h"

#include <QPainter>
#include <QRadialGradient>

namespace {
// Each character is five dot columns plus one dark column between characters.
constexpr int kAdvance = dotmatrix::kGlyphWidth + 1;
} // namespace

LedDotMatrixLabel::LedDotMatrixLabel(QWidget *parent)
    : QWidget(parent), m_dot(skin::segmentRed()), m_background(Qt::black)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void LedDotMatrixLabel::setText(const QString &text)
{
    if (text == m_text)
        return;
    m_text = text;
    rebuildColumns();
    update();
}

void LedDotMatrixLabel::rebuildColumns()
{
    m_columns.clear();
    m_columns.reserve(m_text.size() * kAdvance);
    for (QChar c : m_text) {
        for (int col = 0; col < dotmatrix::kGlyphWidth; ++col)
            m_columns.append(dotmatrix::glyphColumn(c, col));
        m_columns.append(0);
    }
}

void LedDotMatrixLabel::setDotColor(const QColor &c)
{
    m_dot = c;
    update();
}

void LedDotMatrixLabel::setBackgroundColor(const QColor &c)
{
    m_background = c;
    update();
}

void LedDotMatrixLabel::setShowUnlitDots(bool on)
{
    m_showUnlit = on;
    update();
}

void LedDotMatrixLabel::setScrollOffset(int columns)
{
    if (columns == m_offset)
        return;
    m_offset = columns;
    update();
}

void LedDotMatrixLabel::setScrollStep(int columns)
{
    m_step = columns;
}

void LedDotMatrixLabel::setCharacterColumns(int count)
{
    m_charColumns = qMax(1, count);
    updateGeometry();
}

void LedDotMatrixLabel::step()
{
    int next = m_offset + m_step;
    const int visible = visibleColumns();
    if (m_step > 0 && next >= textColumns())
        next = -visible;
    else if (m_step < 0 && next <= -visible)
        next = textColumns();
    setScrollOffset(next);
}

void LedDotMatrixLabel::restartFromRight()
{
    setScrollOffset(-visibleColumns());
}

qreal LedDotMatrixLabel::dotPitch() const
{
    // Seven rows plus half a row of margin above and below fill the height.
    return qMax<qreal>(1.0, height() / (kRows + 1.0));
}

int LedDotMatrixLabel::visibleColumns() const
{
    return qMax(1, static_cast<int>(width() / dotPitch()));
}

QPointF LedDotMatrixLabel::dotCenter(int column, int row) const
{
    const qreal pitch = dotPitch();
    const qreal left = (width() - visibleColumns() * pitch) / 2;
    const qreal top = (height() - kRows * pitch) / 2;
    return QPointF(left + (column + 0.5) * pitch, top + (row + 0.5) * pitch);
}

bool LedDotMatrixLabel::isDotLit(int column, int row) const
{
    const int textCol = column + m_offset;
    if (row < 0 || row >= kRows || textCol < 0 || textCol >= m_columns.size())
        return false;
    return m_columns.at(textCol) & (1u << row);
}

QSize LedDotMatrixLabel::sizeHint() const
{
    // At the usual 28-pixel strip height a dot is 3.5 pixels apart.
    return QSize(qRound(m_charColumns * kAdvance * 3.5), 28);
}

QSize LedDotMatrixLabel::minimumSizeHint() const
{
    return QSize(32, 8);
}

void LedDotMatrixLabel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), m_background);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);

    const qreal pitch = dotPitch();
    const qreal r = pitch * 0.38;
    const QColor off = skin::unlit(m_dot, m_background, 0.13);
    const QColor core = skin::mix(m_dot, Qt::white, 0.35);
    const QColor halo = skin::withAlpha(m_dot, 70);
    const int cols = visibleColumns();

    if (m_showUnlit) {
        p.setBrush(off);
        for (int c = 0; c < cols; ++c)
            for (int row = 0; row < kRows; ++row)
                if (!isDotLit(c, row))
                    p.drawEllipse(dotCenter(c, row), r, r);
    }
    // Halos first so that no halo covers a neighbouring dot's core.
    p.setBrush(halo);
    for (int c = 0; c < cols; ++c)
        for (int row = 0; row < kRows; ++row)
            if (isDotLit(c, row))
                p.drawEllipse(dotCenter(c, row), r * 1.45, r * 1.45);
    for (int c = 0; c < cols; ++c) {
        for (int row = 0; row < kRows; ++row) {
            if (!isDotLit(c, row))
                continue;
            const QPointF at = dotCenter(c, row);
            p.setBrush(m_dot);
            p.drawEllipse(at, r, r);
            p.setBrush(core);
            p.drawEllipse(at, r * 0.45, r * 0.45);
        }
    }
}

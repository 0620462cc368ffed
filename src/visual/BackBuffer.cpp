#include "visual/BackBuffer.h"

#include <QEvent>
#include <QPainter>
#include <QWidget>
#include <cstdlib>
#include <cstring>

BackBuffer::BackBuffer(int width, int height)
{
    if (width > 0 && height > 0) {
        m_image = QImage(width, height, QImage::Format_RGB32);
        m_image.fill(Qt::black);
    }
}

void BackBuffer::fill(QRgb colour)
{
    if (!m_image.isNull())
        m_image.fill(colour);
}

void BackBuffer::plot(int x, int y, QRgb colour)
{
    if (x < 0 || y < 0 || x >= m_image.width() || y >= m_image.height())
        return;
    reinterpret_cast<QRgb *>(m_image.scanLine(y))[x] = colour;
}

void BackBuffer::line(int x0, int y0, int x1, int y1, QRgb colour)
{
    if (m_image.isNull())
        return;
    const int dx = std::abs(x1 - x0);
    const int dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1;
    const int sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    while (x0 != x1 || y0 != y1) {
        plot(x0, y0, colour);
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
}

void BackBuffer::fillRect(int left, int top, int right, int bottom, QRgb colour)
{
    left = qMax(left, 0);
    top = qMax(top, 0);
    right = qMin(right, m_image.width());
    bottom = qMin(bottom, m_image.height());
    for (int y = top; y < bottom; ++y) {
        QRgb *row = reinterpret_cast<QRgb *>(m_image.scanLine(y));
        for (int x = left; x < right; ++x)
            row[x] = colour;
    }
}

void BackBuffer::copyTo(QPaintDevice *target) const
{
    if (!target || m_image.isNull())
        return;
    if (auto *widget = dynamic_cast<QWidget *>(target)) {
        DisplaySurface::of(widget, true)->setFrame(m_image);
        widget->update();
        return;
    }
    QPainter p(target);
    if (!p.isActive())
        return;
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(0, 0, m_image);
}

DisplaySurface::DisplaySurface(QWidget *display)
    : QObject(display), m_display(display)
{
    setObjectName(QStringLiteral("displaySurface"));
    display->installEventFilter(this);
}

DisplaySurface *DisplaySurface::of(QWidget *display, bool create)
{
    if (!display)
        return nullptr;
    auto *surface = display->findChild<DisplaySurface *>(QString(), Qt::FindDirectChildrenOnly);
    if (!surface && create)
        surface = new DisplaySurface(display);
    return surface;
}

void DisplaySurface::setFrame(const QImage &frame)
{
    // Reuse the same pixels frame after frame instead of sharing the drawer's bitmap, which
    // would force a fresh allocation at every redraw.
    if (m_frame.size() != frame.size() || m_frame.format() != frame.format()) {
        m_frame = frame.copy();
        return;
    }
    const qsizetype bytes = qMin(m_frame.bytesPerLine(), frame.bytesPerLine());
    for (int y = 0; y < frame.height(); ++y)
        std::memcpy(m_frame.scanLine(y), frame.constScanLine(y), size_t(bytes));
}

void DisplaySurface::clear()
{
    m_frame = QImage();
}

bool DisplaySurface::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_display && event->type() == QEvent::Paint && !m_frame.isNull()) {
        QPainter p(m_display);
        p.drawImage(0, 0, m_frame);
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void clearDisplay(QWidget *display)
{
    if (DisplaySurface *surface = DisplaySurface::of(display, false)) {
        surface->clear();
        display->update();
    }
}

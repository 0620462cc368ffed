#pragma once
// The off-screen bitmap a display frame is drawn into, and its copy onto a target.
// Lines and rectangles follow the window system's classic rules: a line leaves out its end
// point and a rectangle its right and bottom edges, so neighbouring shapes never overlap.
#include <QImage>
#include <QObject>
#include <QRgb>

class QPaintDevice;
class QWidget;

class BackBuffer
{
public:
    BackBuffer(int width, int height);

    int width() const { return m_image.width(); }
    int height() const { return m_image.height(); }
    const QImage &image() const { return m_image; }

    void fill(QRgb colour);
    // Points outside the bitmap are dropped, so every shape is clipped to it.
    void plot(int x, int y, QRgb colour);
    // From (x0, y0) towards (x1, y1), the end point itself not drawn.
    void line(int x0, int y0, int x1, int y1, QRgb colour);
    // Columns left..right-1 and rows top..bottom-1.
    void fillRect(int left, int top, int right, int bottom, QRgb colour);

    // One block copy of the whole bitmap to the target's (0, 0). A widget cannot be painted
    // from outside its paint event, so a widget target keeps the frame and shows it at its
    // next paint (scheduled here).
    void copyTo(QPaintDevice *target) const;

private:
    QImage m_image;
};

// Holds the last frame copied to a widget and paints it in place of the widget's own
// painting. One per widget, created on the first copy, a child of that widget.
class DisplaySurface : public QObject
{
    Q_OBJECT
public:
    static DisplaySurface *of(QWidget *display, bool create);

    void setFrame(const QImage &frame);
    void clear();
    bool hasFrame() const { return !m_frame.isNull(); }
    const QImage &frame() const { return m_frame; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit DisplaySurface(QWidget *display);
    QWidget *m_display;
    QImage m_frame;
};

// Shows a display empty again: the widget paints itself (or lets its parent show through).
void clearDisplay(QWidget *display);

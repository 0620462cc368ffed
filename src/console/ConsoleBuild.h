#pragma once
// Small builders for the desk's controls: each takes its parent, its name and its place.
#include "widgets/ColorButton.h"

#include <QColor>
#include <QRect>
#include <QString>

class QFrame;
class QLabel;
class QSlider;
class QTimer;
class QWidget;

namespace console_build {

template <typename T>
T *named(T *w, const char *name)
{
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

QLabel *label(QWidget *parent, const QString &text, const QRect &r, const char *name = nullptr);
ColorButton *button(QWidget *parent, const char *name, const QString &caption, const QRect &r, const QString &hint,
                    ColorButton::Glyph glyph = ColorButton::NoGlyph);
QSlider *slider(QWidget *parent, const char *name, Qt::Orientation o, int min, int max, int value, const QRect &r,
                const QString &hint);
QTimer *timer(QObject *parent, const char *name, int ms);
// A skinned panel: a dark plate, or a flat colour where the desk asks for one.
QFrame *frame(QWidget *parent, const char *name, const QRect &r, const QColor &flat = QColor());

} // namespace console_build

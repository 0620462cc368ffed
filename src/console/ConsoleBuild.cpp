#include "ConsoleBuild.h"

#include "ConsoleStyle.h"

#include <QFrame>
#include <QLabel>
#include <QSlider>
#include <QTimer>

namespace console_build {

QLabel *label(QWidget *parent, const QString &text, const QRect &r, const char *name)
{
    auto *l = new QLabel(text, parent);
    if (name)
        l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(r);
    return l;
}

ColorButton *button(QWidget *parent, const char *name, const QString &caption, const QRect &r, const QString &hint,
                    ColorButton::Glyph glyph)
{
    auto *b = named(new ColorButton(caption, parent), name);
    b->setGeometry(r);
    b->setToolTip(hint);
    b->setGlyph(glyph);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

QSlider *slider(QWidget *parent, const char *name, Qt::Orientation o, int min, int max, int value, const QRect &r,
                const QString &hint)
{
    auto *s = named(new QSlider(o, parent), name);
    s->setRange(min, max);
    s->setValue(value);
    s->setGeometry(r);
    s->setToolTip(hint);
    return s;
}

QTimer *timer(QObject *parent, const char *name, int ms)
{
    auto *t = named(new QTimer(parent), name);
    t->setInterval(ms);
    t->setTimerType(Qt::PreciseTimer);
    return t;
}

QFrame *frame(QWidget *parent, const char *name, const QRect &r, const QColor &flat)
{
    auto *f = named(new QFrame(parent), name);
    f->setGeometry(r);
    console_style::panel(f, flat);
    return f;
}

} // namespace console_build

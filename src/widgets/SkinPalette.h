#pragma once
// Colours and small painting helpers shared by the skinned widgets, so every display
// on the desk glows the same way.
#include <QColor>
#include <QPainter>
#include <QPainterPath>
#include <QtGlobal>

namespace skin {

// Panels and faces.
inline QColor panelDark() { return QColor(24, 26, 30); }
inline QColor panelEdge() { return QColor(60, 64, 72); }
inline QColor displayBlack() { return QColor(6, 8, 10); }
inline QColor buttonFace() { return QColor(58, 62, 70); }
inline QColor captionLight() { return QColor(225, 230, 235); }

// Glowing elements.
inline QColor segmentRed() { return QColor(255, 48, 32); }
inline QColor segmentAmber() { return QColor(255, 170, 20); }
inline QColor segmentGreen() { return QColor(60, 255, 90); }
inline QColor segmentCyan() { return QColor(40, 220, 255); }
inline QColor ledGreen() { return QColor(40, 235, 70); }
inline QColor ledYellow() { return QColor(250, 220, 30); }
inline QColor ledRed() { return QColor(255, 40, 30); }

// Linear blend of two colours; t = 0 gives a, t = 1 gives b.
inline QColor mix(const QColor &a, const QColor &b, qreal t)
{
    t = qBound<qreal>(0.0, t, 1.0);
    return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * t,
                            a.greenF() + (b.greenF() - a.greenF()) * t,
                            a.blueF() + (b.blueF() - a.blueF()) * t,
                            a.alphaF() + (b.alphaF() - a.alphaF()) * t);
}

// The colour an unlit element shows: a trace of its lit colour over the background,
// like a real LED seen through a smoked window.
inline QColor unlit(const QColor &lit, const QColor &background, qreal trace = 0.14)
{
    return mix(background, lit, trace);
}

inline QColor withAlpha(QColor c, int alpha)
{
    c.setAlpha(alpha);
    return c;
}

// Paints a soft halo around a shape: a few widening translucent strokes under it.
inline void paintGlow(QPainter &p, const QPainterPath &shape, const QColor &colour, qreal radius)
{
    if (radius <= 0.2)
        return;
    p.save();
    p.setBrush(Qt::NoBrush);
    const int passes = 3;
    for (int i = passes; i >= 1; --i) {
        QPen pen(withAlpha(colour, 28 + 14 * (passes - i)), radius * i / passes * 2.0);
        pen.setJoinStyle(Qt::RoundJoin);
        pen.setCapStyle(Qt::RoundCap);
        p.setPen(pen);
        p.drawPath(shape);
    }
    p.restore();
}

} // namespace skin

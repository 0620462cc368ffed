#pragma once
// The desk's look for the plain Qt controls (sliders, lists, grids, check boxes): dark
// panels and metal knobs that sit with the skinned widgets.
#include <QColor>
#include <QString>

class QFrame;
class QWidget;

namespace console_style {

QString styleSheet();
// A skinned panel: a dark brushed plate, or a flat colour where the desk asks for one.
void panel(QFrame *frame, const QColor &flat = QColor());
void setBackground(QWidget *w, const QColor &c);

} // namespace console_style

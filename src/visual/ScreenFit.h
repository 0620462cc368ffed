#pragma once
// Fitting the console, laid out for a 1028 x 780 screen, to the screen it runs on, and the
// step of the first showing that fits it and creates the deck drawing objects.
#include "visual/DeckVisuals.h"

#include <QRect>
#include <QSize>
#include <QVector>

class QWidget;

namespace screenfit {

constexpr int DesignWidth = 1028;
constexpr int DesignHeight = 780;
inline QSize designScreen() { return QSize(DesignWidth, DesignHeight); }

// value × screenExtent / designExtent to the nearest whole number, halves to the even one,
// computed exactly (no floating-point error at the halves). designExtent must be positive.
int scale(int value, int screenExtent, int designExtent);

// A control's place and size at the design screen, scaled to `screen`.
QRect fitRect(const QRect &design, const QSize &screen);

// The panels whose place the fit changes, in the order it visits them: the panel itself
// (when `self`) and then each of its direct child widgets.
struct FitGroup
{
    const char *panel;
    bool self;
};
const QVector<FitGroup> &fitGroups();

// Scales every control of the groups found under `console` (by object name, anywhere below
// it) from its current place to `screen`, each control once per listing. Returns how many
// controls were moved; groups that do not exist are skipped.
int fitControls(QWidget *console, const QSize &screen);

// The library and search grids (`StringGrid1`, `StringGrid2`) show only the title column:
// column 0 gets width 0 and column 1 the grid's whole width.
void fitGrids(QWidget *console);

// The console's step at its first showing. When `screen` differs from `recordedScreen`, the
// controls and grids are fitted; the drawing objects are then created for the current sizes
// of `pp` and `PP2` (found under `console`) if they do not exist yet, whatever the screen
// size; finally `recordedScreen` takes `screen`, so a later showing fits nothing again.
// The console records designScreen() as `recordedScreen` when it is created.
void ajusta_tela(QWidget *console, const QSize &screen, QSize &recordedScreen,
                 ConsoleVisuals &visuals);

} // namespace screenfit

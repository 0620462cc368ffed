#include "visual/ScreenFit.h"

#include <QHeaderView>
#include <QTableView>
#include <QWidget>

namespace screenfit {

namespace {

// num / den rounded to nearest, halves to even; den > 0.
qint64 roundHalfEven(qint64 num, qint64 den)
{
    const bool negative = num < 0;
    const qint64 n = negative ? -num : num;
    qint64 q = n / den;
    const qint64 twiceRest = 2 * (n % den);
    if (twiceRest > den || (twiceRest == den && (q & 1)))
        ++q;
    return negative ? -q : q;
}

QSize sizeOf(QWidget *console, const char *name, const QSize &fallback)
{
    if (console)
        if (auto *w = console->findChild<QWidget *>(QLatin1String(name)))
            return w->size();
    return fallback;
}

} // namespace

int scale(int value, int screenExtent, int designExtent)
{
    if (designExtent <= 0)
        return value;
    return int(roundHalfEven(qint64(value) * screenExtent, designExtent));
}

QRect fitRect(const QRect &design, const QSize &screen)
{
    return QRect(scale(design.x(), screen.width(), DesignWidth),
                 scale(design.y(), screen.height(), DesignHeight),
                 scale(design.width(), screen.width(), DesignWidth),
                 scale(design.height(), screen.height(), DesignHeight));
}

const QVector<FitGroup> &fitGroups()
{
    static const QVector<FitGroup> groups = {
        {"bsSkinPanel1", true}, // deck A
        {"bsSkinPanel4", true}, // library
        {"bsSkinPanel5", false}, // the library panel inside it, already moved with it
        {"bsSkinPanel7", true}, // deck B
        {"bsSkinPanel2", true}, // deck A's sliders and effects
        {"bsSkinPanel8", true}, // deck B's sliders and effects
        {"bsSkinPanel6", true}, // equaliser
        {"Panel11", true}, // crossfader
        {"Panel18", true}, // title ticker
        {"Panel2", false}, // deck A's display panel, moved with deck A
        {"Panel4", false}, // deck B's display panel, moved with deck B
        {"Panel9", true}, // cartridge bank
        {"Panel19", true}, // automatic mixing buttons
    };
    return groups;
}

int fitControls(QWidget *console, const QSize &screen)
{
    if (!console)
        return 0;
    int moved = 0;
    auto fit = [&](QWidget *w) {
        w->setGeometry(fitRect(w->geometry(), screen));
        ++moved;
    };
    for (const FitGroup &group : fitGroups()) {
        auto *panel = console->findChild<QWidget *>(QLatin1String(group.panel));
        if (!panel)
            continue;
        if (group.self)
            fit(panel);
        const auto children =
            panel->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
        for (QWidget *child : children)
            if (!child->isWindow())
                fit(child);
    }
    return moved;
}

void fitGrids(QWidget *console)
{
    if (!console)
        return;
    for (const char *name : {"StringGrid1", "StringGrid2"}) {
        auto *grid = console->findChild<QTableView *>(QLatin1String(name));
        if (!grid || !grid->model() || grid->model()->columnCount() < 2)
            continue;
        grid->setColumnWidth(0, 0);
        grid->setColumnWidth(1, grid->width());
    }
}

void ajusta_tela(QWidget *console, const QSize &screen, QSize &recordedScreen,
                 ConsoleVisuals &visuals)
{
    if (screen != recordedScreen) {
        fitControls(console, screen);
        fitGrids(console);
    }
    // Also at exactly the design size: the deck clocks draw with these objects whenever a
    // deck plays. Without a display the design size of the box stands in.
    const QSize designBox(163, 59);
    cria_graficos(visuals, sizeOf(console, "pp", fitRect(QRect(QPoint(), designBox), screen).size()),
                  sizeOf(console, "PP2", fitRect(QRect(QPoint(), designBox), screen).size()));
    recordedScreen = screen;
}

} // namespace screenfit

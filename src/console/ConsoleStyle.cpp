#include "ConsoleStyle.h"

#include <QFrame>
#include <QPalette>

namespace console_style {

QString styleSheet()
{
    return QStringLiteral(R"(
QFrame[skin="plate"] {
  background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #3a3d42, stop:0.5 #2b2e33, stop:1 #222428);
  border: 1px solid #15171a; border-radius: 3px;
}
QDialog { background: #2b2e33; }
QLabel { color: #d8dde3; background: transparent; }
QLabel[role="caption"] { color: #9fb3c8; }
QCheckBox { color: #d8dde3; spacing: 4px; }
QCheckBox::indicator { width: 12px; height: 12px; border: 1px solid #0b0c0d; border-radius: 2px;
  background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #1a1c1f, stop:1 #33363b); }
QCheckBox::indicator:checked { background: qradialgradient(cx:0.5, cy:0.5, radius:0.7, fx:0.5, fy:0.5,
  stop:0 #b6ff9c, stop:0.6 #39d81f, stop:1 #177a0c); }
QRadioButton { color: #d8dde3; }
QSlider::groove:horizontal { height: 4px; background: #0e0f11; border: 1px solid #000; border-radius: 2px; }
QSlider::sub-page:horizontal { background: qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 #135e8c, stop:1 #2fa8e0); border-radius: 2px; }
QSlider::handle:horizontal { width: 10px; margin: -6px 0; border-radius: 2px; border: 1px solid #050505;
  background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #f2f4f6, stop:0.45 #a9afb6, stop:0.55 #7d838a, stop:1 #c9ced3); }
QSlider::groove:vertical { width: 4px; background: #0e0f11; border: 1px solid #000; border-radius: 2px; }
QSlider::add-page:vertical { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #2fa8e0, stop:1 #135e8c); border-radius: 2px; }
QSlider::handle:vertical { height: 8px; margin: 0 -7px; border-radius: 2px; border: 1px solid #050505;
  background: qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 #f2f4f6, stop:0.45 #a9afb6, stop:0.55 #7d838a, stop:1 #c9ced3); }
QSlider::handle:disabled { background: #55595e; }
QListWidget { background: rgb(4, 23, 38); color: #cfe8ff; border: 1px solid #000;
  selection-background-color: #1f6fb2; selection-color: white; outline: 0; }
QTableView { border: 1px solid #000; outline: 0; }
QHeaderView::section { background: #2b2e33; color: #d8dde3; border: 0; border-right: 1px solid #15171a; padding: 1px 4px; }
QLineEdit, QComboBox { background: #101214; color: #f0f3f6; border: 1px solid #000; border-radius: 2px; padding: 1px 4px; }
QComboBox QAbstractItemView { background: #1b1d20; color: #f0f3f6; selection-background-color: #1f6fb2; }
QMenu { background: #24272b; color: #e8ecf0; border: 1px solid #000; }
QMenu::item:selected { background: #1f6fb2; }
QMenu::item:disabled { color: #6c7279; }
QToolTip { background: #fffbe0; color: #000; border: 1px solid #000; }
)");
}

void setBackground(QWidget *w, const QColor &c)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, c);
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

void panel(QFrame *frame, const QColor &flat)
{
    if (flat.isValid()) {
        frame->setStyleSheet(QStringLiteral("QFrame#%1 { background: %2; border: 1px solid #101010; }")
                                 .arg(frame->objectName(), flat.name()));
    } else {
        frame->setProperty("skin", "plate");
    }
}

} // namespace console_style

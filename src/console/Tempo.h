#pragma once
// Player milliseconds as the desk shows them: a time of day whose "MM:SS" part is displayed.
#include <QString>
#include <QTime>

// Whole seconds of `ms` as a time of day; 0 or less gives 00:00:00. Tracks longer than a day
// wrap around instead of failing, so a display never breaks on an odd file.
QTime ms_para_hora(qint64 ms);
// The "MM:SS" the displays show for `ms`.
QString minutos_segundos(qint64 ms);

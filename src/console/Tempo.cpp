#include "Tempo.h"

#include "settings/Startup.h"
#include "settings/funcoes.h"

QTime ms_para_hora(qint64 ms)
{
    if (ms <= 0)
        return QTime(0, 0, 0);
    const qint64 minutes = ms / 60000;
    const int hours = int((minutes / 60) % 24);
    const QString text = funcoes::zeros_esquerda(QString::number(hours), 2) + ':'
        + funcoes::zeros_esquerda(QString::number(minutes % 60), 2) + ':'
        + funcoes::zeros_esquerda(QString::number((ms % 60000) / 1000), 2);
    return QTime::fromString(text, QStringLiteral("HH:mm:ss"));
}

QString minutos_segundos(qint64 ms)
{
    return ms_para_hora(ms).toString(Startup::formatoHora()).mid(3, 5);
}

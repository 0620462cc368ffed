#pragma once
// What a recording sound card played during its last seconds: the level (RMS of one channel,
// 0..1, the left unless told) and the tone's frequency from its zero crossings.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <cmath>
#include <cstring>

struct Heard
{
    double level = 0;
    double hz = 0;
};

inline Heard heardOnAir(const QString &wav, double seconds, int channel = 0)
{
    QFile f(wav);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray all = f.readAll();
    if (all.size() < 44 || !all.startsWith("RIFF"))
        return {};
    quint32 rate = 0;
    std::memcpy(&rate, all.constData() + 24, 4);
    const qsizetype frames = (all.size() - 44) / 4;
    const qsizetype want = qMin<qsizetype>(frames, qsizetype(seconds * rate));
    if (want == 0)
        return {};
    const auto *s = reinterpret_cast<const qint16 *>(all.constData() + 44);
    double sum = 0;
    int crossings = 0;
    for (qsizetype i = frames - want; i < frames; ++i) {
        const double v = s[2 * i + channel] / 32768.0;
        sum += v * v;
        if (i > frames - want && (s[2 * i + channel] >= 0) != (s[2 * (i - 1) + channel] >= 0))
            ++crossings;
    }
    return {std::sqrt(sum / double(want)), crossings / 2.0 / (double(want) / rate)};
}

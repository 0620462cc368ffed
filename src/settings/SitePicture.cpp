#include "settings/SitePicture.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <cmath>

namespace SitePicture {

QPixmap figura_site(const QSize &tamanho, const QString &endereco)
{
    QPixmap pm(tamanho);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF placa = QRectF(pm.rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QLinearGradient fundo(placa.topLeft(), placa.bottomLeft());
    fundo.setColorAt(0, QColor(18, 64, 104));
    fundo.setColorAt(1, QColor(4, 20, 36));
    p.setPen(QPen(QColor(40, 120, 180), 1));
    p.setBrush(fundo);
    p.drawRoundedRect(placa, 4, 4);

    // The record: grooves, a red label and its hole.
    const qreal r = placa.height() / 2 - 4;
    const QPointF c(placa.left() + r + 5, placa.center().y());
    QRadialGradient vinil(c, r);
    vinil.setColorAt(0, QColor(40, 40, 44));
    vinil.setColorAt(1, QColor(8, 8, 10));
    p.setPen(Qt::NoPen);
    p.setBrush(vinil);
    p.drawEllipse(c, r, r);
    p.setBrush(Qt::NoBrush);
    for (qreal g = r * 0.45; g < r - 1; g += 2.5) {
        p.setPen(QPen(QColor(70, 70, 78), 0.6));
        p.drawEllipse(c, g, g);
    }
    p.setPen(QPen(QColor(150, 200, 255, 120), 1.2));
    p.drawArc(QRectF(c.x() - r + 2, c.y() - r + 2, 2 * r - 4, 2 * r - 4), 30 * 16, 50 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(214, 40, 36));
    p.drawEllipse(c, r * 0.35, r * 0.35);
    p.setBrush(QColor(4, 20, 36));
    p.drawEllipse(c, 1.6, 1.6);

    // The address, with a small invitation above it.
    const QRectF texto(c.x() + r + 6, placa.top() + 2, placa.right() - (c.x() + r + 8), placa.height() - 4);
    QFont f = p.font();
    f.setPixelSize(std::max(7, int(placa.height() * 0.22)));
    f.setBold(false);
    p.setFont(f);
    p.setPen(QColor(150, 190, 220));
    p.drawText(QRectF(texto.left(), texto.top(), texto.width(), texto.height() / 2), Qt::AlignLeft | Qt::AlignBottom,
               QStringLiteral("VISITE"));
    f.setBold(true);
    f.setPixelSize(std::max(7, int(placa.height() * 0.26)));
    // The address fits the plate whatever its length.
    while (f.pixelSize() > 6 && QFontMetricsF(f).horizontalAdvance(endereco) > texto.width())
        f.setPixelSize(f.pixelSize() - 1);
    p.setFont(f);
    p.setPen(QColor(95, 200, 255));
    p.drawText(QRectF(texto.left(), texto.center().y(), texto.width(), texto.height() / 2),
               Qt::AlignLeft | Qt::AlignTop, endereco);
    return pm;
}

QPixmap figura_emblema(const QSize &tamanho)
{
    QPixmap pm(tamanho);
    pm.fill(Qt::black);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const int barras = 9;
    const qreal largura = qreal(tamanho.width()) / barras;
    const qreal base = tamanho.height() * 0.72;
    for (int i = 0; i < barras; ++i) {
        // A fixed, pleasing outline: high in the middle, lower at the sides.
        const qreal altura = base * (0.35 + 0.6 * std::sin((i + 0.5) * M_PI / barras) * (i % 2 ? 0.8 : 1.0));
        const QRectF barra(i * largura + 2, base - altura, largura - 4, altura);
        QLinearGradient g(barra.bottomLeft(), barra.topLeft());
        g.setColorAt(0, QColor(40, 200, 60));
        g.setColorAt(0.6, QColor(240, 220, 40));
        g.setColorAt(1, QColor(230, 40, 30));
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawRect(barra);
    }
    p.setBrush(QColor(200, 30, 30));
    p.drawRect(QRectF(0, base + 1, tamanho.width(), 3));
    QFont f = p.font();
    f.setBold(true);
    f.setPixelSize(std::max(8, int(tamanho.height() * 0.2)));
    p.setFont(f);
    p.setPen(QColor(230, 236, 244));
    p.drawText(QRectF(0, base + 4, tamanho.width(), tamanho.height() - base - 4), Qt::AlignCenter,
               QStringLiteral("VELARIX"));
    return pm;
}

} // namespace SitePicture

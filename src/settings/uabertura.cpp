#include "uabertura.h"

#include "audio/TThreadedTimer.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QScreen>
#include <QtMath>

Tform_abertura::Tform_abertura(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("form_abertura"));
    setFixedSize(larguraCliente, alturaCliente);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);
    setCursor(Qt::WaitCursor);
    // The picture covers every pixel: no need to clear before painting.
    setAttribute(Qt::WA_OpaquePaintEvent);

    m_quadro = desenhaAbertura(size());

    tempo = new TThreadedTimer(this);
    tempo->setObjectName(QStringLiteral("tempo"));
    tempo->setInterval(3000);
    tempo->OnTimer = [this](TThreadedTimer *) { tempoTimer(); };
    tempo->setEnabled(true);

    centraNaTela();
}

void Tform_abertura::tempoTimer()
{
    // Only the first tick counts; it also ends a modal showing.
    tempo->setEnabled(false);
    done(QDialog::Accepted);
}

void Tform_abertura::centraNaTela()
{
    QScreen *tela = screen();
    if (!tela)
        return;
    const QRect area = tela->geometry();
    move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
}

void Tform_abertura::showEvent(QShowEvent *event)
{
    centraNaTela();
    QDialog::showEvent(event);
    // The modal loop may be busy before the first expose: draw the picture right away.
    repaint();
}

void Tform_abertura::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.drawImage(0, 0, m_quadro);
}

namespace {

// Heights (0..1) of the equaliser columns: a strong bass, a dip in the low mids, a lift in
// the presence band and a falling top, like a dance track caught mid-beat.
double alturaBarra(int i, int n)
{
    const double x = double(i) / (n - 1);
    const double v = 0.42 + 0.5 * qExp(-qPow((x - 0.12) / 0.13, 2))
                     - 0.2 * qExp(-qPow((x - 0.45) / 0.1, 2))
                     + 0.3 * qExp(-qPow((x - 0.72) / 0.09, 2)) - 0.25 * x * x
                     + 0.09 * qSin(i * 2.7 + 0.4);
    return qBound(0.1, v, 0.97);
}

void desenhaFundo(QPainter &p, const QRectF &r)
{
    QLinearGradient fundo(r.topLeft(), r.bottomLeft());
    fundo.setColorAt(0.0, QColor(10, 14, 26));
    fundo.setColorAt(0.6, QColor(5, 7, 14));
    fundo.setColorAt(1.0, QColor(0, 0, 0));
    p.fillRect(r, fundo);

    // A faint stage light behind the title.
    QRadialGradient luz(QPointF(r.width() * 0.68, r.height() * 0.42), r.width() * 0.45);
    luz.setColorAt(0.0, QColor(0, 150, 255, 60));
    luz.setColorAt(1.0, QColor(0, 0, 0, 0));
    p.fillRect(r, luz);

    // The desk's panel grid.
    p.setPen(QPen(QColor(255, 255, 255, 10), 1));
    for (int x = 0; x < r.width(); x += 12)
        p.drawLine(QPointF(x + 0.5, 0), QPointF(x + 0.5, r.height()));
    for (int y = 0; y < r.height(); y += 12)
        p.drawLine(QPointF(0, y + 0.5), QPointF(r.width(), y + 0.5));
}

void desenhaDisco(QPainter &p, const QPointF &c, double raio)
{
    // Halo around the record.
    QRadialGradient halo(c, raio * 1.25);
    halo.setColorAt(0.75, QColor(255, 60, 160, 70));
    halo.setColorAt(1.0, QColor(255, 60, 160, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(halo);
    p.drawEllipse(c, raio * 1.25, raio * 1.25);

    QRadialGradient vinil(c, raio);
    vinil.setColorAt(0.0, QColor(30, 30, 34));
    vinil.setColorAt(1.0, QColor(8, 8, 10));
    p.setBrush(vinil);
    p.setPen(QPen(QColor(70, 70, 80), 1.2));
    p.drawEllipse(c, raio, raio);

    // Grooves.
    p.setBrush(Qt::NoBrush);
    for (double g = raio * 0.38; g < raio * 0.97; g += 2.6) {
        const int tom = 22 + int(10 * qSin(g * 0.7));
        p.setPen(QPen(QColor(tom, tom, tom + 4), 0.8));
        p.drawEllipse(c, g, g);
    }

    // Light caught by the grooves.
    QConicalGradient brilho(c, 35);
    brilho.setColorAt(0.00, QColor(255, 255, 255, 0));
    brilho.setColorAt(0.06, QColor(255, 255, 255, 55));
    brilho.setColorAt(0.14, QColor(255, 255, 255, 0));
    brilho.setColorAt(0.50, QColor(255, 255, 255, 0));
    brilho.setColorAt(0.56, QColor(120, 200, 255, 45));
    brilho.setColorAt(0.64, QColor(255, 255, 255, 0));
    brilho.setColorAt(1.00, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(brilho);
    p.drawEllipse(c, raio * 0.97, raio * 0.97);

    // Label.
    const double rotulo = raio * 0.33;
    QRadialGradient cor(c - QPointF(rotulo * 0.3, rotulo * 0.3), rotulo * 1.3);
    cor.setColorAt(0.0, QColor(255, 120, 60));
    cor.setColorAt(1.0, QColor(200, 20, 110));
    p.setBrush(cor);
    p.setPen(QPen(QColor(0, 0, 0, 120), 1));
    p.drawEllipse(c, rotulo, rotulo);
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(qMax(6, int(rotulo * 0.32)));
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(255, 255, 255, 220));
    p.drawText(QRectF(c.x() - rotulo, c.y() - rotulo * 0.75, rotulo * 2, rotulo * 0.6),
               Qt::AlignCenter, QStringLiteral("VELARIX"));
    p.setBrush(QColor(5, 5, 8));
    p.setPen(Qt::NoPen);
    p.drawEllipse(c, 3.0, 3.0);

    // Tone arm: pivot off the record, head resting on the outer grooves.
    const QPointF pivo(c.x() + raio * 0.98, c.y() - raio * 0.88);
    const QPointF cotovelo(c.x() + raio * 0.86, c.y() + raio * 0.2);
    const QPointF cabeca(c.x() + raio * 0.55, c.y() + raio * 0.58);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0, 0, 0, 120), 5.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF{pivo + QPointF(2, 3), cotovelo + QPointF(2, 3), cabeca + QPointF(2, 3)});
    p.setPen(QPen(QColor(200, 205, 215), 3.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF{pivo, cotovelo, cabeca});
    p.setPen(Qt::NoPen);
    QRadialGradient base(pivo - QPointF(2, 2), 10);
    base.setColorAt(0.0, QColor(230, 232, 240));
    base.setColorAt(1.0, QColor(90, 95, 105));
    p.setBrush(base);
    p.drawEllipse(pivo, 8.0, 8.0);
    // Headshell with its cue light.
    p.save();
    p.translate(cabeca);
    p.rotate(QLineF(cotovelo, cabeca).angle() * -1);
    p.setBrush(QColor(170, 175, 185));
    p.drawRoundedRect(QRectF(-2, -5, 14, 10), 2, 2);
    p.setBrush(QColor(60, 220, 255));
    p.drawEllipse(QPointF(9, 0), 2.2, 2.2);
    p.restore();
}

void desenhaEqualizador(QPainter &p, const QRectF &area)
{
    const int colunas = 18;
    const int segmentos = 14;
    const double passo = area.width() / colunas;
    const double largura = passo * 0.72;
    const double alto = area.height() / segmentos;
    for (int i = 0; i < colunas; ++i) {
        const int acesos = qMax(1, int(std::lround(alturaBarra(i, colunas) * segmentos)));
        const double x = area.left() + i * passo + (passo - largura) / 2;
        for (int s = 0; s < segmentos; ++s) {
            const double y = area.bottom() - (s + 1) * alto;
            const QRectF led(x, y + 1, largura, alto - 2);
            QColor cor;
            if (s < segmentos * 0.6)
                cor = QColor(40, 230, 120);
            else if (s < segmentos * 0.85)
                cor = QColor(250, 210, 40);
            else
                cor = QColor(255, 60, 60);
            if (s < acesos) {
                // Glow first, then the lit segment.
                QColor brilho = cor;
                brilho.setAlpha(60);
                p.fillRect(led.adjusted(-1.5, -1.5, 1.5, 1.5), brilho);
                p.fillRect(led, cor);
            } else {
                cor.setAlpha(28);
                p.fillRect(led, cor);
            }
        }
        // Peak hold, floating a little above the column.
        const int pico = qMin(segmentos - 1, acesos + 1 + (i % 3 == 0 ? 1 : 0));
        const QRectF capa(x, area.bottom() - (pico + 1) * alto + 1, largura, alto - 2);
        p.fillRect(capa.adjusted(-1.5, -1.5, 1.5, 1.5), QColor(255, 255, 255, 40));
        p.fillRect(capa, QColor(235, 245, 255));
        // Reflection on the desk surface.
        const int reflexo = qMin(4, qMax(1, int(std::lround(alturaBarra(i, colunas) * segmentos))));
        for (int s = 0; s < reflexo; ++s) {
            const double y = area.bottom() + 2 + s * alto;
            p.fillRect(QRectF(x, y + 1, largura, alto - 2), QColor(40, 230, 120, 40 - s * 9));
        }
    }
}

void desenhaTextoComBrilho(QPainter &p, const QRectF &r, const QFont &fonte, const QString &texto,
                           const QColor &cor, const QColor &brilho, Qt::Alignment alinhamento)
{
    QPainterPath caminho;
    const QFontMetricsF fm(fonte);
    const double w = fm.horizontalAdvance(texto);
    double x = r.left();
    if (alinhamento & Qt::AlignHCenter)
        x = r.center().x() - w / 2;
    else if (alinhamento & Qt::AlignRight)
        x = r.right() - w;
    const double y = r.center().y() + (fm.ascent() - fm.descent()) / 2;
    caminho.addText(QPointF(x, y), fonte, texto);

    p.setBrush(Qt::NoBrush);
    for (int k = 4; k >= 1; --k) {
        QColor c = brilho;
        c.setAlpha(20 + (4 - k) * 14);
        p.setPen(QPen(c, k * 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(caminho);
    }
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0.0, Qt::white);
    g.setColorAt(1.0, cor);
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawPath(caminho);
}

} // namespace

QImage Tform_abertura::desenhaAbertura(const QSize &tamanho)
{
    QImage img(tamanho, QImage::Format_RGB32);
    img.fill(Qt::black);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    const QRectF r(QPointF(0, 0), QSizeF(tamanho));
    const double sx = r.width() / larguraCliente;
    const double sy = r.height() / alturaCliente;
    p.scale(sx, sy);
    const QRectF base(0, 0, larguraCliente, alturaCliente);

    desenhaFundo(p, base);
    desenhaDisco(p, QPointF(108, 128), 88);

    QFont pequena(QStringLiteral("DejaVu Sans"));
    pequena.setPixelSize(13);
    pequena.setLetterSpacing(QFont::AbsoluteSpacing, 5);
    p.setFont(pequena);
    p.setPen(QColor(120, 200, 255));
    p.drawText(QRectF(215, 22, 230, 18), Qt::AlignHCenter | Qt::AlignVCenter,
               QStringLiteral("QUORVANTI"));

    QFont titulo(QStringLiteral("DejaVu Sans"));
    titulo.setPixelSize(34);
    titulo.setBold(true);
    titulo.setItalic(true);
    desenhaTextoComBrilho(p, QRectF(215, 40, 230, 40), titulo, QStringLiteral("VELARIX"),
                          QColor(80, 200, 255), QColor(0, 160, 255), Qt::AlignHCenter);
    QFont pro(QStringLiteral("DejaVu Sans"));
    pro.setPixelSize(17);
    pro.setBold(true);
    pro.setLetterSpacing(QFont::AbsoluteSpacing, 6);
    desenhaTextoComBrilho(p, QRectF(215, 80, 230, 22), pro, QStringLiteral("PRO"),
                          QColor(255, 110, 190), QColor(255, 40, 150), Qt::AlignHCenter);

    desenhaEqualizador(p, QRectF(228, 110, 204, 92));

    // A rule across the bottom, like the edge of a mixing desk.
    QLinearGradient linha(QPointF(20, 0), QPointF(437, 0));
    linha.setColorAt(0.0, QColor(0, 160, 255, 0));
    linha.setColorAt(0.5, QColor(0, 180, 255, 200));
    linha.setColorAt(1.0, QColor(255, 40, 150, 0));
    p.fillRect(QRectF(20, 232, 417, 1.5), linha);

    QFont rodape(QStringLiteral("DejaVu Sans"));
    rodape.setPixelSize(11);
    rodape.setLetterSpacing(QFont::AbsoluteSpacing, 1.5);
    p.setFont(rodape);
    p.setPen(QColor(170, 180, 200));
    p.drawText(QRectF(20, 238, 417, 16), Qt::AlignCenter,
               QStringLiteral("Console de mixagem  \u2022  o mixer que agita sua festa"));
    p.end();
    return img;
}

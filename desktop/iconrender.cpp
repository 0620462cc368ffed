// Draws the program's icon into a PNG at build time from its SVG. The SVG uses only what this
// reader knows: rect (with rx), circle, fill and stroke colours, and linear or radial
// gradients given in bounding-box units.
#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QXmlStreamReader>
#include <cstdio>

namespace {

struct Gradient
{
    bool radial = false;
    double x1 = 0, y1 = 0, x2 = 0, y2 = 1, cx = 0.5, cy = 0.5, r = 0.5;
    QGradientStops stops;
};

double num(const QXmlStreamAttributes &a, const char *name, double fallback = 0)
{
    const QStringView v = a.value(QLatin1String(name));
    return v.isEmpty() ? fallback : v.toDouble();
}

QBrush paint(const QString &spec, const QRectF &box, const QHash<QString, Gradient> &gradients)
{
    if (spec.isEmpty() || spec == QLatin1String("none"))
        return Qt::NoBrush;
    if (spec.startsWith(QLatin1String("url(#"))) {
        const Gradient g = gradients.value(spec.mid(5, spec.size() - 6));
        auto at = [&box](double u, double v) { return QPointF(box.left() + u * box.width(), box.top() + v * box.height()); };
        if (g.radial) {
            QRadialGradient rg(at(g.cx, g.cy), g.r * box.width());
            rg.setStops(g.stops);
            return rg;
        }
        QLinearGradient lg(at(g.x1, g.y1), at(g.x2, g.y2));
        lg.setStops(g.stops);
        return lg;
    }
    return QColor(spec);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: iconrender ICON.svg OUT.png SIZE\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QFile in(QString::fromLocal8Bit(argv[1]));
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    const int size = QByteArray(argv[3]).toInt();
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    QHash<QString, Gradient> gradients;
    QString current;
    QXmlStreamReader xml(&in);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QStringView tag = xml.name();
        const QXmlStreamAttributes a = xml.attributes();
        if (tag == QLatin1String("svg")) {
            const QStringList box = a.value(QLatin1String("viewBox")).toString().split(QLatin1Char(' '));
            const double w = box.value(2, QStringLiteral("256")).toDouble();
            p.scale(size / w, size / w);
        } else if (tag == QLatin1String("linearGradient") || tag == QLatin1String("radialGradient")) {
            current = a.value(QLatin1String("id")).toString();
            Gradient g;
            g.radial = tag == QLatin1String("radialGradient");
            g.x1 = num(a, "x1", 0);
            g.y1 = num(a, "y1", 0);
            g.x2 = num(a, "x2", 1);
            g.y2 = num(a, "y2", 0);
            g.cx = num(a, "cx", 0.5);
            g.cy = num(a, "cy", 0.5);
            g.r = num(a, "r", 0.5);
            gradients.insert(current, g);
        } else if (tag == QLatin1String("stop")) {
            gradients[current].stops.append({num(a, "offset"), QColor(a.value(QLatin1String("stop-color")).toString())});
        } else if (tag == QLatin1String("rect") || tag == QLatin1String("circle")) {
            const bool circle = tag == QLatin1String("circle");
            const double r = num(a, "r");
            const QRectF box = circle ? QRectF(num(a, "cx") - r, num(a, "cy") - r, 2 * r, 2 * r)
                                      : QRectF(num(a, "x"), num(a, "y"), num(a, "width"), num(a, "height"));
            const QString fill = a.hasAttribute(QLatin1String("fill")) ? a.value(QLatin1String("fill")).toString()
                                                                       : QStringLiteral("#000000");
            p.setBrush(paint(fill, box, gradients));
            const QString stroke = a.value(QLatin1String("stroke")).toString();
            if (stroke.isEmpty() || stroke == QLatin1String("none"))
                p.setPen(Qt::NoPen);
            else
                p.setPen(QPen(QColor(stroke), num(a, "stroke-width", 1)));
            if (circle)
                p.drawEllipse(box);
            else
                p.drawRoundedRect(box, num(a, "rx"), num(a, "ry", num(a, "rx")));
        }
    }
    p.end();
    if (xml.hasError()) {
        std::fprintf(stderr, "%s: %s\n", argv[1], qPrintable(xml.errorString()));
        return 1;
    }
    if (!image.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}

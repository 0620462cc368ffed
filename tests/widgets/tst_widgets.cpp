// Renders the skinned widgets off screen and checks what they actually paint.
#include "TestSupport.h"

#include "widgets/ColorButton.h"
#include "widgets/Lamp.h"
#include "widgets/LedBarGauge.h"
#include "widgets/LedButton.h"
#include "widgets/LedColon.h"
#include "widgets/LedDotMatrixLabel.h"
#include "widgets/LedNumber.h"
#include "widgets/NeedleMeter.h"
#include "widgets/TColorBtn.h"

#include <QImage>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QtMath>

namespace {

QImage render(QWidget &w, QSize size)
{
    w.resize(size);
    QImage img(size, QImage::Format_ARGB32);
    img.fill(Qt::magenta);
    w.render(&img);
    return img;
}

// The pixel that contains a point.
QColor pixelAt(const QImage &img, QPointF at)
{
    if (!img.rect().contains(qFloor(at.x()), qFloor(at.y())))
        qFatal("sample point outside the rendered image");
    return img.pixelColor(qFloor(at.x()), qFloor(at.y()));
}

int distance(const QColor &a, const QColor &b)
{
    return qAbs(a.red() - b.red()) + qAbs(a.green() - b.green()) + qAbs(a.blue() - b.blue());
}

// A pixel counts as lit when it is nearer the lit colour than the unlit one.
bool looksLit(const QColor &px, const QColor &lit, const QColor &unlit)
{
    return distance(px, lit) < distance(px, unlit);
}

int brightness(const QColor &c)
{
    return c.red() + c.green() + c.blue();
}

// Horizontal centre of the pixels of one exact-ish colour.
double centroidX(const QImage &img, const QColor &c, int *count)
{
    double sum = 0;
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (distance(img.pixelColor(x, y), c) < 90) {
                sum += x;
                ++n;
            }
    *count = n;
    return n ? sum / n : -1;
}

void sendMouse(QWidget &w, QEvent::Type type, QPoint at)
{
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, at, w.mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(&w, &e);
}

QString segmentsLit(const LedNumber &n, const QImage &img, int digit)
{
    QString s;
    for (int seg = 0; seg < LedNumber::SegmentCount; ++seg)
        if (looksLit(pixelAt(img, n.segmentCenter(digit, seg)), n.litColor(), n.unlitColor()))
            s += QChar('a' + seg);
    return s;
}

} // namespace

class TestWidgets : public QObject
{
    Q_OBJECT

private slots:
    void ledNumberSegments_data();
    void ledNumberSegments();
    void ledNumberAlignsAndPads();
    void ledNumberClick();
    void ledColonLitAndUnlit();
    void lampOnOffAndColour();
    void lampMouseSignals();
    void ledButtonToggles();
    void needleFollowsValue();
    void barGaugeLightsProportionally_data();
    void barGaugeLightsProportionally();
    void barGaugeColoursByPosition();
    void dotMatrixPaintsItsModel();
    void dotMatrixScrollsAndWraps();
    void dotMatrixFoldsAccents();
    void colorBtnDefaults();
    void colorBtnFaceOutlineAndNumber();
    void colorBtnDoubleClickIsTwoClicks();
    void colorButtonFaceAndClick();
};

void TestWidgets::ledNumberSegments_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    // Minute panel at the design size and scaled up for a large screen.
    QTest::newRow("81 small") << "81" << QSize(23, 22) << "abcdefg" << "bc";
    QTest::newRow("81 large") << "81" << QSize(60, 52) << "abcdefg" << "bc";
    QTest::newRow("7-") << "7-" << QSize(40, 36) << "abc" << "g";
    QTest::newRow("blank 4") << " 4" << QSize(40, 36) << "" << "bcfg";
    QTest::newRow("20") << "20" << QSize(40, 36) << "abdeg" << "abcdef";
}

void TestWidgets::ledNumberSegments()
{
    QFETCH(QString, text);
    QFETCH(QSize, size);
    LedNumber n(2);
    n.setText(text);
    const QImage img = render(n, size);
    QFETCH(QString, first);
    QFETCH(QString, second);
    QCOMPARE(segmentsLit(n, img, 0), first);
    QCOMPARE(segmentsLit(n, img, 1), second);
}

void TestWidgets::ledNumberAlignsAndPads()
{
    LedNumber n(2);
    n.setValue(7);
    QCOMPARE(n.displayedText(), QString("07"));
    n.setLeadingZeros(false);
    QCOMPARE(n.displayedText(), QString(" 7"));
    QImage img = render(n, QSize(40, 36));
    QCOMPARE(segmentsLit(n, img, 0), QString());
    QCOMPARE(segmentsLit(n, img, 1), QString("abc"));
    QCOMPARE(n.value(), 7);

    // A count too long for the panel keeps its last digits, like a rolling counter.
    n.setValue(123);
    QCOMPARE(n.displayedText(), QString("23"));

    LedNumber counter(5);
    counter.setValue(42);
    QCOMPARE(counter.displayedText(), QString("00042"));
    counter.setLitColor(QColor(0, 255, 0));
    img = render(counter, QSize(90, 22));
    QCOMPARE(segmentsLit(counter, img, 4), QString("abdeg"));
    // The lit colour is the one set: green dominates a lit segment's centre.
    const QColor px = pixelAt(img, counter.segmentCenter(4, LedNumber::SegA));
    QVERIFY2(px.green() > 200 && px.red() < 140 && px.blue() < 140, qPrintable(px.name()));
    // Digits never leave the panel.
    for (int d = 0; d < 5; ++d)
        for (int s = 0; s < LedNumber::SegmentCount; ++s)
            QVERIFY(QRectF(counter.rect()).contains(counter.segmentPolygon(d, s).boundingRect()));
}

void TestWidgets::ledNumberClick()
{
    LedNumber n(2);
    n.resize(40, 30);
    QSignalSpy spy(&n, &LedNumber::clicked);
    QTest::mouseClick(&n, Qt::LeftButton, {}, QPoint(20, 15));
    QCOMPARE(spy.count(), 1);
}

void TestWidgets::ledColonLitAndUnlit()
{
    LedColon c;
    QImage img = render(c, QSize(10, 22));
    for (int i = 0; i < 2; ++i)
        QVERIFY(looksLit(pixelAt(img, c.dotCenter(i)), c.litColor(), c.unlitColor()));
    QVERIFY(c.dotCenter(0).y() < c.dotCenter(1).y());
    c.setLit(false);
    img = render(c, QSize(10, 22));
    for (int i = 0; i < 2; ++i)
        QVERIFY(!looksLit(pixelAt(img, c.dotCenter(i)), c.litColor(), c.unlitColor()));
}

void TestWidgets::lampOnOffAndColour()
{
    Lamp lamp;
    lamp.setColor(QColor(255, 0, 0));
    QSignalSpy spy(&lamp, &Lamp::toggled);
    // Sample below the centre, away from the specular spot.
    auto sample = [&](const QImage &img) {
        return pixelAt(img, lamp.lensCenter() + QPointF(0, lamp.lensRadius() * 0.4));
    };
    const QColor off = sample(render(lamp, QSize(20, 20)));
    lamp.setOn(true);
    lamp.setOn(true);
    QCOMPARE(spy.count(), 1);
    const QColor on = sample(render(lamp, QSize(20, 20)));
    QVERIFY2(brightness(on) > brightness(off) + 150, qPrintable(on.name() + " " + off.name()));
    QVERIFY2(on.red() > 200 && on.green() < 120, qPrintable(on.name()));
    lamp.setColor(QColor(0, 255, 0));
    const QColor green = sample(render(lamp, QSize(20, 20)));
    QVERIFY2(green.green() > 200 && green.red() < 120, qPrintable(green.name()));
}

void TestWidgets::lampMouseSignals()
{
    Lamp lamp;
    lamp.resize(16, 16);
    QSignalSpy pressed(&lamp, &Lamp::pressed);
    QSignalSpy released(&lamp, &Lamp::released);
    QSignalSpy clicked(&lamp, &Lamp::clicked);
    QTest::mousePress(&lamp, Qt::LeftButton, {}, QPoint(8, 8));
    QCOMPARE(pressed.count(), 1);
    QCOMPARE(released.count(), 0);
    QTest::mouseRelease(&lamp, Qt::LeftButton, {}, QPoint(8, 8));
    QCOMPARE(released.count(), 1);
    QCOMPARE(clicked.count(), 1);
}

void TestWidgets::ledButtonToggles()
{
    LedButton b("Auto Mix");
    b.setLedOnColor(QColor(255, 40, 0));
    const QSize size(90, 30);
    b.resize(size);
    QSignalSpy toggled(&b, &QAbstractButton::toggled);
    QSignalSpy clicked(&b, &QAbstractButton::clicked);
    QVERIFY(!b.isChecked());
    QColor led = pixelAt(render(b, size), b.ledRect().center());
    QVERIFY2(led.red() < 120, qPrintable(led.name()));

    QTest::mouseClick(&b, Qt::LeftButton, {}, QPoint(45, 15));
    QVERIFY(b.isChecked());
    QCOMPARE(toggled.count(), 1);
    QCOMPARE(toggled.at(0).at(0).toBool(), true);
    QCOMPARE(clicked.count(), 1);
    led = pixelAt(render(b, size), b.ledRect().center());
    QVERIFY2(led.red() > 200 && led.blue() < 120, qPrintable(led.name()));

    QTest::mouseClick(&b, Qt::LeftButton, {}, QPoint(45, 15));
    QVERIFY(!b.isChecked());
    QCOMPARE(toggled.count(), 2);
    led = pixelAt(render(b, size), b.ledRect().center());
    QVERIFY2(led.red() < 120, qPrintable(led.name()));
}

void TestWidgets::needleFollowsValue()
{
    NeedleMeter m;
    const QColor needle(0, 0, 255);
    m.setNeedleColor(needle);
    const QSize size(124, 62);
    int n = 0;

    m.setValue(0);
    const double atMin = centroidX(render(m, size), needle, &n);
    QVERIFY(n > 5);
    m.setValue(57);
    const double atMid = centroidX(render(m, size), needle, &n);
    QVERIFY(n > 5);
    m.setValue(114);
    const double atMax = centroidX(render(m, size), needle, &n);
    QVERIFY(n > 5);
    QVERIFY2(atMin < size.width() * 0.4, qPrintable(QString::number(atMin)));
    QVERIFY2(qAbs(atMid - size.width() / 2.0) < size.width() * 0.06, qPrintable(QString::number(atMid)));
    QVERIFY2(atMax > size.width() * 0.6, qPrintable(QString::number(atMax)));

    // Past the end the needle rests on its stop.
    m.setValue(500);
    QCOMPARE(centroidX(render(m, size), needle, &n), atMax);

    // A custom range: its middle is upright too, and it scales with a large screen.
    m.setRange(-20, 20);
    m.setValue(0);
    const QSize big(232, 116);
    const double mid = centroidX(render(m, big), needle, &n);
    QVERIFY2(qAbs(mid - big.width() / 2.0) < big.width() * 0.06, qPrintable(QString::number(mid)));
}

void TestWidgets::barGaugeLightsProportionally_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("lit");
    QTest::newRow("zero") << 0 << 0;
    QTest::newRow("half") << 57 << 10;
    QTest::newRow("quarter") << 29 << 5;
    QTest::newRow("full") << 114 << 20;
    QTest::newRow("over") << 300 << 20;
}

void TestWidgets::barGaugeLightsProportionally()
{
    QFETCH(int, value);
    QFETCH(int, lit);
    LedBarGauge g;
    g.setMaximum(114);
    g.setSegmentCount(20);
    g.setValue(value);
    QVERIFY(g.value() <= 114);
    const QImage img = render(g, QSize(288, 12));
    for (int i = 0; i < 20; ++i) {
        const QColor c = g.segmentColor(i);
        const bool on = looksLit(pixelAt(img, g.segmentRect(i).center()), c,
                                 QColor(c.red() / 6, c.green() / 6, c.blue() / 6));
        QVERIFY2(on == (i < lit), qPrintable(QString("segment %1").arg(i)));
    }
}

void TestWidgets::barGaugeColoursByPosition()
{
    LedBarGauge g;
    g.setSegmentCount(20);
    g.setValue(g.maximum());
    const QImage img = render(g, QSize(400, 20));
    const QColor first = pixelAt(img, g.segmentRect(0).center());
    const QColor middle = pixelAt(img, g.segmentRect(14).center());
    const QColor last = pixelAt(img, g.segmentRect(19).center());
    QVERIFY2(first.green() > 180 && first.red() < 120, qPrintable(first.name()));
    QVERIFY2(middle.green() > 180 && middle.red() > 180, qPrintable(middle.name()));
    QVERIFY2(last.red() > 180 && last.green() < 120, qPrintable(last.name()));
    // Segments fill the bar from edge to edge without overlapping.
    QVERIFY(g.segmentRect(0).left() < 4);
    QVERIFY(g.segmentRect(19).right() > 396);
    for (int i = 1; i < 20; ++i)
        QVERIFY(g.segmentRect(i).left() >= g.segmentRect(i - 1).right());
}

namespace {
// What the pixels show at every dot of the grid.
QVector<QVector<bool>> litDots(const LedDotMatrixLabel &l, const QImage &img)
{
    QVector<QVector<bool>> dots(l.visibleColumns(), QVector<bool>(LedDotMatrixLabel::kRows));
    const QColor off(l.dotColor().red() / 7, l.dotColor().green() / 7, l.dotColor().blue() / 7);
    for (int c = 0; c < l.visibleColumns(); ++c)
        for (int r = 0; r < LedDotMatrixLabel::kRows; ++r)
            dots[c][r] = looksLit(pixelAt(img, l.dotCenter(c, r)), l.dotColor(), off);
    return dots;
}

int countLit(const QVector<QVector<bool>> &dots)
{
    int n = 0;
    for (const auto &col : dots)
        n += col.count(true);
    return n;
}
} // namespace

void TestWidgets::dotMatrixPaintsItsModel()
{
    LedDotMatrixLabel l;
    const QSize size(398, 28);
    QCOMPARE(countLit(litDots(l, render(l, size))), 0);

    l.setDotColor(QColor(0, 255, 0));
    l.setText("SOM 123");
    const auto dots = litDots(l, render(l, size));
    QVERIFY(countLit(dots) > 30);
    QCOMPARE(l.textColumns(), 7 * 6);
    for (int c = 0; c < l.visibleColumns(); ++c)
        for (int r = 0; r < LedDotMatrixLabel::kRows; ++r)
            QVERIFY2(dots[c][r] == l.isDotLit(c, r), qPrintable(QString("%1,%2").arg(c).arg(r)));
    // Nothing lights past the text, and the space between words is dark.
    for (int c = l.textColumns(); c < l.visibleColumns(); ++c)
        QVERIFY(!dots[c].contains(true));
    for (int c = 18; c < 24; ++c)
        QVERIFY(!dots[c].contains(true));

    // Different letters draw differently.
    LedDotMatrixLabel a, b;
    a.setText("A");
    b.setText("B");
    QVERIFY(litDots(a, render(a, size)) != litDots(b, render(b, size)));
}

void TestWidgets::dotMatrixScrollsAndWraps()
{
    LedDotMatrixLabel l;
    const QSize size(200, 16);
    l.resize(size);
    l.setText("VELARIX");
    const auto before = litDots(l, render(l, size));
    l.step();
    QCOMPARE(l.scrollOffset(), 1);
    const auto after = litDots(l, render(l, size));
    for (int c = 0; c + 1 < l.visibleColumns(); ++c)
        QCOMPARE(after[c], before[c + 1]);

    // Once the text has left on the left it comes back in from the right.
    l.setScrollOffset(l.textColumns() - 1);
    l.step();
    QCOMPARE(l.scrollOffset(), -l.visibleColumns());
    QCOMPARE(countLit(litDots(l, render(l, size))), 0);
    l.setScrollStep(4);
    l.step();
    l.step();
    const auto entering = litDots(l, render(l, size));
    QVERIFY(countLit(entering) > 0);
    for (int c = 0; c < l.visibleColumns() - 8; ++c)
        QVERIFY(!entering[c].contains(true));

    l.setScrollOffset(0);
    l.restartFromRight();
    QCOMPARE(l.scrollOffset(), -l.visibleColumns());
}

void TestWidgets::dotMatrixFoldsAccents()
{
    LedDotMatrixLabel plain, accented, unknown;
    plain.setText("MUSICA");
    accented.setText(QString::fromUtf8("MÚSICA"));
    unknown.setText(QString::fromUtf8("€"));
    const QSize size(200, 16);
    QCOMPARE(litDots(accented, render(accented, size)), litDots(plain, render(plain, size)));
    QVERIFY(countLit(litDots(unknown, render(unknown, size))) > 0);
}

void TestWidgets::colorBtnDefaults()
{
    TColorBtn b;
    QCOMPARE(b.property("ButtonColor").value<QColor>(), b.palette().color(QPalette::Button));
    QCOMPARE(b.property("Bordas").toBool(), true);
    QCOMPARE(b.property("UsarFocus").toBool(), false);
    QCOMPARE(b.property("BordaCor").value<QColor>(), QColor(Qt::black));
    QCOMPARE(b.property("BordaWidth").toInt(), 0);
    QCOMPARE(b.property("Numero").toString(), QString());
    QCOMPARE(b.property("Loop").toBool(), false);
    QCOMPARE(b.property("Checado").toBool(), false);
    QCOMPARE(b.property("Frame3D").toBool(), false);
    // The properties are writable under their published names.
    QVERIFY(b.setProperty("BordaWidth", 10));
    QCOMPARE(b.bordaWidth(), 10);
    QVERIFY(b.setProperty("Checado", true));
    QVERIFY(b.checado());
}

void TestWidgets::colorBtnFaceOutlineAndNumber()
{
    TColorBtn b;
    const QSize size(98, 40);
    const QColor yellow(255, 255, 159);
    b.setButtonColor(yellow);
    b.setBordas(false);
    QImage img = render(b, size);
    QVERIFY(distance(img.pixelColor(8, 20), yellow) < 12);
    QVERIFY(distance(img.pixelColor(1, 1), yellow) < 12); // no outline at width 0

    // The playing cartridge's thick red outline.
    b.setBordaCor(QColor(255, 0, 0));
    b.setBordaWidth(10);
    img = render(b, size);
    QCOMPARE(img.pixelColor(3, 20), QColor(255, 0, 0));
    QCOMPARE(img.pixelColor(9, 20), QColor(255, 0, 0));
    QVERIFY(distance(img.pixelColor(12, 20), yellow) < 12);
    b.setBordaWidth(1);
    b.setBordaCor(Qt::black);
    img = render(b, size);
    QCOMPARE(img.pixelColor(0, 20), QColor(Qt::black));
    QVERIFY(distance(img.pixelColor(3, 20), yellow) < 12);

    // 3-D frame: light on the top edge, dark on the bottom edge.
    b.setBordas(true);
    img = render(b, size);
    QVERIFY(brightness(img.pixelColor(30, 1)) > brightness(img.pixelColor(30, 38)) + 100);

    // Number box at the right edge, white on black, white on red when checked.
    b.setNumero("01");
    img = render(b, size);
    const QRect box = b.numeroRect();
    QVERIFY(!box.isEmpty());
    QVERIFY(box.right() >= size.width() - 4);
    QVERIFY(box.left() > size.width() / 2);
    QVERIFY(distance(img.pixelColor(box.topLeft()), Qt::black) < 30);
    int white = 0;
    for (int y = box.top(); y <= box.bottom(); ++y)
        for (int x = box.left(); x <= box.right(); ++x)
            white += brightness(img.pixelColor(x, y)) > 600;
    QVERIFY(white > 3);
    b.setChecado(true);
    img = render(b, size);
    QVERIFY(distance(img.pixelColor(box.topLeft()), QColor(255, 0, 0)) < 30);
}

void TestWidgets::colorBtnDoubleClickIsTwoClicks()
{
    TColorBtn b;
    b.resize(98, 40);
    QSignalSpy clicked(&b, &QAbstractButton::clicked);
    const QPoint at(30, 20);
    // The platform's sequence for a double click: press, release, double click, release.
    sendMouse(b, QEvent::MouseButtonPress, at);
    sendMouse(b, QEvent::MouseButtonRelease, at);
    sendMouse(b, QEvent::MouseButtonDblClick, at);
    sendMouse(b, QEvent::MouseButtonRelease, at);
    QCOMPARE(clicked.count(), 2);
    // Some platforms send the second press as well as the double click.
    sendMouse(b, QEvent::MouseButtonPress, at);
    sendMouse(b, QEvent::MouseButtonRelease, at);
    sendMouse(b, QEvent::MouseButtonPress, at);
    sendMouse(b, QEvent::MouseButtonDblClick, at);
    sendMouse(b, QEvent::MouseButtonRelease, at);
    QCOMPARE(clicked.count(), 4);
}

void TestWidgets::colorButtonFaceAndClick()
{
    ColorButton b("Play");
    b.setFaceColor(QColor(190, 0, 0));
    b.setGlyph(ColorButton::Play);
    const QSize size(80, 28);
    const QImage img = render(b, size);
    const QColor face = img.pixelColor(6, 14);
    QVERIFY2(face.red() > 100 && face.green() < 60 && face.blue() < 60, qPrintable(face.name()));
    b.setGlyph(ColorButton::NoGlyph);
    QVERIFY(render(b, size) != img);

    QSignalSpy clicked(&b, &QAbstractButton::clicked);
    QTest::mouseClick(&b, Qt::LeftButton, {}, QPoint(40, 14));
    QCOMPARE(clicked.count(), 1);
    b.setEnabled(false);
    const QColor dim = render(b, size).pixelColor(6, 14);
    QVERIFY(dim.red() < face.red());
    QTest::mouseClick(&b, Qt::LeftButton, {}, QPoint(40, 14));
    QCOMPARE(clicked.count(), 1);
}

VELARIX_TEST_MAIN(TestWidgets)
#include "tst_widgets.moc"

// Draws the deck displays into images and checks their pixels, the level computation and the
// fitting of the console to the screen.
#include "TestSupport.h"

#include "visual/BackBuffer.h"
#include "visual/DeckVisuals.h"
#include "visual/ScreenFit.h"

#include <QTableWidget>
#include <QWidget>
#include <vector>

namespace {

const QRgb Black = qRgb(0, 0, 0);
const QRgb White = qRgb(255, 255, 255);
const QRgb Yellow = qRgb(255, 255, 0);

// 512 stereo frames, every one holding the same left and right sample.
std::vector<qint16> constantFrames(qint16 left, qint16 right)
{
    std::vector<qint16> s(1024);
    for (int k = 0; k < 512; ++k) {
        s[2 * k] = left;
        s[2 * k + 1] = right;
    }
    return s;
}

QRgb px(const QImage &img, int x, int y)
{
    return img.pixel(x, y) | 0xff000000u;
}

int countColour(const QImage &img, QRgb colour)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += px(img, x, y) == colour;
    return n;
}

QWidget *make(QWidget *parent, const char *name, QRect r)
{
    auto *w = new QWidget(parent);
    w->setObjectName(QLatin1String(name));
    w->setGeometry(r);
    return w;
}

QImage target(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::magenta);
    return img;
}

// The colour a spectrum column should show for a bar and a cap of these heights, on the
// console's 59-pixel display with its base line 5 pixels below the bottom edge.
QRgb expectedSpectrumPixel(int row, int bar, int peak)
{
    const int base = 59 + 5;
    if (row >= base - bar)
        return White;
    if (peak > 0 && row == base - peak)
        return Yellow;
    return Black;
}

} // namespace

class TstVisual : public QObject
{
    Q_OBJECT

private slots:
    void oscilloscopeScaling_data();
    void oscilloscopeScaling();
    void oscilloscopeClipsToBitmap();
    void oscilloscopeUsesOnlyFirst257Frames();
    void spectrumSaturatedBins();
    void spectrumUsesBins5To133AndTruncates();
    void spectrumBarsAndCapsFall();
    void levelValues_data();
    void levelValues();
    void screenFitScales_data();
    void screenFitScales();
    void screenFitOnWidgetTree();
    void drawingObjectsExistAtDesignSize();
    void deckFrameChoosesPictureAndShowsOnWidget();
};

void TstVisual::oscilloscopeScaling_data()
{
    QTest::addColumn<int>("left");
    QTest::addColumn<int>("right");
    QTest::addColumn<int>("offset");
    QTest::newRow("silence") << 0 << 0 << 0;
    QTest::newRow("full scale up") << 32767 << 32767 << 22;
    QTest::newRow("full scale down") << -32768 << -32768 << -22;
    QTest::newRow("cut toward zero +") << 20000 << 0 << 6;
    QTest::newRow("cut toward zero -") << -20000 << 0 << -6;
    QTest::newRow("right channel counts") << 0 << 20000 << 6;
    QTest::newRow("channels cancel") << -1000 << 1000 << 0;
    QTest::newRow("exact multiple") << 8738 << 0 << 3;
}

void TstVisual::oscilloscopeScaling()
{
    QFETCH(int, left);
    QFETCH(int, right);
    QFETCH(int, offset);
    DeckVisuals v = DeckVisuals::create(QSize(163, 59));
    const auto s = constantFrames(qint16(left), qint16(right));
    QImage out = target(163, 59);
    v.scope->Draw(&out, s.data(), 0, 29);
    // Positive values run down the display from the zero line.
    for (int x = 0; x < 163; ++x)
        for (int y = 0; y < 59; ++y)
            QCOMPARE(px(out, x, y), y == 29 + offset ? White : Black);
}

void TstVisual::oscilloscopeClipsToBitmap()
{
    // A low display: full-scale swings leave it at the top and bottom edges.
    TOcilloScope scope(40, 10);
    scope.Amplitude = 45;
    std::vector<qint16> s(1024);
    for (int k = 0; k < 512; ++k)
        s[2 * k] = s[2 * k + 1] = (k / 4) % 2 ? 32767 : -32768;
    QImage out = target(60, 20);
    scope.Draw(&out, s.data(), 0, 5);
    // Only the bitmap's own area is copied; the rest of the target is untouched.
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 60; ++x)
            if (x >= 40 || y >= 10)
                QCOMPARE(out.pixel(x, y), QColor(Qt::magenta).rgb());
    // The crossing segments light the edge rows, and the clipped parts light nothing else.
    QCOMPARE(px(out, 3, 0), White);
    QCOMPARE(px(out, 4, 9), White);
    QCOMPARE(px(out, 0, 5), Black);
    QCOMPARE(scope.frame().size(), QSize(40, 10));
}

void TstVisual::oscilloscopeUsesOnlyFirst257Frames()
{
    // Wider than the trace: columns past 256 stay dark even though the block goes on.
    TOcilloScope wide(300, 59);
    wide.Amplitude = 45;
    auto s = constantFrames(0, 0);
    for (int k = 257; k < 512; ++k)
        s[2 * k] = s[2 * k + 1] = 32767;
    QImage out = target(300, 59);
    wide.Draw(&out, s.data(), 0, 29);
    for (int x = 0; x < 256; ++x)
        QCOMPARE(px(out, x, 29), White);
    QCOMPARE(countColour(out, White), 256);

    // On the console's 163-pixel display only frames 0 to 163 reach it (the last one
    // through the segment that leaves the display).
    DeckVisuals v = DeckVisuals::create(QSize(163, 59));
    auto late = constantFrames(0, 0);
    for (int k = 164; k < 512; ++k)
        late[2 * k] = late[2 * k + 1] = 32767;
    QImage narrow = target(163, 59);
    v.scope->Draw(&narrow, late.data(), 0, 29);
    QCOMPARE(countColour(narrow, White), 163);
}

void TstVisual::spectrumSaturatedBins()
{
    DeckVisuals v = DeckVisuals::create(QSize(163, 59));
    std::vector<float> fft(512, 0.0f);
    QImage out = target(163, 59);
    v.spectrum->Draw(&out, fft.data(), 0, 5);
    QCOMPARE(countColour(out, Black), 163 * 59);
    std::fill(fft.begin(), fft.end(), 0.2f);
    v.spectrum->Draw(&out, fft.data(), 0, 5);
    for (int x = 0; x < 163; ++x) {
        const bool inBar = x % 6 < 5;
        for (int y = 0; y < 59; ++y)
            QCOMPARE(px(out, x, y), inBar && y >= 19 ? White : Black);
    }
    // 27 whole bars and the first column of the 28th; each cap is hidden under its bar.
    QCOMPARE(countColour(out, White), (27 * 5 + 1) * 40);
    QCOMPARE(countColour(out, Yellow), 0);
    QCOMPARE(v.spectrum->Bars[128], 45);
    QCOMPARE(v.spectrum->Peaks[128], 45);
    QCOMPARE(v.meter->GetLevel(fft.data()), 114);
}

void TstVisual::spectrumUsesBins5To133AndTruncates()
{
    DeckVisuals v = DeckVisuals::create(QSize(163, 59));
    std::vector<float> fft(512, 0.0f);
    for (int b = 0; b < 5; ++b)
        fft[b] = 1.0f;
    for (int b = 134; b < 512; ++b)
        fft[b] = 1.0f;
    fft[6] = 0.0519f;   // bar 1: 25.95 pixels, so 25
    fft[8] = -0.0519f;  // bar 3: magnitudes count by their size
    QImage out = target(163, 59);
    v.spectrum->Draw(&out, fft.data(), 0, 5);
    for (int x = 0; x < 163; ++x)
        for (int y = 0; y < 59; ++y) {
            const bool bar = (x >= 6 && x < 11) || (x >= 18 && x < 23);
            QCOMPARE(px(out, x, y), bar && y >= 64 - 25 ? White : Black);
        }
    QCOMPARE(v.spectrum->Bars[0], 0);
    QCOMPARE(v.spectrum->Bars[128], 0);
}

void TstVisual::spectrumBarsAndCapsFall()
{
    DeckVisuals v = DeckVisuals::create(QSize(163, 59));
    std::vector<float> loud(512, 0.2f);
    std::vector<float> quiet(512, 0.0f);
    QImage out = target(163, 59);
    v.spectrum->Draw(&out, loud.data(), 0, 5);
    for (int n = 1; n <= 46; ++n) {
        v.spectrum->Draw(&out, quiet.data(), 0, 5);
        const int bar = qMax(45 - 3 * n, 0);
        const int peak = qMax(45 - n, 0);
        QCOMPARE(v.spectrum->Bars[0], bar);
        QCOMPARE(v.spectrum->Peaks[0], peak);
        for (int y = 0; y < 59; ++y) {
            QCOMPARE(px(out, 2, y), expectedSpectrumPixel(y, bar, peak));
            QCOMPARE(px(out, 5, y), Black);  // the gap between bars
        }
        if (n == 1) {
            // The cap spans the bar's width only.
            for (int x = 0; x < 5; ++x)
                QCOMPARE(px(out, x, 20), Yellow);
            QCOMPARE(px(out, 5, 20), Black);
        }
    }
    QCOMPARE(countColour(out, Black), 163 * 59);

    // A value just under the bar does not hold it: the bar falls its full step.
    v.spectrum->Draw(&out, loud.data(), 0, 5);
    quiet[5] = 0.0881f;  // 44 pixels
    v.spectrum->Draw(&out, quiet.data(), 0, 5);
    QCOMPARE(v.spectrum->Bars[0], 42);
    for (int y = 0; y < 59; ++y)
        QCOMPARE(px(out, 1, y), expectedSpectrumPixel(y, 42, 44));

    // With the caps switched off only bars are drawn.
    v.spectrum->ShowPeaks = false;
    v.spectrum->Draw(&out, loud.data(), 0, 5);
    v.spectrum->Draw(&out, quiet.data(), 0, 5);
    QCOMPARE(countColour(out, Yellow), 0);
    QCOMPARE(v.spectrum->Peaks[1], 44);
}

void TstVisual::levelValues_data()
{
    QTest::addColumn<int>("bin");
    QTest::addColumn<float>("magnitude");
    QTest::addColumn<int>("level");
    QTest::newRow("m = 0") << 70 << 0.0019f << 0;
    QTest::newRow("m = 1") << 70 << 0.003f << 11;
    QTest::newRow("m = 1, just under 2") << 5 << 0.003998f << 11;
    QTest::newRow("m = 31") << 90 << 0.0639f << 63;
    QTest::newRow("m = 100, last bin") << 133 << 0.2f << 114;
    QTest::newRow("above the limit") << 5 << 3.0f << 114;
    QTest::newRow("negative magnitude") << 40 << -0.2f << 114;
    QTest::newRow("unused bin 4") << 4 << 1.0f << 0;
    QTest::newRow("unused bin 134") << 134 << 1.0f << 0;
}

void TstVisual::levelValues()
{
    QFETCH(int, bin);
    QFETCH(float, magnitude);
    QFETCH(int, level);
    std::vector<float> fft(512, 0.0f);
    // Quiet bins around the one tested: the level follows the largest only.
    for (int b = 5; b <= 133; b += 7)
        fft[b] = 0.0015f;
    fft[bin] = magnitude;
    TMeter meter;
    QCOMPARE(meter.GetLevel(fft.data()), level);
}

void TstVisual::screenFitScales_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QRect>("design");
    QTest::addColumn<QRect>("fitted");
    const QSize small(1024, 768), full(1920, 1080), design(1028, 780), half(1542, 1170);
    QTest::newRow("1024 deck A") << small << QRect(3, 2, 305, 488) << QRect(3, 2, 304, 480);
    QTest::newRow("1024 display box") << small << QRect(2, 5, 163, 59) << QRect(2, 5, 162, 58);
    QTest::newRow("1024 cartridges") << small << QRect(3, 640, 1011, 69)
                                     << QRect(3, 630, 1007, 68);
    QTest::newRow("1024 zero stays") << small << QRect(0, 0, 398, 0) << QRect(0, 0, 396, 0);
    QTest::newRow("1920 deck A") << full << QRect(3, 2, 305, 488) << QRect(6, 3, 570, 676);
    QTest::newRow("1920 display box") << full << QRect(2, 5, 163, 59) << QRect(4, 7, 304, 82);
    QTest::newRow("design size") << design << QRect(3, 2, 305, 488) << QRect(3, 2, 305, 488);
    // 1.5 times the design: exact halves go to the even neighbour.
    QTest::newRow("halves to even") << half << QRect(1, 3, 5, 7) << QRect(2, 4, 8, 10);
    QTest::newRow("negative halves") << half << QRect(-3, -1, 1, 1) << QRect(-4, -2, 2, 2);
}

void TstVisual::screenFitScales()
{
    QFETCH(QSize, screen);
    QFETCH(QRect, design);
    QFETCH(QRect, fitted);
    QCOMPARE(screenfit::fitRect(design, screen), fitted);
}

void TstVisual::screenFitOnWidgetTree()
{
    QWidget console;
    QWidget *deckA = make(&console, "bsSkinPanel1", QRect(3, 2, 305, 488));
    QWidget *panel2 = make(deckA, "Panel2", QRect(6, 28, 296, 124));
    QWidget *pp = make(panel2, "pp", QRect(2, 5, 163, 59));
    QWidget *list = make(deckA, "ListBox1", QRect(5, 188, 295, 227));
    QWidget *inList = make(list, "inner", QRect(10, 10, 50, 50));
    QWidget *deckB = make(&console, "bsSkinPanel7", QRect(710, 2, 305, 488));
    QWidget *panel4 = make(deckB, "Panel4", QRect(6, 28, 296, 124));
    make(panel4, "PP2", QRect(2, 5, 163, 59));
    QWidget *library = make(&console, "bsSkinPanel4", QRect(310, 2, 398, 359));
    QWidget *libraryInner = make(library, "bsSkinPanel5", QRect(5, 49, 387, 307));
    auto *grid = new QTableWidget(4, 3, libraryInner);
    grid->setObjectName(QStringLiteral("StringGrid1"));
    grid->setGeometry(5, 100, 377, 200);
    QWidget *stray = make(&console, "elsewhere", QRect(100, 100, 100, 100));

    ConsoleVisuals visuals;
    QSize recorded = screenfit::designScreen();
    screenfit::ajusta_tela(&console, QSize(1024, 768), recorded, visuals);

    QCOMPARE(deckA->geometry(), QRect(3, 2, 304, 480));
    QCOMPARE(panel2->geometry(), QRect(6, 28, 295, 122));
    QCOMPARE(pp->geometry(), QRect(2, 5, 162, 58));
    QCOMPARE(deckB->geometry(), QRect(707, 2, 304, 480));
    QCOMPARE(library->geometry(), QRect(309, 2, 396, 353));
    QCOMPARE(libraryInner->geometry(), QRect(5, 48, 385, 302));
    QCOMPARE(grid->geometry(), QRect(5, 98, 376, 197));
    QCOMPARE(list->geometry(), QRect(5, 185, 294, 224));
    // Only the listed levels move: a list's own children and other controls keep their place.
    QCOMPARE(inList->geometry(), QRect(10, 10, 50, 50));
    QCOMPARE(stray->geometry(), QRect(100, 100, 100, 100));
    QCOMPARE(grid->columnWidth(0), 0);
    QCOMPARE(grid->columnWidth(1), 376);
    QCOMPARE(recorded, QSize(1024, 768));

    // The drawing objects take the fitted display size and the console's settings.
    QVERIFY(visuals.exist());
    QCOMPARE(visuals.deckA.scope->frame().size(), QSize(162, 58));
    QCOMPARE(visuals.deckB.spectrum->frame().size(), QSize(162, 58));
    QCOMPARE(visuals.deckA.scope->Amplitude, 45);
    QCOMPARE(visuals.deckB.spectrum->MaxHeight, 45);
    QCOMPARE(visuals.deckB.spectrum->BarWidth, 5);

    // A later showing changes nothing and keeps the same objects, bars and all.
    visuals.deckA.spectrum->Bars[0] = 30;
    const TSpectrum *before = visuals.deckA.spectrum.get();
    screenfit::ajusta_tela(&console, QSize(1024, 768), recorded, visuals);
    QCOMPARE(deckA->geometry(), QRect(3, 2, 304, 480));
    QCOMPARE(pp->geometry(), QRect(2, 5, 162, 58));
    QCOMPARE(visuals.deckA.spectrum.get(), before);
    QCOMPARE(visuals.deckA.spectrum->Bars[0], 30);
}

void TstVisual::drawingObjectsExistAtDesignSize()
{
    // At exactly the design size nothing moves, yet both decks can draw.
    QWidget console;
    QWidget *deckA = make(&console, "bsSkinPanel1", QRect(3, 2, 305, 488));
    make(make(deckA, "Panel2", QRect(6, 28, 296, 124)), "pp", QRect(2, 5, 163, 59));
    ConsoleVisuals visuals;
    QSize recorded = screenfit::designScreen();
    screenfit::ajusta_tela(&console, QSize(1028, 780), recorded, visuals);
    QVERIFY(visuals.exist());
    QCOMPARE(deckA->geometry(), QRect(3, 2, 305, 488));
    QCOMPARE(visuals.deckA.spectrum->frame().size(), QSize(163, 59));
    // Deck B's display is missing here: its objects take the box's design size.
    QCOMPARE(visuals.deckB.scope->frame().size(), QSize(163, 59));
}

void TstVisual::deckFrameChoosesPictureAndShowsOnWidget()
{
    DeckVisuals v = DeckVisuals::create(QSize(163, 59));
    std::vector<float> fft(512, 0.2f);
    const auto samples = constantFrames(32767, 32767);

    QImage img = target(163, 59);
    QCOMPARE(v.drawFrame(&img, 1, fft.data(), samples.data()), 114);
    QCOMPARE(countColour(img, White), 163);  // a trace at row 51, no bars
    QCOMPARE(px(img, 80, 51), White);
    for (int grafico : {0, 2, -1}) {
        img = target(163, 59);
        QCOMPARE(v.drawFrame(&img, grafico, fft.data(), samples.data()), 114);
        QCOMPARE(countColour(img, White), (27 * 5 + 1) * 40);
    }

    // A widget display shows the frame at its next paint, and its own face once cleared.
    QWidget display;
    display.resize(163, 59);
    display.setAutoFillBackground(true);
    QPalette pal = display.palette();
    pal.setColor(QPalette::Window, QColor(0, 0, 64));
    display.setPalette(pal);
    v.drawFrame(&display, 1, fft.data(), samples.data());
    QImage shown = target(163, 59);
    display.render(&shown);
    QCOMPARE(px(shown, 80, 29 + 22), White);  // the display is 59 high: zero line at 29
    QCOMPARE(px(shown, 80, 10), Black);
    clearDisplay(&display);
    shown = target(163, 59);
    display.render(&shown);
    QCOMPARE(px(shown, 80, 51), qRgb(0, 0, 64));
    QCOMPARE(countColour(shown, qRgb(0, 0, 64)), 163 * 59);
}

VELARIX_TEST_MAIN(TstVisual)
#include "tst_visual.moc"

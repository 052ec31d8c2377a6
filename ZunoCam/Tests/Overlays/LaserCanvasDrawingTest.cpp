#include "LaserCanvasDrawing.h"
#include "LaserCanvasState.h"
#include "OverlayPixels.h"
#include "ZunoFonts.h"

#include <QFontMetricsF>

#include <gtest/gtest.h>

namespace {

using Mode = PresentationOverlayMode;

struct Frame {
    explicit Frame(Mode mode = Mode::fadingLaser)
        : state([this] { return now; }, mode)
    {
    }
    QImage draw(const QImage *backdrop = nullptr)
    {
        QImage image(1512, 982, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        LaserCanvasDrawing::paint(state, painter, QRectF(image.rect()), now, backdrop);
        return image;
    }
    double now = 50;
    LaserCanvasState state;
};

QColor legendFill()
{
    return QColor::fromRgbF(0.09f, 0.04f, 0.10f, 0.86f);
}

} // namespace

TEST(LaserCanvasDrawing, LegendPillSitsAtTheTopCentreWithItsTextInside)
{
    Frame frame;
    const QImage image = frame.draw();
    EXPECT_EQ(LaserCanvasDrawing::legendRect(QRectF(image.rect())), QRectF(421, 24, 670, 30));
    // The fill just inside both ends and the top and bottom edges; nothing just outside.
    for (const QPoint inside : { QPoint(430, 39), QPoint(1082, 39), QPoint(756, 25), QPoint(756, 53) })
        EXPECT_TRUE(near(pixel(image, inside.x(), inside.y()), legendFill(), 2))
            << inside.x() << "," << inside.y() << " "
            << qPrintable(describe(pixel(image, inside.x(), inside.y())));
    for (const QPoint outside : { QPoint(419, 39), QPoint(1093, 39), QPoint(756, 22), QPoint(756, 55) })
        EXPECT_EQ(pixel(image, outside.x(), outside.y()).alpha(), 0) << outside.x() << "," << outside.y();

    // The text: light pixels only inside the pill, at least 12 px from its ends.
    int light = 0;
    for (int y = 20; y < 60; ++y)
        for (int x = 400; x < 1110; ++x) {
            if (pixel(image, x, y).lightness() < 150)
                continue;
            ++light;
            EXPECT_TRUE(x >= 421 + 12 && x < 1091 - 12 && y > 24 && y < 54) << x << "," << y;
        }
    EXPECT_GT(light, 500);
    const int size = LaserCanvasDrawing::legendTextSize();
    EXPECT_LE(QFontMetricsF(ZunoFonts::monospaced(size, QFont::DemiBold))
                  .horizontalAdvance(LaserCanvasDrawing::legendText()),
        646);
    EXPECT_GT(QFontMetricsF(ZunoFonts::monospaced(size + 1, QFont::DemiBold))
                  .horizontalAdvance(LaserCanvasDrawing::legendText()),
        646);
}

TEST(LaserCanvasDrawing, DimmingAndSpotlightShadeOnce)
{
    Frame dimmed(Mode::arrowTool);
    dimmed.state.keyPressed(Qt::Key_B);
    QImage image = dimmed.draw();
    EXPECT_NEAR(pixel(image, 200, 500).alphaF(), 0.32, 0.01);
    EXPECT_EQ(pixel(image, 200, 500).red(), 0);

    Frame spot(Mode::cursorSpotlight);
    spot.state.keyPressed(Qt::Key_B); // dimming on too: still one shade
    spot.state.mouseMoved({ 700, 500 });
    image = spot.draw();
    EXPECT_NEAR(pixel(image, 200, 500).alphaF(), 0.6, 0.01);
    EXPECT_NEAR(pixel(image, 700 + 200, 500).alphaF(), 0.6, 0.01);
    EXPECT_EQ(pixel(image, 700, 500).alpha(), 0); // the hole
    EXPECT_EQ(pixel(image, 700 + 120, 500).alpha(), 0);
    // The ring in the current colour at the hole's edge.
    const QColor ring = pixel(image, 700 + 135, 500);
    const QColor colour = LaserCanvasState::palette()[0];
    EXPECT_GT(ring.alpha(), 200);
    EXPECT_NEAR(ring.red(), colour.red(), 30);
    EXPECT_NEAR(ring.blue(), colour.blue(), 30);
}

TEST(LaserCanvasDrawing, ZeroLengthArrowHeadOpensToTheLeftAndStampTextIsCentred)
{
    Frame frame(Mode::arrowTool);
    frame.state.mouseDown({ 300, 300 });
    frame.state.mouseUp({ 300, 300 });
    frame.state.keyPressed(Qt::Key_N);
    frame.state.mouseDown({ 600, 600 });
    frame.state.mouseUp({ 600, 600 });
    // Stamps 2 to 10 elsewhere; the tenth is the one measured.
    for (int i = 0; i < 8; ++i)
        frame.state.mouseDown({ 100.0 + 40 * i, 800 });
    frame.state.mouseDown({ 900, 600 });
    const QImage image = frame.draw();

    // Head strokes end 18 px away at ±30° from the leftward direction: about (-15.6, ±9).
    for (const int dy : { -9, 9 })
        EXPECT_GT(pixel(image, 300 - 15, 300 + dy).alpha(), 150) << dy;
    for (const int dy : { -9, 9 })
        EXPECT_EQ(pixel(image, 300 + 15, 300 + dy).alpha(), 0) << dy;

    // The ink of "10" centred on its disc within a pixel.
    int left = 10000, right = -1, top = 10000, bottom = -1;
    for (int y = 600 - 18; y <= 600 + 18; ++y)
        for (int x = 900 - 18; x <= 900 + 18; ++x) {
            const QColor c = pixel(image, x, y);
            if (c.alpha() > 200 && c.lightness() < 60) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    ASSERT_GE(right, left);
    EXPECT_NEAR((left + right + 1) / 2.0, 900, 1.0);
    EXPECT_NEAR((top + bottom + 1) / 2.0, 600, 1.0);
}

TEST(LaserCanvasDrawing, TrailSegmentFollowsTheNewerPointsLife)
{
    Frame frame;
    frame.state.mouseDown({ 200, 400 });
    frame.now += 0.5;
    frame.state.mouseDragged({ 400, 400 });
    frame.now += 0.25; // newer point's life 2/3, older point's 0
    const QImage image = frame.draw();
    const double life = 1 - 0.25 / 0.75;
    EXPECT_NEAR(pixel(image, 300, 400).alphaF(), life, 0.02);
    int rows = 0;
    for (int y = 390; y <= 410; ++y)
        rows += pixel(image, 300, y).alpha() > 0;
    const double width = 1.5 + 6.5 * life;
    EXPECT_NEAR(rows, width, 1.5);

    // One point draws nothing.
    Frame single;
    single.state.mouseDown({ 200, 400 });
    const QImage lone = single.draw();
    EXPECT_EQ(pixel(lone, 200, 400).alpha(), 0);
}

TEST(LaserCanvasDrawing, BackdropIsPaintedUnderTheDrawing)
{
    QImage backdrop(1512, 982, QImage::Format_RGB32);
    backdrop.fill(QColor(10, 120, 30));
    Frame frame(Mode::arrowTool);
    frame.state.keyPressed(Qt::Key_B);
    const QImage image = frame.draw(&backdrop);
    EXPECT_TRUE(near(pixel(image, 100, 500), blend(Qt::black, 0.32, QColor(10, 120, 30)), 2))
        << qPrintable(describe(pixel(image, 100, 500)));
}

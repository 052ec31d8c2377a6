#include "ZunoBrandMark.h"
#include "ZunoAppEmblem.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>

namespace {

// The mark drawn alone on a transparent image.
QImage render(ZunoBrandMark &mark)
{
    QImage image(mark.size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    mark.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

QImage renderSuiteLogo(qreal size)
{
    ZunoBrandMark mark(size, ZunoBrandMarkStyle::tindrelSuite());
    return render(mark);
}

// The silver shading alone at a design point of the 64 square, channel by channel.
std::array<double, 3> silverAt(double x, double y)
{
    const double t = (x + y) / 128.0;
    const double white[3] = { 255, 255, 255 };
    const double mid[3] = { 0xEE, 0xF1, 0xF6 };
    const double end[3] = { 0xC3, 0xCA, 0xD8 };
    std::array<double, 3> c {};
    for (int i = 0; i < 3; ++i)
        c[i] = t <= 0.55 ? white[i] + (mid[i] - white[i]) * (t / 0.55)
                         : mid[i] + (end[i] - mid[i]) * ((t - 0.55) / 0.45);
    return c;
}

void expectColour(const QColor &pixel, const std::array<double, 3> &expected, const char *where)
{
    EXPECT_EQ(pixel.alpha(), 255) << where;
    EXPECT_NEAR(pixel.red(), expected[0], 3) << where;
    EXPECT_NEAR(pixel.green(), expected[1], 3) << where;
    EXPECT_NEAR(pixel.blue(), expected[2], 3) << where;
}

struct Probe {
    double x, y;
    bool inside;
};

// Design points well inside a piece or well outside all three.
const Probe kProbes[] = {
    { 40, 25, true }, // top-right piece's stem
    { 8, 45, true }, // left piece's foot
    { 50, 50, true }, // bottom-right piece
    { 24, 25, true }, // left piece's upper block
    { 5, 5, false }, // top-left corner
    { 58, 12, false }, // top-right corner
    { 32, 62, false }, // below the bottom notch
    { 2, 20, false }, // beside the left piece
};

} // namespace

TEST(ZunoBrandMarkGeometry, PiecesInFillOrder)
{
    const auto &pieces = ZunoBrandMarkGeometry::allPieces();
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(pieces[0], ZunoBrandMarkGeometry::topRightPiece());
    EXPECT_EQ(pieces[1], ZunoBrandMarkGeometry::leftPiece());
    EXPECT_EQ(pieces[2], ZunoBrandMarkGeometry::bottomRightPiece());
    EXPECT_EQ(ZunoBrandMarkGeometry::viewBoxSize, 64);
    EXPECT_EQ(ZunoBrandMarkGeometry::topRightPiece().front(), QPointF(31.95, 3.93));
    EXPECT_EQ(ZunoBrandMarkGeometry::bottomRightPiece().back(), QPointF(16.33, 47.27));
}

TEST(ZunoBrandMark, SuiteLogoIsSilverInsideThePiecesAndTransparentOutside)
{
    for (const qreal size : { 64.0, 32.0 }) {
        const QImage image = renderSuiteLogo(size);
        ASSERT_EQ(image.size(), QSize(int(size), int(size)));
        const double scale = size / 64;
        for (const Probe &probe : kProbes) {
            const QColor pixel = image.pixelColor(int(probe.x * scale), int(probe.y * scale));
            const QString where = QStringLiteral("size %1 at (%2, %3)").arg(size).arg(probe.x).arg(probe.y);
            if (!probe.inside) {
                EXPECT_EQ(pixel.alpha(), 0)
                    << qPrintable(where) << " pixel " << int(probe.x * scale) << "," << int(probe.y * scale);
                continue;
            }
            EXPECT_EQ(pixel.alpha(), 255) << qPrintable(where);
            // Silver: light, never darker than the gradient's last stop, a touch blue.
            EXPECT_GE(pixel.red(), 0xC3 - 2) << qPrintable(where);
            EXPECT_GE(pixel.blue(), pixel.red()) << qPrintable(where);
        }
        // Nothing but the pieces: the corners are clear.
        EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0);
        EXPECT_EQ(image.pixelColor(int(size) - 1, 0).alpha(), 0);
    }
}

TEST(ZunoBrandMark, SheenBrightensTheMiddleBandOnly)
{
    const QImage image = renderSuiteLogo(64);
    // (8, 45) lies where the sheen's location is about 0.2: silver alone.
    expectColour(image.pixelColor(8, 45), silverAt(8.5, 45.5), "outside the sheen band");
    // (50, 50) lies on the band's middle (location 0.5): white at 0.55 over the silver.
    std::array<double, 3> lit = silverAt(50.5, 50.5);
    for (double &channel : lit)
        channel += (255 - channel) * 0.55;
    expectColour(image.pixelColor(50, 50), lit, "in the middle of the sheen band");
}

TEST(ZunoBrandMark, CurrentAppOutsideTheSuiteDrawsTheSuiteLogo)
{
    ZunoBrandMark current(64, ZunoBrandMarkStyle::currentApp());
    current.setIdentityProvider([] { return std::optional<ZunoAppIdentity>(); });
    EXPECT_EQ(current.emblem(), nullptr);
    EXPECT_EQ(render(current), renderSuiteLogo(64));
}

TEST(ZunoBrandMark, CurrentAppShowsTheRunningApplicationsEmblem)
{
    ZunoBrandMark current(40, ZunoBrandMarkStyle::currentApp());
    current.setIdentityProvider([] { return std::optional<ZunoAppIdentity>(ZunoAppIdentity::zunoCam); });
    ASSERT_NE(current.emblem(), nullptr);
    EXPECT_EQ(current.emblem()->app(), ZunoAppIdentity::zunoCam);
    // Looked up again when shown: a process that is no longer known falls back to the logo.
    current.setIdentityProvider([] { return std::optional<ZunoAppIdentity>(); });
    current.show();
    EXPECT_EQ(current.emblem(), nullptr);
}

TEST(ZunoBrandMark, AppStyleAlwaysShowsTheFullColourEmblem)
{
    ZunoBrandMark mark(48, ZunoBrandMarkStyle::app(ZunoAppIdentity::zunoCam));
    ASSERT_NE(mark.emblem(), nullptr);
    EXPECT_EQ(mark.emblem()->app(), ZunoAppIdentity::zunoCam);
    EXPECT_FALSE(mark.emblem()->asTemplate());
    EXPECT_EQ(mark.emblem()->emblemSize(), 48);
    // The picture is the emblem's, not the silver logo.
    EXPECT_NE(render(mark), renderSuiteLogo(48));

    mark.setStyle(ZunoBrandMarkStyle::tindrelSuite());
    EXPECT_EQ(mark.emblem(), nullptr);
    EXPECT_EQ(render(mark), renderSuiteLogo(48));
}

#include "ZunoAppEmblem.h"
#include "EmblemProbe.h"

#include <QPalette>

#include <gtest/gtest.h>

#include <limits>

namespace {

QImage renderWidget(ZunoAppEmblem &emblem)
{
    QImage image(emblem.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    emblem.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

} // namespace

TEST(ZunoAppEmblem, KeepsItsFieldsAndFrame)
{
    ZunoAppEmblem emblem(ZunoAppIdentity::zunoCam, 48, true);
    EXPECT_EQ(emblem.app(), ZunoAppIdentity::zunoCam);
    EXPECT_EQ(emblem.emblemSize(), 48);
    EXPECT_TRUE(emblem.asTemplate());
    EXPECT_EQ(emblem.sizeHint(), QSize(48, 48));
    EXPECT_EQ(emblem.width(), 48);

    ZunoAppEmblem nothing(ZunoAppIdentity::zunoCam, std::numeric_limits<qreal>::quiet_NaN(), false);
    EXPECT_EQ(nothing.sizeHint(), QSize(0, 0));
}

TEST(ZunoAppEmblem, ShowsTheEmblemScaledIntoItsFrame)
{
    ZunoAppEmblem emblem(ZunoAppIdentity::zunoCam, 64, false);
    const QImage image = renderWidget(emblem);
    const QColor centre = image.pixelColor(32, 32);
    EXPECT_EQ(centre.rgb(), qRgb(255, 255, 255));
    EXPECT_NEAR(centre.alpha(), 184, 4);
    EXPECT_NEAR(EmblemProbe::alphaAt(image, { 50, 70 }), 250, 4); // the disc
    EXPECT_EQ(EmblemProbe::alphaAt(image, { 50, 80 }), 0);
}

TEST(ZunoAppEmblem, TemplateTakesTheForegroundColour)
{
    ZunoAppEmblem emblem(ZunoAppIdentity::zunoCam, 64, true);
    QPalette palette = emblem.palette();
    palette.setColor(emblem.foregroundRole(), QColor(200, 30, 30));
    emblem.setPalette(palette);
    const QImage image = renderWidget(emblem);
    const QColor centre = image.pixelColor(32, 32);
    EXPECT_EQ(centre.rgb(), qRgb(200, 30, 30));
    EXPECT_NEAR(centre.alpha(), 184, 4);
    EXPECT_NEAR(EmblemProbe::alphaAt(image, { 50, 70 }), 250, 4);
    EXPECT_EQ(EmblemProbe::alphaAt(image, { 50, 80 }), 0);
}

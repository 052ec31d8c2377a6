#include "FloatingMirrorWidgetView.h"
#include "OverlayPixels.h"
#include "ZunoActivityIndicator.h"
#include "ZunoProductPalette.h"
#include "ZunoSymbolButton.h"

#include <gtest/gtest.h>

namespace {

// A 16:9 frame: red in the middle with a yellow stripe 100 px wide at its centre, and green and blue
// bands 80 px wide at the sides, which filling a 340 x 224 card crops away.
QImage bandedFrame()
{
    QImage frame(1280, 720, QImage::Format_RGB32);
    frame.fill(QColor(220, 0, 0));
    QPainter painter(&frame);
    painter.fillRect(QRect(0, 0, 80, 720), QColor(0, 200, 0));
    painter.fillRect(QRect(1200, 0, 80, 720), QColor(0, 0, 220));
    painter.fillRect(QRect(590, 0, 100, 720), QColor(240, 240, 0));
    return frame;
}

bool isYellow(const QColor &c)
{
    return c.red() > 200 && c.green() > 200 && c.blue() < 60;
}

} // namespace

TEST(FloatingMirrorWidget, FrameFillsTheCardKeepingItsAspectRatio)
{
    FloatingMirrorWidgetView view;
    view.setFrame(bandedFrame());
    ASSERT_TRUE(view.hasFrame());
    EXPECT_FALSE(view.spinner()->isVisibleTo(&view));
    const QImage image = renderView(view);
    const int y = 150;
    // The side bands are gone: the edges show the frame's red.
    for (const int x : { 3, 336 }) {
        const QColor c = pixel(image, x, y);
        EXPECT_GT(c.red(), 180) << x << " " << qPrintable(describe(c));
        EXPECT_LT(c.green(), 40) << x;
        EXPECT_LT(c.blue(), 40) << x;
    }
    // The yellow stripe keeps its proportion: 100 px of 720 high shown 224 high is 31 px wide
    // (stretching the whole width into 340 would make it 27).
    int stripe = 0;
    for (int x = 0; x < image.width(); ++x)
        stripe += isYellow(pixel(image, x, y));
    EXPECT_NEAR(stripe, 31, 1);
}

TEST(FloatingMirrorWidget, PlaceholderSpinnerBadgeAndBorder)
{
    FloatingMirrorWidgetView view;
    EXPECT_FALSE(view.hasFrame());
    EXPECT_TRUE(view.spinner()->isVisibleTo(&view));
    view.spinner()->setFixedPhase(0);
    const QImage image = renderView(view);
    EXPECT_TRUE(near(pixel(image, 60, 180), FloatingMirrorWidgetView::kPlaceholder));
    // The spinner's arc shows at its place in the middle.
    const QRect spinner = view.spinner()->geometry();
    EXPECT_EQ(spinner.center(), QRect(0, 0, 340, 224).center());
    int lit = 0;
    for (int x = spinner.left(); x <= spinner.right(); ++x)
        for (int yy = spinner.top(); yy <= spinner.bottom(); ++yy)
            lit += pixel(image, x, yy).lightness() > 90;
    EXPECT_GT(lit, 5);

    // The border: the accent at 0.8 over the card, inside its edge; nothing outside the corner.
    const QColor border = pixel(image, 170, 0);
    const QColor expected = blend(ZunoProductPalettes::accentColor(ZunoProductPalette::deepCoral), 0.8,
        FloatingMirrorWidgetView::kPlaceholder);
    EXPECT_TRUE(near(border, expected, 12))
        << qPrintable(describe(border)) << " " << qPrintable(describe(expected));
    EXPECT_EQ(pixel(image, 1, 1).alpha(), 0);

    // A frame takes the spinner away; a null frame brings it back.
    view.setFrame(bandedFrame());
    EXPECT_FALSE(view.spinner()->isVisibleTo(&view));
    view.setFrame(QImage());
    EXPECT_TRUE(view.spinner()->isVisibleTo(&view));
    EXPECT_FALSE(view.hasFrame());
}

TEST(FloatingMirrorWidget, BadgeNamesTheFramingStateAndSitsBesideTheCloseButton)
{
    FloatingMirrorWidgetView view;
    EXPECT_EQ(view.badgeText(), QStringLiteral("Mirror"));
    const QRect mirrorBadge = view.badgeRect();
    view.setAutoFaceFraming(true);
    EXPECT_EQ(view.badgeText(), QStringLiteral("Auto Framing"));
    EXPECT_GT(view.badgeRect().width(), mirrorBadge.width());
    const QRect close = view.closeButton()->geometry();
    EXPECT_EQ(close.right(), 340 - 10 - 1);
    EXPECT_EQ(view.badgeRect().right() + 1 + 6, close.left());
    // The capsule is black at 0.6 over the card.
    const QImage image = renderView(view);
    const QPoint inBadge(view.badgeRect().left() + 4, view.badgeRect().center().y());
    EXPECT_TRUE(near(pixel(image, inBadge.x(), inBadge.y()),
        blend(Qt::black, 0.6, FloatingMirrorWidgetView::kPlaceholder), 4));
}

#include "ZunoActivityIndicator.h"
#include "ZunoGlassTokens.h"
#include "ZunoWaitUntil.h"

#include <QImage>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QImage render(ZunoActivityIndicator &spinner)
{
    QImage image(spinner.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    spinner.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

int alphaAt(const QImage &image, QPoint point)
{
    return qAlpha(image.pixel(point));
}

} // namespace

TEST(ZunoActivityIndicator, SizesAndColour)
{
    ZunoActivityIndicator mini(ZunoActivityIndicator::Size::mini);
    ZunoActivityIndicator small(ZunoActivityIndicator::Size::small);
    EXPECT_EQ(mini.size(), QSize(12, 12));
    EXPECT_EQ(small.size(), QSize(16, 16));
    EXPECT_EQ(small.color(), ZunoGlassTokens::textSecondary());
}

TEST(ZunoActivityIndicator, FixedPhasePutsTheArcWhereItSays)
{
    ZunoActivityIndicator spinner(ZunoActivityIndicator::Size::small);
    spinner.setColor(Qt::white);
    // Phase 0: the arc runs clockwise from the top, so the top right quarter is bright and the
    // bottom left only carries the faint ring.
    spinner.setFixedPhase(0.0);
    QImage image = render(spinner);
    const QPoint topRight(12, 3);
    const QPoint bottomLeft(3, 12);
    EXPECT_GT(alphaAt(image, topRight), 150);
    EXPECT_LT(alphaAt(image, bottomLeft), 100);
    EXPECT_GT(alphaAt(image, bottomLeft), 0);
    // Half a turn later the two swap.
    spinner.setFixedPhase(0.5);
    image = render(spinner);
    EXPECT_GT(alphaAt(image, bottomLeft), 150);
    EXPECT_LT(alphaAt(image, topRight), 100);
}

TEST(ZunoActivityIndicator, AnimatesOnlyWhileShownAndNotFixed)
{
    ZunoActivityIndicator spinner;
    EXPECT_FALSE(spinner.isAnimating());
    spinner.show();
    EXPECT_TRUE(spinner.isAnimating());
    ASSERT_TRUE(waitUntil([&] { return spinner.phase() > 0.05; }, 5000, "the arc to turn"))
        << "phase " << spinner.phase();
    spinner.setFixedPhase(0.25);
    EXPECT_FALSE(spinner.isAnimating());
    EXPECT_DOUBLE_EQ(spinner.phase(), 0.25);
    spinner.setFixedPhase(std::nullopt);
    EXPECT_TRUE(spinner.isAnimating());
    spinner.hide();
    EXPECT_FALSE(spinner.isAnimating());
}

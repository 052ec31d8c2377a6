// The flow layout's size and placement rules, as pure geometry and on real widgets.
#include "ZunoFlowLayout.h"

#include <QWidget>

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

using Sizes = std::vector<QSizeF>;

// A widget whose ideal size is fixed.
class Item : public QWidget {
public:
    Item(QSize hint, QWidget *parent)
        : QWidget(parent)
        , m_hint(hint)
    {
    }
    QSize sizeHint() const override { return m_hint; }

private:
    QSize m_hint;
};

} // namespace

TEST(ZunoFlowLayout, EmptyReportsTheProposedWidthAndNoHeight)
{
    const ZunoFlowLayout flow(8, 6);
    EXPECT_EQ(flow.sizeThatFits(120, {}), QSizeF(120, 0));
    EXPECT_EQ(flow.sizeThatFits(std::nullopt, {}), QSizeF(0, 0));
    EXPECT_TRUE(flow.placements(QRectF(0, 0, 120, 50), {}).empty());
}

TEST(ZunoFlowLayout, WithoutAProposedWidthEverythingIsOneRow)
{
    const ZunoFlowLayout flow(8, 6);
    const Sizes sizes { { 30, 10 }, { 40, 20 }, { 50, 15 } };
    // The spacing after the last item is not counted.
    EXPECT_EQ(flow.sizeThatFits(std::nullopt, sizes), QSizeF(30 + 8 + 40 + 8 + 50, 20));
}

TEST(ZunoFlowLayout, ATooWideItemStandsAloneOnItsRow)
{
    const ZunoFlowLayout flow(10, 4);
    const Sizes sizes { { 50, 10 }, { 200, 20 }, { 30, 12 } };
    EXPECT_EQ(flow.sizeThatFits(100, sizes), QSizeF(100, 10 + 4 + 20 + 4 + 12));
    const auto points = flow.placements(QRectF(0, 0, 100, 200), sizes);
    ASSERT_EQ(points.size(), 3u);
    EXPECT_EQ(points[0], QPointF(0, 0));
    EXPECT_EQ(points[1], QPointF(0, 14));
    EXPECT_EQ(points[2], QPointF(0, 38));
    // The first item of a row is never moved down, however wide.
    EXPECT_EQ(flow.placements(QRectF(0, 0, 100, 200), { { 300, 10 } })[0], QPointF(0, 0));
    EXPECT_EQ(flow.sizeThatFits(100, { { 300, 10 } }), QSizeF(100, 10));
}

TEST(ZunoFlowLayout, AProposalOfWidthZeroPutsEveryItemOnItsOwnRow)
{
    const ZunoFlowLayout flow(8, 5);
    EXPECT_EQ(flow.sizeThatFits(0, { { 10, 10 }, { 20, 12 }, { 5, 4 } }), QSizeF(0, 10 + 5 + 12 + 5 + 4));
}

TEST(ZunoFlowLayout, RowsAreTheTallestItemPlusLineSpacingApart)
{
    const ZunoFlowLayout flow(10, 6);
    const Sizes sizes { { 40, 20 }, { 40, 30 }, { 40, 10 } };
    EXPECT_EQ(flow.sizeThatFits(100, sizes), QSizeF(100, 46));
    // Placement starts at the bounds' corner; items of a row share their top edge.
    const auto points = flow.placements(QRectF(5, 7, 100, 100), sizes);
    ASSERT_EQ(points.size(), 3u);
    EXPECT_EQ(points[0], QPointF(5, 7));
    EXPECT_EQ(points[1], QPointF(55, 7));
    EXPECT_EQ(points[2], QPointF(5, 7 + 30 + 6));
}

TEST(ZunoFlowLayout, PlacementForgivesHalfAPixelPastTheEdgeButSizingDoesNot)
{
    const ZunoFlowLayout flow(10, 6);
    const QRectF bounds(0, 0, 100, 100);
    // 50 + 10 + 40.4 ends 0.4 past the edge: same row when placed, a new row when sized.
    const Sizes within { { 50, 10 }, { 40.4, 10 } };
    EXPECT_EQ(flow.placements(bounds, within)[1], QPointF(60, 0));
    EXPECT_EQ(flow.sizeThatFits(100, within).height(), 26);
    // 0.6 past the edge wraps in both.
    const Sizes beyond { { 50, 10 }, { 40.6, 10 } };
    EXPECT_EQ(flow.placements(bounds, beyond)[1], QPointF(0, 16));
    EXPECT_EQ(flow.sizeThatFits(100, beyond).height(), 26);
    // Exactly at the edge stays in both.
    EXPECT_EQ(flow.sizeThatFits(100, { { 50, 10 }, { 40, 10 } }).height(), 10);
}

TEST(ZunoFlowLayout, LaysOutWidgetsAtTheirIdealSizes)
{
    QWidget parent;
    auto *flow = new ZunoFlowLayout(8, 6, &parent);
    std::vector<Item *> items;
    for (QSize hint : { QSize(60, 24), QSize(70, 30), QSize(50, 24), QSize(90, 20) }) {
        items.push_back(new Item(hint, &parent));
        flow->addWidget(items.back());
    }
    EXPECT_TRUE(flow->hasHeightForWidth());
    EXPECT_EQ(flow->sizeHint(), QSize(60 + 8 + 70 + 8 + 50 + 8 + 90, 30));
    EXPECT_EQ(flow->heightForWidth(200), 30 + 6 + 20);
    EXPECT_EQ(flow->minimumSize(), QSize(90, 30));

    flow->setGeometry(QRect(0, 0, 200, 100));
    EXPECT_EQ(items[0]->geometry(), QRect(0, 0, 60, 24));
    EXPECT_EQ(items[1]->geometry(), QRect(68, 0, 70, 30));
    EXPECT_EQ(items[2]->geometry(), QRect(146, 0, 50, 24));
    EXPECT_EQ(items[3]->geometry(), QRect(0, 36, 90, 20));

    // A hidden widget takes no place.
    items[1]->hide();
    flow->setGeometry(QRect(0, 0, 200, 100));
    EXPECT_EQ(items[2]->geometry(), QRect(68, 0, 50, 24));
    EXPECT_EQ(items[3]->geometry(), QRect(0, 30, 90, 20));
    items[1]->show();

    // Right to left, rows start at the right edge.
    parent.setLayoutDirection(Qt::RightToLeft);
    flow->setGeometry(QRect(0, 0, 200, 100));
    EXPECT_EQ(items[0]->geometry(), QRect(140, 0, 60, 24));
    EXPECT_EQ(items[3]->geometry(), QRect(110, 36, 90, 20));
}

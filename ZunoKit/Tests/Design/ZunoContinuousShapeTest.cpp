// Continuous corners: eased into the straight edges, circular in the middle, capsules of half circles.
#include "ZunoContinuousShape.h"

#include <QPainterPath>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

std::vector<QPointF> outline(const QPainterPath &path)
{
    std::vector<QPointF> points;
    for (const QPolygonF &polygon : path.toSubpathPolygons())
        points.insert(points.end(), polygon.begin(), polygon.end());
    return points;
}

} // namespace

TEST(ZunoContinuousShape, CornersEaseIntoTheEdgesUnlikeCircularCorners)
{
    const qreal r = 100;
    const QPainterPath path = ZunoContinuousShape::roundedRect(QRectF(0, 0, 400, 400), r);
    bool offTheEdgeBeyondTheRadius = false;
    for (const QPointF &p : outline(path)) {
        EXPECT_TRUE(QRectF(0, 0, 400, 400).adjusted(-1e-6, -1e-6, 1e-6, 1e-6).contains(p));
        if (p.y() < 50 && p.x() < 200) {
            // Within the top-left corner: still off the straight edge a little past the radius,
            // where a circular corner would already be straight, and on it from 1.6 radii on.
            if (p.x() > r * 1.1 && p.x() < r * 1.5 && p.y() > 0.05)
                offTheEdgeBeyondTheRadius = true;
            if (p.x() >= r * 1.6 + 1e-6) {
                EXPECT_NEAR(p.y(), 0, 1e-9) << p.x();
            }
        }
    }
    EXPECT_TRUE(offTheEdgeBeyondTheRadius);
    // The middle of the corner is the circular arc's middle.
    const qreal diagonal = r - r / std::sqrt(2.0);
    EXPECT_TRUE(path.contains(QPointF(diagonal + 0.05, diagonal + 0.05)));
    EXPECT_FALSE(path.contains(QPointF(diagonal - 0.05, diagonal - 0.05)));
    // Symmetric corners.
    EXPECT_EQ(path.boundingRect(), QRectF(0, 0, 400, 400));
    EXPECT_TRUE(path.contains(QPointF(400 - diagonal - 0.05, 400 - diagonal - 0.05)));
    EXPECT_FALSE(path.contains(QPointF(400 - diagonal + 0.05, 400 - diagonal + 0.05)));
}

TEST(ZunoContinuousShape, ACapsuleEndsInHalfCircles)
{
    const QRectF rect(10, 20, 120, 30);
    const QPainterPath path = ZunoContinuousShape::capsule(rect);
    const QPointF leftCentre(25, 35);
    for (const QPointF &p : outline(path)) {
        if (p.x() < 25) {
            EXPECT_NEAR(std::hypot(p.x() - leftCentre.x(), p.y() - leftCentre.y()), 15, 0.05)
                << p.x() << "," << p.y();
        }
    }
    // A radius beyond half the shorter side is a capsule too.
    EXPECT_EQ(ZunoContinuousShape::roundedRect(rect, 500), path);
}

TEST(ZunoContinuousShape, RadiusZeroIsARectangle)
{
    const QPainterPath path = ZunoContinuousShape::roundedRect(QRectF(0, 0, 40, 20), 0);
    EXPECT_TRUE(path.contains(QPointF(0.01, 0.01)));
    EXPECT_TRUE(path.contains(QPointF(39.99, 19.99)));
    EXPECT_TRUE(ZunoContinuousShape::roundedRect(QRectF(), 5).isEmpty());
}

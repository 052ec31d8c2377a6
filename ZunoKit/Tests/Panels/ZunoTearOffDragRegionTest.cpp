#include "ZunoTestTimeouts.h"
#include "ZunoTearOffDragRegion.h"

#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

TEST(ZunoTearOffDragRegion, ReportsLeavingReenteringAndTheDropOutside)
{
    QWidget host;
    host.setWindowFlags(Qt::FramelessWindowHint);
    auto *layout = new QVBoxLayout(&host);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *region = new ZunoTearOffDragRegion;
    region->setFixedSize(40, 40);
    layout->addWidget(region);
    host.setGeometry(100, 100, 200, 150);
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host, kWindowWait));

    QStringList events;
    region->onTearOffStateChanged = [&](bool outside) { events << (outside ? "outside" : "inside"); };
    region->onTearOffDropped = [&](const QPoint &point) {
        events << QStringLiteral("dropped %1,%2").arg(point.x()).arg(point.y());
    };

    // Straight to the region, as the pointer grab after a press delivers them, also outside the window.
    QWidget *window = region;
    const auto at = [&](QPoint global) { return region->mapFromGlobal(global); };
    QTest::mousePress(window, Qt::LeftButton, {}, at(QPoint(110, 110)));
    QTest::mouseMove(window, at(QPoint(116, 110))); // under 8 px
    QTest::mouseMove(window, at(QPoint(303, 110))); // past the right edge, within the 4 px margin
    EXPECT_TRUE(events.isEmpty());
    QTest::mouseMove(window, at(QPoint(305, 110)));
    QTest::mouseMove(window, at(QPoint(250, 200)));
    QTest::mouseMove(window, at(QPoint(250, 400)));
    QTest::mouseRelease(window, Qt::LeftButton, {}, at(QPoint(250, 420)));
    EXPECT_EQ(events, (QStringList { "outside", "inside", "outside", "inside", "dropped 250,420" }));

    // A drop inside the host reports nothing more.
    events.clear();
    QTest::mousePress(window, Qt::LeftButton, {}, at(QPoint(110, 110)));
    QTest::mouseMove(window, at(QPoint(200, 200)));
    QTest::mouseRelease(window, Qt::LeftButton, {}, at(QPoint(200, 200)));
    EXPECT_TRUE(events.isEmpty());
}

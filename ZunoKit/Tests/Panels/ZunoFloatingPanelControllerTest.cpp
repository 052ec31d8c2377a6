#include "ZunoTestTimeouts.h"
#include "ZunoFloatingPanelController.h"
#include "PanelProbe.h"
#include "ZunoFirstClickHostingView.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

constexpr QSize kSize(320, 200);

QWidget *label(const QString &text)
{
    return new QLabel(text);
}

} // namespace

TEST(ZunoFloatingPanelPlacement, RaisedAboveTheMiddleButNeverTooLow)
{
    struct Case {
        const char *name;
        QRect area;
        QSize size;
        QPoint expected;
    };
    const std::vector<Case> cases = {
        // A 400 px panel on a 500 px area: 40 px above the middle, its bottom 90 px above the area's.
        { "fits", QRect(0, 0, 1000, 500), QSize(200, 400), QPoint(400, 10) },
        // A 600 px panel would end up lower than 24 px above the bottom: it sits exactly there.
        { "tall", QRect(0, 0, 1000, 500), QSize(200, 600), QPoint(400, -124) },
        { "offset area", QRect(1920, 30, 1280, 1000), QSize(320, 200), QPoint(2400, 390) },
        { "odd sizes", QRect(0, 0, 801, 601), QSize(301, 101), QPoint(250, 210) },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QPoint position = ZunoFloatingPanelController::centeredPosition(c.area, c.size);
        EXPECT_EQ(position, c.expected);
        const int bottomGap = c.area.y() + c.area.height() - (position.y() + c.size.height());
        EXPECT_GE(bottomGap, 24);
    }
}

TEST(ZunoFloatingPanelController, HideWithoutAPanelStillReportsTheDismissal)
{
    int dismissed = 0;
    ZunoFloatingPanelController controller(kSize, true, [&] { ++dismissed; });
    EXPECT_FALSE(controller.isVisible());
    controller.hide();
    EXPECT_EQ(dismissed, 1);
    EXPECT_EQ(controller.panel(), nullptr);
}

TEST(ZunoFloatingPanelController, ShowPlacesSizesAndReplacesTheContent)
{
    int dismissed = 0;
    ZunoFloatingPanelController controller(kSize, false, [&] { ++dismissed; });
    QPointer<QWidget> first;
    controller.show(true, std::nullopt, [&] { return first = label("one"); });
    QWidget *panel = controller.panel();
    ASSERT_TRUE(panel);
    EXPECT_TRUE(controller.isVisible());
    EXPECT_TRUE(panel->isWindow());
    EXPECT_TRUE(panel->windowFlags().testFlag(Qt::Tool));
    EXPECT_TRUE(panel->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(panel->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(panel->size(), kSize);
    QScreen *screen = QGuiApplication::primaryScreen();
    ASSERT_TRUE(screen);
    EXPECT_EQ(
        panel->pos(), ZunoFloatingPanelController::centeredPosition(screen->availableGeometry(), kSize));
    EXPECT_TRUE(first && first->isVisible());

    // The anchor's bottom-left corner; a new size and new content on every show.
    controller.setSize(QSize(100, 50));
    QPointer<QWidget> second;
    controller.show(false, QRect(40, 60, 100, 80), [&] { return second = label("two"); });
    EXPECT_EQ(controller.panel(), panel);
    EXPECT_EQ(panel->geometry(), QRect(40, 90, 100, 50));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(first);
    EXPECT_TRUE(second && second->isVisible());

    // Neither centred nor anchored: it stays where it was.
    controller.show(false, std::nullopt, [] { return label("three"); });
    EXPECT_EQ(panel->pos(), QPoint(40, 90));

    controller.toggle(true, std::nullopt, [] { return label("four"); });
    EXPECT_FALSE(controller.isVisible());
    EXPECT_EQ(dismissed, 1);
    controller.toggle(false, std::nullopt, [] { return label("five"); });
    EXPECT_TRUE(controller.isVisible());
    EXPECT_EQ(dismissed, 1);
}

TEST(ZunoFloatingPanelController, EscapeHidesAndReportsOnce)
{
    int dismissed = 0;
    ZunoFloatingPanelController controller(kSize, true, [&] { ++dismissed; });
    auto *probe = new PanelProbe;
    controller.show(true, std::nullopt, [&] { return probe; });
    ASSERT_TRUE(QTest::qWaitForWindowActive(controller.panel(), kWindowWait));
    probe->setFocusPolicy(Qt::StrongFocus);
    probe->setFocus();
    // From the focused content up to the panel, as an unhandled key travels.
    QTest::keyClick(probe, Qt::Key_Escape);
    EXPECT_FALSE(controller.isVisible());
    QCoreApplication::processEvents();
    EXPECT_EQ(dismissed, 1);
}

TEST(ZunoFloatingPanelController, LosingTheFocusDismissesOnlyWhenAsked)
{
    for (const bool dismissOnResignKey : { true, false }) {
        SCOPED_TRACE(dismissOnResignKey);
        int dismissed = 0;
        ZunoFloatingPanelController controller(kSize, dismissOnResignKey, [&] { ++dismissed; });
        controller.show(true, std::nullopt, [] { return label("panel"); });
        ASSERT_TRUE(QTest::qWaitForWindowActive(controller.panel(), kWindowWait));

        QWidget other;
        other.resize(200, 100);
        other.show();
        other.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&other, kWindowWait));
        QCoreApplication::processEvents();

        EXPECT_EQ(controller.isVisible(), !dismissOnResignKey);
        EXPECT_EQ(dismissed, dismissOnResignKey ? 1 : 0);
    }
}

TEST(ZunoFloatingPanelController, BackgroundDragsMoveThePanelHostedContentDoesNot)
{
    for (const bool hosted : { false, true }) {
        SCOPED_TRACE(hosted);
        ZunoFloatingPanelController controller(kSize, false);
        controller.show(false, QRect(100, 100, kSize.width(), kSize.height()), [hosted]() -> QWidget * {
            QWidget *content = label("background");
            return hosted ? new ZunoFirstClickHostingView(content) : content;
        });
        QWidget *panel = controller.panel();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(panel, kWindowWait));
        QWidget *target = panel->childAt(QPoint(20, 20));
        ASSERT_TRUE(target);
        // Straight to the widget under the pointer, as the window would deliver it.
        QTest::mousePress(target, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseMove(target, QPoint(35, 25));
        QTest::mouseRelease(target, Qt::LeftButton, {}, QPoint(35, 25));
        EXPECT_EQ(panel->pos(), hosted ? QPoint(100, 100) : QPoint(130, 120));
    }
}

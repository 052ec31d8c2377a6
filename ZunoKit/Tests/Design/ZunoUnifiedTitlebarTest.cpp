#include "ZunoTestTimeouts.h"
#include "ZunoDesktopWindowPreferences.h"
#include "ZunoInitialFocusSink.h"
#include "ZunoSidebarTitlebarClearance.h"
#include "ZunoUnifiedHeaderBar.h"
#include "ZunoUnifiedTitlebarWindow.h"
#include "ZunoWindowControls.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <memory>

namespace {

using Button = ZunoWindowButtonLayout::Button;
using Side = ZunoWindowButtonLayout::Side;
using Metrics = ZunoUnifiedTitlebarMetrics;

const ZunoWindowButtonLayout kLeft { Side::left, { Button::close, Button::minimize, Button::maximize } };
const ZunoWindowButtonLayout kRight { Side::right, { Button::minimize, Button::maximize, Button::close } };

// A window as the studio builds it: the title-bar kit at the root, a header row with a button and a
// text field, content below.
struct TestWindow {
    explicit TestWindow(const ZunoWindowButtonLayout &layout,
        ZunoUnifiedTitlebarMode mode = ZunoUnifiedTitlebarMode::unifiedHeader)
        : window(std::make_unique<QWidget>())
    {
        window->resize(800, 500);
        titlebar = new ZunoUnifiedTitlebarWindow(window.get(), mode, 16, 14);
        titlebar->setButtonLayout(layout);
        auto *page = new QVBoxLayout(window.get());
        page->setContentsMargins(0, 0, 0, 0);
        header = new ZunoUnifiedHeaderBar(52, 18, 8, Qt::transparent);
        button = new QPushButton(QStringLiteral("Snapshot"));
        field = new QLineEdit;
        header->contentLayout()->addWidget(button);
        header->contentLayout()->addStretch();
        page->addWidget(header);
        page->addWidget(field);
        page->addStretch();
    }

    std::unique_ptr<QWidget> window;
    ZunoUnifiedTitlebarWindow *titlebar;
    ZunoUnifiedHeaderBar *header;
    QPushButton *button;
    QLineEdit *field;
};

void expectMetrics(const Metrics &actual, const Metrics &expected, const char *name)
{
    EXPECT_EQ(actual.leadingClearance, expected.leadingClearance) << name;
    EXPECT_EQ(actual.trafficLightCenterY, expected.trafficLightCenterY) << name;
    EXPECT_EQ(actual.trafficLightBottomY, expected.trafficLightBottomY) << name;
    EXPECT_EQ(actual.sidebarTopClearance, expected.sidebarTopClearance) << name;
    EXPECT_EQ(actual.isFullScreen, expected.isFullScreen) << name;
    EXPECT_EQ(actual.trailingClearance, expected.trailingClearance) << name;
}

} // namespace

TEST(ZunoUnifiedTitlebarMetrics, CalculateTable)
{
    struct Case {
        const char *name;
        qreal maxX, centre, bottom;
        bool fullScreen;
        Metrics expected;
    };
    const Case cases[] = {
        { "no controls", 0, 0, 0, false, { 93, 26, 23, 37, false, 0 } },
        { "maxX 70", 70, 26, 33, false, { 84, 26, 33, 47, false, 0 } },
        { "maxX 70.2 rounds up", 70.2, 26, 33, false, { 85, 26, 33, 47, false, 0 } },
        { "sidebar clearance rounds up", 70, 14, 21.3, false, { 84, 14, 21.3, 36, false, 0 } },
        { "full screen ignores the controls", 70, 26, 33, true, { 16, 26, 0, 16, true, 0 } },
    };
    for (const Case &c : cases)
        expectMetrics(
            Metrics::calculate(c.maxX, c.centre, c.bottom, c.fullScreen, 16, 14, 14), c.expected, c.name);

    expectMetrics(Metrics::calculateTrailing(78, 26, 33, false, 16, 14, 14), { 16, 26, 33, 47, false, 92 },
        "controls on the right");
    expectMetrics(Metrics::calculateTrailing(0, 0, 0, false, 16, 14, 14), { 93, 26, 23, 37, false, 0 },
        "no controls on the right");
    // The default value differs from the no-controls measurement in its bottom.
    expectMetrics(Metrics {}, { 93, 26, 33, 37, false, 0 }, "default");
    EXPECT_EQ(Metrics::standardHeight, 52);
    EXPECT_EQ(Metrics::fallbackLeadingClearance, 93);
}

TEST(ZunoWindowButtonLayout, DesktopLayoutsPickSideAndOrder)
{
    struct Case {
        const char *layout;
        ZunoWindowButtonLayout expected;
    };
    const Case gnome[] = {
        { "appmenu:minimize,maximize,close", kRight },
        { "appmenu:close", kRight },
        { "close,minimize,maximize:", kLeft },
        { "close:appmenu", kLeft },
        { "", kRight },
        { "close,maximize:minimize", { Side::left, { Button::close, Button::maximize, Button::minimize } } },
        { "icon:close,spacer,maximize",
            { Side::right, { Button::minimize, Button::close, Button::maximize } } },
    };
    for (const Case &c : gnome)
        EXPECT_EQ(ZunoWindowButtonLayout::fromGnome(QString::fromLatin1(c.layout)), c.expected) << c.layout;
    EXPECT_EQ(ZunoWindowButtonLayout::fromKde(QStringLiteral("MS"), QStringLiteral("HIAX")), kRight);
    EXPECT_EQ(ZunoWindowButtonLayout::fromKde(QStringLiteral("XIA"), QStringLiteral("S")), kLeft);
}

TEST(ZunoUnifiedTitlebarWindow, MeasuresWhereTheControlsAre)
{
    {
        TestWindow left(kLeft);
        // 20 + three 14-pixel discs 8 apart = 78, plus the gap 14.
        expectMetrics(left.titlebar->measure(), { 92, 26, 33, 47, false, 0 }, "left, unified header");
        left.titlebar->configure(ZunoUnifiedTitlebarMode::fullHeightSidebar);
        expectMetrics(left.titlebar->measure(), { 92, 14, 21, 35, false, 0 }, "left, full-height sidebar");
    }
    {
        TestWindow right(kRight);
        expectMetrics(right.titlebar->measure(), { 16, 26, 33, 47, false, 92 }, "right");
        right.window->show();
        EXPECT_EQ(right.titlebar->controls()->x(), 800 - 20 - 58);
        right.window->resize(900, 500);
        EXPECT_EQ(right.titlebar->controls()->x(), 900 - 20 - 58);
        expectMetrics(right.titlebar->metrics(), { 16, 26, 33, 47, false, 92 }, "right, wider");
    }
    {
        TestWindow hidden(kLeft);
        for (Button b : { Button::close, Button::minimize, Button::maximize })
            hidden.titlebar->controls()->button(b)->hide();
        expectMetrics(hidden.titlebar->measure(), { 93, 26, 23, 37, false, 0 }, "hidden controls");
    }
    {
        TestWindow full(kLeft);
        full.window->showFullScreen();
        QTRY_VERIFY(full.window->isFullScreen());
        expectMetrics(full.titlebar->measure(), { 16, 26, 0, 16, true, 0 }, "full screen");
        EXPECT_FALSE(full.titlebar->controls()->isVisible());
        expectMetrics(full.titlebar->metrics(), { 16, 26, 0, 16, true, 0 }, "full screen, reported");
    }
}

TEST(ZunoUnifiedTitlebarWindow, ReportsOnlyChanges)
{
    TestWindow test(kLeft);
    QSignalSpy reports(test.titlebar, &ZunoUnifiedTitlebarWindow::metricsChanged);
    test.window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(test.window.get(), kWindowWait));
    for (int i = 0; i < 3; ++i) {
        test.titlebar->reportCurrentMetrics();
        test.window->resize(800 + i, 500);
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(reports.count(), 0);
    test.titlebar->setButtonLayout(kRight);
    test.window->resize(820, 500);
    test.titlebar->reportCurrentMetrics();
    ASSERT_EQ(reports.count(), 1);
    expectMetrics(reports.at(0).at(0).value<Metrics>(), { 16, 26, 33, 47, false, 92 }, "reported");
}

TEST(ZunoUnifiedTitlebarWindow, ConfiguresFramelessOnceKeepingOtherFlags)
{
    QWidget window(nullptr, Qt::Window | Qt::WindowStaysOnTopHint);
    auto *titlebar = new ZunoUnifiedTitlebarWindow(&window, ZunoUnifiedTitlebarMode::unifiedHeader, 16, 14);
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    titlebar->configure(ZunoUnifiedTitlebarMode::unifiedHeader);
    titlebar->configure(ZunoUnifiedTitlebarMode::fullHeightSidebar);
    EXPECT_EQ(window.findChildren<ZunoWindowControls *>().size(), 1);
    EXPECT_EQ(window.findChildren<ZunoInitialFocusSink *>().size(), 1);
    EXPECT_EQ(ZunoUnifiedTitlebarWindow::find(&window), titlebar);
    EXPECT_EQ(titlebar->mode(), ZunoUnifiedTitlebarMode::fullHeightSidebar);
    // The sink is invisible to clicks and to Tab.
    ZunoInitialFocusSink *sink = titlebar->focusSink();
    EXPECT_EQ(sink->size(), QSize(0, 0));
    EXPECT_TRUE(sink->testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_EQ(sink->focusPolicy(), Qt::NoFocus);
}

TEST(ZunoUnifiedHeaderBar, PaddingFollowsTheControlsPhysically)
{
    TestWindow left(kLeft);
    left.window->show();
    EXPECT_EQ(left.header->contentsMargins(), QMargins(92, 8, 18, 8));
    EXPECT_GE(left.header->height(), 52);

    TestWindow right(kRight);
    right.window->show();
    EXPECT_EQ(right.header->contentsMargins(), QMargins(16, 8, 92, 8));
    // Right to left mirrors the content, not the controls' clearance.
    right.window->setLayoutDirection(Qt::RightToLeft);
    QCoreApplication::processEvents();
    EXPECT_EQ(right.header->contentsMargins(), QMargins(16, 8, 92, 8));
    QTRY_VERIFY(right.button->geometry().right() <= right.header->width() - 92);
    EXPECT_GT(right.button->x(), right.header->width() / 2);

    // Without the kit, the default metrics.
    QWidget plain;
    auto *header = new ZunoUnifiedHeaderBar(52, 18, 8, Qt::transparent, &plain);
    EXPECT_EQ(header->contentsMargins(), QMargins(93, 8, 18, 8));
}

TEST(ZunoUnifiedHeaderBar, DoubleClickDoesWhatTheDesktopSays)
{
    struct Case {
        const char *action;
        bool maximised;
        bool minimised;
    };
    const Case cases[] = {
        { "toggle-maximize", true, false },
        { "lower", true, false },
        { "minimize", false, true },
        { "none", false, false },
    };
    for (const Case &c : cases) {
        TestWindow test(kLeft);
        test.window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(test.window.get(), kWindowWait));
        test.header->setDoubleClickAction(QString::fromLatin1(c.action));
        QTest::mouseDClick(test.header, Qt::LeftButton, {}, QPoint(400, 20));
        QCoreApplication::processEvents();
        EXPECT_EQ(test.window->isMaximized(), c.maximised) << c.action;
        EXPECT_EQ(test.window->isMinimized(), c.minimised) << c.action;
    }
    // A second zoom restores.
    TestWindow test(kLeft);
    test.window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(test.window.get(), kWindowWait));
    test.header->setDoubleClickAction(QStringLiteral("toggle-maximize"));
    test.header->performDoubleClickAction();
    QTRY_VERIFY(test.window->isMaximized());
    test.header->performDoubleClickAction();
    QTRY_VERIFY(!test.window->isMaximized());
}

TEST(ZunoUnifiedHeaderBar, DraggingTheBlankHeaderMovesTheWindowButNotAClick)
{
    TestWindow test(kLeft);
    test.window->move(100, 100);
    test.window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(test.window.get(), kWindowWait));
    const QPoint start = test.window->pos();
    QTest::mousePress(test.header, Qt::LeftButton, {}, QPoint(400, 20));
    QTest::mouseRelease(test.header, Qt::LeftButton, {}, QPoint(400, 20));
    EXPECT_EQ(test.window->pos(), start);

    // The offscreen platform has no window manager to hand the move to: it moves by hand.
    QTest::mousePress(test.header, Qt::LeftButton, {}, QPoint(400, 20));
    QMouseEvent move(QEvent::MouseMove, QPointF(450, 50), test.header->mapToGlobal(QPointF(450, 50)),
        Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(test.header, &move);
    QTest::mouseRelease(test.header, Qt::LeftButton, {}, QPoint(450, 50));
    EXPECT_EQ(test.window->pos(), start + QPoint(50, 30));
    // Clicks on the header's own controls stay theirs.
    QSignalSpy clicks(test.button, &QPushButton::clicked);
    QTest::mouseClick(test.button, Qt::LeftButton);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(test.window->pos(), start + QPoint(50, 30));
}

TEST(ZunoUnifiedTitlebarWindow, OpeningMovesFocusOffControlsButNotOffATextField)
{
    {
        TestWindow test(kLeft);
        test.window->show();
        test.window->activateWindow();
        QTRY_VERIFY(test.window->isActiveWindow());
        // However the window started, the sink ends up with focus, not the button.
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(test.titlebar->focusSink()));

        // Tab from the sink goes to the content, and from there to the first control.
        QTest::keyClick(test.titlebar->focusSink(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), test.window.get());
        QTest::keyClick(test.window.get(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget *>(test.button));
    }
    {
        TestWindow test(kLeft);
        test.button->setFocus();
        test.window->show();
        test.window->activateWindow();
        QTRY_VERIFY(test.window->isActiveWindow());
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(test.titlebar->focusSink()));
        // Once per opening: focus the user gives later stays.
        test.button->setFocus();
        test.titlebar->clearSpuriousInitialFocusIfNeeded();
        EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget *>(test.button));
    }
    {
        TestWindow test(kLeft);
        test.field->setFocus();
        test.window->show();
        test.window->activateWindow();
        QTRY_VERIFY(test.window->isActiveWindow());
        QCoreApplication::processEvents();
        test.titlebar->clearSpuriousInitialFocusIfNeeded();
        EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget *>(test.field));
    }
}

TEST(ZunoSidebarTitlebarClearance, SidebarStartsBelowTheControls)
{
    TestWindow test(kLeft, ZunoUnifiedTitlebarMode::fullHeightSidebar);
    auto *sidebar = new QWidget;
    zunoSidebarTitlebarClearance(sidebar, 6);
    // Outside a kit window: the default clearance of 37.
    EXPECT_EQ(sidebar->contentsMargins().top(), 43);
    test.window->layout()->addWidget(sidebar);
    test.window->show();
    // 28-pixel title-bar area: bottom 21, clearance 35.
    EXPECT_EQ(sidebar->contentsMargins().top(), 41);
    test.titlebar->configure(ZunoUnifiedTitlebarMode::unifiedHeader);
    EXPECT_EQ(sidebar->contentsMargins().top(), 53);
}

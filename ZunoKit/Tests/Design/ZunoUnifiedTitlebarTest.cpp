#include "DesignProbe.h"
#include "ZunoDesktopWindowPreferences.h"
#include "ZunoInitialFocusSink.h"
#include "ZunoLanguage.h"
#include "ZunoSidebarTitlebarClearance.h"
#include "ZunoTestHome.h"
#include "ZunoTestTimeouts.h"
#include "ZunoUnifiedHeaderBar.h"
#include "ZunoUnifiedTitlebarWindow.h"
#include "ZunoWaitUntil.h"
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

const ZunoWindowButtonLayout kLeft { { Button::close, Button::minimize, Button::maximize }, {} };
const ZunoWindowButtonLayout kRight { {}, { Button::minimize, Button::maximize, Button::close } };
// GNOME's default, "appmenu:close".
const ZunoWindowButtonLayout kCloseOnly { {}, { Button::close } };

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

    expectMetrics(Metrics::calculate(0, 78, 26, 33, false, 16, 14, 14), { 16, 26, 33, 47, false, 92 },
        "controls on the right");
    expectMetrics(Metrics::calculate(0, 38.5, 26, 33, false, 16, 14, 14), { 16, 26, 33, 47, false, 53 },
        "one control on the right, rounded up");
    expectMetrics(Metrics::calculate(52, 68, 26, 38, false, 16, 14, 14), { 66, 26, 38, 52, false, 82 },
        "controls on both sides");
    expectMetrics(Metrics::calculate(0, 0, 0, 0, false, 16, 14, 14), { 93, 26, 23, 37, false, 0 },
        "no controls on either side");
    expectMetrics(Metrics::calculate(0, 78, 26, 33, true, 16, 14, 14), { 16, 26, 0, 16, true, 0 },
        "full screen ignores the controls on the right");
    // The default value differs from the no-controls measurement in its bottom.
    expectMetrics(Metrics {}, { 93, 26, 33, 37, false, 0 }, "default");
    EXPECT_EQ(Metrics::standardHeight, 52);
    EXPECT_EQ(Metrics::fallbackLeadingClearance, 93);
}

// The desktop's layout as it is: the buttons it names, on the side and in the order it names them.
TEST(ZunoWindowButtonLayout, DesktopLayoutsAreTakenAsTheyAre)
{
    struct Case {
        const char *layout;
        ZunoWindowButtonLayout expected;
    };
    const Case gnome[] = {
        { "appmenu:minimize,maximize,close", kRight },
        { "appmenu:close", kCloseOnly },
        { "close,minimize,maximize:", kLeft },
        { "close:appmenu", { { Button::close }, {} } },
        { "", { {}, {} } },
        { "close,maximize:minimize", { { Button::close, Button::maximize }, { Button::minimize } } },
        { "icon:close,spacer,maximize", { {}, { Button::close, Button::maximize } } },
        { "close:close,minimize", { { Button::close }, { Button::minimize } } },
    };
    for (const Case &c : gnome)
        EXPECT_EQ(ZunoWindowButtonLayout::fromGnome(QString::fromLatin1(c.layout)), c.expected) << c.layout;
    EXPECT_EQ(ZunoWindowButtonLayout::fromKde(QStringLiteral("MS"), QStringLiteral("HIAX")), kRight);
    EXPECT_EQ(ZunoWindowButtonLayout::fromKde(QStringLiteral("XIA"), QStringLiteral("S")), kLeft);
    EXPECT_EQ(ZunoWindowButtonLayout::fromKde(QStringLiteral("M"), QStringLiteral("X")), kCloseOnly);
}

TEST(ZunoUnifiedTitlebarWindow, MeasuresWhereTheControlsAre)
{
    {
        TestWindow left(kLeft);
        // 14 + three 24-pixel buttons 6 apart = 98, plus the gap 14; centred on 26 in 52.
        expectMetrics(left.titlebar->measure(), { 112, 26, 38, 52, false, 0 }, "left, unified header");
        left.titlebar->configure(ZunoUnifiedTitlebarMode::fullHeightSidebar);
        expectMetrics(left.titlebar->measure(), { 112, 14, 26, 40, false, 0 }, "left, full-height sidebar");
    }
    {
        TestWindow right(kRight);
        expectMetrics(right.titlebar->measure(), { 16, 26, 38, 52, false, 112 }, "right");
        right.window->show();
        EXPECT_EQ(right.titlebar->controls(Side::right)->x(), 800 - 14 - 84);
        right.window->resize(900, 500);
        EXPECT_EQ(right.titlebar->controls(Side::right)->x(), 900 - 14 - 84);
        expectMetrics(right.titlebar->metrics(), { 16, 26, 38, 52, false, 112 }, "right, wider");
    }
    {
        TestWindow closeOnly(kCloseOnly);
        expectMetrics(closeOnly.titlebar->measure(), { 16, 26, 38, 52, false, 52 }, "close only");
    }
    {
        TestWindow both(ZunoWindowButtonLayout::fromGnome(QStringLiteral("close:minimize,maximize")));
        expectMetrics(both.titlebar->measure(), { 52, 26, 38, 52, false, 82 }, "both sides");
    }
    {
        TestWindow hidden(kLeft);
        for (Button b : { Button::close, Button::minimize, Button::maximize })
            hidden.titlebar->controlButton(b)->hide();
        expectMetrics(hidden.titlebar->measure(), { 93, 26, 23, 37, false, 0 }, "hidden controls");
    }
    {
        TestWindow full(kLeft);
        full.window->showFullScreen();
        ASSERT_TRUE(waitUntil(
            [&] { return full.window->isFullScreen(); }, kWindowWait, "the window to fill the screen"));
        expectMetrics(full.titlebar->measure(), { 16, 26, 0, 16, true, 0 }, "full screen");
        EXPECT_FALSE(full.titlebar->controls(Side::left)->isVisible());
        expectMetrics(full.titlebar->metrics(), { 16, 26, 0, 16, true, 0 }, "full screen, reported");
    }
}

// GNOME's default shows close alone; nothing adds minimise or maximise to it. A three-button layout
// shows all three, in its order, each doing its job.
TEST(ZunoWindowControls, ShowExactlyTheDesktopsButtons)
{
    {
        TestWindow closeOnly(kCloseOnly);
        EXPECT_EQ(closeOnly.titlebar->controls(Side::left), nullptr);
        ASSERT_NE(closeOnly.titlebar->controls(Side::right), nullptr);
        EXPECT_EQ(closeOnly.titlebar->controls(Side::right)->buttons().size(), 1u);
        EXPECT_NE(closeOnly.titlebar->controlButton(Button::close), nullptr);
        EXPECT_EQ(closeOnly.titlebar->controlButton(Button::minimize), nullptr);
        EXPECT_EQ(closeOnly.titlebar->controlButton(Button::maximize), nullptr);
    }
    TestWindow three(kRight);
    three.window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(three.window.get(), kWindowWait));
    const auto &buttons = three.titlebar->controls(Side::right)->buttons();
    ASSERT_EQ(buttons.size(), 3u);
    EXPECT_EQ(buttons[0]->kind(), Button::minimize);
    EXPECT_EQ(buttons[1]->kind(), Button::maximize);
    EXPECT_EQ(buttons[2]->kind(), Button::close);
    EXPECT_LT(buttons[0]->x(), buttons[1]->x());
    EXPECT_LT(buttons[1]->x(), buttons[2]->x());
    for (auto *b : buttons)
        EXPECT_EQ(b->focusPolicy(), Qt::NoFocus);

    QTest::mouseClick(buttons[1], Qt::LeftButton);
    ASSERT_TRUE(
        waitUntil([&] { return three.window->isMaximized(); }, kWindowWait, "the window to be maximised"));
    QTest::mouseClick(buttons[1], Qt::LeftButton);
    ASSERT_TRUE(
        waitUntil([&] { return !three.window->isMaximized(); }, kWindowWait, "the window to be restored"));
    QTest::mouseClick(buttons[2], Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return !three.window->isVisible(); }, kWindowWait, "the window to close"));
}

// Symbolic glyphs on round backgrounds: the close cross meets in the middle, the minimise bar lies
// low and leaves the middle empty; the background brightens under the pointer.
TEST(ZunoWindowControls, DrawSymbolicGlyphsOnRoundBackgrounds)
{
    DesignProbe::Host host(Qt::black);
    auto *controls = host.place(new ZunoWindowControls(kRight.right, Side::right, nullptr));
    host.widget()->activateWindow();
    ASSERT_TRUE(
        waitUntil([&] { return host.widget()->isActiveWindow(); }, kWindowWait, "the window to be active"));
    // The pixel whose square holds the middle of the 24-pixel button.
    const auto centre = [&](Button kind) { return controls->button(kind)->pos() + QPoint(12, 12); };
    const QImage idle = host.grab();
    const QPoint close = centre(Button::close);
    const QPoint minimize = centre(Button::minimize);
    // A corner of the button's square lies outside the circle: the ground shows.
    EXPECT_EQ(DesignProbe::at(idle, controls->button(Button::close)->x(), 0), QColor(Qt::black));
    EXPECT_GT(DesignProbe::at(idle, close.x(), close.y()).red(), 200);
    // The middle of the minimise button is background, faintly lighter than the ground; its bar is bright.
    const QColor minimizeMiddle = DesignProbe::at(idle, minimize.x(), minimize.y() - 3);
    EXPECT_NEAR(minimizeMiddle.red(), DesignProbe::whiteOver(0, 0.10), 3);
    EXPECT_GT(DesignProbe::at(idle, minimize.x(), minimize.y() + 3).red(), 200);
    EXPECT_GT(DesignProbe::at(idle, minimize.x() + 3, minimize.y() + 3).red(), 200);

    QEvent enter(QEvent::Enter);
    controls->button(Button::minimize)->setAttribute(Qt::WA_UnderMouse, true);
    QCoreApplication::sendEvent(controls->button(Button::minimize), &enter);
    const QImage hovered = host.grab();
    EXPECT_NEAR(
        DesignProbe::at(hovered, minimize.x(), minimize.y() - 3).red(), DesignProbe::whiteOver(0, 0.16), 3);
}

TEST(ZunoWindowControls, AccessibleNamesFollowTheLanguage)
{
    ZunoTestHome home;
    struct Case {
        Button kind;
        const char *en;
        const char *tr;
    };
    const Case cases[] = {
        { Button::close, "Close", "Kapat" },
        { Button::minimize, "Minimize", "Simge Durumuna Küçült" },
        { Button::maximize, "Maximize", "Büyüt" },
    };
    ZunoLanguages::setCurrent(ZunoLanguage::en);
    ZunoWindowControls controls(kRight.right, Side::right, nullptr);
    for (const Case &c : cases)
        EXPECT_EQ(controls.button(c.kind)->accessibleName(), QString::fromUtf8(c.en));
    ZunoLanguages::setCurrent(ZunoLanguage::tr);
    QCoreApplication::processEvents();
    for (const Case &c : cases) {
        EXPECT_EQ(controls.button(c.kind)->accessibleName(), QString::fromUtf8(c.tr));
        EXPECT_EQ(controls.button(c.kind)->toolTip(), QString::fromUtf8(c.tr));
    }
    ZunoLanguages::setCurrent(ZunoLanguage::en);
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
    expectMetrics(reports.at(0).at(0).value<Metrics>(), { 16, 26, 38, 52, false, 112 }, "reported");
}

TEST(ZunoUnifiedTitlebarWindow, ConfiguresFramelessOnceKeepingOtherFlags)
{
    QWidget window(nullptr, Qt::Window | Qt::WindowStaysOnTopHint);
    auto *titlebar = new ZunoUnifiedTitlebarWindow(&window, ZunoUnifiedTitlebarMode::unifiedHeader, 16, 14);
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    titlebar->configure(ZunoUnifiedTitlebarMode::unifiedHeader);
    titlebar->configure(ZunoUnifiedTitlebarMode::fullHeightSidebar);
    const auto groups = window.findChildren<ZunoWindowControls *>();
    EXPECT_EQ(groups.size(),
        size_t(!ZunoDesktopWindowPreferences::buttonLayout().left.empty())
            + size_t(!ZunoDesktopWindowPreferences::buttonLayout().right.empty()));
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
    EXPECT_EQ(left.header->contentsMargins(), QMargins(112, 8, 18, 8));
    EXPECT_GE(left.header->height(), 52);

    TestWindow right(kRight);
    right.window->show();
    EXPECT_EQ(right.header->contentsMargins(), QMargins(16, 8, 112, 8));
    // Right to left mirrors the content, not the controls' clearance.
    right.window->setLayoutDirection(Qt::RightToLeft);
    QCoreApplication::processEvents();
    EXPECT_EQ(right.header->contentsMargins(), QMargins(16, 8, 112, 8));
    ASSERT_TRUE(waitUntil([&] { return right.button->geometry().right() <= right.header->width() - 112; },
        kWindowWait, "the button to clear the controls"))
        << "button right " << right.button->geometry().right() << ", header width " << right.header->width();
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
    ASSERT_TRUE(
        waitUntil([&] { return test.window->isMaximized(); }, kWindowWait, "the window to be maximised"));
    test.header->performDoubleClickAction();
    ASSERT_TRUE(
        waitUntil([&] { return !test.window->isMaximized(); }, kWindowWait, "the window to be restored"));
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
        ASSERT_TRUE(
            waitUntil([&] { return test.window->isActiveWindow(); }, kWindowWait, "the window to be active"));
        // However the window started, the sink ends up with focus, not the button.
        ASSERT_TRUE(waitUntil([&] { return QApplication::focusWidget() == test.titlebar->focusSink(); },
            kWindowWait, "the focus sink to take the focus"))
            << "focus is on "
            << (QApplication::focusWidget() ? qPrintable(QApplication::focusWidget()->objectName())
                                            : "nothing");

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
        ASSERT_TRUE(
            waitUntil([&] { return test.window->isActiveWindow(); }, kWindowWait, "the window to be active"));
        ASSERT_TRUE(waitUntil([&] { return QApplication::focusWidget() == test.titlebar->focusSink(); },
            kWindowWait, "the focus sink to take the focus"))
            << "focus is on "
            << (QApplication::focusWidget() ? qPrintable(QApplication::focusWidget()->objectName())
                                            : "nothing");
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
        ASSERT_TRUE(
            waitUntil([&] { return test.window->isActiveWindow(); }, kWindowWait, "the window to be active"));
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
    // 28-pixel title-bar area: bottom 26, clearance 40.
    EXPECT_EQ(sidebar->contentsMargins().top(), 46);
    test.titlebar->configure(ZunoUnifiedTitlebarMode::unifiedHeader);
    EXPECT_EQ(sidebar->contentsMargins().top(), 58);
}

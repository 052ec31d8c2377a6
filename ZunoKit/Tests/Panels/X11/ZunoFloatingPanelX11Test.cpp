#include "ZunoDraggableFloatingPanel.h"
#include "ZunoFloatingPanelController.h"
#include "ZunoFloatingPanelWindowHints.h"
#include "ZunoTestTimeouts.h"
#include "ZunoX11TestClient.h"

#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QTest>
#include <QVBoxLayout>
#include <QWindow>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>

namespace {

// Qt's xcb platform where a display exists, else offscreen, where the tests skip. Chosen before the
// shared test main reads the variable and creates the application.
const bool kPlatformChosen = [] {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", qEnvironmentVariableIsEmpty("DISPLAY") ? "offscreen" : "xcb");
    return true;
}();

bool contains(const std::vector<uint32_t> &values, uint32_t value)
{
    return std::find(values.begin(), values.end(), value) != values.end();
}

class PanelX11Test : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb") || !client.ok())
            GTEST_SKIP() << "needs an X display";
    }
    ZunoX11TestClient client;
};

} // namespace

TEST_F(PanelX11Test, PanelsAreKeptAboveOnEveryWorkspaceOutOfTheTaskBar)
{
    ZunoDraggableFloatingPanel panel;
    panel.resize(200, 120);
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel, kWindowWait));
    const auto window = static_cast<xcb_window_t>(panel.winId());

    EXPECT_EQ(
        client.property(window, "_NET_WM_DESKTOP", XCB_ATOM_CARDINAL), std::vector<uint32_t> { 0xFFFFFFFF });
    const auto states = client.property(window, "_NET_WM_STATE", XCB_ATOM_ATOM);
    for (const char *state : { "_NET_WM_STATE_STICKY", "_NET_WM_STATE_ABOVE", "_NET_WM_STATE_SKIP_TASKBAR",
             "_NET_WM_STATE_SKIP_PAGER" })
        EXPECT_TRUE(contains(states, client.atom(state))) << state;
    EXPECT_TRUE(contains(client.property(window, "_NET_WM_WINDOW_TYPE", XCB_ATOM_ATOM),
        client.atom("_NET_WM_WINDOW_TYPE_UTILITY")));

    // Shown again after hiding, the hints are still there.
    panel.hide();
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel, kWindowWait));
    EXPECT_EQ(
        client.property(window, "_NET_WM_DESKTOP", XCB_ATOM_CARDINAL), std::vector<uint32_t> { 0xFFFFFFFF });
}

TEST_F(PanelX11Test, DraggablePanelLeavesTheFocusWhereItWasControllerPanelTakesIt)
{
    QWidget studio;
    studio.setGeometry(50, 50, 300, 200);
    studio.show();
    studio.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&studio, kWindowWait));

    ZunoDraggableFloatingPanel panel;
    panel.setGeometry(500, 100, 200, 120);
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel, kWindowWait));
    QCoreApplication::processEvents();
    EXPECT_TRUE(studio.isActiveWindow());
    EXPECT_NE(client.inputFocus(), static_cast<xcb_window_t>(panel.winId()));

    int dismissed = 0;
    ZunoFloatingPanelController controller(QSize(240, 160), true, [&] { ++dismissed; });
    controller.show(true, std::nullopt, [] { return new QLabel(QStringLiteral("panel")); });
    ASSERT_TRUE(QTest::qWaitForWindowActive(controller.panel(), kWindowWait));

    // Clicking back into the studio window takes the focus away: the panel goes.
    studio.activateWindow();
    ASSERT_TRUE(zunoWaitFor([&] { return !controller.isVisible(); }));
    EXPECT_EQ(dismissed, 1);
}

TEST_F(PanelX11Test, RealPointerDragMovesThePanel)
{
    ZunoDraggableFloatingPanel panel;
    auto *layout = new QVBoxLayout(&panel);
    layout->addWidget(new QLabel(QStringLiteral("drag me")));
    panel.setGeometry(400, 300, 200, 120);
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel, kWindowWait));
    QPoint ended;
    panel.onDragEnded = [&](const QPoint &origin) { ended = origin; };

    const QPoint start = panel.mapToGlobal(QPoint(100, 60));
    client.moveTo(start);
    ASSERT_TRUE(zunoWaitFor([&] { return QCursor::pos() == start; }));
    client.button(true);
    QTest::qWait(0);
    client.moveTo(start + QPoint(2, 2));
    client.moveTo(start + QPoint(30, 20));
    ASSERT_TRUE(zunoWaitFor([&] { return panel.pos() == QPoint(430, 320); }))
        << panel.pos().x() << "," << panel.pos().y();
    client.moveTo(start + QPoint(60, 45));
    ASSERT_TRUE(zunoWaitFor([&] { return panel.pos() == QPoint(460, 345); }));
    client.button(false);
    ASSERT_TRUE(zunoWaitFor([&] { return !ended.isNull(); }));
    EXPECT_EQ(ended, QPoint(460, 345));
}

TEST_F(PanelX11Test, NeverFocusPanelSaysSoInItsHintsAndKeepsTheFocusAway)
{
    QWidget studio;
    studio.setGeometry(50, 50, 300, 200);
    studio.show();
    studio.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&studio, kWindowWait));
    const xcb_window_t focusBefore = client.inputFocus();

    ZunoDraggableFloatingPanel panel(nullptr, ZunoFloatingPanelWindowHints::Focus::neverFocus);
    ZunoDraggableFloatingPanel focusable;
    for (ZunoDraggableFloatingPanel *each : { &panel, &focusable }) {
        each->resize(200, 120);
        each->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(each, kWindowWait));
    }
    EXPECT_EQ(client.inputHint(static_cast<xcb_window_t>(panel.winId())), std::optional(false));
    EXPECT_NE(client.inputHint(static_cast<xcb_window_t>(focusable.winId())), std::optional(false));

    // Even asked to, the never-focus panel does not take the keyboard.
    panel.activateWindow();
    QTest::qWait(50);
    EXPECT_EQ(client.inputFocus(), focusBefore);
    EXPECT_TRUE(studio.isActiveWindow());
}

TEST_F(PanelX11Test, CompositingFollowsTheSelectionOwnerAndRoundedPanelsAreMaskedWithoutIt)
{
    ZunoDraggableFloatingPanel panel;
    panel.resize(200, 120);
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel, kWindowWait));
    ASSERT_FALSE(ZunoFloatingPanelWindowHints::isCompositing()) << "the test display runs no compositor";
    panel.applyRoundedShape(20);
    EXPECT_FALSE(panel.mask().isEmpty());
    EXPECT_FALSE(panel.mask().contains(QPoint(0, 0)));
    EXPECT_FALSE(panel.mask().contains(QPoint(199, 119)));
    EXPECT_TRUE(panel.mask().contains(QPoint(100, 60)));
    EXPECT_TRUE(panel.mask().contains(QPoint(100, 0)));

    // A compositing manager announces itself by owning _NET_WM_CM_S<screen>.
    xcb_connection_t *connection = client.connection();
    const xcb_window_t owner = xcb_generate_id(connection);
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, owner, client.root(), 0, 0, 1, 1, 0,
        XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_set_selection_owner(connection, owner, client.atom("_NET_WM_CM_S0"), XCB_CURRENT_TIME);
    xcb_flush(connection);
    EXPECT_TRUE(zunoWaitFor([] { return ZunoFloatingPanelWindowHints::isCompositing(); }));
    panel.applyRoundedShape(20);
    EXPECT_TRUE(panel.mask().isEmpty());

    xcb_destroy_window(connection, owner);
    xcb_flush(connection);
    EXPECT_TRUE(zunoWaitFor([] { return !ZunoFloatingPanelWindowHints::isCompositing(); }));
}

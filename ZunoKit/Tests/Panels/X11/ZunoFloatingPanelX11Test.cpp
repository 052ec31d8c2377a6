#include "ZunoTestTimeouts.h"
#include "ZunoDraggableFloatingPanel.h"
#include "ZunoFloatingPanelController.h"

#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QTest>
#include <QVBoxLayout>
#include <QWindow>

#include <xcb/xcb.h>
#include <xcb/xtest.h>

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

// A second X client that reads window properties and drives the pointer through XTest.
class X11Client {
public:
    X11Client()
        : m_connection(xcb_connect(nullptr, nullptr))
    {
        if (!xcb_connection_has_error(m_connection))
            m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
    }
    ~X11Client() { xcb_disconnect(m_connection); }
    bool ok() const { return m_root != 0; }

    xcb_atom_t atom(const char *name)
    {
        auto *reply = xcb_intern_atom_reply(m_connection,
            xcb_intern_atom(m_connection, 0, static_cast<uint16_t>(strlen(name)), name), nullptr);
        const xcb_atom_t value = reply ? reply->atom : 0;
        free(reply);
        return value;
    }

    std::vector<uint32_t> property(xcb_window_t window, const char *name, xcb_atom_t type)
    {
        std::vector<uint32_t> values;
        auto *reply = xcb_get_property_reply(
            m_connection, xcb_get_property(m_connection, 0, window, atom(name), type, 0, 64), nullptr);
        if (reply && reply->format == 32) {
            const auto *data = static_cast<const uint32_t *>(xcb_get_property_value(reply));
            values.assign(data, data + xcb_get_property_value_length(reply) / 4);
        }
        free(reply);
        return values;
    }

    xcb_window_t inputFocus()
    {
        auto *reply = xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr);
        const xcb_window_t focus = reply ? reply->focus : 0;
        free(reply);
        return focus;
    }

    void moveTo(QPoint global)
    {
        xcb_test_fake_input(m_connection, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, m_root,
            static_cast<int16_t>(global.x()), static_cast<int16_t>(global.y()), 0);
        xcb_flush(m_connection);
    }
    void button(bool down)
    {
        xcb_test_fake_input(m_connection, down ? XCB_BUTTON_PRESS : XCB_BUTTON_RELEASE, 1, XCB_CURRENT_TIME,
            XCB_NONE, 0, 0, 0);
        xcb_flush(m_connection);
    }

private:
    xcb_connection_t *m_connection;
    xcb_window_t m_root = 0;
};

bool waitFor(const std::function<bool()> &condition)
{
    QDeadlineTimer deadline(kWindowWait);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(10);
    }
    return true;
}

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
    X11Client client;
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
    ASSERT_TRUE(waitFor([&] { return !controller.isVisible(); }));
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
    ASSERT_TRUE(waitFor([&] { return QCursor::pos() == start; }));
    client.button(true);
    QTest::qWait(0);
    client.moveTo(start + QPoint(2, 2));
    client.moveTo(start + QPoint(30, 20));
    ASSERT_TRUE(waitFor([&] { return panel.pos() == QPoint(430, 320); }))
        << panel.pos().x() << "," << panel.pos().y();
    client.moveTo(start + QPoint(60, 45));
    ASSERT_TRUE(waitFor([&] { return panel.pos() == QPoint(460, 345); }));
    client.button(false);
    ASSERT_TRUE(waitFor([&] { return !ended.isNull(); }));
    EXPECT_EQ(ended, QPoint(460, 345));
}

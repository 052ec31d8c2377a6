// Starts the studio twice on a private session bus and the test session's X display: the second
// start must hand over to the first (whose window comes to the front and takes the focus) and exit 0.

#include "ZunoPrivateBus.h"
#include "ZunoTestHome.h"
#include "ZunoTestTimeouts.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

constexpr char kServiceName[] = "com.quarnwell.ZunoCam";

// The test's own view of the X display.
class XDisplay {
public:
    XDisplay()
        : connection(xcb_connect(qgetenv("DISPLAY").constData(), nullptr))
    {
        if (xcb_connection_has_error(connection))
            return;
        screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    }
    ~XDisplay() { xcb_disconnect(connection); }

    bool ok() const { return screen != nullptr; }

    xcb_atom_t atom(const char *name)
    {
        auto *reply = xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr);
        const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return result;
    }

    // The top-level windows in stacking order, bottom first.
    std::vector<xcb_window_t> stack()
    {
        std::vector<xcb_window_t> windows;
        auto *reply = xcb_query_tree_reply(connection, xcb_query_tree(connection, screen->root), nullptr);
        if (!reply)
            return windows;
        const xcb_window_t *children = xcb_query_tree_children(reply);
        windows.assign(children, children + xcb_query_tree_children_length(reply));
        std::free(reply);
        return windows;
    }

    // The mapped top-level window of a process, by _NET_WM_PID.
    xcb_window_t windowOf(qint64 pid)
    {
        const xcb_atom_t pidAtom = atom("_NET_WM_PID");
        for (xcb_window_t window : stack()) {
            auto *attributes = xcb_get_window_attributes_reply(
                connection, xcb_get_window_attributes(connection, window), nullptr);
            const bool viewable = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
            std::free(attributes);
            if (!viewable)
                continue;
            auto *property = xcb_get_property_reply(connection,
                xcb_get_property(connection, 0, window, pidAtom, XCB_ATOM_CARDINAL, 0, 1), nullptr);
            const bool match = property && xcb_get_property_value_length(property) == 4
                && *static_cast<uint32_t *>(xcb_get_property_value(property)) == uint32_t(pid);
            std::free(property);
            if (match)
                return window;
        }
        return XCB_WINDOW_NONE;
    }

    xcb_window_t focus()
    {
        auto *reply = xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr);
        const xcb_window_t window = reply ? reply->focus : xcb_window_t(XCB_WINDOW_NONE);
        std::free(reply);
        return window;
    }

    // A plain window of the test's own over the whole screen, holding the focus.
    xcb_window_t coverAndTakeFocus()
    {
        const xcb_window_t window = xcb_generate_id(connection);
        xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0,
            screen->width_in_pixels, screen->height_in_pixels, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
            screen->root_visual, 0, nullptr);
        xcb_map_window(connection, window);
        takeFocus(window);
        return window;
    }

    void takeFocus(xcb_window_t window)
    {
        const uint32_t above = XCB_STACK_MODE_ABOVE;
        xcb_configure_window(connection, window, XCB_CONFIG_WINDOW_STACK_MODE, &above);
        xcb_set_input_focus(connection, XCB_INPUT_FOCUS_PARENT, window, XCB_CURRENT_TIME);
        xcb_aux_sync();
    }

    void xcb_aux_sync()
    {
        std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    }

    xcb_connection_t *connection;
    xcb_screen_t *screen = nullptr;
};

qsizetype indexIn(const std::vector<xcb_window_t> &stack, xcb_window_t window)
{
    for (std::size_t i = 0; i < stack.size(); ++i) {
        if (stack[i] == window)
            return qsizetype(i);
    }
    return -1;
}

} // namespace

TEST(ZunoCamSecondLaunch, BringsTheFirstWindowForwardAndExitsZero)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        GTEST_SKIP() << "needs an X display (the test session starts Xvfb)";
    const QString studio = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("ZunoCam"));
    ASSERT_TRUE(QFileInfo(studio).isExecutable()) << qPrintable(studio);
    XDisplay display;
    ASSERT_TRUE(display.ok());
    // A private session bus for the two starts, so that no other test or studio shares the name.
    ZunoPrivateBus bus;
    if (bus.address.isEmpty())
        GTEST_SKIP() << "cannot start a private D-Bus session bus";
    QDBusConnection connection = bus.connect();
    ASSERT_TRUE(connection.isConnected());

    ZunoTestHome home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));

    QProcess first;
    first.setProcessEnvironment(environment);
    first.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    first.start(studio, {});
    ASSERT_TRUE(first.waitForStarted(10000));
    auto stopFirst = std::unique_ptr<QProcess, void (*)(QProcess *)>(&first, [](QProcess *p) {
        p->terminate();
        if (!p->waitForFinished(5000))
            p->kill();
        p->waitForFinished(2000);
    });
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return connection.interface()->isServiceRegistered(QString::fromLatin1(kServiceName)).value();
        },
        15000))
        << "the first start never owned " << kServiceName;
    xcb_window_t studioWindow = XCB_WINDOW_NONE;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return (studioWindow = display.windowOf(first.processId())) != XCB_WINDOW_NONE; }, 15000))
        << "the first start never mapped its window";
    // Let the first start's own bring-forward after launch pass before covering it.
    ASSERT_TRUE(QTest::qWaitFor([&] { return display.focus() == studioWindow; }, kWindowWait));

    // The first start may ask for the focus once more while it settles (Qt holds an activation back until
    // the window is exposed): cover again until the cover keeps the focus for a moment.
    const xcb_window_t cover = display.coverAndTakeFocus();
    for (int i = 0; i < 20 && QTest::qWaitFor([&] { return display.focus() != cover; }, 500); ++i)
        display.takeFocus(cover);
    ASSERT_EQ(display.focus(), cover);
    ASSERT_GT(indexIn(display.stack(), cover), indexIn(display.stack(), studioWindow));

    QProcess second;
    second.setProcessEnvironment(environment);
    second.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    second.start(studio, {});
    ASSERT_TRUE(second.waitForFinished(20000)) << "the second start did not exit";
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);

    EXPECT_TRUE(QTest::qWaitFor([&] { return display.focus() == studioWindow; }, 10000))
        << "the first window did not take the focus";
    const auto stack = display.stack();
    EXPECT_GT(indexIn(stack, studioWindow), indexIn(stack, cover));
    EXPECT_EQ(first.state(), QProcess::Running);
    // Still the one owner: the second start left the name alone.
    const auto owner = connection.interface()->servicePid(QString::fromLatin1(kServiceName));
    EXPECT_EQ(qint64(owner.value()), first.processId());
}

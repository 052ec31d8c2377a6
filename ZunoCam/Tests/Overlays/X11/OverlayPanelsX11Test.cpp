// The teleprompter panel as a real X11 window on the test session's Xvfb: its window-manager hints,
// clicks that leave the keyboard where it was, and drags by the background only.
#include "CamStudioFakeServices.h"
#include "CamStudioViewModel.h"
#include "FloatingCameraMirrorController.h"
#include "NotchTeleprompterContentView.h"
#include "NotchTeleprompterPanelController.h"
#include "ZunoDraggableFloatingPanel.h"
#include "ZunoSymbolButton.h"
#include "ZunoTestTimeouts.h"
#include "ZunoX11TestClient.h"

#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

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

class OverlayX11Test : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb") || !client.ok())
            GTEST_SKIP() << "needs an X display";
        ASSERT_TRUE(m_dir.isValid());
        fakes = CamStudioFakeServices::make(m_dir.path());
        std::shared_ptr<ZunoAppLogger> logger = fakes.logger;
        fakes.services.panels.makeNotchPanel = [this, logger](CamStudioViewModel &model) {
            auto controller = std::make_unique<NotchTeleprompterPanelController>(model, logger);
            notch = controller.get();
            return controller;
        };
        fakes.services.panels.makeMirrorPanel = [this](CamStudioViewModel &model) {
            auto controller = std::make_unique<FloatingCameraMirrorController>(model);
            mirror = controller.get();
            return controller;
        };
        vm = std::make_unique<CamStudioViewModel>(std::move(fakes.services));
        TeleprompterSettings settings = vm->teleprompter();
        settings.countdownSecondsBeforeStart = 0;
        vm->setTeleprompter(settings);

        // The application the presenter types in.
        studio.setGeometry(50, 300, 300, 200);
        studio.show();
        studio.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&studio, kWindowWait));

        vm->showTeleprompterOverlay();
        ASSERT_TRUE(notch && notch->panel());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(notch->panel(), kWindowWait));
    }
    void TearDown() override { vm.reset(); }

    // Presses at `from`, moves in steps to `to` and releases there, through XTest.
    void drag(QPoint from, QPoint to)
    {
        client.moveTo(from);
        ASSERT_TRUE(zunoWaitFor([&] { return QCursor::pos() == from; }));
        client.button(true);
        QTest::qWait(0);
        client.moveTo(from + QPoint(2, 2));
        client.moveTo(from + (to - from) / 2);
        client.moveTo(to);
        ASSERT_TRUE(zunoWaitFor([&] { return QCursor::pos() == to; }));
        QTest::qWait(30);
        client.button(false);
        QTest::qWait(30);
    }

    QPoint centreOf(QWidget *widget) { return widget->mapToGlobal(widget->rect().center()); }

    ZunoX11TestClient client;
    QTemporaryDir m_dir;
    CamStudioFakeServices fakes;
    std::unique_ptr<CamStudioViewModel> vm;
    NotchTeleprompterPanelController *notch = nullptr;
    FloatingCameraMirrorController *mirror = nullptr;
    QWidget studio;
};

} // namespace

TEST_F(OverlayX11Test, PanelsFloatOnEveryWorkspaceNeverTakeTheFocusAndTheTeleprompterStaysOnTop)
{
    vm->toggleFloatingMirror();
    ASSERT_TRUE(mirror && mirror->panel());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(mirror->panel(), kWindowWait));
    for (QWidget *panel : { static_cast<QWidget *>(notch->panel()), static_cast<QWidget *>(mirror->panel()) }) {
        const auto window = static_cast<xcb_window_t>(panel->winId());
        EXPECT_EQ(client.property(window, "_NET_WM_DESKTOP", XCB_ATOM_CARDINAL),
            std::vector<uint32_t> { 0xFFFFFFFF });
        const auto states = client.property(window, "_NET_WM_STATE", XCB_ATOM_ATOM);
        for (const char *state : { "_NET_WM_STATE_STICKY", "_NET_WM_STATE_ABOVE", "_NET_WM_STATE_SKIP_TASKBAR",
                 "_NET_WM_STATE_SKIP_PAGER" })
            EXPECT_TRUE(contains(states, client.atom(state))) << state;
        EXPECT_EQ(client.inputHint(window), std::optional(false));
    }
    EXPECT_TRUE(studio.isActiveWindow());

    // The mirror came up last, yet the teleprompter is above it (the root's children run bottom to top).
    const auto stackingIndex = [&](QWidget *panel) {
        xcb_query_tree_reply_t *tree = xcb_query_tree_reply(
            client.connection(), xcb_query_tree(client.connection(), client.root()), nullptr);
        const xcb_window_t *children = xcb_query_tree_children(tree);
        const int count = xcb_query_tree_children_length(tree);
        int index = -1;
        for (int i = 0; i < count; ++i)
            if (children[i] == static_cast<xcb_window_t>(panel->winId()))
                index = i;
        free(tree);
        return index;
    };
    ASSERT_TRUE(zunoWaitFor([&] { return stackingIndex(mirror->panel()) >= 0; }));
    EXPECT_TRUE(zunoWaitFor([&] { return stackingIndex(notch->panel()) > stackingIndex(mirror->panel()); }));
}

TEST_F(OverlayX11Test, ClickingPlayTogglesScrollingAndLeavesTheKeyboardAlone)
{
    const xcb_window_t focus = client.inputFocus();
    ASSERT_EQ(focus, static_cast<xcb_window_t>(studio.winId()));
    const bool scrolling = vm->isPrompterScrolling();
    ZunoSymbolButton *play = notch->content()->playPauseButton();
    for (const bool expected : { !scrolling, scrolling }) {
        const QPoint at = centreOf(play);
        client.moveTo(at);
        ASSERT_TRUE(zunoWaitFor([&] { return QCursor::pos() == at; }));
        client.button(true);
        client.button(false);
        ASSERT_TRUE(zunoWaitFor([&] { return vm->isPrompterScrolling() == expected; }));
        EXPECT_EQ(client.inputFocus(), focus);
    }
    EXPECT_TRUE(studio.isActiveWindow());
}

TEST_F(OverlayX11Test, BackgroundDragsMoveThePanelButtonDragsDoNot)
{
    ZunoDraggableFloatingPanel *panel = notch->panel();
    const QPoint origin = panel->pos();
    // From the script area's background.
    const QPoint start = panel->mapToGlobal(QPoint(panel->width() / 2, panel->height() - 20));
    drag(start, start + QPoint(40, 60));
    ASSERT_TRUE(zunoWaitFor([&] { return panel->pos() == origin + QPoint(40, 60); }))
        << panel->pos().x() << "," << panel->pos().y();

    // From the rewind button: the panel stays, and nothing is clicked where the pointer ends.
    const QPoint moved = panel->pos();
    const double pace = vm->teleprompter().wordsPerMinute;
    const QPoint onButton = centreOf(notch->content()->rewindButton());
    drag(onButton, onButton + QPoint(-60, 40));
    QTest::qWait(50);
    EXPECT_EQ(panel->pos(), moved);
    EXPECT_DOUBLE_EQ(vm->teleprompter().wordsPerMinute, pace);
    EXPECT_TRUE(studio.isActiveWindow());
}

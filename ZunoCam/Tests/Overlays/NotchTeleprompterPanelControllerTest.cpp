// The teleprompter panel on a view model over fake services and virtual time (offscreen).
#include "NotchTeleprompterPanelController.h"
#include "CamStudioFakeServices.h"
#include "CamStudioViewModel.h"
#include "CamStudioVirtualClock.h"
#include "NotchTeleprompterContentView.h"
#include "ZunoAppLogger.h"
#include "ZunoDraggableFloatingPanel.h"
#include "ZunoSymbolButton.h"
#include "ZunoTestTimeouts.h"

#include <QApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

class NotchPanelTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
    void TearDown() override { vm.reset(); }

    void start(bool captureExclusionSupported = false)
    {
        fakes = CamStudioFakeServices::make(m_dir.path());
        std::shared_ptr<ZunoAppLogger> logger = fakes.logger;
        fakes.services.panels.makeNotchPanel
            = [this, logger, captureExclusionSupported](CamStudioViewModel &model) {
                  auto controller = std::make_unique<NotchTeleprompterPanelController>(
                      model, logger, [captureExclusionSupported] { return captureExclusionSupported; });
                  notch = controller.get();
                  return controller;
              };
        vm = std::make_unique<CamStudioViewModel>(std::move(fakes.services));
    }

    void changeSettings(const std::function<void(TeleprompterSettings &)> &change)
    {
        TeleprompterSettings settings = vm->teleprompter();
        change(settings);
        vm->setTeleprompter(settings);
        vm->applyTeleprompterSettings();
    }

    NotchTeleprompterContentView &content() { return *notch->content(); }
    void click(ZunoSymbolButton *button) { QTest::mouseClick(button, Qt::LeftButton); }

    int panelWindows() const
    {
        int count = 0;
        for (QWidget *widget : QApplication::topLevelWidgets())
            count += widget->windowTitle() == NotchTeleprompterPanelController::kWindowTitle;
        return count;
    }

    QStringList messages(const QString &category) const
    {
        QStringList result;
        for (const ZunoLogEntry &entry : fakes.logger->recentEntries(10000, ZunoLogLevel::debug))
            if (entry.category == category)
                result.prepend(entry.message);
        return result;
    }

    CamStudioVirtualClock &clock() { return *fakes.clock; }

    QTemporaryDir m_dir;
    CamStudioFakeServices fakes;
    std::unique_ptr<CamStudioViewModel> vm;
    NotchTeleprompterPanelController *notch = nullptr;
};

TEST_F(NotchPanelTest, ButtonsDriveThePlaybackOperations)
{
    start();
    changeSettings([](TeleprompterSettings &s) { s.countdownSecondsBeforeStart = 0; });
    vm->showTeleprompterOverlay();
    ASSERT_TRUE(notch && notch->panel() && notch->panel()->isVisible());
    EXPECT_TRUE(vm->isPrompterScrolling());

    // Pace.
    const double pace = vm->teleprompter().wordsPerMinute;
    click(content().slowerButton());
    EXPECT_DOUBLE_EQ(vm->teleprompter().wordsPerMinute, pace - 10);
    click(content().fasterButton());
    click(content().fasterButton());
    EXPECT_DOUBLE_EQ(vm->teleprompter().wordsPerMinute, pace + 10);
    EXPECT_EQ(content().state().wordsPerMinute, pace + 10);

    // Rewind keeps the play state, playing or paused.
    clock().advance(1);
    ASSERT_GT(vm->prompterScrollOffset(), 0);
    EXPECT_DOUBLE_EQ(content().scrollOffset(), vm->prompterScrollOffset());
    click(content().rewindButton());
    EXPECT_EQ(vm->prompterScrollOffset(), 0);
    EXPECT_TRUE(vm->isPrompterScrolling());

    // Pause only pauses; play with no countdown starts the loop at once.
    click(content().playPauseButton());
    EXPECT_FALSE(vm->isPrompterScrolling());
    EXPECT_EQ(content().playPauseButton()->symbol(), QStringLiteral("play.fill"));
    clock().advance(1);
    EXPECT_EQ(vm->prompterScrollOffset(), 0);
    click(content().playPauseButton());
    EXPECT_TRUE(vm->isPrompterScrolling());
    EXPECT_EQ(vm->prompterCountdownRemaining(), 0);
    clock().advance(0.5);
    EXPECT_GT(vm->prompterScrollOffset(), 0);
    click(content().rewindButton());
    click(content().playPauseButton());
    EXPECT_FALSE(vm->isPrompterScrolling());
    EXPECT_EQ(vm->prompterScrollOffset(), 0);

    // Close hides through the view model.
    click(content().closeButton());
    EXPECT_FALSE(vm->isTeleprompterVisible());
    EXPECT_FALSE(notch->panel()->isVisible());
}

TEST_F(NotchPanelTest, ContentFollowsTheViewModelAtOnce)
{
    start();
    vm->createNewScript();
    vm->updateActiveScript(QStringLiteral("Keynote"), QStringLiteral("Hello there"));
    changeSettings([](TeleprompterSettings &s) { s.countdownSecondsBeforeStart = 3; });
    vm->showTeleprompterOverlay();
    EXPECT_EQ(content().state().title, QStringLiteral("Keynote"));
    EXPECT_EQ(content().state().body, QStringLiteral("Hello there"));
    EXPECT_EQ(content().state().countdownRemaining, 3);
    clock().advance(1);
    EXPECT_EQ(content().state().countdownRemaining, 2);

    changeSettings([](TeleprompterSettings &s) {
        s.panelOpacity = std::numeric_limits<double>::quiet_NaN();
        s.fontSize = 400;
        s.mirrorTextHorizontally = true;
    });
    EXPECT_DOUBLE_EQ(content().state().panelOpacity, 0.88);
    EXPECT_DOUBLE_EQ(content().state().fontSize, 56);
    EXPECT_TRUE(content().state().mirrorTextHorizontally);
    changeSettings([](TeleprompterSettings &s) {
        s.panelOpacity = -3;
        s.fontSize = 2;
    });
    EXPECT_DOUBLE_EQ(content().state().panelOpacity, 0);
    EXPECT_DOUBLE_EQ(content().state().fontSize, 14);
    changeSettings([](TeleprompterSettings &s) { s.panelOpacity = 7; });
    EXPECT_DOUBLE_EQ(content().state().panelOpacity, 1);
}

TEST_F(NotchPanelTest, RepeatedShowsKeepOneWindowPlacedAtTheTopCentre)
{
    start();
    const int before = panelWindows();
    vm->showTeleprompterOverlay();
    ZunoDraggableFloatingPanel *panel = notch->panel();
    EXPECT_EQ(panel->windowTitle(), QStringLiteral("ZunoCam Teleprompter"));
    EXPECT_TRUE(panel->windowFlags() & Qt::WindowDoesNotAcceptFocus);
    vm->hideTeleprompterOverlay();
    vm->showTeleprompterOverlay();
    vm->showTeleprompterOverlay();
    EXPECT_EQ(notch->panel(), panel);
    EXPECT_EQ(panelWindows(), before + 1);

    QScreen *screen = QGuiApplication::primaryScreen();
    const QRect geometry = screen->geometry();
    EXPECT_EQ(panel->size(), QSize(560, 205));
    EXPECT_EQ(
        panel->pos(), QPoint(geometry.x() + std::lround(geometry.width() / 2.0 - 280), geometry.y() + 6));

    // A dragged panel goes back on the next layout; sizes from a hand-edited document are bounded.
    panel->move(10, 300);
    struct Case {
        double width;
        double height;
        QSize expected;
    };
    const Case cases[] = {
        { 520.4, 150.6, { 520, 151 } },
        { std::numeric_limits<double>::quiet_NaN(), 0.5, { 560, 205 } },
        { std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(), { 560, 205 } },
        { 1e9, 1e9, geometry.size() },
    };
    for (const Case &c : cases) {
        changeSettings([&](TeleprompterSettings &s) {
            s.panelWidth = c.width;
            s.panelHeight = c.height;
        });
        EXPECT_EQ(panel->size(), c.expected) << c.width << " x " << c.height;
        EXPECT_EQ(
            panel->pos().x(), geometry.x() + std::lround(geometry.width() / 2.0 - c.expected.width() / 2.0));
    }
}

TEST_F(NotchPanelTest, PrivateBadgeOnlyWhereTheDesktopCanHideThePanel)
{
    const auto privacyLines = [this] {
        return messages(CamStudioViewModel::kTeleprompterCategory)
            .filter(NotchTeleprompterPanelController::kPrivacyUnavailableMessage)
            .size();
    };
    EXPECT_FALSE(CamStudioViewModel::canHideFromScreenShare());
    for (const bool supported : { false, true }) {
        const qsizetype linesBefore = fakes.logger ? privacyLines() : 0;
        start(supported);
        changeSettings([](TeleprompterSettings &s) { s.hideFromScreenShare = true; });
        vm->showTeleprompterOverlay();
        EXPECT_EQ(content().state().showsPrivateBadge, supported);
        EXPECT_EQ(content().badgeRect().isNull(), !supported);
        // One line per show where the desktop cannot honour the setting.
        EXPECT_EQ(privacyLines() - linesBefore, supported ? 0 : 1);

        changeSettings([](TeleprompterSettings &s) { s.hideFromScreenShare = false; });
        EXPECT_FALSE(content().state().showsPrivateBadge);
        vm->hideTeleprompterOverlay();
        vm->showTeleprompterOverlay();
        EXPECT_EQ(privacyLines() - linesBefore, supported ? 0 : 1);
        vm.reset();
    }
}

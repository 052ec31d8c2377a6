// The application shell: the platform preference, the tray's appearance, the commands, the window's
// close and reopen roads, and quitting from the popover during a recording.
#include "CamPlatformPreference.h"
#include "CamStatusAppearance.h"
#include "CamStatusItem.h"
#include "CamStudioCommands.h"
#include "CamStudioQuitGuard.h"
#include "FakeStudioRecorder.h"
#include "MenuBarCamPopoverView.h"
#include "StudioTestFixture.h"
#include "ZunoAppActivationDelegate.h"
#include "ZunoButton.h"
#include "ZunoCamApp.h"
#include "ZunoCamStudioWindow.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTimer>

namespace {

struct PlatformCase {
    CamPlatformPreference::Environment environment;
    std::optional<QString> expected;
};

} // namespace

TEST(CamPlatformPreferenceTest, PrefersXWaylandOnlyOnWaylandWithADisplayAndNoChoiceOfTheUser)
{
    const std::optional<QString> xcb = QStringLiteral("xcb;wayland");
    const std::vector<PlatformCase> cases = {
        { { "", "wayland", "wayland-0", ":0" }, xcb },
        { { "", "wayland", "", ":1" }, xcb },
        { { "", "", "wayland-0", ":0" }, xcb }, // a session type the desktop did not set
        { { "", "Wayland", "wayland-0", ":0" }, xcb },
        { { "wayland", "wayland", "wayland-0", ":0" }, std::nullopt }, // the user's own choice wins
        { { "offscreen", "wayland", "wayland-0", ":0" }, std::nullopt },
        { { "", "wayland", "wayland-0", "" }, std::nullopt }, // no XWayland
        { { "", "x11", "", ":0" }, std::nullopt }, // plain X11 needs nothing
        { { "", "tty", "", "" }, std::nullopt },
    };
    for (const PlatformCase &c : cases) {
        EXPECT_EQ(CamPlatformPreference::preferredPlatform(c.environment), c.expected)
            << qPrintable(c.environment.qtPlatform) << " " << qPrintable(c.environment.sessionType) << " "
            << qPrintable(c.environment.waylandDisplay) << " " << qPrintable(c.environment.display);
    }
}

TEST(CamStatusAppearanceTest, SymbolFollowsThePrompterAndRecordingOutranksTheLaser)
{
    struct Case {
        bool prompter, recording, laser;
        const char *symbol;
        std::optional<QColor> dot;
    };
    const QColor red(0xFF, 0x3B, 0x30);
    const QColor pink(0xFF, 0x2D, 0x55);
    const std::vector<Case> cases = {
        { false, false, false, "camera.aperture", std::nullopt },
        { false, false, true, "camera.aperture", pink },
        { false, true, false, "camera.aperture", red },
        { false, true, true, "camera.aperture", red },
        { true, false, false, "text.viewfinder", std::nullopt },
        { true, false, true, "text.viewfinder", pink },
        { true, true, false, "text.viewfinder", red },
        { true, true, true, "text.viewfinder", red },
    };
    for (const Case &c : cases) {
        const auto appearance = CamStatusAppearance::of(c.prompter, c.recording, c.laser);
        EXPECT_EQ(appearance.symbol, QString::fromLatin1(c.symbol)) << c.prompter << c.recording << c.laser;
        EXPECT_EQ(appearance.dot, c.dot) << c.prompter << c.recording << c.laser;
    }
}

TEST(CamStatusAppearanceTest, RenderedIconCarriesTheDotInTheLowerTrailingCorner)
{
    for (const int side : { 16, 22, 24, 32, 48 }) {
        // The badge's centre, about 3/16 of the side in from the lower right corner.
        const int at = side - qRound(side * CamStatusAppearance::kDotFraction / 2);
        const QImage recording = CamStatusAppearance::of(false, true, true).render(side);
        ASSERT_EQ(recording.size(), QSize(side, side));
        const QColor red = recording.pixelColor(at, at);
        EXPECT_GT(red.red(), 230) << side;
        EXPECT_LT(red.green(), 90) << side;
        const QColor pink = CamStatusAppearance::of(false, false, true).render(side).pixelColor(at, at);
        EXPECT_GT(pink.red(), 230) << side;
        EXPECT_LT(pink.green(), 70) << side;
        EXPECT_GT(pink.blue(), 60) << side;
        // Without a dot the corner is the symbol's or nothing: never red.
        const QColor none = CamStatusAppearance::of(false, false, false).render(side).pixelColor(at, at);
        EXPECT_FALSE(none.alpha() > 200 && none.red() > 200 && none.green() < 100) << side;
    }
    // The symbol itself is drawn, near-white.
    const QImage idle = CamStatusAppearance::of(false, false, false).render(48);
    int light = 0;
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 48; ++x)
            light += idle.pixelColor(x, y).lightness() > 220 && idle.pixelColor(x, y).alpha() > 200;
    }
    EXPECT_GT(light, 40);
}

class CamStudioShellTest : public StudioTest { };

TEST_F(CamStudioShellTest, CommandsCarryTitlesShortcutsAndTheirOperations)
{
    start();
    QWidget window;
    CamStudioCommands commands(*vm, &window);
    ASSERT_EQ(commands.actions().size(), 3);
    const QStringList keys = { "Super+Alt+T", "Super+Alt+L", "Super+Alt+C" };
    const QStringList english
        = { "Toggle Notch Teleprompter", "Toggle Presentation Laser / Draw", "Toggle Live Camera Mirror" };
    const QStringList turkish = { "Çentik Altı Teleprompter Aç/Kapat", "Sunum Lazer / Çizim Katmanı Aç/Kapat",
        "Canlı Kamera Önizlemesini Aç/Kapat" };
    const Qt::Key letters[] = { Qt::Key_T, Qt::Key_L, Qt::Key_C };
    for (int i = 0; i < 3; ++i) {
        QAction *action = commands.actions()[i];
        EXPECT_EQ(action->shortcut(), QKeySequence(Qt::META | Qt::ALT | letters[i]));
        EXPECT_EQ(action->shortcutContext(), Qt::ApplicationShortcut);
        EXPECT_TRUE(window.actions().contains(action));
        EXPECT_EQ(action->text(), english[i]);
    }
    vm->setLanguage(ZunoLanguage::tr);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(commands.actions()[i]->text(), turkish[i]);
    // The words of the hot-key descriptor for T and L, never Qt's "Meta".
    EXPECT_EQ(CamStudioCommands::shortcutText(CamStudioCommands::teleprompter),
        ZunoHotkeyDescriptor(0x11, 0x900).shortcutText());
    EXPECT_EQ(CamStudioCommands::shortcutText(CamStudioCommands::laser),
        ZunoHotkeyDescriptor(0x25, 0x900).shortcutText());
    // What a widget menu writes beside each item, once the studio's words are installed.
    CamShortcutWords words;
    QCoreApplication::installTranslator(&words);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(commands.actions()[i]->shortcut().toString(QKeySequence::NativeText), keys[i]);
    QCoreApplication::removeTranslator(&words);

    commands.action(CamStudioCommands::teleprompter)->trigger();
    EXPECT_TRUE(vm->isTeleprompterVisible());
    commands.action(CamStudioCommands::teleprompter)->trigger();
    EXPECT_FALSE(vm->isTeleprompterVisible());
    commands.action(CamStudioCommands::laser)->trigger();
    EXPECT_TRUE(vm->isLaserOverlayVisible());
    commands.action(CamStudioCommands::laser)->trigger();
    EXPECT_FALSE(vm->isLaserOverlayVisible());
    const bool running = vm->isCameraRunning();
    commands.action(CamStudioCommands::cameraPreview)->trigger();
    QCoreApplication::processEvents();
    EXPECT_NE(vm->isCameraRunning(), running);
}

TEST_F(CamStudioShellTest, WithoutATrayClosingTheWindowQuitsThroughTheGuard)
{
    start();
    ZunoCamApp app(*vm, false);
    EXPECT_EQ(app.statusItem(), nullptr);
    EXPECT_EQ(app.window()->windowTitle(), QStringLiteral("ZunoCam — by Quarnwell"));
    EXPECT_EQ(app.window()->objectName(), QStringLiteral("studio"));
    app.window()->show();
    CamStudioQuitGuard guard(*vm, nullptr);
    EXPECT_EQ(runQuitLoop([&] { app.window()->close(); }), 0);
}

TEST_F(CamStudioShellTest, WithATrayClosingHidesAndReopenOrOpenStudioBringsItBack)
{
    start();
    ZunoCamApp app(*vm, true);
    ASSERT_NE(app.statusItem(), nullptr);
    EXPECT_FALSE(QApplication::quitOnLastWindowClosed());
    ZunoCamStudioWindow *window = app.window();
    window->show();
    window->close();
    EXPECT_FALSE(window->isVisible());

    // A second start's reopen notification.
    ZunoNotificationCenter::shared().post(
        QString::fromLatin1(ZunoAppActivationDelegate::kReopenStudioWindowNotification));
    QCoreApplication::processEvents();
    EXPECT_TRUE(window->isVisible());

    window->showMinimized();
    QCoreApplication::processEvents();
    app.statusItem()->popover()->openStudioButton()->click();
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->windowState() & Qt::WindowMinimized);
    QApplication::setQuitOnLastWindowClosed(true);
}

TEST_F(CamStudioShellTest, TrayItemFollowsTheStateAndItsMenuTheLanguage)
{
    start();
    ZunoCamApp app(*vm, true);
    CamStatusItem *item = app.statusItem();
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->trayIcon()->toolTip(), QStringLiteral("ZunoCam"));
    EXPECT_EQ(item->appearance(), CamStatusAppearance::of(false, false, false));
    QSignalSpy changes(item, &CamStatusItem::appearanceChanged);
    vm->toggleLaserOverlay();
    EXPECT_EQ(item->appearance().dot, CamStatusAppearance::kLaserDot);
    vm->startVideoRecording();
    EXPECT_EQ(item->appearance().dot, CamStatusAppearance::kRecordingDot);
    vm->showTeleprompterOverlay();
    EXPECT_EQ(item->appearance().symbol, QStringLiteral("text.viewfinder"));
    EXPECT_EQ(changes.count(), 3);

    auto texts = [&] {
        QStringList result;
        for (QAction *action : item->menu()->actions())
            result.append(
                action->isSeparator() && action->text().isEmpty() ? QStringLiteral("-") : action->text());
        return result;
    };
    vm->setLanguage(ZunoLanguage::tr);
    EXPECT_EQ(texts(),
        (QStringList { "ZunoCam", "-", "Çentik Altı Teleprompter Aç/Kapat",
            "Sunum Lazer / Çizim Katmanı Aç/Kapat", "Canlı Kamera Önizlemesini Aç/Kapat",
            "Toplantı Öncesi Çentik Aynası (Super+Alt+M)", "-", "Stüdyoyu Aç", "Çıkış" }));
    EXPECT_FALSE(item->menu()->actions().front()->isEnabled()) << "the title is not an action";

    // A click opens the popover; another closes it.
    item->togglePopover();
    EXPECT_TRUE(item->popover()->isVisible());
    item->togglePopover();
    EXPECT_FALSE(item->popover()->isVisible());
}

TEST_F(CamStudioShellTest, QuitFromThePopoverFinishesTheRecordingFirst)
{
    start();
    fakes.recorder->holdStops(true);
    vm->startVideoRecording();
    ASSERT_TRUE(vm->isRecordingVideo());
    CamStudioQuitGuard guard(*vm, nullptr);
    MenuBarCamPopoverView popover(
        *vm, [] {}, Qt::magenta);
    bool finishedBeforeQuit = false;
    QObject::connect(vm.get(), &CamStudioViewModel::recordingChanged, vm.get(), [&] {
        if (vm->isFinalizingVideo())
            QTimer::singleShot(0, vm.get(), [&] { fakes.recorder->finishHeldStop(); });
    });
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, vm.get(),
        [&] { finishedBeforeQuit = !vm->isRecordingVideo() && !vm->isFinalizingVideo(); });
    EXPECT_EQ(runQuitLoop([&] { popover.quitButton()->click(); }), 0);
    EXPECT_TRUE(finishedBeforeQuit);
    EXPECT_EQ(vm->toastMessage(), QStringLiteral("Saved MP4: ZunoCam-20260101-120000.mp4"));
}

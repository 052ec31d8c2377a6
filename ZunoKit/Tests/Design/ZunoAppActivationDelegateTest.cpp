#include "ZunoAppActivationDelegate.h"
#include "ZunoAppLogger.h"
#include "ZunoNotificationCenter.h"
#include "ZunoTestHome.h"
#include "ZunoTestTimeouts.h"
#include "ZunoWaitUntil.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

#include <memory>

namespace {

ZunoBundle bundleWith(const QVariantMap &info)
{
    ZunoBundle bundle;
    bundle.bundleIdentifier = QStringLiteral("com.example.probe");
    bundle.infoDictionary = info;
    return bundle;
}

std::unique_ptr<QWidget> shownWindow(Qt::WindowType type = Qt::Window)
{
    auto window = std::make_unique<QWidget>(nullptr, type);
    window->resize(200, 120);
    window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get(), kWindowWait));
    return window;
}

// Counts the reopen notification while alive.
class ReopenCounter {
public:
    ReopenCounter()
    {
        m_token = ZunoNotificationCenter::shared().addObserver(
            QString::fromLatin1(ZunoAppActivationDelegate::kReopenStudioWindowNotification), nullptr,
            [this](const QString &, const QVariant &payload) {
                ++count;
                EXPECT_FALSE(payload.isValid());
            });
    }
    ~ReopenCounter() { ZunoNotificationCenter::shared().removeObserver(m_token); }
    int count = 0;

private:
    ZunoNotificationCenter::Token m_token;
};

} // namespace

TEST(ZunoAppActivationDelegate, LaunchLineNamesTheApplicationVersionAndSystem)
{
    struct Case {
        const char *name;
        QVariantMap info;
        QString expectedName;
        QString expectedVersion;
    };
    const QString processName = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    const Case cases[] = {
        { "display name wins",
            { { "CFBundleDisplayName", "Probe Display" }, { "CFBundleName", "ProbeBundle" },
                { "CFBundleShortVersionString", "2.3.4" }, { "CFBundleVersion", "77" } },
            QStringLiteral("Probe Display"), QStringLiteral("v2.3.4 (77)") },
        { "bundle name without display name",
            { { "CFBundleName", "ProbeBundleOnly" }, { "CFBundleShortVersionString", "3.0.0" },
                { "CFBundleVersion", "5" } },
            QStringLiteral("ProbeBundleOnly"), QStringLiteral("v3.0.0 (5)") },
        { "display name that is not text",
            { { "CFBundleDisplayName", 42 }, { "CFBundleName", "ProbeTyped" } }, QStringLiteral("ProbeTyped"),
            QStringLiteral("v1.0.0 (100)") },
        { "neither: the process name and the fallbacks", {}, processName, QStringLiteral("v1.0.0 (100)") },
    };
    for (const Case &c : cases) {
        ZunoTestHome home;
        ZunoAppActivationDelegate delegate(bundleWith(c.info));
        const auto logger = ZunoAppLogger::shared(c.expectedName);
        logger->clear();
        delegate.applicationDidFinishLaunching();
        const QList<ZunoLogEntry> entries = logger->recentEntries(10, ZunoLogLevel::debug);
        ASSERT_EQ(entries.size(), 1) << c.name;
        EXPECT_EQ(entries[0].level, ZunoLogLevel::info) << c.name;
        EXPECT_EQ(entries[0].category, QStringLiteral("lifecycle")) << c.name;
        EXPECT_EQ(entries[0].message,
            c.expectedName + QLatin1Char(' ') + c.expectedVersion + QStringLiteral(" launched (")
                + QSysInfo::prettyProductName() + QLatin1Char(')'))
            << c.name;
    }
    // The system string is the operating system's own, unaltered.
    EXPECT_EQ(ZunoAppActivationDelegate::systemVersionString(), QSysInfo::prettyProductName());
}

TEST(ZunoAppActivationDelegate, StudioWindowComesForwardAfterLaunchNotDuringIt)
{
    ZunoTestHome home;
    auto studio = shownWindow();
    auto other = shownWindow();
    other->activateWindow();
    ASSERT_TRUE(waitUntil([&] { return QGuiApplication::focusWindow() == other->windowHandle(); },
        kWindowWait, "the other window to take the focus"));

    QSignalSpy focusChanges(qApp, &QGuiApplication::focusWindowChanged);
    ZunoAppActivationDelegate delegate(bundleWith({ { "CFBundleName", "ProbeLaunchFocus" } }));
    delegate.applicationDidFinishLaunching();
    QCoreApplication::processEvents();
    EXPECT_EQ(QGuiApplication::focusWindow(), other->windowHandle());
    ASSERT_TRUE(focusChanges.wait(kWindowWait));
    EXPECT_EQ(QGuiApplication::focusWindow(), studio->windowHandle());
}

// The bring-forward after launch is the delegate's: one gone before the delay does nothing (nor in a
// later test of the same process).
TEST(ZunoAppActivationDelegate, ADelegateGoneBeforeTheDelayBringsNothingForward)
{
    ZunoTestHome home;
    auto studio = shownWindow();
    auto other = shownWindow();
    other->activateWindow();
    ASSERT_TRUE(waitUntil([&] { return QGuiApplication::focusWindow() == other->windowHandle(); },
        kWindowWait, "the other window to take the focus"));
    {
        ZunoAppActivationDelegate delegate(bundleWith({ { "CFBundleName", "ProbeLaunchGone" } }));
        delegate.applicationDidFinishLaunching();
    }
    EXPECT_FALSE(waitUntil([&] { return QGuiApplication::focusWindow() == studio->windowHandle(); },
        10 * ZunoAppActivationDelegate::kActivationDelayMs, "the studio window to come forward"));
}

TEST(ZunoAppActivationDelegate, MinimisedStudioWindowIsRestoredAndActivated)
{
    auto panel = shownWindow(Qt::Tool);
    auto studio = shownWindow();
    studio->showMinimized();
    ASSERT_TRUE(
        waitUntil([&] { return studio->isMinimized(); }, kWindowWait, "the studio window to be minimised"));
    panel->activateWindow();
    ASSERT_TRUE(waitUntil([&] { return QGuiApplication::focusWindow() == panel->windowHandle(); },
        kWindowWait, "the panel to take the focus"));

    ZunoAppActivationDelegate::bringStudioWindowToFront();
    ASSERT_TRUE(
        waitUntil([&] { return !studio->isMinimized(); }, kWindowWait, "the studio window to be restored"));
    ASSERT_TRUE(waitUntil([&] { return QGuiApplication::focusWindow() == studio->windowHandle(); },
        kWindowWait, "the studio window to take the focus"));
}

TEST(ZunoAppActivationDelegate, PanelsAloneAreLeftAsTheyAre)
{
    auto panel = shownWindow(Qt::Tool);
    auto minimisedPanel = shownWindow(Qt::Tool);
    minimisedPanel->showMinimized();
    ASSERT_TRUE(
        waitUntil([&] { return minimisedPanel->isMinimized(); }, kWindowWait, "the panel to be minimised"));
    // A hidden normal window is not brought back either: reopening is the application's job.
    QWidget hidden;
    hidden.show();
    hidden.hide();
    panel->activateWindow();
    ASSERT_TRUE(waitUntil([&] { return QGuiApplication::focusWindow() == panel->windowHandle(); },
        kWindowWait, "the panel to take the focus"));

    ReopenCounter reopen;
    ZunoAppActivationDelegate::bringStudioWindowToFront();
    QCoreApplication::processEvents();
    EXPECT_TRUE(minimisedPanel->isMinimized());
    EXPECT_FALSE(hidden.isVisible());
    EXPECT_EQ(QGuiApplication::focusWindow(), panel->windowHandle());
    EXPECT_EQ(reopen.count, 0);
}

TEST(ZunoAppActivationDelegate, ReopenWithoutVisibleWindowPostsOnceWithOneBringsItForward)
{
    ZunoAppActivationDelegate delegate(bundleWith({}));
    {
        ReopenCounter reopen;
        EXPECT_TRUE(delegate.applicationShouldHandleReopen(false));
        EXPECT_EQ(reopen.count, 1);
    }
    auto studio = shownWindow();
    auto other = shownWindow();
    other->activateWindow();
    ASSERT_TRUE(waitUntil([&] { return QGuiApplication::focusWindow() == other->windowHandle(); },
        kWindowWait, "the other window to take the focus"));
    EXPECT_TRUE(ZunoAppActivationDelegate::hasVisibleWindows());
    ReopenCounter reopen;
    EXPECT_TRUE(delegate.applicationShouldHandleReopen(true));
    EXPECT_EQ(reopen.count, 0);
    ASSERT_TRUE(waitUntil([&] { return QGuiApplication::focusWindow() == studio->windowHandle(); },
        kWindowWait, "the studio window to take the focus"));
}

TEST(ZunoAppActivationDelegate, MinimisedWindowsDoNotCountAsVisible)
{
    auto studio = shownWindow();
    EXPECT_TRUE(ZunoAppActivationDelegate::hasVisibleWindows());
    studio->showMinimized();
    ASSERT_TRUE(
        waitUntil([&] { return studio->isMinimized(); }, kWindowWait, "the studio window to be minimised"));
    EXPECT_FALSE(ZunoAppActivationDelegate::hasVisibleWindows());
}

TEST(ZunoAppActivationDelegate, ReopenWithOnlyAPanelUpAsksForTheStudioWindow)
{
    // The studio window closed to the tray, a floating panel still showing: the panel counts as a
    // visible window, but only reopening brings the studio back.
    auto panel = shownWindow(Qt::Tool);
    ASSERT_TRUE(ZunoAppActivationDelegate::hasVisibleWindows());
    ZunoAppActivationDelegate delegate(bundleWith({}));
    ReopenCounter reopen;
    EXPECT_TRUE(delegate.applicationShouldHandleReopen(ZunoAppActivationDelegate::hasVisibleWindows()));
    EXPECT_EQ(reopen.count, 1);
    EXPECT_TRUE(panel->isVisible());
}

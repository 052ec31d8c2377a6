#include "ZunoVersionBadgeButton.h"

#include "VersionLogsFixture.h"
#include "ZunoButton.h"
#include "ZunoFeedbackButton.h"
#include "ZunoSegmentedControl.h"
#include "ZunoSheetHost.h"
#include "ZunoVersionAndLogsView.h"
#include "ZunoVersionBadge.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QHBoxLayout>
#include <QSignalSpy>
#include <QTest>
#include <QUrlQuery>

#include <gtest/gtest.h>

namespace {

const ZunoAppVersion kVersion { QStringLiteral("1.0.0"), QStringLiteral("100") };

// A window large enough for the sheet's minimum size, with the badge in its top-left corner.
struct BadgeWindow {
    explicit BadgeWindow(std::shared_ptr<ZunoAppLogger> logger, bool showFeedbackButton = true,
        ZunoLanguage language = ZunoLanguage::en)
    {
        window.resize(1100, 800);
        badge = new ZunoVersionBadgeButton(QStringLiteral("ZunoCam"), kVersion, std::move(logger),
            ZunoProductPalette::deepCoral, language, false, showFeedbackButton, &window);
        badge->move(20, 20);
        badge->resize(badge->sizeHint());
        window.show();
        window.activateWindow();
        active = QTest::qWaitForWindowActive(&window, 20000);
    }

    bool active = false;
    QWidget window;
    ZunoVersionBadgeButton *badge;
};

} // namespace

TEST(ZunoVersionBadgeButton, ShowsTheVersionAndAlwaysTellsTheBuildInItsTooltip)
{
    const struct {
        bool showBuild;
        ZunoLanguage language;
        const char *badge;
        const char *tooltip;
    } cases[] = {
        { false, ZunoLanguage::en, "v1.0.0", "Version v1.0.0 (100) — Click to view Release History & Logs" },
        { true, ZunoLanguage::en, "v1.0.0 (100)",
            "Version v1.0.0 (100) — Click to view Release History & Logs" },
        { false, ZunoLanguage::tr, "v1.0.0",
            "Sürüm v1.0.0 (100) — Sürüm Geçmişi ve Logları görmek için tıklayın" },
    };
    VersionLogsFixture::TemporaryLog log;
    for (const auto &c : cases) {
        ZunoVersionBadgeButton button(QStringLiteral("ZunoCam"), kVersion, log.logger,
            ZunoProductPalette::deepCoral, c.language, c.showBuild, false);
        const auto *badge = button.findChild<ZunoVersionBadge *>();
        ASSERT_NE(badge, nullptr);
        EXPECT_EQ(badge->text(), QString::fromUtf8(c.badge));
        EXPECT_EQ(button.badgeButton()->toolTip(), QString::fromUtf8(c.tooltip));
        EXPECT_EQ(button.badgeButton()->focusPolicy(), Qt::NoFocus);
    }
}

TEST(ZunoVersionBadgeButton, CompactFeedbackIconFollowsFivePixelsLaterAndOpensTheWebPage)
{
    ZunoInstalled<ZunoDesktopServices, ZunoRecordingDesktop> desktop;
    VersionLogsFixture::TemporaryLog log;
    BadgeWindow with(log.logger, true);
    ZunoFeedbackButton *feedback = with.badge->feedbackButton();
    ASSERT_NE(feedback, nullptr);
    EXPECT_EQ(feedback->buttonStyle(), ZunoFeedbackButtonStyle::compactIcon);
    EXPECT_EQ(feedback->x() - (with.badge->badgeButton()->geometry().right() + 1), 5);

    QTest::mouseClick(feedback->button(), Qt::LeftButton, {}, feedback->button()->rect().center());
    ASSERT_EQ(desktop.fake->opened.size(), 1);
    EXPECT_EQ(QUrlQuery(desktop.fake->opened.first()).queryItemValue(QStringLiteral("type")),
        QStringLiteral("feature"));
    EXPECT_FALSE(with.badge->isSheetPresented()) << "the web page, not the sheet";

    BadgeWindow without(log.logger, false);
    EXPECT_EQ(without.badge->feedbackButton(), nullptr);
    EXPECT_EQ(without.badge->findChild<ZunoFeedbackButton *>(), nullptr);
}

TEST(ZunoVersionBadgeButton, BadgesWithoutALoggerShareTheApplicationsLogger)
{
    const QString app = QStringLiteral("BadgeSharedLoggerApp");
    ZunoVersionBadgeButton first(
        app, kVersion, nullptr, ZunoProductPalette::deepCoral, ZunoLanguage::en, false, false);
    ZunoVersionBadgeButton second(
        app, kVersion, nullptr, ZunoProductPalette::deepCoral, ZunoLanguage::en, true, true);
    ASSERT_NE(first.logger(), nullptr);
    EXPECT_EQ(first.logger(), second.logger());
    EXPECT_EQ(first.logger(), ZunoAppLogger::shared(app));
}

TEST(ZunoVersionBadgeButton, AClickOrTheAccessiblePressPresentsTheSheetAtItsMinimumSize)
{
    VersionLogsFixture::TemporaryLog log;
    BadgeWindow ui(log.logger);
    ASSERT_TRUE(ui.active);
    QAbstractButton *capsule = ui.badge->badgeButton();

    QTest::mouseClick(capsule, Qt::LeftButton, {}, capsule->rect().center());
    ASSERT_TRUE(ui.badge->isSheetPresented());
    ZunoSheetHost *host = ui.badge->sheetHost();
    EXPECT_EQ(host->parentWidget(), &ui.window);
    EXPECT_GE(host->cardGeometry().width(), 720);
    EXPECT_GE(host->cardGeometry().height(), 560);
    ZunoVersionAndLogsView *view = ui.badge->sheetView();
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(view->isSheet());
    EXPECT_EQ(view->logger(), log.logger);
    EXPECT_TRUE(host->isAncestorOf(QApplication::focusWidget())) << "focus moved into the sheet";

    // The close button dismisses it.
    QTest::mouseClick(view->closeButton(), Qt::LeftButton, {}, view->closeButton()->rect().center());
    EXPECT_FALSE(ui.badge->isSheetPresented());
    EXPECT_TRUE(ZunoSheetHost::sheets(&ui.window).isEmpty());

    // The accessible press presents it again; Escape dismisses it.
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(capsule);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::Button);
    QSignalSpy presented(ui.badge, &ZunoVersionBadgeButton::sheetPresentedChanged);
    accessible->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    ASSERT_TRUE(presented.count() > 0 || presented.wait(20000));
    ASSERT_TRUE(ui.badge->isSheetPresented());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(ui.badge->isSheetPresented());
}

TEST(ZunoVersionBadgeButton, EachPresentationStartsAtAllAndCopy)
{
    VersionLogsFixture::TemporaryLog log;
    ASSERT_TRUE(log.write(VersionLogsFixture::cyclingLevels(8)));
    BadgeWindow ui(log.logger);
    ui.badge->presentSheet();
    ZunoVersionAndLogsView *first = ui.badge->sheetView();
    first->setSelectedMinLevel(ZunoLogLevel::warn);
    first->copyLog();
    ASSERT_EQ(first->copyButton()->text(), QStringLiteral("Copied"));
    ui.badge->dismissSheet();

    ui.badge->presentSheet();
    ZunoVersionAndLogsView *second = ui.badge->sheetView();
    ASSERT_NE(second, first);
    EXPECT_EQ(second->selectedMinLevel(), ZunoLogLevel::debug);
    EXPECT_EQ(second->levelFilter()->currentIndex(), 0);
    EXPECT_EQ(second->copyButton()->text(), QStringLiteral("Copy"));
    EXPECT_EQ(second->entries().size(), 8);
}

TEST(ZunoVersionBadgeButton, SheetWithoutReleaseLogShowsTheEmptyHistory)
{
    VersionLogsFixture::TemporaryLog log;
    QWidget window;
    window.resize(1100, 800);
    auto *badge = new ZunoVersionBadgeButton(QStringLiteral("NoSuchApp"), kVersion, log.logger,
        ZunoProductPalette::deepCoral, ZunoLanguage::en, false, false, &window);
    window.show();
    badge->presentSheet();
    ZunoVersionAndLogsView *view = badge->sheetView();
    EXPECT_TRUE(view->releases().isEmpty());
    EXPECT_EQ(VersionLogsFixture::labelTexts(view->releaseList(), QStringLiteral("releaseEmpty")),
        QStringList { QStringLiteral("No release log records found for this build.") });
}

// The gauge card: badges, gauges and tiles per state, its header and grids at two widths, and what its
// buttons ask of the RAM application through the shared command bus.
#include "ZunoVirtualMemoryGaugeCard.h"
#include "DesignProbe.h"
#include "SuiteViewsFixtures.h"
#include "ZunoButton.h"
#include "ZunoCapsuleLabel.h"
#include "ZunoDistributedNotificationCenter.h"
#include "ZunoGaugeBar.h"
#include "ZunoGlassTokens.h"
#include "ZunoStatTile.h"
#include "ZunoSuiteCommandBus.h"
#include "ZunoVirtualMemoryHeaderPill.h"

#include <QDBusConnection>
#include <QDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

constexpr int kWait = 20000;
const QColor kAccent(255, 138, 101);

QColor withAlpha(QColor color, qreal alpha)
{
    color.setAlphaF(alpha);
    return color;
}

ZunoVirtualMemoryGaugeCard *card(DesignProbe::Host &host, const ZunoVirtualMemorySummary &summary,
    int width = 640, ZunoVirtualMemoryGaugeCard::Feedback feedback = nullptr,
    ZunoLanguage language = ZunoLanguage::en)
{
    auto *widget = new ZunoVirtualMemoryGaugeCard(
        summary, language, kAccent, ZunoSuiteApp::zunoCam, std::move(feedback));
    host.place(widget, QSize(width, widget->heightForWidth(width)));
    QApplication::processEvents();
    return widget;
}

QString readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

TEST(ZunoVirtualMemoryGaugeCard, NothingActiveIsAStandbyCard)
{
    SuiteDesktop desktop;
    ZunoVirtualMemorySummary s = zeroSummary();
    s.physicalTotalBytes = 17'179'869'184;
    s.physicalUsedBytes = 8'100'000'000;
    DesignProbe::Host host;
    auto *c = card(host, s);
    EXPECT_EQ(c->stateBadge()->text(), "STANDBY");
    EXPECT_EQ(c->stateBadge()->fillColor(), withAlpha(ZunoGlassTokens::success(), 0.22));
    EXPECT_FALSE(c->liveBadge()->isVisible());
    EXPECT_FALSE(c->effectiveBadge()->isVisible());
    EXPECT_EQ(c->physicalGauge()->valueText(), "8.10 GB / 17.18 GB (47%)");
    EXPECT_EQ(c->virtualGauge()->valueText(), "0 B (Standby)");
    EXPECT_EQ(c->virtualGauge()->tint(), ZunoGlassTokens::success());
    // The physical bar shows its accent at its start; the virtual one is only its track.
    const QImage image = host.grab();
    const auto start = [&](ZunoGaugeBar *gauge) {
        const QPoint at = gauge->mapTo(c, gauge->barRect().center().toPoint());
        return DesignProbe::at(image, gauge->mapTo(c, QPoint(3, 0)).x(), at.y());
    };
    EXPECT_GT(start(c->physicalGauge()).red(), 150);
    EXPECT_LT(start(c->virtualGauge()).red(), 80);
    EXPECT_EQ(c->tile(0)->value(), "0 B / 0 B");
    EXPECT_EQ(c->tile(0)->detail(), "");
    EXPECT_EQ(c->tile(1)->value(), "Off");
    EXPECT_EQ(c->tile(2)->label(), "Virtual Disk");
    EXPECT_EQ(c->tile(3)->value(), "0 frozen");
    EXPECT_EQ(c->tile(3)->tint(), ZunoGlassTokens::textMuted());
    // Neither tool nor entry: no action group at all.
    EXPECT_FALSE(c->actionGroup()->isVisible());
}

TEST(ZunoVirtualMemoryGaugeCard, StatusColourAndTilesPerState)
{
    SuiteDesktop desktop;
    ZunoVirtualMemorySummary warningPool = zeroSummary();
    warningPool.pressureLevel = "warning";
    warningPool.activeDiskPoolCount = 1;
    warningPool.diskPoolVirtualBytes = 10'000'000'000;
    warningPool.diskPoolActualDiskBytes = 3'000'000'000;
    warningPool.diskPoolNames = { "a", "b" };
    warningPool.isZunoRAMRunning = true;
    ZunoVirtualMemorySummary warningSwap = zeroSummary();
    warningSwap.pressureLevel = "warning";
    warningSwap.swapTotalBytes = 4'000'000'000;
    warningSwap.swapUsedBytes = 1'000'000'000;
    warningSwap.swapFileCount = 2;
    warningSwap.swapEncrypted = false;
    ZunoVirtualMemorySummary critical = warningPool;
    critical.pressureLevel = "critical";
    ZunoVirtualMemorySummary swapOnly = zeroSummary();
    swapOnly.swapTotalBytes = 2'147'483'648;

    struct Case {
        const char *name;
        ZunoVirtualMemorySummary summary;
        QColor pill, status;
        const char *state;
    };
    const Case cases[] = {
        { "warning with a pool", warningPool, ZunoGlassTokens::accentViolet(),
            ZunoGlassTokens::accentViolet(), "ACTIVE" },
        { "warning with swap only: the card has no warning colour", warningSwap, ZunoGlassTokens::warning(),
            ZunoGlassTokens::accentCyan(), "ACTIVE" },
        { "critical", critical, ZunoGlassTokens::danger(), ZunoGlassTokens::danger(), "ACTIVE" },
        { "swap allocated, none used", swapOnly, ZunoGlassTokens::accentCyan(), ZunoGlassTokens::success(),
            "STANDBY" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        DesignProbe::Host host;
        auto *widget = card(host, c.summary);
        EXPECT_EQ(ZunoVirtualMemoryHeaderPill::pillColor(c.summary), c.pill);
        EXPECT_EQ(widget->stateBadge()->textColor(), c.status);
        EXPECT_EQ(widget->virtualGauge()->tint(), c.status);
        EXPECT_EQ(widget->stateBadge()->text(), c.state);
        EXPECT_EQ(widget->liveBadge()->isVisible(), c.summary.isZunoRAMRunning);
        EXPECT_TRUE(widget->effectiveBadge()->isVisible());
    }

    DesignProbe::Host host;
    auto *pool = card(host, warningPool);
    EXPECT_EQ(pool->tile(1)->value(), "3.00 GB / 10.00 GB");
    EXPECT_EQ(pool->tile(1)->detail(), "a, b");
    EXPECT_EQ(pool->tile(1)->tint(), ZunoGlassTokens::accentViolet());
    EXPECT_EQ(pool->effectiveBadge()->text(), "Effective: 10.00 GB");
    auto *swap = card(host, warningSwap);
    EXPECT_EQ(swap->tile(0)->label(), "Linux Swap (2)");
    EXPECT_EQ(swap->tile(0)->detail(), "25% • plain");
    EXPECT_EQ(swap->tile(0)->tint(), ZunoGlassTokens::accentCyan());
    EXPECT_EQ(swap->virtualGauge()->valueText(), "1.00 GB / 4.00 GB (25%)");
    auto *allocated = card(host, swapOnly);
    EXPECT_EQ(allocated->tile(0)->value(), "0 B / 2.15 GB");
    EXPECT_EQ(allocated->tile(0)->detail(), "0% • encrypted");
    EXPECT_EQ(allocated->tile(0)->tint(), ZunoGlassTokens::textSecondary());
}

TEST(ZunoVirtualMemoryGaugeCard, FrozenApplicationsAndRAMDisks)
{
    SuiteDesktop desktop;
    desktop.install(ZunoSuiteApp::zunoRAM);
    ZunoVirtualMemorySummary s = zeroSummary();
    s.frozenAppCount = 3;
    s.mountedRAMDiskCount = 2;
    s.ramDiskTotalBytes = 4'000'000'000;
    s.ramDiskNames = { "scratch", "build" };
    s.reclaimedFromFrozenBytes = 1'200'000'000;
    DesignProbe::Host host;
    auto *c = card(host, s);
    EXPECT_EQ(c->tile(3)->value(), "4.00 GB");
    EXPECT_EQ(c->tile(3)->detail(), "↓ 1.20 GB");
    EXPECT_EQ(c->tile(3)->tint(), ZunoGlassTokens::warning());
    EXPECT_TRUE(c->thawButton()->isVisible());
    EXPECT_EQ(c->thawButton()->text(), "Thaw (3)");
    s.reclaimedFromFrozenBytes = 0;
    c->setSummary(s);
    EXPECT_EQ(c->tile(3)->detail(), "scratch, build");
    s.frozenAppCount = 0;
    s.mountedRAMDiskCount = 0;
    c->setSummary(s);
    EXPECT_FALSE(c->thawButton()->isVisible());
    EXPECT_EQ(c->tile(3)->value(), "0 frozen");
    c->setLanguage(ZunoLanguage::tr);
    EXPECT_EQ(c->tile(3)->value(), "0 donuk");
    EXPECT_EQ(c->offloadButton()->text(), "Akıllı RAM Aç");
}

TEST(ZunoVirtualMemoryGaugeCard, GaugeFillHasAStubAndStopsAtTheEnd)
{
    struct Case {
        double fraction;
        qreal width;
    };
    const Case cases[] = { { 0, 0 }, { 0.001, 4 }, { 0.5, 100 }, { 1.7, 200 }, { -0.2, 0 },
        { std::numeric_limits<double>::quiet_NaN(), 0 } };
    for (const Case &c : cases)
        EXPECT_EQ(ZunoGaugeBar::fillWidth(c.fraction, 200), c.width) << c.fraction;

    DesignProbe::Host host;
    auto *gauge = host.place(new ZunoGaugeBar, QSize(200, 30));
    const auto red
        = [&](int x) { return DesignProbe::at(host.grab(), x, int(gauge->barRect().center().y())).red(); };
    gauge->setContent("T", "V", 0.001, Qt::red);
    EXPECT_GT(red(2), 150);
    EXPECT_LT(red(8), 40);
    gauge->setContent("T", "V", 1.7, Qt::red);
    // The gradient ends at 0.55 of the tint.
    EXPECT_GT(red(196), 110);
}

TEST(ZunoVirtualMemoryGaugeCard, HeaderAndGridsFollowTheWidth)
{
    SuiteDesktop desktop;
    desktop.install(ZunoSuiteApp::zunoRAM);
    DesignProbe::Host wideHost;
    auto *wide = card(wideHost, zeroSummary(), 900);
    EXPECT_TRUE(wide->isHeaderWide());
    EXPECT_EQ(wide->physicalGauge()->y(), wide->virtualGauge()->y());
    EXPECT_EQ(wide->tile(0)->y(), wide->tile(3)->y()); // four tile columns
    // Badges and actions on one line.
    EXPECT_LT(std::abs(wide->actionGroup()->mapTo(wide, QPoint()).y()
                  - wide->stateBadge()->mapTo(wide, QPoint()).y()),
        12);

    DesignProbe::Host narrowHost;
    auto *narrow = card(narrowHost, zeroSummary(), 360);
    EXPECT_FALSE(narrow->isHeaderWide());
    EXPECT_GT(narrow->actionGroup()->mapTo(narrow, QPoint()).y(),
        narrow->stateBadge()->mapTo(narrow, QPoint()).y() + 10);
    EXPECT_GT(narrow->virtualGauge()->y(), narrow->physicalGauge()->y());
    EXPECT_EQ(narrow->tile(0)->y(), narrow->tile(1)->y()); // two tile columns
    EXPECT_GT(narrow->tile(2)->y(), narrow->tile(1)->y());
    // Nothing reaches past the card.
    EXPECT_LE(
        narrow->tile(3)->mapTo(narrow, QPoint(0, narrow->tile(3)->height())).y(), narrow->height() - 14);
}

TEST(ZunoVirtualMemoryGaugeCard, FeedbackLineOfAFinishedCommand)
{
    const auto line = [](bool succeeded, const char *summary) {
        ZunoSuiteCommandResult result;
        result.succeeded = succeeded;
        result.summary = summary;
        return ZunoVirtualMemoryGaugeCard::feedbackLine(result, "default");
    };
    EXPECT_EQ(line(true, "Offloaded 2 GB"), "Offloaded 2 GB");
    EXPECT_EQ(line(true, ""), "default");
    EXPECT_EQ(line(false, "zunoram-cli exited with code 3."), "zunoram-cli exited with code 3.");
    EXPECT_EQ(line(false, ""), "");
}

class ZunoVirtualMemoryCardActionsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!QDBusConnection::sessionBus().isConnected())
            GTEST_SKIP() << "no session bus: run in the test session";
        ASSERT_TRUE(ZunoSuiteCommandBus::shared());
    }

    SuiteDesktop desktop;
};

TEST_F(ZunoVirtualMemoryCardActionsTest, OffloadAndThawRunTheToolAndReportItsSummary)
{
    const QString ran = desktop.installTool(R"(case "$1" in
offload) echo '{"summary":"Offloaded 2.0 GB"}' ;;
thaw) echo 'cannot thaw' >&2; exit 3 ;;
esac)");
    QStringList lines;
    DesignProbe::Host host;
    auto *c = card(host, zeroSummary(), 640, [&](const QString &line) { lines << line; });
    ASSERT_TRUE(c->actionGroup()->isVisible()); // the tool alone makes the group
    EXPECT_FALSE(c->diskLabButton()->isVisible());

    QTest::mouseClick(c->offloadButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return lines.size() == 1; }, kWait));
    EXPECT_EQ(lines, QStringList({ "Offloaded 2.0 GB" }));

    ZunoVirtualMemorySummary frozen = zeroSummary();
    frozen.frozenAppCount = 2;
    c->setSummary(frozen);
    QTest::mouseClick(c->thawButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return lines.size() == 2; }, kWait));
    EXPECT_EQ(lines[1], "cannot thaw");

    // Without a receiver the command still runs.
    c->setOnFeedback(nullptr);
    QTest::mouseClick(c->offloadButton(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return readAll(ran).count('\n') == 3; }, kWait));
    EXPECT_EQ(
        readAll(ran), "offload --mode gentle --json\nthaw --all --json\noffload --mode gentle --json\n");
    EXPECT_EQ(lines.size(), 2);
}

TEST_F(ZunoVirtualMemoryCardActionsTest, DiskLabLeavesACommandForARunningApplicationOrStartsAnInstalledOne)
{
    ZunoSuiteCommandBus *bus = ZunoSuiteCommandBus::shared();
    const QString commands = bus->commandsDirectory();
    QDir(commands).removeRecursively();
    const auto commandFiles = [&] { return QDir(commands).entryList(QDir::Files).size(); };
    int notifications = 0;
    auto *center = ZunoDistributedNotificationCenter::shared();
    const auto token = center->addObserver(ZunoSuiteCommandBus::notificationName(ZunoSuiteApp::zunoRAM),
        [&](const QString &, const QString &) { ++notifications; });

    desktop.install(ZunoSuiteApp::zunoRAM);
    desktop.setRunning(ZunoSuiteApp::zunoRAM);
    DesignProbe::Host host;
    auto *c = card(host, zeroSummary());
    ASSERT_TRUE(c->diskLabButton()->isVisible());
    QTest::mouseClick(c->diskLabButton(), Qt::LeftButton);
    EXPECT_EQ(commandFiles(), 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return notifications == 1; }, kWait));
    EXPECT_EQ(desktop.workspace->activated, QStringList({ "com.quarnwell.ZunoRAM" }));
    EXPECT_TRUE(desktop.workspace->opened.empty());

    // Installed, not running: its entry is started, brought forward.
    desktop.workspace->running.clear();
    QTest::mouseClick(c->diskLabButton(), Qt::LeftButton);
    EXPECT_EQ(commandFiles(), 2);
    ASSERT_EQ(desktop.workspace->opened.size(), 1u);
    EXPECT_EQ(desktop.workspace->opened[0], std::make_pair(desktop.entry(ZunoSuiteApp::zunoRAM), true));

    // Neither: nothing at all (the button stays until the next re-sync).
    QFile::remove(desktop.entry(ZunoSuiteApp::zunoRAM));
    QTest::mouseClick(c->diskLabButton(), Qt::LeftButton);
    EXPECT_EQ(commandFiles(), 2);
    EXPECT_EQ(desktop.workspace->opened.size(), 1u);
    // A marker posted now arrives after any notification the clicks could have sent.
    bool marker = false;
    const auto markerToken = center->addObserver(
        "com.quarnwell.test.marker", [&](const QString &, const QString &) { marker = true; });
    center->post("com.quarnwell.test.marker");
    ASSERT_TRUE(QTest::qWaitFor([&] { return marker; }, kWait));
    EXPECT_EQ(notifications, 1);
    center->removeObserver(token);
    center->removeObserver(markerToken);
}

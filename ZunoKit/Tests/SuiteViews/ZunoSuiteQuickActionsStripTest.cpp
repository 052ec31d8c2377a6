// The quick-actions strip: which groups and chips show for which host and siblings, the emphasised
// chip's pixels, and what background and dispatched commands report.
#include "ZunoSuiteQuickActionsStrip.h"
#include "DesignProbe.h"
#include "SuiteViewsFixtures.h"
#include "ZunoSuiteActionChip.h"
#include "ZunoSuiteCommandBus.h"

#include <QDBusConnection>
#include <QDir>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr int kWait = 20000;
using A = ZunoSuiteApp;

ZunoVirtualMemorySummary frozen(qint64 count)
{
    ZunoVirtualMemorySummary s = zeroSummary();
    s.frozenAppCount = count;
    return s;
}

ZunoKillLiveStatus problematic(qint64 count)
{
    return ZunoKillLiveStatus(
        QDateTime::currentDateTimeUtc(), 1, 300, 0, count, {}, 0, {}, std::nullopt, 0, 0);
}

QStringList titles(const ZunoSuiteQuickActionsStrip &strip)
{
    QStringList list;
    for (const ZunoSuiteActionChip *chip : strip.chips())
        list << chip->text();
    return list;
}

ZunoSuiteActionChip *chipTitled(const ZunoSuiteQuickActionsStrip &strip, const QString &title)
{
    for (ZunoSuiteActionChip *chip : strip.chips()) {
        if (chip->text() == title)
            return chip;
    }
    return nullptr;
}

} // namespace

TEST(ZunoSuiteQuickActionsStrip, GroupsAndChipsFollowTheHostTheSiblingsAndTheCounts)
{
    SuiteDesktop desktop;
    for (const A app : { A::zunoRAM, A::zunoKill, A::zunoPulse })
        desktop.install(app);
    const QStringList all = { "Smart RAM Offload", "Thaw Apps (3)", "Virtual Disk Lab", "Kill Frozen (2)",
        "Target Window", "Quick Kill HUD", "24h Usage", "Pulse HUD", "Thermals & Fan" };

    ZunoSuiteQuickActionsStrip strip(A::zunoCam, frozen(3), problematic(2), ZunoLanguage::en, false, nullptr);
    EXPECT_EQ(titles(strip), all);
    EXPECT_TRUE(strip.label()->isVisibleTo(&strip));
    strip.setCompact(true);
    EXPECT_EQ(titles(strip),
        QStringList({ "Smart RAM Offload", "Thaw Apps (3)", "Kill Frozen (2)", "Target Window",
            "Quick Kill HUD", "Pulse HUD" }));
    EXPECT_FALSE(strip.label()->isVisibleTo(&strip));
    strip.setCompact(false);

    // Hosted by ZunoRAM: its own group is gone.
    strip.setCurrentApp(A::zunoRAM);
    EXPECT_EQ(titles(strip), all.mid(3));
    strip.setCurrentApp(A::zunoCam);

    // No summary, or nothing frozen: no Thaw chip. No status, or nothing problematic: no count, no emphasis.
    for (const auto &summary : { std::optional<ZunoVirtualMemorySummary>(), std::optional(frozen(0)) }) {
        strip.setVMSummary(summary);
        EXPECT_FALSE(chipTitled(strip, "Thaw Apps (0)"));
        EXPECT_EQ(strip.chips().size(), 8);
    }
    for (const auto &status : { std::optional<ZunoKillLiveStatus>(), std::optional(problematic(0)),
             std::optional(problematic(-1)) }) {
        strip.setKillStatus(status);
        ZunoSuiteActionChip *kill = chipTitled(strip, "Kill Frozen");
        ASSERT_TRUE(kill);
        EXPECT_FALSE(kill->isEmphasized());
    }

    strip.setLanguage(ZunoLanguage::tr);
    strip.setVMSummary(frozen(3));
    EXPECT_EQ(
        titles(strip).mid(0, 3), QStringList({ "Akıllı RAM Aç", "Donukları Uyandır (3)", "Sanal Disk Lab" }));
}

TEST(ZunoSuiteQuickActionsStrip, WithoutAnAvailableSiblingTheStripTakesNoSpace)
{
    SuiteDesktop desktop;
    DesignProbe::Host host;
    auto *strip = host.place(new ZunoSuiteQuickActionsStrip(
                                 A::zunoCam, std::nullopt, std::nullopt, ZunoLanguage::en, false, nullptr),
        QSize(600, 40));
    EXPECT_TRUE(strip->isEmpty());
    EXPECT_EQ(strip->sizeHint().height(), 0);
    EXPECT_EQ(strip->maximumHeight(), 0);
    EXPECT_FALSE(strip->label()->isVisibleTo(strip));

    // Only the host itself among the siblings: still empty.
    desktop.install(A::zunoRAM);
    strip->setCurrentApp(A::zunoRAM);
    EXPECT_TRUE(strip->isEmpty());
    EXPECT_EQ(strip->maximumHeight(), 0);
    // A sibling with a tool but no entry shows its group.
    strip->setCurrentApp(A::zunoCam);
    QFile::remove(desktop.entry(A::zunoRAM));
    desktop.installTool();
    EXPECT_EQ(strip->chips().size(), 2); // offload and disk lab
    EXPECT_GT(strip->maximumHeight(), 20);
}

TEST(ZunoSuiteQuickActionsStrip, EmphasisedChipIsWhiteOnAStrongerCapsule)
{
    SuiteDesktop desktop;
    desktop.install(A::zunoKill);
    DesignProbe::Host host;
    auto *strip = host.place(new ZunoSuiteQuickActionsStrip(
                                 A::zunoCam, std::nullopt, problematic(2), ZunoLanguage::en, true, nullptr),
        QSize(700, 40));
    QApplication::processEvents();
    ZunoSuiteActionChip *kill = strip->chips().value(0);
    ASSERT_TRUE(kill);
    EXPECT_EQ(kill->text(), "Kill Frozen (2)");
    EXPECT_TRUE(kill->isEmphasized());
    const QImage image = host.grab();
    const QPoint origin = kill->mapTo(strip, QPoint());
    const QColor danger = kill->tint();
    // The capsule's right end: the fill at 0.3 over black; its top edge: the border at 0.65 on it.
    const auto over
        = [](int channel, double opacity) { return static_cast<int>(std::lround(channel * opacity)); };
    const QColor fill
        = DesignProbe::at(image, origin.x() + kill->width() - 5, origin.y() + kill->height() / 2);
    EXPECT_NEAR(fill.red(), over(danger.red(), 0.3), 3);
    EXPECT_NEAR(fill.green(), over(danger.green(), 0.3), 3);
    const QColor border = DesignProbe::at(image, origin.x() + kill->width() / 2, origin.y());
    EXPECT_NEAR(border.red(), over(danger.red(), 0.65 + 0.3 * 0.35), 3);
    // Some of the title is pure white.
    bool white = false;
    for (int x = 0; x < kill->width() && !white; ++x) {
        const QColor pixel = DesignProbe::at(image, origin.x() + x, origin.y() + kill->height() / 2);
        white = pixel.red() > 240 && pixel.green() > 240 && pixel.blue() > 240;
    }
    EXPECT_TRUE(white);
}

TEST(ZunoSuiteQuickActionsStrip, BackgroundLine)
{
    const auto line = [](bool succeeded, const char *summary, ZunoLanguage language = ZunoLanguage::en) {
        ZunoSuiteCommandResult result;
        result.succeeded = succeeded;
        result.summary = summary;
        return ZunoSuiteQuickActionsStrip::backgroundLine(result, A::zunoKill, "confirmed", language);
    };
    EXPECT_EQ(line(true, "Killed 2"), "Killed 2");
    EXPECT_EQ(line(true, ""), "confirmed");
    EXPECT_EQ(line(false, "boom"), "boom");
    EXPECT_EQ(line(false, ""), "ZunoKill CLI is unavailable");
    EXPECT_EQ(line(false, "", ZunoLanguage::tr), "ZunoKill CLI bulunamadı");
}

class ZunoSuiteQuickActionsStripActionsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!QDBusConnection::sessionBus().isConnected())
            GTEST_SKIP() << "no session bus: run in the test session";
        ASSERT_TRUE(ZunoSuiteCommandBus::shared());
        QDir(commands()).removeRecursively();
        QFile::remove(commands());
    }
    void TearDown() override
    {
        QFile::remove(commands());
        QDir(commands()).removeRecursively();
    }

    static QString commands() { return ZunoSuiteCommandBus::shared()->commandsDirectory(); }
    static qsizetype commandFiles() { return QDir(commands()).entryList(QDir::Files).size(); }

    SuiteDesktop desktop;
    QStringList lines;
};

TEST_F(ZunoSuiteQuickActionsStripActionsTest, BackgroundCommandsReportTheToolsSummary)
{
    const QString ran = desktop.installTool(R"(case "$1" in
offload) echo '{"summary":"Offloaded 1.5 GB"}' ;;
esac)");
    ZunoSuiteQuickActionsStrip strip(A::zunoCam, frozen(1), std::nullopt, ZunoLanguage::en, false,
        [this](const QString &line) { lines << line; });
    chipTitled(strip, "Smart RAM Offload")->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return lines.size() == 1; }, kWait));
    chipTitled(strip, "Thaw Apps (1)")->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return lines.size() == 2; }, kWait));
    EXPECT_EQ(lines, QStringList({ "Offloaded 1.5 GB", "zunoram-cli completed." }));
    QFile file(ran);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "offload --mode gentle --json\nthaw --all --json\n");
}

TEST_F(ZunoSuiteQuickActionsStripActionsTest, DispatchesReportSentNotInstalledOrFailed)
{
    // ZunoKill has a tool (so its group shows) but no entry and does not run.
    writeTool(desktop.home.filePath(".local/bin/zunokill-cli"), "exit 0");
    ZunoSuiteQuickActionsStrip strip(A::zunoCam, std::nullopt, std::nullopt, ZunoLanguage::en, false,
        [this](const QString &line) { lines << line; });
    chipTitled(strip, "Target Window")->click();
    EXPECT_EQ(lines.value(0), "ZunoKill is not installed");
    EXPECT_EQ(commandFiles(), 0);

    // Running: handed on, one command file.
    desktop.setRunning(A::zunoKill);
    chipTitled(strip, "Target Window")->click();
    EXPECT_EQ(lines.value(1), "ZunoKill window targeter activated");
    EXPECT_EQ(commandFiles(), 1);

    // Installed, but the commands folder cannot be made: the bus's failure, not "not installed".
    desktop.workspace->running.clear();
    desktop.install(A::zunoKill);
    QDir(commands()).removeRecursively();
    writeFile(commands(), "");
    chipTitled(strip, "24h Usage")->click();
    EXPECT_EQ(lines.value(2), "Failed to send command to ZunoKill.");
    strip.setLanguage(ZunoLanguage::tr);
    chipTitled(strip, "24s Analiz")->click();
    EXPECT_EQ(lines.value(3), "ZunoKill uygulamasına komut gönderilemedi.");
}

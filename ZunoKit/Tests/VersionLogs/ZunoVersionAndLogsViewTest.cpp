#include "ZunoVersionAndLogsView.h"

#include "VersionLogsFixture.h"
#include "ZunoBrandMark.h"
#include "ZunoButton.h"
#include "ZunoGroundBackground.h"
#include "ZunoScopedEnvironment.h"
#include "ZunoSegmentedControl.h"

#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

#include <ctime>
#include <memory>

using VersionLogsFixture::labelTexts;

namespace {

const ZunoAppVersion kVersion { QStringLiteral("1.0.0"), QStringLiteral("100") };

std::unique_ptr<ZunoVersionAndLogsView> shownView(
    const std::shared_ptr<ZunoAppLogger> &logger, ZunoLanguage language = ZunoLanguage::en,
    const QString &appName = QStringLiteral("ZunoCam"), QList<ZunoReleaseLogRecord> fallback = {},
    std::function<void()> onClose = [] {})
{
    auto view = std::make_unique<ZunoVersionAndLogsView>(appName, kVersion, logger,
        ZunoProductPalette::deepCoral, language, std::move(fallback), std::move(onClose));
    view->resize(760, 700);
    view->show();
    return view;
}

int rowCount(const ZunoVersionAndLogsView &view)
{
    return int(view.logList()->findChildren<QWidget *>(QStringLiteral("logRow")).size());
}

void clickSegment(ZunoSegmentedControl *control, int index)
{
    QTest::mouseClick(control, Qt::LeftButton, {}, control->segmentRect(index).center().toPoint());
}

void click(QAbstractButton *button)
{
    QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
}

} // namespace

TEST(ZunoVersionAndLogsView, FilterShowsTheNewestEntriesAtOrAboveTheLevel)
{
    VersionLogsFixture::TemporaryLog log;
    ASSERT_TRUE(log.write(VersionLogsFixture::cyclingLevels(1040)));
    auto view = shownView(log.logger);
    EXPECT_EQ(view->levelFilter()->segments(), QStringList({ "All", "INFO+", "WARN+", "ERROR" }));

    const struct {
        int segment;
        QStringList levels;
        const char *newest;
    } cases[] = {
        { 2, { "WARN", "ERROR" }, "m1039" },
        { 3, { "ERROR" }, "m1039" },
        { 1, { "INFO", "WARN", "ERROR" }, "m1039" },
        { 0, { "DEBUG", "INFO", "WARN", "ERROR" }, "m1039" },
    };
    for (const auto &c : cases) {
        clickSegment(view->levelFilter(), c.segment);
        EXPECT_EQ(view->selectedMinLevel(), ZunoLogLevels::allCases[c.segment]);
        EXPECT_EQ(rowCount(*view), 120) << "segment " << c.segment;
        const QStringList levels = labelTexts(view->logList(), QStringLiteral("level"));
        EXPECT_EQ(
            QSet<QString>(levels.begin(), levels.end()), QSet<QString>(c.levels.begin(), c.levels.end()))
            << "segment " << c.segment;
        const QStringList messages = labelTexts(view->logList(), QStringLiteral("message"));
        EXPECT_EQ(messages.first(), QString::fromLatin1(c.newest));
        const QList<ZunoLogEntry> &entries = view->entries();
        EXPECT_TRUE(std::is_sorted(entries.begin(), entries.end(),
            [](const ZunoLogEntry &a, const ZunoLogEntry &b) { return a.timestamp > b.timestamp; }))
            << "newest first";
    }
}

TEST(ZunoVersionAndLogsView, CopyPutsTheFilteredLinesOldestFirstOnTheClipboard)
{
    VersionLogsFixture::TemporaryLog log;
    ASSERT_TRUE(log.write(VersionLogsFixture::cyclingLevels(1040)));
    auto view = shownView(log.logger);
    EXPECT_EQ(view->copyButton()->text(), QStringLiteral("Copy"));
    clickSegment(view->levelFilter(), 3);
    click(view->copyButton());

    const QStringList lines = QGuiApplication::clipboard()->text().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 250) << "at most 250 of the 260 error lines";
    for (const QString &line : lines)
        ASSERT_TRUE(line.contains(QStringLiteral("] [ERROR] ["))) << line.toStdString();
    EXPECT_TRUE(lines.first().endsWith(QStringLiteral(" m43")))
        << "oldest first: " << lines.first().toStdString();
    EXPECT_TRUE(lines.last().endsWith(QStringLiteral(" m1039")));
    EXPECT_TRUE(lines.last().startsWith(
        QLatin1Char('[') + VersionLogsFixture::entry(1039, ZunoLogLevel::error, {}).timestamp))
        << "the copy keeps the stored timestamps";
    EXPECT_EQ(view->copyButton()->text(), QStringLiteral("Copied"));

    QGuiApplication::clipboard()->clear();
    click(view->copyButton());
    EXPECT_EQ(view->copyButton()->text(), QStringLiteral("Copied"));
    EXPECT_EQ(QGuiApplication::clipboard()->text().count(QLatin1Char('\n')), 249);
}

TEST(ZunoVersionAndLogsView, ClearEmptiesTheListAtOnceAndKeepsTheCopyLabel)
{
    VersionLogsFixture::TemporaryLog log;
    ASSERT_TRUE(log.write(VersionLogsFixture::cyclingLevels(6)));
    ASSERT_TRUE(writeFile(log.logger->currentLogFilePath() + QStringLiteral(".1"), "old"));
    auto view = shownView(log.logger);
    click(view->copyButton());
    ASSERT_EQ(rowCount(*view), 6);

    click(view->clearButton());
    EXPECT_EQ(rowCount(*view), 0);
    EXPECT_TRUE(view->findChild<QLabel *>(QStringLiteral("logEmpty"))->isVisible());
    EXPECT_FALSE(view->clearFailureLabel()->isVisible());
    EXPECT_EQ(QDir(log.dir.path()).entryList(QDir::Files), QStringList());
    EXPECT_EQ(view->copyButton()->text(), QStringLiteral("Copied"));
}

TEST(ZunoVersionAndLogsView, AGenerationThatStaysIsReportedUntilTheNextRefresh)
{
    VersionLogsFixture::TemporaryLog log;
    ASSERT_TRUE(log.write(VersionLogsFixture::cyclingLevels(6)));
    // Root deletes any file, so a non-empty folder stands where a generation would be.
    ASSERT_TRUE(QDir(log.dir.path()).mkpath(QStringLiteral("zunocam.log.2/kept")));
    auto view = shownView(log.logger, ZunoLanguage::tr);

    click(view->clearButton());
    EXPECT_TRUE(view->clearFailed());
    EXPECT_TRUE(view->clearFailureLabel()->isVisible());
    EXPECT_EQ(view->clearFailureLabel()->text(), QStringLiteral("Bazı log dosyaları silinemedi."));
    EXPECT_EQ(labelTexts(view->logList(), QStringLiteral("level")), QStringList { "ERROR" })
        << "the failure is written to the log as an error line";

    clickSegment(view->levelFilter(), 1);
    EXPECT_TRUE(view->clearFailureLabel()->isVisible()) << "a filter change keeps it";
    click(view->refreshButton());
    EXPECT_FALSE(view->clearFailureLabel()->isVisible());
}

TEST(ZunoVersionAndLogsView, TimeColumnShowsLocalTimeOrTheCutText)
{
    if (!QFileInfo::exists(QStringLiteral("/usr/share/zoneinfo/Europe/Istanbul")))
        GTEST_SKIP() << "no time-zone data (package tzdata)";
    const struct {
        const char *zone;
        const char *timestamp;
        const char *shown;
    } cases[] = {
        { "UTC", "2026-01-02T03:04:05.678Z", "03:04:05" },
        { "Europe/Istanbul", "2026-01-02T03:04:05.678Z", "06:04:05" },
        { "Europe/Istanbul", "2026-01-02T23:30:00Z", "02:30:00" },
        { "UTC", "20260102 030405", "20260102" },
        { "UTC", "short", "short" },
        { "UTC", "dayTnot-a-time-at-all", "not-a-ti" },
    };
    for (const auto &c : cases) {
        ZunoScopedEnvironment zone("TZ", c.zone);
        tzset();
        EXPECT_EQ(ZunoVersionAndLogsView::timeColumnText(QString::fromLatin1(c.timestamp)),
            QString::fromLatin1(c.shown))
            << c.zone << " " << c.timestamp;
    }
    tzset();
}

TEST(ZunoVersionAndLogsView, ATornLineHidesOnlyItself)
{
    VersionLogsFixture::TemporaryLog log;
    using VersionLogsFixture::entry;
    QByteArray torn = entry(1, ZunoLogLevel::warn, QStringLiteral("torn")).encoded();
    torn.replace("torn", "to\xc3rn");
    ASSERT_TRUE(log.write(entry(0, ZunoLogLevel::info, QStringLiteral("before")).encoded() + '\n' + torn
        + '\n' + entry(2, ZunoLogLevel::info, QStringLiteral("<b>x</b>")).encoded() + '\n'));
    auto view = shownView(log.logger);
    EXPECT_EQ(labelTexts(view->logList(), QStringLiteral("message")), QStringList({ "<b>x</b>", "before" }));

    // Markup in a message is shown as written.
    for (const QLabel *label : view->findChildren<QLabel *>())
        EXPECT_EQ(label->textFormat(), Qt::PlainText) << label->text().toStdString();
}

TEST(ZunoVersionAndLogsView, ReleaseRowsShowWhatTheRecordHas)
{
    VersionLogsFixture::TemporaryLog log;
    ZunoReleaseLogRecord detailsOnly;
    detailsOnly.timestamp = QStringLiteral("2026-11-02T09:00:00Z");
    detailsOnly.toVersion = QStringLiteral("1.2.0");
    detailsOnly.toBuild = 120;
    detailsOnly.bumpKind = QStringLiteral("minor");
    detailsOnly.section = QStringLiteral("Added");
    detailsOnly.details = QStringList({ QStringLiteral("First"), QStringLiteral("Second") });
    ZunoReleaseLogRecord summaryOnly;
    summaryOnly.timestamp = QStringLiteral("2026-10");
    summaryOnly.summary = QStringLiteral("Only a summary");

    // The bundle has no record for this name, so the fallback records are shown.
    auto view
        = shownView(log.logger, ZunoLanguage::en, QStringLiteral("NoSuchApp"), { detailsOnly, summaryOnly });
    ASSERT_EQ(view->releases().size(), 2);
    const auto rows = view->releaseList()->findChildren<QWidget *>(QStringLiteral("releaseRow"));
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(labelTexts(rows[0], QStringLiteral("releaseVersion")), QStringList { "v1.2.0" });
    EXPECT_EQ(labelTexts(rows[0], QStringLiteral("releaseBuild")), QStringList { "Build 120 · minor/Added" });
    EXPECT_EQ(labelTexts(rows[0], QStringLiteral("releaseDate")), QStringList { "2026-11-02" });
    EXPECT_TRUE(labelTexts(rows[0], QStringLiteral("releaseSummary")).isEmpty());
    EXPECT_EQ(labelTexts(rows[0], QStringLiteral("releaseDetail")), QStringList({ "• First", "• Second" }));
    EXPECT_EQ(labelTexts(rows[1], QStringLiteral("releaseSummary")), QStringList { "Only a summary" });
    EXPECT_TRUE(labelTexts(rows[1], QStringLiteral("releaseDetail")).isEmpty());
    EXPECT_EQ(labelTexts(rows[1], QStringLiteral("releaseDate")), QStringList { "2026-10" });
}

TEST(ZunoVersionAndLogsView, SheetFormHasHeaderAndGroundEmbeddedFormHasNeither)
{
    VersionLogsFixture::TemporaryLog log;
    auto sheet = shownView(log.logger, ZunoLanguage::en, QStringLiteral("NoSuchApp"));
    ASSERT_NE(sheet->brandMark(), nullptr);
    EXPECT_EQ(sheet->brandMark()->style(), ZunoBrandMarkStyle::currentApp()) << "an unknown name";
    EXPECT_NE(sheet->findChild<ZunoGroundBackground *>(), nullptr);
    EXPECT_EQ(
        labelTexts(sheet.get(), QStringLiteral("sheetTitle")), QStringList { "NoSuchApp · Version & Logs" });

    auto known = shownView(log.logger, ZunoLanguage::en, QStringLiteral("ZunoCam"));
    ASSERT_TRUE(ZunoAppIdentities::resolve(QStringLiteral("ZunoCam")).has_value());
    EXPECT_EQ(known->brandMark()->style(),
        ZunoBrandMarkStyle::app(*ZunoAppIdentities::resolve(QStringLiteral("ZunoCam"))));

    auto embedded = shownView(log.logger, ZunoLanguage::en, QStringLiteral("ZunoCam"), {}, {});
    EXPECT_EQ(embedded->brandMark(), nullptr);
    EXPECT_EQ(embedded->closeButton(), nullptr);
    EXPECT_EQ(embedded->findChild<ZunoBrandMark *>(), nullptr);
    EXPECT_EQ(embedded->findChild<ZunoGroundBackground *>(), nullptr);
    EXPECT_TRUE(labelTexts(embedded.get(), QStringLiteral("sheetTitle")).isEmpty());
}

TEST(ZunoVersionAndLogsView, TurkishTextsKeepBuildAndTheLevelNames)
{
    VersionLogsFixture::TemporaryLog log;
    auto view = shownView(log.logger, ZunoLanguage::tr);
    EXPECT_EQ(labelTexts(view.get(), QStringLiteral("chipTitle")), QStringList({ "Sürüm:", "Build:" }));
    EXPECT_EQ(labelTexts(view.get(), QStringLiteral("chipValue")), QStringList({ "v1.0.0", "#100" }));
    EXPECT_EQ(view->levelFilter()->segments(), QStringList({ "Tümü", "INFO+", "WARN+", "ERROR" }));
    EXPECT_EQ(view->copyButton()->text(), QStringLiteral("Kopyala"));
    EXPECT_EQ(view->refreshButton()->toolTip(), QStringLiteral("Logları yenile"));
    EXPECT_EQ(labelTexts(view.get(), QStringLiteral("logFileName")), QStringList { "zunocam.log" });
    EXPECT_EQ(labelTexts(view.get(), QStringLiteral("logEmpty")),
        QStringList { "Filtreye uyan çalışma logu henüz yok." });
}

TEST(ZunoVersionAndLogsView, EscapeAndTheCloseButtonCallOnClose)
{
    VersionLogsFixture::TemporaryLog log;
    int closes = 0;
    auto view
        = shownView(log.logger, ZunoLanguage::en, QStringLiteral("ZunoCam"), {}, [&closes] { ++closes; });
    click(view->closeButton());
    EXPECT_EQ(closes, 1);
    QTest::keyClick(view->levelFilter(), Qt::Key_Escape);
    EXPECT_EQ(closes, 2);
}

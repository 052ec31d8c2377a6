// The live-status records: decoding defaults and clamps, strictness, derived values and encoding.
#include "ZunoFocusLiveStatus.h"
#include "ZunoLiveActivityTile.h"
#include "ZunoLiveStatusSupport.h"
#include "ZunoMixerLiveStatus.h"
#include "ZunoMusicLiveStatus.h"
#include "ZunoPulseLiveStatus.h"
#include "ZunoRAMLiveStatus.h"
#include "ZunoTaskLiveStatus.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <limits>

#include <nlohmann/json.hpp>

using nlohmann::json;
using ZunoLiveStatusSupport::decoded;
using ZunoLiveStatusSupport::encoded;

namespace {

const QDateTime kTime(QDate(2026, 3, 1), QTime(9, 15), Qt::UTC);
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

QByteArray bytes(const json &value)
{
    return QByteArray::fromStdString(value.dump());
}

json minimal()
{
    return { { "timestamp", "2026-03-01T09:15:00Z" }, { "senderPID", 42 } };
}

json with(json value, const char *key, json field)
{
    value[key] = std::move(field);
    return value;
}

json without(json value, const char *key)
{
    value.erase(key);
    return value;
}

ZunoRAMLiveStatus ramStatus()
{
    const ZunoRAMOffloadLiveProgress offload(kTime, true, false, 2, 5, 0.4, "Compressing", "Sıkıştırılıyor",
        "2 of 5", "5'te 2", 1 << 30, 4LL << 30, { "Browser" }, "warning");
    return ZunoRAMLiveStatus(kTime, 42, 16LL << 30, 12LL << 30, 1LL << 30, 75.5, 2LL << 30, 1LL << 29, 1,
        true, "warning", 81, 1, 8LL << 30, 1LL << 30, { "pool" }, 0, 0, 0, {}, 1, 2LL << 30, { "ramdisk" }, 1,
        { 4242 }, 1LL << 28, offload);
}

ZunoLiveActivityTile tile(std::optional<double> progress, std::optional<QString> symbol)
{
    return ZunoLiveActivityTile(ZunoSuiteApp::zunoMusic, kTime, 42, "Playing", "Çalıyor", "3:12",
        std::nullopt, progress, std::move(symbol), ZunoLiveActivityTile::Tone::active, 3);
}

} // namespace

TEST(ZunoLiveStatusRecords, TaskFileWithOnlyTheRequiredKeysTakesTheDefaultsAndTheClamps)
{
    const auto task = decoded<ZunoTaskLiveStatus>(bytes(minimal()));
    ASSERT_TRUE(task);
    EXPECT_EQ(task->timestamp, kTime);
    EXPECT_EQ(task->senderPID, 42);
    EXPECT_EQ(task->openTodayCount + task->completedTodayCount + task->overdueCount + task->inProgressCount
            + task->plannedMinutesToday,
        0);
    EXPECT_EQ(task->dailyCapacityMinutes, 360);
    EXPECT_EQ(task->nextBestTaskMinutes, 25);
    EXPECT_FALSE(task->nextBestTaskID || task->nextBestTaskTitle);
    EXPECT_FALSE(task->miniPanelFrame || task->studioWindowFrame);
    EXPECT_FALSE(task->isFocusDockedInside);

    json stored = minimal();
    stored["dailyCapacityMinutes"] = 10;
    stored["nextBestTaskMinutes"] = 2;
    stored["overdueCount"] = -4;
    stored["nextBestTaskTitle"] = nullptr;
    stored["miniPanelFrame"] = { { "x", 10 }, { "y", 20.5 }, { "width", -3 }, { "height", 40 } };
    stored["someFutureKey"] = "ignored";
    const auto clamped = decoded<ZunoTaskLiveStatus>(bytes(stored));
    ASSERT_TRUE(clamped);
    EXPECT_EQ(clamped->dailyCapacityMinutes, 30);
    EXPECT_EQ(clamped->nextBestTaskMinutes, 5);
    EXPECT_EQ(clamped->overdueCount, 0);
    EXPECT_FALSE(clamped->nextBestTaskTitle);
    // A nested frame is strict: its stored width stays.
    EXPECT_EQ(clamped->miniPanelFrame->toRectF(), QRectF(10, 20.5, -3, 40));
}

TEST(ZunoLiveStatusRecords, FocusFileWithOnlyTheRequiredKeysIsAStoppedPomodoro)
{
    const auto focus = decoded<ZunoFocusLiveStatus>(bytes(minimal()));
    ASSERT_TRUE(focus);
    EXPECT_FALSE(focus->isRunning);
    EXPECT_FALSE(focus->isBreak);
    EXPECT_EQ(focus->sessionModeRaw, "pomodoro25");
    EXPECT_EQ(focus->remainingSeconds, 1500);
    EXPECT_EQ(focus->totalSeconds, 1500);
    EXPECT_EQ(focus->progress(), 0.0);
    EXPECT_EQ(focus->currentIntention, "");
    EXPECT_EQ(focus->focusScorePercent, 0);
    EXPECT_EQ(focus->todayProductiveSeconds, 0.0);

    const auto clamped = decoded<ZunoFocusLiveStatus>(
        bytes(with(with(minimal(), "focusScorePercent", 140), "totalSeconds", 0)));
    ASSERT_TRUE(clamped);
    EXPECT_EQ(clamped->focusScorePercent, 100);
    EXPECT_EQ(clamped->totalSeconds, 1);
}

TEST(ZunoLiveStatusRecords, LenientRecordsStillRefuseAWrongTypeOrAMissingRequiredKey)
{
    EXPECT_FALSE(decoded<ZunoTaskLiveStatus>(bytes(with(minimal(), "overdueCount", "3"))));
    EXPECT_FALSE(decoded<ZunoTaskLiveStatus>(bytes(with(minimal(), "plannedMinutesToday", 2.5))));
    EXPECT_FALSE(
        decoded<ZunoTaskLiveStatus>(bytes(with(minimal(), "studioWindowFrame", { { "x", 1 }, { "y", 2 } }))));
    EXPECT_FALSE(decoded<ZunoFocusLiveStatus>(bytes(with(minimal(), "isRunning", 1))));
    EXPECT_FALSE(decoded<ZunoFocusLiveStatus>(bytes(without(minimal(), "senderPID"))));
    EXPECT_FALSE(decoded<ZunoFocusLiveStatus>(bytes(without(minimal(), "timestamp"))));
}

TEST(ZunoLiveStatusRecords, DatesAreWholeSecondsWithZOrAnOffset)
{
    struct Case {
        const char *text;
        std::optional<QDateTime> expected;
    };
    const Case cases[] = {
        { "2026-03-01T09:15:00Z", kTime },
        { "2026-03-01T12:15:00+03:00", kTime },
        { "2026-03-01T09:15:00.250Z", std::nullopt },
        { "2026-03-01 09:15:00Z", std::nullopt },
        { "2026-03-01T09:15:00", std::nullopt },
    };
    for (const Case &c : cases) {
        const auto focus = decoded<ZunoFocusLiveStatus>(bytes(with(minimal(), "timestamp", c.text)));
        ASSERT_EQ(focus.has_value(), c.expected.has_value()) << c.text;
        if (focus) {
            EXPECT_EQ(focus->timestamp, *c.expected) << c.text;
        }
    }
}

TEST(ZunoLiveStatusRecords, IntegersRefuseFractionsAndValuesOutOfRange)
{
    EXPECT_FALSE(decoded<ZunoFocusLiveStatus>(bytes(with(minimal(), "senderPID", 2147483648LL))));
    EXPECT_FALSE(decoded<ZunoFocusLiveStatus>(bytes(with(minimal(), "senderPID", 42.5))));
    EXPECT_TRUE(decoded<ZunoFocusLiveStatus>(bytes(with(minimal(), "senderPID", 42.0))));
    EXPECT_FALSE(decoded<ZunoFocusLiveStatus>(bytes(with(minimal(), "remainingSeconds", 1e19))));
    json ram = ramStatus().toJson();
    ram["frozenPIDs"] = { 1, 4294967296LL };
    EXPECT_FALSE(decoded<ZunoRAMLiveStatus>(bytes(ram)));
}

TEST(ZunoLiveStatusRecords, RAMStatusIsStrictExceptForItsOffloadProgress)
{
    const ZunoRAMLiveStatus status = ramStatus();
    EXPECT_EQ(decoded<ZunoRAMLiveStatus>(*encoded(status)), status);

    const auto withoutOffload
        = decoded<ZunoRAMLiveStatus>(bytes(without(status.toJson(), "offloadProgress")));
    ASSERT_TRUE(withoutOffload);
    EXPECT_FALSE(withoutOffload->offloadProgress);
    EXPECT_TRUE(decoded<ZunoRAMLiveStatus>(bytes(with(status.toJson(), "offloadProgress", nullptr))));
    EXPECT_FALSE(decoded<ZunoRAMLiveStatus>(bytes(without(status.toJson(), "healthScore"))));
    json offloadWithoutKey = status.toJson();
    offloadWithoutKey["offloadProgress"].erase("livePressure");
    EXPECT_FALSE(decoded<ZunoRAMLiveStatus>(bytes(offloadWithoutKey)));
}

TEST(ZunoLiveStatusRecords, RAMStatusDerivedValues)
{
    ZunoRAMLiveStatus status = ramStatus();
    EXPECT_TRUE(status.hasVirtualDiskExpansion());
    EXPECT_EQ(status.totalVirtualPoolCapacityBytes(), 8LL << 30);
    EXPECT_EQ(status.totalVirtualDiskActualBytes(), 1LL << 30);
    status.activeDiskPoolCount = 0;
    status.mountedRAMDiskCount = 0;
    EXPECT_FALSE(status.hasVirtualDiskExpansion());
    status.mountedSparseDiskCount = 2;
    EXPECT_TRUE(status.hasVirtualDiskExpansion());
    status.sparseDiskVirtualBytes = std::numeric_limits<qint64>::max();
    status.sparseDiskActualBytes = std::numeric_limits<qint64>::min();
    status.diskPoolActualDiskBytes = -1;
    EXPECT_EQ(status.totalVirtualPoolCapacityBytes(), std::numeric_limits<qint64>::max());
    EXPECT_EQ(status.totalVirtualDiskActualBytes(), std::numeric_limits<qint64>::min());
}

TEST(ZunoLiveStatusRecords, PulseHeadlineTemperatureIsProcessorThenChipThenGraphics)
{
    struct Case {
        std::optional<double> cpu, gpu, soc, headline;
    };
    const Case cases[] = {
        { std::nullopt, std::nullopt, std::nullopt, std::nullopt },
        { std::nullopt, 61.0, std::nullopt, 61.0 },
        { 55.0, 61.0, std::nullopt, 55.0 },
        { std::nullopt, 61.0, 48.0, 48.0 },
        { 55.0, 61.0, 48.0, 55.0 },
    };
    for (const Case &c : cases) {
        const ZunoPulseLiveStatus pulse(kTime, 42, 12, 3, 60, 0, c.cpu, c.gpu, c.soc, std::nullopt,
            std::nullopt, 90, "nominal", std::nullopt);
        EXPECT_EQ(pulse.headlineTempCelsius(), c.headline);
        // Absent readings are left out of the file, and read back as absent.
        EXPECT_EQ(decoded<ZunoPulseLiveStatus>(*encoded(pulse)), pulse);
    }
    const ZunoPulseLiveStatus bare(kTime, 42, 12, 3, 60, 0, std::nullopt, std::nullopt, std::nullopt,
        std::nullopt, std::nullopt, 90, "nominal", std::nullopt);
    EXPECT_EQ(bare.toJson().size(), 8u);
}

TEST(ZunoLiveStatusRecords, MixerCountsAndStrictVolumes)
{
    const ZunoMixerLiveStatus mixer(kTime, 42, 3.0, "Speakers",
        { ZunoMixerAudioAppItem("a", "org.a", "A", true, false, 2.5, -0.5f),
            ZunoMixerAudioAppItem("b", "org.b", "B", true, true, 1, 0.25f),
            ZunoMixerAudioAppItem("c", "org.c", "C", false, true, -1, 0) });
    EXPECT_EQ(mixer.activePlayingCount(), 1);
    EXPECT_EQ(mixer.mutedCount(), 2);
    // The constructors clamp...
    EXPECT_EQ(mixer.masterVolume, 1.0);
    EXPECT_EQ(mixer.channels[0].volume, 2.0);
    EXPECT_EQ(mixer.channels[0].rmsLevel, 0.0f);
    EXPECT_EQ(mixer.channels[2].volume, 0.0);
    // ...strict decoding keeps what was stored.
    json stored = mixer.toJson();
    stored["masterVolume"] = 3;
    stored["channels"][1]["volume"] = 7.5;
    const auto read = decoded<ZunoMixerLiveStatus>(bytes(stored));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->masterVolume, 3.0);
    EXPECT_EQ(read->channels[1].volume, 7.5);
    EXPECT_EQ(read->channels[1].rmsLevel, 0.25f);

    stored["channels"][1]["rmsLevel"] = 1e39; // beyond a float
    EXPECT_FALSE(decoded<ZunoMixerLiveStatus>(bytes(stored)));
    stored["channels"][1].erase("rmsLevel");
    EXPECT_FALSE(decoded<ZunoMixerLiveStatus>(bytes(stored)));
}

TEST(ZunoLiveStatusRecords, MusicAndFocusProgress)
{
    const auto music = [](double elapsed, double duration) {
        return ZunoMusicLiveStatus(kTime, 42, "T", "A", "B", "Hi-Res", true, elapsed, duration, 0.5)
            .progress();
    };
    EXPECT_EQ(music(30, 0), 0.0);
    EXPECT_EQ(music(300, 200), 1.0);
    EXPECT_EQ(music(50, 200), 0.25);
    EXPECT_EQ(music(-5, 200), 0.0);

    const auto focus = [](qint64 remaining, qint64 total) {
        return ZunoFocusLiveStatus(kTime, 42, true, false, "pomodoro25", remaining, total, "", std::nullopt,
            std::nullopt, std::nullopt, false, 0, 0, false, false, 50, 0, 0, 0, false)
            .progress();
    };
    EXPECT_DOUBLE_EQ(focus(300, 1500), 0.8);
    EXPECT_EQ(focus(2000, 1500), 0.0);
    EXPECT_EQ(focus(0, 0), 1.0);
}

TEST(ZunoLiveStatusRecords, TileClampsItsProgressAndTakesItsApplicationsSymbol)
{
    EXPECT_EQ(tile(1.7, std::nullopt).progress, 1.0);
    EXPECT_EQ(tile(kNaN, std::nullopt).progress, 0.0);
    EXPECT_FALSE(tile(std::nullopt, std::nullopt).progress);
    EXPECT_EQ(tile(std::nullopt, std::nullopt).symbolName, symbolName(ZunoSuiteApp::zunoMusic));
    EXPECT_EQ(tile(std::nullopt, QStringLiteral("star")).symbolName, "star");
    EXPECT_EQ(tile(0.5, std::nullopt).id(), "ZunoMusic");

    const json stored = tile(0.5, std::nullopt).toJson();
    EXPECT_EQ(stored.at("app"), "ZunoMusic");
    EXPECT_EQ(stored.at("tone"), "active");
    EXPECT_FALSE(stored.contains("secondaryMetric"));
    EXPECT_EQ(decoded<ZunoLiveActivityTile>(bytes(stored)), tile(0.5, std::nullopt));
    EXPECT_EQ(decoded<ZunoLiveActivityTile>(bytes(with(stored, "progress", 1.7)))->progress, 1.7);
    for (const char *tone : { "neutral", "active", "success", "warning", "danger" })
        EXPECT_TRUE(decoded<ZunoLiveActivityTile>(bytes(with(stored, "tone", tone)))) << tone;
    EXPECT_FALSE(decoded<ZunoLiveActivityTile>(bytes(with(stored, "tone", "urgent"))));
    EXPECT_FALSE(decoded<ZunoLiveActivityTile>(bytes(with(stored, "tone", "Active"))));
    EXPECT_FALSE(decoded<ZunoLiveActivityTile>(bytes(with(stored, "app", "ZunoNothing"))));
    EXPECT_FALSE(decoded<ZunoLiveActivityTile>(bytes(without(stored, "symbolName"))));
}

TEST(ZunoLiveStatusRecords, ARecordHoldingANonFiniteNumberIsNotWritten)
{
    ZunoRAMLiveStatus ram = ramStatus();
    ram.usedPercent = kNaN;
    EXPECT_FALSE(encoded(ram));
    ram = ramStatus();
    ram.offloadProgress->fractionCompleted = std::numeric_limits<double>::infinity();
    EXPECT_FALSE(encoded(ram));
    // Where a NaN has no clamp of its own it stays, and the record is not written...
    EXPECT_FALSE(encoded(ZunoMixerLiveStatus(kTime, 42, kNaN, "Speakers", {})));
    EXPECT_FALSE(encoded(ZunoMixerLiveStatus(
        kTime, 42, 1, "Speakers", { ZunoMixerAudioAppItem("a", "org.a", "A", true, false, 1, NAN) })));
    // ...where the constructor turns it into 0, the record is written.
    const ZunoRAMOffloadLiveProgress offload(kTime, true, false, 0, 0, kNaN, "", "", "", "", 0, 0, {}, "");
    EXPECT_EQ(offload.fractionCompleted, 0.0);
    EXPECT_EQ(offload.totalSteps, 1);
    EXPECT_TRUE(encoded(ZunoFocusLiveStatus(kTime, 42, false, false, "", 0, 0, "", std::nullopt, std::nullopt,
        std::nullopt, false, 0, 0, false, false, 0, 0, 0, kNaN, false)));
}

TEST(ZunoLiveStatusRecords, OutputIsCompactAndOmitsAbsentOptionals)
{
    const QByteArray task = *encoded(ZunoTaskLiveStatus(kTime, 42, 1, 2, 3, 4, 5, 6, std::nullopt, "Write",
        25, std::nullopt, ZunoScreenRect(1, 2, 3, 4), true));
    EXPECT_FALSE(task.contains(' '));
    EXPECT_FALSE(task.contains("null"));
    EXPECT_FALSE(task.contains("nextBestTaskID"));
    EXPECT_TRUE(task.contains(R"("timestamp":"2026-03-01T09:15:00Z")"));
    EXPECT_TRUE(task.contains(R"("studioWindowFrame":{)"));
}

TEST(ZunoLiveStatusRecords, PIDZeroIsNeverFresh)
{
    const QDateTime now = kTime;
    const ZunoMusicLiveStatus mine(
        now, qint32(QCoreApplication::applicationPid()), "", "", "", "", false, 0, 0, 0);
    EXPECT_TRUE(mine.isFresh(now, 15));
    for (const qint32 pid : { 0, -1 }) {
        ZunoMusicLiveStatus other = mine;
        other.senderPID = pid;
        EXPECT_FALSE(other.isFresh(now, 15)) << pid;
    }
    EXPECT_FALSE(mine.isFresh(now, kNaN));
}

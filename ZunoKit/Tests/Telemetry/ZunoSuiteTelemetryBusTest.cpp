// The telemetry bus: files in the suite folder, freshness, tiles, notifications and the drop rule.
// Two notification centres on a private session bus stand for two applications.
#include "ZunoSuiteTelemetryBus.h"
#include "ZunoAtomicFile.h"
#include "ZunoLiveStatusSupport.h"
#include "ZunoPrivateBus.h"
#include "ZunoTestHome.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

#include <cerrno>
#include <csignal>
#include <cstring>

#include <grp.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

constexpr int kWait = 20000;
constexpr uid_t kNobody = 65534;

// The owner of a running process; -1 when it cannot be read.
uid_t processOwner(pid_t pid)
{
    struct stat info { };
    if (::stat(QByteArray("/proc/" + QByteArray::number(pid)).constData(), &info) != 0)
        return uid_t(-1);
    return info.st_uid;
}

// Takes CAP_KILL out of the calling thread's effective set for its lifetime (capabilities belong to
// threads), so that root's kill() of another user's process meets EPERM as anyone else's does. A
// thread without the capability in the first place stays as it was.
class WithoutKillCapability {
public:
    WithoutKillCapability()
    {
        if (::syscall(SYS_capget, &m_header, m_saved) != 0)
            return;
        __user_cap_data_struct without[2] = { m_saved[0], m_saved[1] };
        without[CAP_TO_INDEX(CAP_KILL)].effective &= ~CAP_TO_MASK(CAP_KILL);
        m_dropped = ::syscall(SYS_capset, &m_header, without) == 0;
    }
    ~WithoutKillCapability()
    {
        if (m_dropped)
            ::syscall(SYS_capset, &m_header, m_saved);
    }
    WithoutKillCapability(const WithoutKillCapability &) = delete;
    WithoutKillCapability &operator=(const WithoutKillCapability &) = delete;

    bool dropped() const { return m_dropped; }

private:
    __user_cap_header_struct m_header { _LINUX_CAPABILITY_VERSION_3, 0 };
    __user_cap_data_struct m_saved[2] {};
    bool m_dropped = false;
};

qint32 ownPID()
{
    return qint32(QCoreApplication::applicationPid());
}

// Whole seconds, as the files carry them.
QDateTime wholeSecondsNow()
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    return now.addMSecs(-now.time().msec());
}

ZunoFocusLiveStatus focus(const QDateTime &timestamp, qint32 pid)
{
    return ZunoFocusLiveStatus(timestamp, pid, true, false, "pomodoro25", 300, 1500, "Write", std::nullopt,
        std::nullopt, std::nullopt, false, 0, 0, false, false, 70, 1, 2, 600, false);
}

ZunoRAMLiveStatus ram(const QDateTime &timestamp, qint32 pid)
{
    return ZunoRAMLiveStatus(timestamp, pid, 16LL << 30, 12LL << 30, 0, 75, 0, 0, 0, false, "normal", 90, 0,
        0, 0, {}, 0, 0, 0, {}, 0, 0, {}, 0, {}, 0, std::nullopt);
}

ZunoLiveActivityTile tile(
    ZunoSuiteApp app, const QDateTime &timestamp, qint64 priority, qint32 pid = ownPID())
{
    return ZunoLiveActivityTile(app, timestamp, pid, "Title", "Başlık", "42", std::nullopt, std::nullopt,
        std::nullopt, ZunoLiveActivityTile::Tone::neutral, priority);
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << qPrintable(path);
    ASSERT_EQ(file.write(bytes), bytes.size());
}

class ZunoSuiteTelemetryBusTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        if (bus.address.isEmpty())
            GTEST_SKIP() << "cannot start a private D-Bus session bus";
        publisherCenter
            = std::make_unique<ZunoDistributedNotificationCenter>(bus.connect(QStringLiteral("publisher")));
        readerCenter
            = std::make_unique<ZunoDistributedNotificationCenter>(bus.connect(QStringLiteral("reader")));
        publisher = std::make_unique<ZunoSuiteTelemetryBus>(base(), publisherCenter.get());
        reader = std::make_unique<ZunoSuiteTelemetryBus>(base(), readerCenter.get());
    }
    void TearDown() override
    {
        publisher.reset();
        reader.reset();
        publisherCenter.reset();
        readerCenter.reset();
    }

    QString base() const { return folder.filePath(QStringLiteral("suite")); }

    QTemporaryDir folder;
    ZunoPrivateBus bus;
    std::unique_ptr<ZunoDistributedNotificationCenter> publisherCenter;
    std::unique_ptr<ZunoDistributedNotificationCenter> readerCenter;
    std::unique_ptr<ZunoSuiteTelemetryBus> publisher;
    std::unique_ptr<ZunoSuiteTelemetryBus> reader;
};

} // namespace

TEST(ZunoSuiteTelemetryBusFolder, DefaultFolderIsTheSuiteFolderAndAGivenBaseIsUsedAsItIs)
{
    ZunoTestHome home;
    EXPECT_EQ(
        ZunoSuiteTelemetryBus().baseDirectory(), home.filePath(".local/share/Quarnwell/SuiteTelemetry"));
    const ZunoSuiteTelemetryBus bus(home.filePath("base"), nullptr);
    bus.publishPulseStatus(ZunoPulseLiveStatus(wholeSecondsNow(), ownPID(), 1, 2, 3, 4, std::nullopt,
        std::nullopt, std::nullopt, std::nullopt, std::nullopt, 90, "nominal", std::nullopt));
    EXPECT_TRUE(QFileInfo::exists(home.filePath("base/zunopulse-live.json")));
    EXPECT_FALSE(QFileInfo::exists(home.filePath("base/Quarnwell")));
    // A new suite folder is private to the user.
    struct stat info { };
    ASSERT_EQ(::stat(QFile::encodeName(home.filePath("base")).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST_F(ZunoSuiteTelemetryBusTest, EveryRecordRoundTripsThroughItsFile)
{
    const QDateTime now = wholeSecondsNow();
    const ZunoRAMLiveStatus ramStatus = ram(now, ownPID());
    const ZunoPulseLiveStatus pulse(
        now, ownPID(), 1, 2, 3, 4, 50.0, std::nullopt, std::nullopt, 1200, std::nullopt, 90, "nominal", 98);
    const ZunoKillLiveStatus kill(now, ownPID(), 300, 1, 2, { "Frozen" }, 0, { 77 }, "Deep work", 1024, 12);
    const ZunoMixerLiveStatus mixer(
        now, ownPID(), 0.5, "Speakers", { ZunoMixerAudioAppItem("a", "org.a", "A", true, false, 1, 0.5f) });
    const ZunoMusicLiveStatus music(now, ownPID(), "T", "A", "B", "Lossless", true, 30, 200, 0.7);
    const ZunoTaskLiveStatus task(now, ownPID(), 1, 2, 3, 4, 60, 360, "id", "Write", 25,
        ZunoScreenRect(1, 2, 300, 200), std::nullopt, false);

    publisher->publishRAMStatus(ramStatus, false);
    publisher->publishPulseStatus(pulse);
    publisher->publishKillStatus(kill);
    publisher->publishMixerStatus(mixer, false);
    publisher->publishMusicStatus(music, false);
    publisher->publishFocusStatus(focus(now, ownPID()), false);
    publisher->publishTaskStatus(task, false);

    EXPECT_EQ(QDir(base()).entryList(QDir::Files, QDir::Name),
        QStringList({ "zunofocus-live.json", "zunokill-live.json", "zunomixer-live.json",
            "zunomusic-live.json", "zunopulse-live.json", "zunoram-live.json", "zunotask-live.json" }));
    EXPECT_EQ(reader->readRAMStatus(now, 15), ramStatus);
    EXPECT_EQ(reader->readPulseStatus(now, 15), pulse);
    EXPECT_EQ(reader->readKillStatus(now, 15), kill);
    EXPECT_EQ(reader->readMixerStatus(now, 15), mixer);
    EXPECT_EQ(reader->readMusicStatus(now, 15), music);
    EXPECT_EQ(reader->readFocusStatus(now, 15), focus(now, ownPID()));
    EXPECT_EQ(reader->readTaskStatus(now, 15), task);

    // A newer publish replaces the whole file; an undecodable file reads as absent and stays.
    publisher->publishFocusStatus(focus(now.addSecs(1), ownPID()), false);
    EXPECT_EQ(reader->readFocusStatus(now, 15)->timestamp, now.addSecs(1));
    writeFile(base() + "/zunoram-live.json", "{\"timestamp\":");
    EXPECT_FALSE(reader->readRAMStatus(now, 15));
    EXPECT_TRUE(QFileInfo::exists(base() + "/zunoram-live.json"));
}

TEST_F(ZunoSuiteTelemetryBusTest, FreshnessCountsTheAgeEitherWayInTime)
{
    const QDateTime now = wholeSecondsNow();
    struct Case {
        int offsetSeconds;
        double maxAge;
        bool present;
    };
    const Case cases[] = { { -10, 15, true }, { -10, 5, false }, { 10, 15, true }, { 10, 5, false },
        { -15, 15, true }, { -16, 15, false } };
    for (const Case &c : cases) {
        publisher->publishRAMStatus(ram(now.addSecs(c.offsetSeconds), ownPID()), false);
        EXPECT_EQ(reader->readRAMStatus(now, c.maxAge).has_value(), c.present)
            << c.offsetSeconds << " s, max age " << c.maxAge;
    }
    // Reading never removes a stale file.
    EXPECT_TRUE(QFileInfo::exists(base() + "/zunoram-live.json"));
}

TEST_F(ZunoSuiteTelemetryBusTest, AFileOfAnEndedPublisherIsAbsentAndOneOfAnotherUsersProcessIsPresent)
{
    QProcess child;
    child.start(QStringLiteral("/bin/true"));
    ASSERT_TRUE(child.waitForStarted(kWait));
    const auto pid = qint32(child.processId());
    ASSERT_TRUE(child.waitForFinished(kWait));
    EXPECT_FALSE(ZunoSuiteTelemetryBus::isPIDAlive(pid));

    const QDateTime now = wholeSecondsNow();
    publisher->publishFocusStatus(focus(now, pid), false);
    EXPECT_FALSE(reader->readFocusStatus(now, 15));

    // A process of another user: the check's kill() meets EPERM, and the process counts as running.
    // As root, that is a child that became "nobody", checked without CAP_KILL; otherwise process 1.
    QProcess other;
    pid_t target = 1;
    if (::geteuid() == 0) {
        other.setChildProcessModifier([] {
            // A failure leaves the child as root, which the owner check below reports.
            if (::setgroups(0, nullptr) != 0 || ::setresgid(kNobody, kNobody, kNobody) != 0
                || ::setresuid(kNobody, kNobody, kNobody) != 0)
                ::_exit(127);
        });
        other.start(QStringLiteral("/bin/sleep"), { QStringLiteral("60") });
        ASSERT_TRUE(other.waitForStarted(kWait));
        target = pid_t(other.processId());
        ASSERT_EQ(processOwner(target), kNobody);
    } else if (processOwner(1) == ::geteuid()) {
        GTEST_SKIP() << "process 1 is this user's: no process of another user to check";
    }
    {
        const WithoutKillCapability asAnotherUser;
        ASSERT_TRUE(asAnotherUser.dropped()) << std::strerror(errno);
        errno = 0;
        ASSERT_EQ(::kill(target, 0), -1);
        ASSERT_EQ(errno, EPERM) << "the case under test is kill() refusing with EPERM";
        EXPECT_TRUE(ZunoSuiteTelemetryBus::isPIDAlive(target));
        publisher->publishFocusStatus(focus(now, target), false);
        EXPECT_TRUE(reader->readFocusStatus(now, 15));
    }
    if (other.state() != QProcess::NotRunning) {
        other.kill();
        EXPECT_TRUE(other.waitForFinished(kWait));
    }
    for (const qint32 invalid : { 0, -1, -ownPID() })
        EXPECT_FALSE(ZunoSuiteTelemetryBus::isPIDAlive(invalid)) << invalid;
}

TEST_F(ZunoSuiteTelemetryBusTest, TilesAreFreshOnesByPriorityThenNewestFirst)
{
    const QDateTime now = wholeSecondsNow();
    publisher->publishLiveTile(tile(ZunoSuiteApp::zunoRAM, now.addSecs(-1), 1), false);
    publisher->publishLiveTile(tile(ZunoSuiteApp::zunoPulse, now.addSecs(-2), 5), false);
    publisher->publishLiveTile(tile(ZunoSuiteApp::zunoKill, now.addSecs(-3), 5), false);
    EXPECT_TRUE(QFileInfo::exists(base() + "/LiveTiles/zunoram.json"));

    const QString tiles = base() + "/LiveTiles/";
    const auto tileBytes = [](const ZunoLiveActivityTile &t) { return *ZunoLiveStatusSupport::encoded(t); };
    // Stale, ".txt", hidden: ignored. ".JSON" and any other name: read, the application from the content.
    writeFile(tiles + "zunomusic.json", tileBytes(tile(ZunoSuiteApp::zunoMusic, now.addSecs(-60), 9)));
    writeFile(tiles + "zunomixer.txt", tileBytes(tile(ZunoSuiteApp::zunoMixer, now, 9)));
    writeFile(tiles + ".zunofocus.json", tileBytes(tile(ZunoSuiteApp::zunoFocus, now, 9)));
    writeFile(tiles + "broken.json", "not json");
    writeFile(tiles + "ZUNOTASK.JSON", tileBytes(tile(ZunoSuiteApp::zunoTask, now, 0)));
    writeFile(tiles + "extra.json", tileBytes(tile(ZunoSuiteApp::zunoTask, now.addSecs(-4), 0)));
    ASSERT_TRUE(QDir().mkpath(tiles + "folder.json"));

    QStringList order;
    for (const ZunoLiveActivityTile &t : reader->readLiveTiles(now, 15))
        order << QStringLiteral("%1@%2").arg(t.id()).arg(now.secsTo(t.timestamp));
    EXPECT_EQ(
        order, QStringList({ "ZunoPulse@-2", "ZunoKill@-3", "ZunoRAM@-1", "ZunoTask@0", "ZunoTask@-4" }));
    EXPECT_TRUE(QFileInfo::exists(tiles + "zunomusic.json"));

    reader->clearLiveTile(ZunoSuiteApp::zunoRAM);
    EXPECT_FALSE(QFileInfo::exists(tiles + "zunoram.json"));
    EXPECT_TRUE(ZunoSuiteTelemetryBus(folder.filePath("nowhere"), nullptr).readLiveTiles(now, 15).isEmpty());
}

TEST_F(ZunoSuiteTelemetryBusTest, ClearingRemovesOnlyTheApplicationsOwnLiveFile)
{
    const QDateTime now = wholeSecondsNow();
    publisher->publishFocusStatus(focus(now, ownPID()), false);
    publisher->publishRAMStatus(ram(now, ownPID()), false);
    writeFile(base() + "/zunocam-live.json", "{}");

    publisher->clearStatus(ZunoSuiteApp::zunoCam);
    publisher->clearStatus(ZunoSuiteApp::zunoMusic);
    EXPECT_EQ(QDir(base()).entryList(QDir::Files, QDir::Name),
        QStringList({ "zunocam-live.json", "zunofocus-live.json", "zunoram-live.json" }));
    publisher->clearStatus(ZunoSuiteApp::zunoFocus);
    EXPECT_EQ(QDir(base()).entryList(QDir::Files, QDir::Name),
        QStringList({ "zunocam-live.json", "zunoram-live.json" }));
}

TEST_F(ZunoSuiteTelemetryBusTest, PeersAreToldEvenWhenTheFolderCannotBeMadeButNotOfATileThatCannotBeEncoded)
{
    int updates = 0;
    std::vector<std::optional<QString>> hovers;
    reader->observeTelemetryUpdates([&] { ++updates; });
    reader->observeFocusDockHover([&](const std::optional<QString> &target) { hovers.push_back(target); });

    // The base folder lies below a regular file, so it cannot be made.
    writeFile(folder.filePath("file"), "x");
    const ZunoSuiteTelemetryBus blocked(folder.filePath("file/suite"), publisherCenter.get());
    EXPECT_FALSE(blocked.publishFocusStatus(focus(wholeSecondsNow(), ownPID()), true));
    ASSERT_TRUE(QTest::qWaitFor([&] { return updates == 1; }, kWait));
    EXPECT_FALSE(QFileInfo::exists(folder.filePath("file/suite")));

    ZunoLiveActivityTile unwritable = tile(ZunoSuiteApp::zunoRAM, wholeSecondsNow(), 1);
    unwritable.progress = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(publisher->publishLiveTile(unwritable, true));
    // Pulse and kill never notify.
    publisher->publishPulseStatus(ZunoPulseLiveStatus(wholeSecondsNow(), ownPID(), 1, 2, 3, 4, std::nullopt,
        std::nullopt, std::nullopt, std::nullopt, std::nullopt, 90, "nominal", std::nullopt));
    publisher->publishKillStatus(
        ZunoKillLiveStatus(wholeSecondsNow(), ownPID(), 1, 0, 0, {}, 0, {}, std::nullopt, 0, 0));
    // One sender's signals arrive in order: once the hover is in, a post before it would be too.
    publisher->postFocusDockHoverTarget(QStringLiteral("studio"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !hovers.empty(); }, kWait));
    EXPECT_EQ(updates, 1);
    EXPECT_FALSE(QFileInfo::exists(base() + "/LiveTiles/zunoram.json"));

    // A status that cannot be encoded is not written, but the peers are still told.
    ZunoRAMLiveStatus nan = ram(wholeSecondsNow(), ownPID());
    nan.usedPercent = std::numeric_limits<double>::quiet_NaN();
    publisher->publishRAMStatus(nan, true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return updates == 2; }, kWait));
    EXPECT_FALSE(QFileInfo::exists(base() + "/zunoram-live.json"));
}

TEST_F(ZunoSuiteTelemetryBusTest, ALiveFileLeftUnreadableIsTheUsersAgainOnTheNextPublish)
{
    const QString path = base() + "/zunofocus-live.json";
    ASSERT_TRUE(publisher->publishFocusStatus(focus(wholeSecondsNow(), ownPID()), false));
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0), 0);
    ASSERT_TRUE(publisher->publishFocusStatus(focus(wholeSecondsNow(), ownPID()), false));
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
}

namespace {

qint64 residentKiB()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}

// Things a reader may find under a live file's name, none of them a small regular file.
void plantHostileFile(const QString &path, int kind)
{
    const QByteArray name = QFile::encodeName(path);
    QFile::remove(path);
    switch (kind) {
    case 0:
        ASSERT_EQ(::mkfifo(name.constData(), 0600), 0);
        break;
    case 1:
        ASSERT_EQ(::symlink("/dev/zero", name.constData()), 0);
        break;
    default: {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(100LL * 1024 * 1024));
        break;
    }
    }
}

} // namespace

TEST_F(ZunoSuiteTelemetryBusTest, AFifoADeviceLinkAndAHugeFileReadAsAbsent)
{
    const char *kinds[] = { "a FIFO", "a link to /dev/zero", "a 100 MiB file" };
    ASSERT_TRUE(QDir().mkpath(base() + "/LiveTiles"));
    const qint64 before = residentKiB();
    for (int kind = 0; kind < 3; ++kind) {
        SCOPED_TRACE(kinds[kind]);
        plantHostileFile(base() + "/zunofocus-live.json", kind);
        plantHostileFile(base() + "/LiveTiles/zunoram.json", kind);
        EXPECT_FALSE(reader->readFocusStatus(QDateTime::currentDateTimeUtc(), 15));
        EXPECT_TRUE(reader->readLiveTiles(QDateTime::currentDateTimeUtc(), 15).isEmpty());
    }
    // Nothing of the 100 MiB was read into memory.
    EXPECT_LT(residentKiB() - before, 32 * 1024);
}

TEST_F(ZunoSuiteTelemetryBusTest, EachTelemetryPostGivesOneHandlerCall)
{
    int updates = 0;
    const auto token = reader->observeTelemetryUpdates([&] { ++updates; });
    const QDateTime now = wholeSecondsNow();
    publisher->publishRAMStatus(ram(now, ownPID()), true);
    publisher->publishMixerStatus(ZunoMixerLiveStatus(now, ownPID(), 0.5, "Speakers", {}), true);
    publisher->publishMusicStatus(ZunoMusicLiveStatus(now, ownPID(), "", "", "", "", false, 0, 0, 0), true);
    publisher->publishTaskStatus(ZunoTaskLiveStatus(now, ownPID(), 0, 0, 0, 0, 0, 360, std::nullopt,
                                     std::nullopt, 25, std::nullopt, std::nullopt, false),
        true);
    publisher->publishLiveTile(tile(ZunoSuiteApp::zunoRAM, now, 1), true);
    publisher->publishFocusStatus(focus(now, ownPID()), false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return updates >= 5; }, kWait));
    // A last hover marks the end of the burst.
    bool hovered = false;
    reader->observeFocusDockHover([&](const std::optional<QString> &) { hovered = true; });
    publisher->postFocusDockHoverTarget(std::nullopt);
    ASSERT_TRUE(QTest::qWaitFor([&] { return hovered; }, kWait));
    EXPECT_EQ(updates, 5);

    reader->removeObserver(token);
    publisher->publishRAMStatus(ram(now, ownPID()), true);
    hovered = false;
    publisher->postFocusDockHoverTarget(std::nullopt);
    ASSERT_TRUE(QTest::qWaitFor([&] { return hovered; }, kWait));
    EXPECT_EQ(updates, 5);
}

TEST_F(ZunoSuiteTelemetryBusTest, HoverTargetsAreExactlyMiniOrStudio)
{
    std::vector<std::optional<QString>> hovers;
    reader->observeFocusDockHover([&](const std::optional<QString> &target) { hovers.push_back(target); });
    publisher->postFocusDockHoverTarget(QStringLiteral("mini"));
    publisher->postFocusDockHoverTarget(std::nullopt);
    publisherCenter->post(ZunoSuiteTelemetryBus::kFocusDockHoverNotification, QStringLiteral("Mini"));
    publisherCenter->post(ZunoSuiteTelemetryBus::kFocusDockHoverNotification, QStringLiteral("none"));
    publisherCenter->post(ZunoSuiteTelemetryBus::kFocusDockHoverNotification);
    publisher->postFocusDockHoverTarget(QStringLiteral("studio"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return hovers.size() == 6; }, kWait));
    EXPECT_EQ(hovers,
        (std::vector<std::optional<QString>> {
            "mini", std::nullopt, std::nullopt, std::nullopt, std::nullopt, "studio" }));
}

TEST(ZunoSuiteTelemetryBusDrop, DropTargetRule)
{
    struct Case {
        const char *name;
        QRectF dragged;
        std::optional<QRectF> mini, studio;
        std::optional<QString> expected;
    };
    // The dragged frame is 200 × 100 at (0, 0): its centre is (100, 50).
    const QRectF frame(0, 0, 200, 100);
    const Case cases[] = {
        { "overlap 50 of 200 wide (25 %) drops on mini", frame, QRectF(150, 0, 300, 100), std::nullopt,
            "mini" },
        { "overlap 40 of 200 wide (20 %) goes on to studio", frame, QRectF(160, 0, 300, 100),
            QRectF(-50, -50, 400, 400), "studio" },
        { "overlap 20 % and no studio target", frame, QRectF(160, 0, 300, 100), std::nullopt, std::nullopt },
        { "centre inside", frame, QRectF(90, 40, 20, 20), std::nullopt, "mini" },
        // Thin targets through the centre: only the centre test can match them (overlap 1 %).
        { "centre on the left edge is inside", frame, QRectF(100, 49, 200, 2), std::nullopt, "mini" },
        { "centre on the right edge is outside", frame, QRectF(-100, 49, 200, 2), std::nullopt,
            std::nullopt },
        { "centre on the top edge is inside", frame, QRectF(99, 50, 2, 100), std::nullopt, "mini" },
        { "centre on the bottom edge is outside", frame, QRectF(99, -50, 2, 100), std::nullopt,
            std::nullopt },
        { "a 1-point-wide frame never matches", QRectF(0, 0, 1, 100), QRectF(-10, -10, 100, 200),
            QRectF(-10, -10, 100, 200), std::nullopt },
        { "a 1-point-high target never matches", frame, QRectF(0, 0, 200, 1), std::nullopt, std::nullopt },
        { "touching edges do not overlap", frame, QRectF(200, 0, 100, 100), std::nullopt, std::nullopt },
        { "both match: mini", frame, QRectF(0, 0, 200, 100), QRectF(0, 0, 200, 100), "mini" },
        { "no targets", frame, std::nullopt, std::nullopt, std::nullopt },
    };
    for (const Case &c : cases)
        EXPECT_EQ(ZunoSuiteTelemetryBus::detectDockDropTarget(c.dragged, c.mini, c.studio), c.expected)
            << c.name;
}

TEST(ZunoAtomicFileOptions, WritesWithoutFlushAndWithAForcedMode)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("file.json");
    writeFile(path, "old");
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0644), 0);
    ZunoAtomicFile::Options options;
    options.sync = false;
    options.mode = 0600;
    ASSERT_TRUE(ZunoAtomicFile::write(path, "new", nullptr, options));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "new");
    struct stat info { };
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList({ "file.json" }));
}

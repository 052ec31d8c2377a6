// The virtual-memory summary: its computed values and texts, and the reader on fixture trees with the
// RAM application's live file or its mounted pool images.
#include "ZunoVirtualMemorySummary.h"
#include "ZunoLiveStatusSupport.h"
#include "ZunoSuiteTelemetryBus.h"
#include "ZunoTestHome.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <limits>

#include <pwd.h>
#include <unistd.h>

namespace {

ZunoVirtualMemorySummary zero()
{
    return ZunoVirtualMemorySummary(
        0, 0, 0, 0, 0, 0, false, "normal", false, 0, 0, 0, {}, 0, 0, 0, {}, 0, 0, {}, 0, {}, 0);
}

void put(const QString &path, const QByteArray &content)
{
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(content), content.size());
}

QString userName()
{
    const struct passwd *user = ::getpwuid(::getuid());
    return user ? QString::fromLocal8Bit(user->pw_name) : QString();
}

qint32 ownPID()
{
    return qint32(QCoreApplication::applicationPid());
}

QDateTime wholeSecondsNow()
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    return now.addMSecs(-now.time().msec());
}

// A machine of 16 GB with 1 GiB of swap, 256 MiB of it in use, and the given mounted images.
class ZunoVirtualMemoryReaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        put(root.filePath("proc/meminfo"), "MemTotal: 16000000 kB\nMemAvailable: 4000000 kB\n");
        put(root.filePath("proc/swaps"),
            "Filename Type Size Used Priority\n/dev/zram0 partition 1048576 262144 100\n");
        put(root.filePath("proc/pressure/memory"),
            "some avg10=12.00 avg60=0 avg300=0 total=1\nfull avg10=0.00 avg60=0 avg300=0 total=1\n");
    }

    // `mounts` are mount points as /proc/self/mountinfo writes them (escaped).
    ZunoSuiteTelemetryBus bus(const QStringList &mounts = {})
    {
        QByteArray mountinfo = "22 28 0:21 / /proc rw,relatime - proc proc rw\n";
        for (const QString &mount : mounts)
            mountinfo += "90 28 7:0 / " + mount.toUtf8() + " rw,nosuid - ext4 /dev/loop0 rw\n";
        put(root.filePath("proc/self/mountinfo"), mountinfo);
        ZunoKernelMemory::SystemCalls calls;
        calls.deviceOf = [](const QString &) { return std::nullopt; };
        calls.volumeCapacity
            = [volumes = volumes](const QString &path) -> std::optional<ZunoKernelMemory::VolumeCapacity> {
            const auto found = volumes.constFind(path);
            return found == volumes.cend() ? std::nullopt : std::optional(*found);
        };
        return ZunoSuiteTelemetryBus(home.filePath("suite"), nullptr, ZunoKernelMemory(root.path(), calls));
    }

    QString pools() const { return home.filePath(".cache/ZunoRAM/Pools"); }
    QString media(const QString &name) const { return "/media/" + userName() + "/" + name; }

    ZunoTestHome home;
    QTemporaryDir root;
    QHash<QString, ZunoKernelMemory::VolumeCapacity> volumes;
};

ZunoRAMLiveStatus ramFile(const QDateTime &timestamp, qint32 pid)
{
    return ZunoRAMLiveStatus(timestamp, pid, 0, 9'000'000'000, 1'000'000'000, 55, 2'000'000'000, 1, 3, false,
        "elevated", 70, 1, 10'000'000'000, 4'000'000'000, { "pool-1" }, 1, 5'000'000'000, 1'000'000'000,
        { "Pool-Z" }, 1, 2'000'000'000, { "ram-1" }, 2, { 101, 102 }, 300'000'000, std::nullopt);
}

} // namespace

TEST(ZunoVirtualMemorySummary, ComputedValuesAndTexts)
{
    ZunoVirtualMemorySummary s = zero();
    EXPECT_EQ(s.compactBadgeText(), "");
    EXPECT_EQ(s.virtualSpaceUsageText(), "0 B");
    EXPECT_EQ(s.compactVirtualUsedToken(), "0G");
    EXPECT_EQ(s.physicalUsedPercent() + s.swapUsedPercent() + s.virtualUsedPercent(), 0.0);
    EXPECT_FALSE(s.isSwapActive() || s.isAnyVirtualMemoryActive() || s.isZunoRAMVirtualExpansionActive());

    s.swapTotalBytes = 2'147'483'648;
    EXPECT_EQ(s.compactBadgeText(), "Swap 0 B / 2.15 GB");
    EXPECT_TRUE(s.isSwapActive());
    EXPECT_FALSE(s.isAnyVirtualMemoryActive());
    EXPECT_EQ(s.virtualSpaceUsageText(), "0 B / 2.15 GB");
    s.activeDiskPoolCount = 1;
    s.diskPoolVirtualBytes = 10'000'000'000;
    EXPECT_EQ(s.compactBadgeText(), "Pool 10.00 GB");
    s.swapUsedBytes = 1'000'000'000;
    EXPECT_EQ(s.compactBadgeText(), "Pool 10.00 GB + Swap 1.00 GB");
    s.mountedSparseDiskCount = 1;
    s.sparseDiskVirtualBytes = 50'000'000'000;
    s.mountedRAMDiskCount = 1;
    s.ramDiskTotalBytes = 2'000'000'000;
    EXPECT_EQ(s.compactBadgeText(), "Pool 10.00 GB + vDisk 50.00 GB + RAMDisk 2.00 GB + Swap 1.00 GB");
    EXPECT_EQ(s.totalZunoRAMVirtualCapacityBytes(), 62'000'000'000);
    EXPECT_EQ(s.totalVirtualAllocatedBytes(), 62'000'000'000 + 2'147'483'648);
    // Swap used, then pools and images (nothing used yet), then the RAM disk whole.
    EXPECT_EQ(s.totalVirtualUsedBytes(), 3'000'000'000);
    EXPECT_EQ(s.virtualSpaceUsageText(), "3.00 GB / 64.15 GB");

    s = zero();
    s.physicalTotalBytes = 16'000'000'000;
    s.physicalUsedBytes = 20'000'000'000;
    EXPECT_EQ(s.physicalUsedPercent(), 100.0);
    s.physicalUsedBytes = 4'000'000'000;
    EXPECT_EQ(s.physicalUsedPercent(), 25.0);
    // Swap used above its total (a fresh file may say so): the used value is the allocation.
    s.swapTotalBytes = 1'000'000'000;
    s.swapUsedBytes = 3'000'000'000;
    EXPECT_EQ(s.totalVirtualAllocatedBytes(), 3'000'000'000);
    EXPECT_EQ(s.swapUsedPercent(), 100.0);
    EXPECT_EQ(s.totalEffectiveMemoryCapacityBytes(), 19'000'000'000);
    EXPECT_EQ(s.totalEffectiveUsedBytes(), 7'000'000'000);
}

TEST(ZunoVirtualMemorySummary, TokenForATightBadge)
{
    struct Case {
        qint64 used, allocated;
        const char *token;
    };
    // Used is swap used; allocated is the swap total (at least the used value).
    const Case cases[] = { { 150'000'000'000, 0, "150G" }, { 12'340'000'000, 0, "12.3G" },
        { 340'000'000, 0, "340M" }, { 0, 8'000'000'000, "8.0G" }, { 0, 64'000'000'000, "64G" },
        { 99'960'000'000, 0, "100.0G" }, { 0, 0, "0G" } };
    const auto token = [](const Case &c) {
        ZunoVirtualMemorySummary s = zero();
        s.swapUsedBytes = c.used;
        s.swapTotalBytes = c.allocated;
        return s.compactVirtualUsedToken();
    };
    for (const Case &c : cases)
        EXPECT_EQ(token(c), c.token) << c.used << " used, " << c.allocated << " allocated";

    // The process locale never changes the decimal point.
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, "tr_TR.UTF-8"))
        GTEST_SKIP() << "the tr_TR.UTF-8 locale is not installed (the set-up script makes it)";
    char printed[16];
    std::snprintf(printed, sizeof printed, "%.1f", 12.34);
    EXPECT_STREQ(printed, "12,3"); // the locale is really in effect
    EXPECT_EQ(token(cases[1]), "12.3G");
    EXPECT_EQ(token(cases[3]), "8.0G");
    std::setlocale(LC_ALL, previous.c_str());
}

TEST(ZunoVirtualMemorySummary, SumsSaturate)
{
    constexpr qint64 kMax = std::numeric_limits<qint64>::max();
    ZunoVirtualMemorySummary s = zero();
    s.diskPoolVirtualBytes = kMax;
    s.ramDiskTotalBytes = 5;
    s.swapUsedBytes = kMax;
    s.physicalTotalBytes = 1;
    s.physicalUsedBytes = 1;
    EXPECT_EQ(s.totalZunoRAMVirtualCapacityBytes(), kMax);
    EXPECT_EQ(s.totalVirtualAllocatedBytes(), kMax);
    EXPECT_EQ(s.totalVirtualUsedBytes(), kMax);
    EXPECT_EQ(s.totalEffectiveMemoryCapacityBytes(), kMax);
    EXPECT_EQ(s.totalEffectiveUsedBytes(), kMax);
    EXPECT_EQ(s.virtualUsedPercent(), 100.0);
}

TEST_F(ZunoVirtualMemoryReaderTest, WithoutTheRAMApplicationTheKernelFiguresAndThePoolImages)
{
    ASSERT_TRUE(QDir().mkpath(pools() + "/Pool-A.sparsebundle"));
    volumes.insert(media("Pool-A"), { 50'000'000'000, 48'000'000'000 });
    const ZunoVirtualMemorySummary s = bus({ media("Pool-A") }).readVirtualMemorySummary(wholeSecondsNow());
    EXPECT_EQ(s.physicalTotalBytes, 16'384'000'000);
    EXPECT_EQ(s.physicalUsedBytes, 12'288'000'000);
    EXPECT_EQ(s.swapTotalBytes, 1'073'741'824);
    EXPECT_EQ(s.swapUsedBytes, 268'435'456);
    EXPECT_TRUE(s.swapEncrypted) << "zram swap lives in RAM, never on a disk in plain text";
    EXPECT_EQ(s.pressureLevel, "warning");
    EXPECT_FALSE(s.isZunoRAMRunning);
    EXPECT_EQ(s.swapFileCount, 0);
    EXPECT_EQ(s.mountedSparseDiskCount, 1);
    EXPECT_EQ(s.sparseDiskVirtualBytes, 50'000'000'000);
    EXPECT_EQ(s.sparseDiskActualBytes, 2'000'000'000);
    EXPECT_EQ(s.sparseDiskNames, QStringList({ "Pool-A" }));
    EXPECT_EQ(s.activeDiskPoolCount + s.mountedRAMDiskCount + s.frozenAppCount, 0);
    EXPECT_EQ(s.compactBadgeText(), "vDisk 50.00 GB + Swap 268.4 MB");
}

TEST_F(ZunoVirtualMemoryReaderTest, PoolImagesAreCountedOnceAndOnlyWhenMounted)
{
    const QString custom = home.filePath("custom pools");
    ASSERT_TRUE(QDir().mkpath(pools() + "/Pool-A.sparsebundle"));
    ASSERT_TRUE(QDir().mkpath(pools() + "/Pool-B.SPARSEBUNDLE"));
    ASSERT_TRUE(QDir().mkpath(pools() + "/Pool-C.sparsebundle")); // not mounted
    ASSERT_TRUE(QDir().mkpath(pools() + "/.Pool-D.sparsebundle")); // hidden
    put(pools() + "/Pool-E.dmg", "");
    ASSERT_TRUE(QDir().mkpath(custom + "/Pool-A.sparsebundle")); // seen already
    ASSERT_TRUE(QDir().mkpath(custom + "/Pool-C.sparsebundle")); // seen already, though it is mounted
    ASSERT_TRUE(QDir().mkpath(custom + "/Pool F.sparsebundle"));
    volumes.insert(media("Pool-A"), { 50'000'000'000, 48'000'000'000 });
    volumes.insert(
        "/run/media/" + userName() + "/Pool-B", { 1'000'000'000, 2'000'000'000 }); // available above total
    volumes.insert(media("Pool-C"), { 7'000'000'000, 0 });
    volumes.insert(media(".Pool-D"), { 7'000'000'000, 0 });
    volumes.insert(media("Pool F"), { 3'000'000'000, 1'000'000'000 });
    const QStringList mounts = { media("Pool-A"), "/run/media/" + userName() + "/Pool-B", media("Pool\\040F"),
        "/mnt/Pool-C", media(".Pool-D") };

    struct Case {
        const char *name;
        std::optional<QByteArray> config;
        qint64 count, capacity, used;
    };
    const Case cases[] = {
        { "no configuration", std::nullopt, 2, 51'000'000'000, 2'000'000'000 },
        { "blanks and a line end around the path",
            QByteArray(R"({"customPoolDirectory": "  )") + QFile::encodeName(custom) + R"(\n"})", 3,
            54'000'000'000, 4'000'000'000 },
        { "only blanks", QByteArray(R"({"customPoolDirectory": "   "})"), 2, 51'000'000'000, 2'000'000'000 },
        { "a number", QByteArray(R"({"customPoolDirectory": 42})"), 2, 51'000'000'000, 2'000'000'000 },
        { "not an object", QByteArray(R"(["x"])"), 2, 51'000'000'000, 2'000'000'000 },
    };
    for (const Case &c : cases) {
        const QString config = home.filePath(".local/share/ZunoRAM/config.json");
        QFile::remove(config);
        if (c.config)
            put(config, *c.config);
        const auto s = bus(mounts).readVirtualMemorySummary(wholeSecondsNow());
        EXPECT_EQ(s.mountedSparseDiskCount, c.count) << c.name;
        EXPECT_EQ(s.sparseDiskVirtualBytes, c.capacity) << c.name;
        EXPECT_EQ(s.sparseDiskActualBytes, c.used) << c.name;
        EXPECT_EQ(s.sparseDiskNames.size(), c.count) << c.name;
        EXPECT_TRUE(s.sparseDiskNames.contains("Pool-A") && s.sparseDiskNames.contains("Pool-B")) << c.name;
    }
}

TEST_F(ZunoVirtualMemoryReaderTest, AFreshRAMFileFillsTheSummary)
{
    ASSERT_TRUE(QDir().mkpath(pools() + "/Pool-A.sparsebundle"));
    volumes.insert(media("Pool-A"), { 50'000'000'000, 48'000'000'000 });
    const ZunoSuiteTelemetryBus reader = bus({ media("Pool-A") });
    const QDateTime now = wholeSecondsNow();
    reader.publishRAMStatus(ramFile(now.addSecs(-18), ownPID()), false);

    const ZunoVirtualMemorySummary s = reader.readVirtualMemorySummary(now);
    EXPECT_TRUE(s.isZunoRAMRunning);
    EXPECT_EQ(s.physicalTotalBytes, 16'384'000'000); // the file's 0 keeps the kernel's
    EXPECT_EQ(s.physicalUsedBytes, 9'000'000'000);
    EXPECT_EQ(s.compressedBytes, 1'000'000'000);
    EXPECT_EQ(s.swapTotalBytes, 2'000'000'000); // the file's larger total
    EXPECT_EQ(s.swapUsedBytes, 268'435'456); // the kernel's larger used
    EXPECT_EQ(s.swapFileCount, 3);
    EXPECT_FALSE(s.swapEncrypted);
    EXPECT_EQ(s.pressureLevel, "elevated"); // unchanged
    EXPECT_EQ(s.activeDiskPoolCount, 1);
    EXPECT_EQ(s.diskPoolNames, QStringList({ "pool-1" }));
    // From the file, not from the scan.
    EXPECT_EQ(s.sparseDiskNames, QStringList({ "Pool-Z" }));
    EXPECT_EQ(s.sparseDiskVirtualBytes, 5'000'000'000);
    EXPECT_EQ(s.ramDiskTotalBytes, 2'000'000'000);
    EXPECT_EQ(s.frozenPIDs, QList<qint32>({ 101, 102 }));
    EXPECT_EQ(s.reclaimedFromFrozenBytes, 300'000'000);
}

TEST_F(ZunoVirtualMemoryReaderTest, AStaleOrOrphanedRAMFileIsIgnored)
{
    const ZunoSuiteTelemetryBus reader = bus();
    const QDateTime now = wholeSecondsNow();
    struct Case {
        const char *name;
        qint64 offsetMilliseconds;
        qint32 pid;
        bool used;
    };
    const Case cases[] = {
        { "18 s old", -18'000, ownPID(), true },
        { "18.5 s old", -18'500, ownPID(), false },
        { "18 s ahead", 18'000, ownPID(), true },
        { "20 s ahead", 20'000, ownPID(), false },
        { "sender 0", 0, 0, false },
        { "sender gone", 0, std::numeric_limits<qint32>::max(), false },
    };
    for (const Case &c : cases) {
        // The file holds whole seconds; the reader's clock moves instead.
        reader.publishRAMStatus(ramFile(now, c.pid), false);
        const auto s = reader.readVirtualMemorySummary(now.addMSecs(-c.offsetMilliseconds));
        EXPECT_EQ(s.isZunoRAMRunning, c.used) << c.name;
        EXPECT_EQ(s.pressureLevel, c.used ? "elevated" : "warning") << c.name;
    }
}

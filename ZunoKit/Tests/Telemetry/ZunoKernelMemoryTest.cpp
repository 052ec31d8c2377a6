// Kernel memory figures read from small fixture trees of /proc and /sys.
#include "ZunoKernelMemory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

constexpr qint64 kKiB = 1024;

struct Fixture {
    QTemporaryDir root;
    QHash<QString, QString> devices; // path → "MAJ:MIN"

    void put(const QString &relative, const QByteArray &content)
    {
        const QString path = root.filePath(relative);
        ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(content), content.size());
    }

    // A device-mapper device; `parents` are "name=MAJ:MIN" entries of its "slaves" folder.
    void mapper(const QString &device, const QByteArray &uuid, const QStringList &parents = {})
    {
        put("sys/dev/block/" + device + "/dm/uuid", uuid + "\n");
        for (const QString &parent : parents) {
            const QStringList parts = parent.split('=');
            put("sys/dev/block/" + device + "/slaves/" + parts[0] + "/dev", parts[1].toUtf8() + "\n");
        }
    }

    ZunoKernelMemory::Figures read() const
    {
        ZunoKernelMemory::SystemCalls calls;
        calls.deviceOf = [devices = devices](const QString &path) -> std::optional<QString> {
            const auto found = devices.constFind(path);
            return found == devices.cend() ? std::nullopt : std::optional<QString>(*found);
        };
        calls.volumeCapacity = [](const QString &) { return std::nullopt; };
        return ZunoKernelMemory(root.path(), calls).read();
    }
};

QByteArray meminfo(qint64 totalKiB, std::optional<qint64> availableKiB, std::optional<qint64> zswapKiB = {})
{
    QByteArray text = "MemTotal:       " + QByteArray::number(totalKiB) + " kB\nMemFree:          1000 kB\n";
    if (availableKiB)
        text += "MemAvailable:   " + QByteArray::number(*availableKiB) + " kB\n";
    if (zswapKiB)
        text += "Zswap:          " + QByteArray::number(*zswapKiB) + " kB\nZswapped:      9999 kB\n";
    return text;
}

QByteArray pressure(const char *some, const char *full)
{
    return QByteArray("some avg10=") + some + " avg60=0.00 avg300=0.00 total=1\nfull avg10=" + full
        + " avg60=0.00 avg300=0.00 total=1\n";
}

const QByteArray kSwapsHeader = "Filename\t\t\t\tType\t\tSize\t\tUsed\t\tPriority\n";

} // namespace

TEST(ZunoKernelMemory, MemoryFromMeminfoAndTheCompressors)
{
    const qint64 physicalPages = ::sysconf(_SC_PHYS_PAGES) * ::sysconf(_SC_PAGESIZE);
    struct Case {
        const char *name;
        std::optional<QByteArray> meminfo;
        bool zram;
        qint64 total, used, compressed;
    };
    const Case cases[] = {
        { "normal", meminfo(16000000, 4000000), false, 16000000 * kKiB, 12000000 * kKiB, 0 },
        { "zswap and zram together", meminfo(16000000, 4000000, 2048), true, 16000000 * kKiB, 12000000 * kKiB,
            2048 * kKiB + 5000000 + 700 },
        { "available above total", meminfo(1000, 2000), false, 1000 * kKiB, 0, 0 },
        { "without MemAvailable", meminfo(16000000, std::nullopt, 2048), true, 16000000 * kKiB, 0, 0 },
        { "unreadable", std::nullopt, true, physicalPages, 0, 0 },
    };
    for (const Case &c : cases) {
        Fixture fixture;
        if (c.meminfo)
            fixture.put("proc/meminfo", *c.meminfo);
        if (c.zram) {
            fixture.put(
                "sys/block/zram0/mm_stat", "  9000000  4000000  5000000        0  6000000      0      0\n");
            fixture.put("sys/block/zram1/mm_stat", "1000 600 700 0 700 0 0\n");
            fixture.put("sys/block/vda/mm_stat", "1 2 999999 4\n");
        }
        const auto figures = fixture.read();
        EXPECT_EQ(figures.physicalTotal, c.total) << c.name;
        EXPECT_EQ(figures.physicalUsed, c.used) << c.name;
        EXPECT_EQ(figures.compressed, c.compressed) << c.name;
    }
}

TEST(ZunoKernelMemory, SwapAreasAndWhetherAllLieOnDmCrypt)
{
    struct Area {
        QByteArray line;
        QString path;
        QString device;
    };
    const Area cryptPartition { "/dev/dm-0 partition 8388604 1024 -2", "/dev/dm-0", "253:0" };
    const Area plainFile { "/swapfile file 2097148 512 -3", "/swapfile", "8:2" };
    const Area lvmOnCrypt { "/dev/dm-2 partition 1000 0 -4", "/dev/dm-2", "253:2" };
    const Area zram { "/dev/zram0 partition 4000000 100 100", "/dev/zram0", "252:0" };
    const Area escaped { "/swap\\040file file 2000 10 -5", "/swap file", "253:3" };
    struct Case {
        const char *name;
        QList<Area> areas;
        bool encrypted;
    };
    const Case cases[] = {
        { "partition on dm-crypt", { cryptPartition }, true },
        { "swap file on a plain disk", { plainFile }, false },
        { "LVM volume whose parent is dm-crypt", { lvmOnCrypt }, true },
        { "zram area, in RAM and never on a disk", { zram }, true },
        { "zram beside a plain swap file", { zram, plainFile }, false },
        { "escaped path on a file system on dm-crypt", { escaped }, true },
        { "one plain area among encrypted ones", { cryptPartition, lvmOnCrypt, plainFile }, false },
        { "no areas", {}, true },
    };
    for (const Case &c : cases) {
        Fixture fixture;
        fixture.mapper("253:0", "CRYPT-LUKS2-0123456789abcdef-cryptswap");
        fixture.mapper("253:1", "CRYPT-LUKS2-fedcba9876543210-cryptlvm");
        fixture.mapper("253:2", "LVM-abcdefgh", { "dm-1=253:1" });
        fixture.mapper("253:3", "CRYPT-PLAIN-home");
        QByteArray swaps = kSwapsHeader;
        qint64 total = 0, used = 0;
        for (const Area &area : c.areas) {
            swaps += area.line + "\n";
            fixture.devices.insert(area.path, area.device);
            const QList<QByteArray> columns = area.line.split(' ');
            total += columns[2].toLongLong() * kKiB;
            used += columns[3].toLongLong() * kKiB;
        }
        fixture.put("proc/swaps", swaps);
        const auto figures = fixture.read();
        EXPECT_EQ(figures.swapTotal, total) << c.name;
        EXPECT_EQ(figures.swapUsed, used) << c.name;
        EXPECT_EQ(figures.swapEncrypted, c.encrypted) << c.name;
    }

    Fixture unreadable;
    const auto figures = unreadable.read();
    EXPECT_EQ(figures.swapTotal, 0);
    EXPECT_EQ(figures.swapUsed, 0);
    EXPECT_TRUE(figures.swapEncrypted);
}

TEST(ZunoKernelMemory, PressureWordFromStallInformationElseFromAvailableMemory)
{
    struct Case {
        const char *name;
        std::optional<QByteArray> pressure;
        std::optional<QByteArray> meminfo;
        const char *expected;
    };
    const Case cases[] = {
        { "some 9.99", pressure("9.99", "0.00"), meminfo(1000, 10), "normal" },
        { "some 10.00", pressure("10.00", "0.00"), meminfo(1000, 900), "warning" },
        { "full 9.99", pressure("40.00", "9.99"), meminfo(1000, 900), "warning" },
        { "full 10.00", pressure("40.00", "10.00"), meminfo(1000, 900), "critical" },
        { "no pressure file, 3 % available", std::nullopt, meminfo(1000, 30), "critical" },
        { "no pressure file, 8 % available", std::nullopt, meminfo(1000, 80), "warning" },
        { "no pressure file, 50 % available", std::nullopt, meminfo(1000, 500), "normal" },
        { "unreadable pressure file", QByteArray("garbage"), meminfo(1000, 30), "critical" },
        { "nothing readable", std::nullopt, std::nullopt, "normal" },
    };
    for (const Case &c : cases) {
        Fixture fixture;
        if (c.pressure)
            fixture.put("proc/pressure/memory", *c.pressure);
        if (c.meminfo)
            fixture.put("proc/meminfo", *c.meminfo);
        EXPECT_EQ(fixture.read().pressureLevel, c.expected) << c.name;
    }
}

#pragma once

#include <QString>

#include <functional>
#include <optional>

// Memory, swap and pressure figures from the Linux kernel's own files (/proc/meminfo, /proc/swaps,
// /proc/pressure/memory, /sys), and the mount and volume look-ups of the RAM application's pool
// images. Every file is read below `root` ("/" normally; tests give fixture trees), and the two
// file-system calls go through `SystemCalls`, replaceable for the same reason. Synchronous, any
// thread, never fails: what cannot be read gives the documented fallback.
class ZunoKernelMemory {
public:
    struct Figures {
        qint64 physicalTotal = 0;
        qint64 physicalUsed = 0;
        qint64 compressed = 0;
        qint64 swapTotal = 0;
        qint64 swapUsed = 0;
        bool swapEncrypted = true;
        QString pressureLevel;
    };

    struct VolumeCapacity {
        qint64 total = 0;
        qint64 available = 0;
    };

    struct SystemCalls {
        // The block device ("MAJ:MIN") a path stands for: a block device node's own number, else the
        // number of the device holding the file. None when it cannot be looked up.
        std::function<std::optional<QString>(const QString &path)> deviceOf;
        // Size and space available to the user of the file system mounted at `path`.
        std::function<std::optional<VolumeCapacity>(const QString &path)> volumeCapacity;
    };

    // The real calls (stat and statvfs) on `root` + path.
    static SystemCalls systemCalls(const QString &root);

    explicit ZunoKernelMemory(
        const QString &root = QStringLiteral("/"), std::optional<SystemCalls> calls = std::nullopt);

    // Physical memory (meminfo; the page count when meminfo cannot be read), memory in use
    // (MemTotal − MemAvailable), compressed memory (zswap and zram), swap areas and whether all of
    // them lie on dm-crypt, and the pressure word "normal", "warning" or "critical".
    Figures read() const;

    // Where udisks mounts an image named `name` for this user (/media/<user>/<name> or
    // /run/media/<user>/<name>), when /proc/self/mountinfo lists it.
    std::optional<QString> userMountPoint(const QString &name) const;
    std::optional<VolumeCapacity> volumeCapacity(const QString &mountPoint) const;

private:
    // The device or one of its parents (through sysfs "slaves", as LVM on LUKS) is a dm-crypt mapping.
    bool isOnDmCrypt(const QString &device, int depth) const;
    static bool isInRAM(const QString &swapPath);

    QString m_root;
    SystemCalls m_calls;
};

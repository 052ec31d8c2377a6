#include "ZunoKernelMemory.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <limits>

#include <pwd.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

constexpr qint64 kKiB = 1024;
// Device-mapper parents deeper than this are a loop in a broken tree, not a real stack.
constexpr int kMaxDeviceDepth = 16;

std::optional<QByteArray> readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

// Kernel figures are never negative; absurd ones stop at the 64-bit limit.
qint64 saturatingMultiply(qint64 a, qint64 b)
{
    qint64 product = 0;
    return __builtin_mul_overflow(a, b, &product) ? std::numeric_limits<qint64>::max() : product;
}

qint64 saturatingAdd(qint64 a, qint64 b)
{
    qint64 sum = 0;
    return __builtin_add_overflow(a, b, &sum) ? std::numeric_limits<qint64>::max() : sum;
}

// The kernel's octal escapes in paths (\040 blank, \011 tab, \012 line end, \134 backslash).
QString unescapeOctal(const QByteArray &text)
{
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size()) {
            const QByteArray digits = text.mid(i + 1, 3);
            const bool ok
                = std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '7'; });
            if (ok) {
                out.append(char(digits.toInt(nullptr, 8)));
                i += 3;
                continue;
            }
        }
        out.append(text[i]);
    }
    return QString::fromUtf8(out);
}

// "Key:   123 kB" lines of /proc/meminfo, in kB.
QHash<QByteArray, qint64> meminfoFields(const QByteArray &text)
{
    QHash<QByteArray, qint64> fields;
    for (const QByteArray &line : text.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            continue;
        const QList<QByteArray> parts = line.mid(colon + 1).simplified().split(' ');
        bool ok = false;
        const qint64 value = parts.value(0).toLongLong(&ok);
        if (ok)
            fields.insert(line.left(colon), value);
    }
    return fields;
}

// "some avg10=1.23 ..." and "full avg10=..." of /proc/pressure/memory.
std::optional<std::pair<double, double>> pressureAverages(const QByteArray &text)
{
    std::optional<double> some, full;
    for (const QByteArray &line : text.split('\n')) {
        const QList<QByteArray> parts = line.simplified().split(' ');
        if (parts.size() < 2 || !parts[1].startsWith("avg10="))
            continue;
        bool ok = false;
        const double value = parts[1].mid(6).toDouble(&ok);
        if (!ok)
            continue;
        if (parts[0] == "some")
            some = value;
        else if (parts[0] == "full")
            full = value;
    }
    if (!some || !full)
        return std::nullopt;
    return std::make_pair(*some, *full);
}

QString trimmedText(const std::optional<QByteArray> &bytes)
{
    return bytes ? QString::fromUtf8(bytes->trimmed()) : QString();
}

} // namespace

ZunoKernelMemory::SystemCalls ZunoKernelMemory::systemCalls(const QString &root)
{
    const QString prefix = QDir::cleanPath(root) == QLatin1String("/") ? QString() : QDir::cleanPath(root);
    SystemCalls calls;
    calls.deviceOf = [prefix](const QString &path) -> std::optional<QString> {
        struct stat info { };
        if (::stat(QFile::encodeName(prefix + path).constData(), &info) != 0)
            return std::nullopt;
        const dev_t device = S_ISBLK(info.st_mode) ? info.st_rdev : info.st_dev;
        return QStringLiteral("%1:%2").arg(major(device)).arg(minor(device));
    };
    calls.volumeCapacity = [prefix](const QString &path) -> std::optional<VolumeCapacity> {
        struct statvfs info { };
        if (::statvfs(QFile::encodeName(prefix + path).constData(), &info) != 0)
            return std::nullopt;
        const auto bytes = [&](fsblkcnt_t blocks) {
            return saturatingMultiply(
                qint64(std::min<fsblkcnt_t>(blocks, std::numeric_limits<qint64>::max())),
                qint64(info.f_frsize));
        };
        return VolumeCapacity { bytes(info.f_blocks), bytes(info.f_bavail) };
    };
    return calls;
}

ZunoKernelMemory::ZunoKernelMemory(const QString &root, std::optional<SystemCalls> calls)
    : m_root(QDir::cleanPath(root) == QLatin1String("/") ? QString() : QDir::cleanPath(root))
    , m_calls(calls ? std::move(*calls) : systemCalls(root))
{
}

ZunoKernelMemory::Figures ZunoKernelMemory::read() const
{
    Figures figures;

    // Memory.
    const auto meminfo = readFile(m_root + QStringLiteral("/proc/meminfo"));
    const auto fields = meminfo ? meminfoFields(*meminfo) : QHash<QByteArray, qint64>();
    const auto total = fields.constFind("MemTotal");
    const auto available = fields.constFind("MemAvailable");
    if (total != fields.cend()) {
        figures.physicalTotal = saturatingMultiply(*total, kKiB);
    } else {
        const long pages = ::sysconf(_SC_PHYS_PAGES);
        const long pageSize = ::sysconf(_SC_PAGESIZE);
        figures.physicalTotal = pages > 0 && pageSize > 0 ? saturatingMultiply(pages, pageSize) : 0;
    }
    std::optional<double> availableShare;
    if (total != fields.cend() && available != fields.cend()) {
        const qint64 availableBytes = saturatingMultiply(*available, kKiB);
        figures.physicalUsed
            = std::clamp<qint64>(figures.physicalTotal - availableBytes, 0, figures.physicalTotal);
        if (*total > 0)
            availableShare = double(*available) / double(*total);
        // Compressed pages held in RAM: zswap's pool and each zram device's memory.
        qint64 compressed = saturatingMultiply(fields.value("Zswap", 0), kKiB);
        const QDir block(m_root + QStringLiteral("/sys/block"));
        for (const QString &name :
            block.entryList({ QStringLiteral("zram*") }, QDir::AllEntries | QDir::NoDotAndDotDot)) {
            const auto stat = readFile(block.filePath(name + QStringLiteral("/mm_stat")));
            bool ok = false;
            const qint64 used = stat ? stat->simplified().split(' ').value(2).toLongLong(&ok) : 0;
            if (ok && used > 0)
                compressed = saturatingAdd(compressed, used);
        }
        figures.compressed = std::max<qint64>(compressed, 0);
    }

    // Swap areas: "Filename Type Size Used Priority", sizes in KiB.
    if (const auto swaps = readFile(m_root + QStringLiteral("/proc/swaps"))) {
        bool allEncrypted = true;
        const QList<QByteArray> lines = swaps->split('\n');
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const QList<QByteArray> columns = lines[i].simplified().split(' ');
            if (columns.size() < 4)
                continue;
            figures.swapTotal
                = saturatingAdd(figures.swapTotal, saturatingMultiply(columns[2].toLongLong(), kKiB));
            figures.swapUsed
                = saturatingAdd(figures.swapUsed, saturatingMultiply(columns[3].toLongLong(), kKiB));
            // Swap that lives in RAM (zram) never reaches a disk, so it cannot leak in plain text.
            const QString path = unescapeOctal(columns[0]);
            if (allEncrypted && !isInRAM(path)) {
                const auto device = m_calls.deviceOf ? m_calls.deviceOf(path) : std::nullopt;
                allEncrypted = device && isOnDmCrypt(*device, 0);
            }
        }
        figures.swapEncrypted = allEncrypted;
    } else {
        figures.swapEncrypted = true;
    }

    // Pressure: the share of the last ten seconds that tasks spent waiting for memory.
    const auto pressure = readFile(m_root + QStringLiteral("/proc/pressure/memory"));
    const auto averages = pressure ? pressureAverages(*pressure) : std::nullopt;
    if (averages) {
        figures.pressureLevel = averages->second >= 10 ? QStringLiteral("critical")
            : averages->first >= 10                    ? QStringLiteral("warning")
                                                       : QStringLiteral("normal");
    } else if (availableShare) {
        figures.pressureLevel = *availableShare < 0.05 ? QStringLiteral("critical")
            : *availableShare < 0.10                   ? QStringLiteral("warning")
                                                       : QStringLiteral("normal");
    } else {
        figures.pressureLevel = QStringLiteral("normal");
    }
    return figures;
}

bool ZunoKernelMemory::isInRAM(const QString &swapPath)
{
    static const QRegularExpression zram(QStringLiteral("^/dev/zram[0-9]+$"));
    return zram.match(swapPath).hasMatch();
}

bool ZunoKernelMemory::isOnDmCrypt(const QString &device, int depth) const
{
    if (depth > kMaxDeviceDepth)
        return false;
    const QString folder = m_root + QStringLiteral("/sys/dev/block/") + device;
    if (trimmedText(readFile(folder + QStringLiteral("/dm/uuid"))).startsWith(QLatin1String("CRYPT-")))
        return true;
    const QDir slaves(folder + QStringLiteral("/slaves"));
    for (const QString &slave : slaves.entryList(QDir::AllEntries | QDir::NoDotAndDotDot)) {
        const QString parent = trimmedText(readFile(slaves.filePath(slave + QStringLiteral("/dev"))));
        if (!parent.isEmpty() && isOnDmCrypt(parent, depth + 1))
            return true;
    }
    return false;
}

std::optional<QString> ZunoKernelMemory::userMountPoint(const QString &name) const
{
    const struct passwd *user = ::getpwuid(::getuid());
    if (!user || !user->pw_name)
        return std::nullopt;
    const QString userName = QString::fromLocal8Bit(user->pw_name);
    const QString candidates[] = { QStringLiteral("/media/%1/%2").arg(userName, name),
        QStringLiteral("/run/media/%1/%2").arg(userName, name) };
    const auto mountinfo = readFile(m_root + QStringLiteral("/proc/self/mountinfo"));
    if (!mountinfo)
        return std::nullopt;
    QSet<QString> mountPoints;
    for (const QByteArray &line : mountinfo->split('\n')) {
        // "36 35 98:0 /root /mount/point options ...": the fifth field.
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() > 4)
            mountPoints.insert(unescapeOctal(fields[4]));
    }
    for (const QString &candidate : candidates) {
        if (mountPoints.contains(candidate))
            return candidate;
    }
    return std::nullopt;
}

std::optional<ZunoKernelMemory::VolumeCapacity> ZunoKernelMemory::volumeCapacity(
    const QString &mountPoint) const
{
    return m_calls.volumeCapacity ? m_calls.volumeCapacity(mountPoint) : std::nullopt;
}

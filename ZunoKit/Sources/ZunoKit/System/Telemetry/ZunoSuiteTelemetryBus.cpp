#include "ZunoSuiteTelemetryBus.h"

#include "ZunoAtomicFile.h"
#include "ZunoLiveStatusSupport.h"
#include "ZunoMainThread.h"
#include "ZunoPaths.h"
#include "ZunoSharedFileReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSet>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cerrno>
#include <csignal>

Q_LOGGING_CATEGORY(lcTelemetry, "com.quarnwell.zunokit.telemetry", QtInfoMsg)

namespace {

const QString kRAMFile = QStringLiteral("zunoram-live.json");
const QString kPulseFile = QStringLiteral("zunopulse-live.json");
const QString kKillFile = QStringLiteral("zunokill-live.json");
const QString kMixerFile = QStringLiteral("zunomixer-live.json");
const QString kMusicFile = QStringLiteral("zunomusic-live.json");
const QString kFocusFile = QStringLiteral("zunofocus-live.json");
const QString kTaskFile = QStringLiteral("zunotask-live.json");
// How old (or how far ahead) the RAM application's file may be for the memory summary.
constexpr double kSummaryMaxAgeSeconds = 18;

// The seven applications that publish a live file.
std::optional<QString> liveFileName(ZunoSuiteApp app)
{
    switch (app) {
    case ZunoSuiteApp::zunoKill:
        return kKillFile;
    case ZunoSuiteApp::zunoRAM:
        return kRAMFile;
    case ZunoSuiteApp::zunoPulse:
        return kPulseFile;
    case ZunoSuiteApp::zunoFocus:
        return kFocusFile;
    case ZunoSuiteApp::zunoTask:
        return kTaskFile;
    case ZunoSuiteApp::zunoMusic:
        return kMusicFile;
    case ZunoSuiteApp::zunoMixer:
        return kMixerFile;
    default:
        return std::nullopt;
    }
}

QString tileFileName(ZunoSuiteApp app)
{
    return rawValue(app).toLower() + QStringLiteral(".json");
}

// Live files are rewritten every second or so and need not outlive a crash: no flush to disk.
bool writeLiveFile(const QString &path, const QByteArray &bytes)
{
    QString failure;
    ZunoAtomicFile::Options options;
    options.sync = false;
    // The bus's own files are the user's alone, whatever mode an earlier file was left with.
    options.mode = 0600;
    if (ZunoAtomicFile::write(path, bytes, &failure, options))
        return true;
    qCWarning(lcTelemetry).noquote() << "cannot write" << path << ":" << failure;
    return false;
}

void removeFile(const QString &path)
{
    QFile file(path);
    if (file.exists() && !file.remove())
        qCWarning(lcTelemetry).noquote() << "cannot remove" << path << ":" << file.errorString();
}

// The RAM application's own pool folder, when its configuration names one: used as written, only
// trimmed; anything unreadable or not a non-blank string is ignored.
std::optional<QString> customPoolDirectory()
{
    const auto read = ZunoSharedFileReader::read(
        ZunoPaths::applicationSupport() + QStringLiteral("/ZunoRAM/config.json"));
    if (!read)
        return std::nullopt;
    const QByteArray &bytes = *read;
    const auto json = nlohmann::json::parse(bytes.constBegin(), bytes.constEnd(), nullptr, false);
    if (!json.is_object())
        return std::nullopt;
    const auto value = json.find("customPoolDirectory");
    if (value == json.end() || !value->is_string())
        return std::nullopt;
    const QString path = QString::fromStdString(value->get<std::string>()).trimmed();
    return path.isEmpty() ? std::nullopt : std::optional<QString>(path);
}

bool matchesTarget(const QRectF &dragged, const std::optional<QRectF> &target)
{
    if (!target)
        return false;
    if (!(dragged.width() > 1 && dragged.height() > 1 && target->width() > 1 && target->height() > 1))
        return false;
    const QPointF centre = dragged.center();
    if (centre.x() >= target->left() && centre.x() < target->right() && centre.y() >= target->top()
        && centre.y() < target->bottom())
        return true;
    const QRectF overlap = dragged.intersected(*target);
    if (overlap.isEmpty())
        return false;
    return overlap.width() * overlap.height() / (dragged.width() * dragged.height()) >= 0.22;
}

} // namespace

ZunoSuiteTelemetryBus &ZunoSuiteTelemetryBus::shared()
{
    static ZunoSuiteTelemetryBus bus;
    return bus;
}

ZunoSuiteTelemetryBus::ZunoSuiteTelemetryBus(
    std::optional<QString> baseDirectory, ZunoDistributedNotificationCenter *center, ZunoKernelMemory kernel)
    : m_folder(std::move(baseDirectory))
    , m_sharedCenter(center == nullptr)
    , m_center(center)
    , m_kernel(std::move(kernel))
{
}

ZunoDistributedNotificationCenter *ZunoSuiteTelemetryBus::center() const
{
    return m_sharedCenter ? ZunoDistributedNotificationCenter::shared() : m_center.data();
}

void ZunoSuiteTelemetryBus::postTelemetryUpdated() const
{
    auto *notifications = center();
    if (!notifications || !notifications->post(QString::fromLatin1(kTelemetryUpdatedNotification)))
        qCWarning(lcTelemetry) << "cannot post the telemetry notification";
}

template <typename Record>
bool ZunoSuiteTelemetryBus::publish(const QString &fileName, const Record &record) const
{
    QString failure;
    if (!m_folder.ensureSubfolder({}, &failure)) {
        qCWarning(lcTelemetry).noquote() << "cannot make the suite folder:" << failure;
        return false;
    }
    const auto bytes = ZunoLiveStatusSupport::encoded(record);
    if (!bytes) {
        qCWarning(lcTelemetry).noquote() << fileName << "not written: it holds a number JSON cannot express";
        return false;
    }
    return writeLiveFile(m_folder.filePath(fileName), *bytes);
}

bool ZunoSuiteTelemetryBus::publishRAMStatus(const ZunoRAMLiveStatus &status, bool notifyPeers) const
{
    const bool written = publish(kRAMFile, status);
    if (notifyPeers)
        postTelemetryUpdated();
    return written;
}

bool ZunoSuiteTelemetryBus::publishPulseStatus(const ZunoPulseLiveStatus &status) const
{
    return publish(kPulseFile, status);
}

bool ZunoSuiteTelemetryBus::publishKillStatus(const ZunoKillLiveStatus &status) const
{
    return publish(kKillFile, status);
}

bool ZunoSuiteTelemetryBus::publishMixerStatus(const ZunoMixerLiveStatus &status, bool notifyPeers) const
{
    const bool written = publish(kMixerFile, status);
    if (notifyPeers)
        postTelemetryUpdated();
    return written;
}

bool ZunoSuiteTelemetryBus::publishMusicStatus(const ZunoMusicLiveStatus &status, bool notifyPeers) const
{
    const bool written = publish(kMusicFile, status);
    if (notifyPeers)
        postTelemetryUpdated();
    return written;
}

bool ZunoSuiteTelemetryBus::publishFocusStatus(const ZunoFocusLiveStatus &status, bool notifyPeers) const
{
    const bool written = publish(kFocusFile, status);
    if (notifyPeers)
        postTelemetryUpdated();
    return written;
}

bool ZunoSuiteTelemetryBus::publishTaskStatus(const ZunoTaskLiveStatus &status, bool notifyPeers) const
{
    const bool written = publish(kTaskFile, status);
    if (notifyPeers)
        postTelemetryUpdated();
    return written;
}

bool ZunoSuiteTelemetryBus::publishLiveTile(const ZunoLiveActivityTile &tile, bool notifyPeers) const
{
    QString failure;
    const auto folder = m_folder.ensureSubfolder(QString::fromLatin1(kLiveTilesFolder), &failure);
    if (!folder)
        qCWarning(lcTelemetry).noquote() << "cannot make the live tiles folder:" << failure;
    const auto bytes = ZunoLiveStatusSupport::encoded(tile);
    if (!bytes) {
        qCWarning(lcTelemetry).noquote()
            << "the tile of" << tile.id() << "not written: it holds a number JSON cannot express";
        return false;
    }
    const bool written = folder && writeLiveFile(*folder + QLatin1Char('/') + tileFileName(tile.app), *bytes);
    if (notifyPeers)
        postTelemetryUpdated();
    return written;
}

template <typename Record>
std::optional<Record> ZunoSuiteTelemetryBus::read(
    const QString &fileName, const QDateTime &now, double maxAgeSeconds) const
{
    const auto bytes = ZunoSharedFileReader::read(m_folder.filePath(fileName));
    if (!bytes)
        return std::nullopt;
    auto record = ZunoLiveStatusSupport::decoded<Record>(*bytes);
    if (!record || !record->isFresh(now, maxAgeSeconds))
        return std::nullopt;
    return record;
}

std::optional<ZunoRAMLiveStatus> ZunoSuiteTelemetryBus::readRAMStatus(
    const QDateTime &now, double maxAge) const
{
    return read<ZunoRAMLiveStatus>(kRAMFile, now, maxAge);
}

std::optional<ZunoPulseLiveStatus> ZunoSuiteTelemetryBus::readPulseStatus(
    const QDateTime &now, double maxAge) const
{
    return read<ZunoPulseLiveStatus>(kPulseFile, now, maxAge);
}

std::optional<ZunoKillLiveStatus> ZunoSuiteTelemetryBus::readKillStatus(
    const QDateTime &now, double maxAge) const
{
    return read<ZunoKillLiveStatus>(kKillFile, now, maxAge);
}

std::optional<ZunoMixerLiveStatus> ZunoSuiteTelemetryBus::readMixerStatus(
    const QDateTime &now, double maxAge) const
{
    return read<ZunoMixerLiveStatus>(kMixerFile, now, maxAge);
}

std::optional<ZunoMusicLiveStatus> ZunoSuiteTelemetryBus::readMusicStatus(
    const QDateTime &now, double maxAge) const
{
    return read<ZunoMusicLiveStatus>(kMusicFile, now, maxAge);
}

std::optional<ZunoFocusLiveStatus> ZunoSuiteTelemetryBus::readFocusStatus(
    const QDateTime &now, double maxAge) const
{
    return read<ZunoFocusLiveStatus>(kFocusFile, now, maxAge);
}

std::optional<ZunoTaskLiveStatus> ZunoSuiteTelemetryBus::readTaskStatus(
    const QDateTime &now, double maxAge) const
{
    return read<ZunoTaskLiveStatus>(kTaskFile, now, maxAge);
}

QList<ZunoLiveActivityTile> ZunoSuiteTelemetryBus::readLiveTiles(
    const QDateTime &now, double maxAgeSeconds) const
{
    // The directory's own order; hidden files are left out of the listing.
    const QDir folder(m_folder.filePath(QString::fromLatin1(kLiveTilesFolder)));
    const QFileInfoList entries = folder.entryInfoList(QDir::Files | QDir::NoDotAndDotDot, QDir::Unsorted);
    QList<ZunoLiveActivityTile> tiles;
    for (const QFileInfo &entry : entries) {
        if (entry.fileName().startsWith(QLatin1Char('.'))
            || entry.suffix().toLower() != QLatin1String("json"))
            continue;
        const auto bytes = ZunoSharedFileReader::read(entry.filePath());
        if (!bytes)
            continue;
        auto tile = ZunoLiveStatusSupport::decoded<ZunoLiveActivityTile>(*bytes);
        if (tile && tile->isFresh(now, maxAgeSeconds))
            tiles.append(std::move(*tile));
    }
    std::stable_sort(
        tiles.begin(), tiles.end(), [](const ZunoLiveActivityTile &a, const ZunoLiveActivityTile &b) {
            if (a.priority != b.priority)
                return a.priority > b.priority;
            return a.timestamp > b.timestamp;
        });
    return tiles;
}

void ZunoSuiteTelemetryBus::clearStatus(ZunoSuiteApp app) const
{
    if (const auto name = liveFileName(app))
        removeFile(m_folder.filePath(*name));
}

void ZunoSuiteTelemetryBus::clearLiveTile(ZunoSuiteApp app) const
{
    removeFile(
        m_folder.filePath(QString::fromLatin1(kLiveTilesFolder)) + QLatin1Char('/') + tileFileName(app));
}

bool ZunoSuiteTelemetryBus::isPIDAlive(qint32 pid)
{
    if (pid <= 0)
        return false;
    return ::kill(pid, 0) == 0 || errno == EPERM;
}

ZunoSuiteTelemetryBus::Token ZunoSuiteTelemetryBus::observeTelemetryUpdates(
    std::function<void()> handler) const
{
    auto *notifications = center();
    if (!notifications)
        return 0;
    return notifications->addObserver(QString::fromLatin1(kTelemetryUpdatedNotification),
        [notifications, handler = std::move(handler)](
            const QString &, const QString &) { ZunoMainThread::post(notifications, handler); });
}

void ZunoSuiteTelemetryBus::postFocusDockHoverTarget(const std::optional<QString> &target) const
{
    auto *notifications = center();
    if (!notifications
        || !notifications->post(
            QString::fromLatin1(kFocusDockHoverNotification), target.value_or(QStringLiteral("none"))))
        qCWarning(lcTelemetry) << "cannot post the focus-dock hover target";
}

ZunoSuiteTelemetryBus::Token ZunoSuiteTelemetryBus::observeFocusDockHover(
    std::function<void(const std::optional<QString> &target)> handler) const
{
    auto *notifications = center();
    if (!notifications)
        return 0;
    return notifications->addObserver(QString::fromLatin1(kFocusDockHoverNotification),
        [notifications, handler = std::move(handler)](const QString &, const QString &object) {
            // Case matters: "Mini" is no target.
            const bool known = object == QLatin1String("mini") || object == QLatin1String("studio");
            const std::optional<QString> target = known ? std::optional<QString>(object) : std::nullopt;
            ZunoMainThread::post(notifications, [handler, target] { handler(target); });
        });
}

void ZunoSuiteTelemetryBus::removeObserver(Token token) const
{
    if (auto *notifications = center())
        notifications->removeObserver(token);
}

std::optional<QString> ZunoSuiteTelemetryBus::detectDockDropTarget(const QRectF &draggedFrame,
    const std::optional<QRectF> &miniTarget, const std::optional<QRectF> &studioTarget)
{
    if (matchesTarget(draggedFrame, miniTarget))
        return QStringLiteral("mini");
    if (matchesTarget(draggedFrame, studioTarget))
        return QStringLiteral("studio");
    return std::nullopt;
}

ZunoKernelMemory::Figures ZunoSuiteTelemetryBus::readKernelMemoryAndSwap() const
{
    return m_kernel.read();
}

ZunoSuiteTelemetryBus::SparseDisks ZunoSuiteTelemetryBus::detectMountedZunoRAMSparseDisks() const
{
    QStringList folders { ZunoPaths::caches() + QStringLiteral("/ZunoRAM/Pools") };
    if (const auto custom = customPoolDirectory())
        folders << *custom;
    SparseDisks disks;
    QSet<QString> seen;
    for (const QString &folder : std::as_const(folders)) {
        const QFileInfoList entries
            = QDir(folder).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Unsorted);
        for (const QFileInfo &entry : entries) {
            const QString suffix = entry.suffix();
            if (entry.fileName().startsWith(QLatin1Char('.'))
                || suffix.toLower() != QLatin1String("sparsebundle"))
                continue;
            // A name counts once, even when the second folder holds a bundle of that name.
            const QString name = entry.fileName().chopped(suffix.size() + 1);
            if (seen.contains(name))
                continue;
            seen.insert(name);
            const auto mountPoint = m_kernel.userMountPoint(name);
            const auto capacity = mountPoint ? m_kernel.volumeCapacity(*mountPoint) : std::nullopt;
            if (!capacity || capacity->total < 1)
                continue;
            ++disks.count;
            disks.totalCapacityBytes
                = ZunoLiveStatusSupport::saturatingSum(disks.totalCapacityBytes, capacity->total);
            disks.usedBytes = ZunoLiveStatusSupport::saturatingSum(
                disks.usedBytes, std::max<qint64>(0, capacity->total - capacity->available));
            disks.names << name;
        }
    }
    return disks;
}

ZunoVirtualMemorySummary ZunoSuiteTelemetryBus::readVirtualMemorySummary(const QDateTime &now) const
{
    const ZunoKernelMemory::Figures kernel = readKernelMemoryAndSwap();
    if (const auto ram = readRAMStatus(now, kSummaryMaxAgeSeconds)) {
        const auto positiveOr
            = [](qint64 fromFile, qint64 fromKernel) { return fromFile > 0 ? fromFile : fromKernel; };
        return ZunoVirtualMemorySummary(positiveOr(ram->physicalTotalBytes, kernel.physicalTotal),
            positiveOr(ram->physicalUsedBytes, kernel.physicalUsed),
            positiveOr(ram->compressedBytes, kernel.compressed),
            std::max(kernel.swapTotal, ram->swapTotalBytes), std::max(kernel.swapUsed, ram->swapUsedBytes),
            ram->swapFileCount, ram->swapEncrypted, ram->pressureLevel, true, ram->activeDiskPoolCount,
            ram->diskPoolVirtualBytes, ram->diskPoolActualDiskBytes, ram->diskPoolNames,
            ram->mountedSparseDiskCount, ram->sparseDiskVirtualBytes, ram->sparseDiskActualBytes,
            ram->sparseDiskNames, ram->mountedRAMDiskCount, ram->ramDiskTotalBytes, ram->ramDiskNames,
            ram->frozenAppCount, ram->frozenPIDs, ram->reclaimedFromFrozenBytes);
    }
    const SparseDisks sparse = detectMountedZunoRAMSparseDisks();
    return ZunoVirtualMemorySummary(kernel.physicalTotal, kernel.physicalUsed, kernel.compressed,
        kernel.swapTotal, kernel.swapUsed, 0, kernel.swapEncrypted, kernel.pressureLevel, false, 0, 0, 0, {},
        sparse.count, sparse.totalCapacityBytes, sparse.usedBytes, sparse.names, 0, 0, {}, 0, {}, 0);
}

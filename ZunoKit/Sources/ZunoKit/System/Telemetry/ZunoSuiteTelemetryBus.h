#pragma once

#include "ZunoDistributedNotificationCenter.h"
#include "ZunoFocusLiveStatus.h"
#include "ZunoKernelMemory.h"
#include "ZunoKillLiveStatus.h"
#include "ZunoLiveActivityTile.h"
#include "ZunoMixerLiveStatus.h"
#include "ZunoMusicLiveStatus.h"
#include "ZunoPulseLiveStatus.h"
#include "ZunoRAMLiveStatus.h"
#include "ZunoSuiteApp.h"
#include "ZunoSuiteFolder.h"
#include "ZunoTaskLiveStatus.h"
#include "ZunoVirtualMemorySummary.h"

#include <QDateTime>
#include <QList>
#include <QPointer>
#include <QRectF>
#include <QString>

#include <functional>
#include <optional>

// How the suite's applications share live status: each publisher writes its record as one JSON file
// into the suite folder (`ZunoSuiteFolder`), and may wake its peers with a distributed notification;
// readers accept a file only while it is recent and its publisher still runs. One tile per
// application sits in "LiveTiles" for dashboards. Also carries the focus-dock hover signal and the
// rule that picks the dock target a dragged frame lands on.
//
// No operation reports an error: failed folder creation, encoding, writes and removals are logged and
// otherwise ignored; a read gives none for a missing, unreadable, undecodable or stale file. Nothing is
// cached and there is no lock: file work runs on the caller's thread. Observers are called on the
// main thread, one queued call per notification.
class ZunoSuiteTelemetryBus {
public:
    static constexpr char kTelemetryUpdatedNotification[] = "com.quarnwell.suite.telemetryUpdated";
    static constexpr char kFocusDockHoverNotification[] = "com.quarnwell.suite.focusDockHover";
    static constexpr char kLiveTilesFolder[] = "LiveTiles";

    using Token = ZunoDistributedNotificationCenter::Token;

    // The process's bus on the default suite folder and the session's notification centre.
    static ZunoSuiteTelemetryBus &shared();

    // A given base folder is used as it is. Without a `center`, the session's shared centre is
    // looked up at each post or observation. `kernel` reads the memory figures (the real system's
    // by default). Touches no file.
    explicit ZunoSuiteTelemetryBus(std::optional<QString> baseDirectory = std::nullopt,
        ZunoDistributedNotificationCenter *center = nullptr, ZunoKernelMemory kernel = ZunoKernelMemory());

    QString baseDirectory() const { return m_folder.path(); }

    // Each answers whether the file was written. With `notifyPeers`, the telemetry notification is
    // posted even when the write failed.
    bool publishRAMStatus(const ZunoRAMLiveStatus &status, bool notifyPeers) const;
    bool publishPulseStatus(const ZunoPulseLiveStatus &status) const;
    bool publishKillStatus(const ZunoKillLiveStatus &status) const;
    bool publishMixerStatus(const ZunoMixerLiveStatus &status, bool notifyPeers) const;
    bool publishMusicStatus(const ZunoMusicLiveStatus &status, bool notifyPeers) const;
    bool publishFocusStatus(const ZunoFocusLiveStatus &status, bool notifyPeers) const;
    bool publishTaskStatus(const ZunoTaskLiveStatus &status, bool notifyPeers) const;
    // A tile that cannot be encoded is neither written nor announced.
    bool publishLiveTile(const ZunoLiveActivityTile &tile, bool notifyPeers) const;

    std::optional<ZunoRAMLiveStatus> readRAMStatus(const QDateTime &now, double maxAgeSeconds) const;
    std::optional<ZunoPulseLiveStatus> readPulseStatus(const QDateTime &now, double maxAgeSeconds) const;
    std::optional<ZunoKillLiveStatus> readKillStatus(const QDateTime &now, double maxAgeSeconds) const;
    std::optional<ZunoMixerLiveStatus> readMixerStatus(const QDateTime &now, double maxAgeSeconds) const;
    std::optional<ZunoMusicLiveStatus> readMusicStatus(const QDateTime &now, double maxAgeSeconds) const;
    std::optional<ZunoFocusLiveStatus> readFocusStatus(const QDateTime &now, double maxAgeSeconds) const;
    std::optional<ZunoTaskLiveStatus> readTaskStatus(const QDateTime &now, double maxAgeSeconds) const;
    // The fresh tiles, higher priority first, then later timestamp first, else in listing order.
    // Stale files stay where they are.
    QList<ZunoLiveActivityTile> readLiveTiles(const QDateTime &now, double maxAgeSeconds) const;

    // Removes the application's live file, if it has one; no notification.
    void clearStatus(ZunoSuiteApp app) const;
    void clearLiveTile(ZunoSuiteApp app) const;

    // A process of that identifier exists (signalling it may be forbidden); false for 0 and below.
    static bool isPIDAlive(qint32 pid);

    // 0 when there is no notification centre. Stop with `removeObserver`.
    Token observeTelemetryUpdates(std::function<void()> handler) const;
    // Posts the target word, "none" when absent.
    void postFocusDockHoverTarget(const std::optional<QString> &target) const;
    // The handler gets "mini" or "studio" for exactly those words, none for anything else.
    Token observeFocusDockHover(std::function<void(const std::optional<QString> &target)> handler) const;
    void removeObserver(Token token) const;

    // Memory now: the kernel's figures, with the RAM application's live file when it is fresh (18 s
    // either way, its sender alive), else with the scan for its mounted pool images. Synchronous, any
    // thread, never fails.
    ZunoVirtualMemorySummary readVirtualMemorySummary(const QDateTime &now) const;

    // "mini" or "studio", whichever target (mini first) the dragged frame's centre lies in or covers
    // with at least 22 % of the frame's area; frames 1 point or less across never match.
    static std::optional<QString> detectDockDropTarget(const QRectF &draggedFrame,
        const std::optional<QRectF> &miniTarget, const std::optional<QRectF> &studioTarget);

private:
    struct SparseDisks {
        qint64 count = 0;
        qint64 totalCapacityBytes = 0;
        qint64 usedBytes = 0;
        QStringList names;
    };

    ZunoKernelMemory::Figures readKernelMemoryAndSwap() const;
    // The RAM application's pool images (".sparsebundle") in its pool folders that udisks has
    // mounted for this user.
    SparseDisks detectMountedZunoRAMSparseDisks() const;
    ZunoDistributedNotificationCenter *center() const;
    void postTelemetryUpdated() const;
    template <typename Record> bool publish(const QString &fileName, const Record &record) const;
    template <typename Record>
    std::optional<Record> read(const QString &fileName, const QDateTime &now, double maxAgeSeconds) const;

    ZunoSuiteFolder m_folder;
    bool m_sharedCenter;
    QPointer<ZunoDistributedNotificationCenter> m_center;
    ZunoKernelMemory m_kernel;
};

#include "Telemetry.h"

#include "ZunoJson.h"
#include "ZunoLiveStatusSupport.h"
#include "ZunoSuiteTelemetryBus.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using Json = nlohmann::json;

const QStringList kKinds = { "ram", "pulse", "kill", "mixer", "music", "focus", "task", "tile", "tiles" };

int usage()
{
    std::fprintf(stderr,
        "usage: SuiteBusDemo publish ram|pulse|kill|mixer|music|focus|task|tile --json FILE [--pid N] "
        "[--notify]\n"
        "       SuiteBusDemo read ram|pulse|kill|mixer|music|focus|task|tiles [--max-age S]\n"
        "       SuiteBusDemo watch\n"
        "       SuiteBusDemo hover mini|studio|none\n"
        "       SuiteBusDemo summary [--json] [--root DIR] [--repeat N]\n");
    return 2;
}

void printLine(const QByteArray &line)
{
    std::printf("%s\n", line.constData());
    std::fflush(stdout);
}

struct Arguments {
    QString kind;
    QString jsonFile;
    std::optional<qint32> pid;
    bool notify = false;
    double maxAge = 15;
    bool ok = true;
};

Arguments parse(const QStringList &list)
{
    Arguments arguments;
    if (list.isEmpty() || !kKinds.contains(list.first())) {
        arguments.ok = false;
        return arguments;
    }
    arguments.kind = list.first();
    for (qsizetype i = 1; i < list.size() && arguments.ok; ++i) {
        const QString &option = list[i];
        const bool hasValue = i + 1 < list.size();
        bool number = true;
        if (option == QLatin1String("--notify")) {
            arguments.notify = true;
        } else if (option == QLatin1String("--json") && hasValue) {
            arguments.jsonFile = list[++i];
        } else if (option == QLatin1String("--pid") && hasValue) {
            arguments.pid = list[++i].toInt(&number);
        } else if (option == QLatin1String("--max-age") && hasValue) {
            arguments.maxAge = list[++i].toDouble(&number);
        } else {
            arguments.ok = false;
        }
        arguments.ok = arguments.ok && number;
    }
    return arguments;
}

// A round trip to the bus daemon: signals sent before it have reached the daemon once it returns,
// so the process may exit without losing them.
void flushBus()
{
    if (auto *bus = QDBusConnection::sessionBus().interface())
        bus->isServiceRegistered(QStringLiteral("org.freedesktop.DBus"));
}

template <typename Record> std::optional<Record> recordFrom(const Json &json)
{
    return ZunoLiveStatusSupport::decoded<Record>(QByteArray::fromStdString(json.dump()));
}

enum class Published { notDecoded, failed, written };

template <typename Record>
Published publishWith(const Json &json, const std::function<bool(const Record &)> &publish)
{
    const auto record = recordFrom<Record>(json);
    if (!record)
        return Published::notDecoded;
    return publish(*record) ? Published::written : Published::failed;
}

int publish(const Arguments &arguments)
{
    if (arguments.jsonFile.isEmpty() || arguments.kind == QLatin1String("tiles"))
        return usage();
    QFile file(arguments.jsonFile);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(
            stderr, "cannot read %s: %s\n", qPrintable(arguments.jsonFile), qPrintable(file.errorString()));
        return 1;
    }
    Json json = Json::parse(file.readAll().toStdString(), nullptr, false);
    if (!json.is_object()) {
        std::fprintf(stderr, "%s does not hold a JSON object\n", qPrintable(arguments.jsonFile));
        return 1;
    }
    if (!json.contains("timestamp"))
        json["timestamp"] = ZunoJson::internetDateJson(QDateTime::currentDateTimeUtc());
    if (!json.contains("senderPID"))
        json["senderPID"] = arguments.pid.value_or(qint32(QCoreApplication::applicationPid()));

    const ZunoSuiteTelemetryBus &bus = ZunoSuiteTelemetryBus::shared();
    const bool notify = arguments.notify;
    const QString &kind = arguments.kind;
    Published published = Published::notDecoded;
    if (kind == QLatin1String("ram"))
        published = publishWith<ZunoRAMLiveStatus>(
            json, [&](const auto &r) { return bus.publishRAMStatus(r, notify); });
    else if (kind == QLatin1String("pulse"))
        published = publishWith<ZunoPulseLiveStatus>(
            json, [&](const auto &r) { return bus.publishPulseStatus(r); });
    else if (kind == QLatin1String("kill"))
        published
            = publishWith<ZunoKillLiveStatus>(json, [&](const auto &r) { return bus.publishKillStatus(r); });
    else if (kind == QLatin1String("mixer"))
        published = publishWith<ZunoMixerLiveStatus>(
            json, [&](const auto &r) { return bus.publishMixerStatus(r, notify); });
    else if (kind == QLatin1String("music"))
        published = publishWith<ZunoMusicLiveStatus>(
            json, [&](const auto &r) { return bus.publishMusicStatus(r, notify); });
    else if (kind == QLatin1String("focus"))
        published = publishWith<ZunoFocusLiveStatus>(
            json, [&](const auto &r) { return bus.publishFocusStatus(r, notify); });
    else if (kind == QLatin1String("task"))
        published = publishWith<ZunoTaskLiveStatus>(
            json, [&](const auto &r) { return bus.publishTaskStatus(r, notify); });
    else if (kind == QLatin1String("tile"))
        published = publishWith<ZunoLiveActivityTile>(
            json, [&](const auto &r) { return bus.publishLiveTile(r, notify); });
    if (published == Published::notDecoded) {
        std::fprintf(stderr, "%s is not a %s record\n", qPrintable(arguments.jsonFile), qPrintable(kind));
        return 1;
    }
    if (published == Published::failed) {
        std::fprintf(stderr, "the %s record could not be written to %s\n", qPrintable(kind),
            qPrintable(bus.baseDirectory()));
        flushBus();
        return 1;
    }
    if (notify && (kind == QLatin1String("pulse") || kind == QLatin1String("kill")))
        std::fprintf(stderr, "note: %s status never notifies its peers\n", qPrintable(kind));
    flushBus();
    return 0;
}

template <typename Record> void printRecord(const std::optional<Record> &record)
{
    printLine(record ? QByteArray::fromStdString(record->toJson().dump()) : QByteArray("absent"));
}

int read(const Arguments &arguments)
{
    const ZunoSuiteTelemetryBus &bus = ZunoSuiteTelemetryBus::shared();
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const double maxAge = arguments.maxAge;
    const QString &kind = arguments.kind;
    if (kind == QLatin1String("ram"))
        printRecord(bus.readRAMStatus(now, maxAge));
    else if (kind == QLatin1String("pulse"))
        printRecord(bus.readPulseStatus(now, maxAge));
    else if (kind == QLatin1String("kill"))
        printRecord(bus.readKillStatus(now, maxAge));
    else if (kind == QLatin1String("mixer"))
        printRecord(bus.readMixerStatus(now, maxAge));
    else if (kind == QLatin1String("music"))
        printRecord(bus.readMusicStatus(now, maxAge));
    else if (kind == QLatin1String("focus"))
        printRecord(bus.readFocusStatus(now, maxAge));
    else if (kind == QLatin1String("task"))
        printRecord(bus.readTaskStatus(now, maxAge));
    else if (kind == QLatin1String("tiles")) {
        const auto tiles = bus.readLiveTiles(now, maxAge);
        if (tiles.isEmpty())
            printLine("absent");
        for (const ZunoLiveActivityTile &tile : tiles)
            printLine(QByteArray::fromStdString(tile.toJson().dump()));
    } else
        return usage();
    return 0;
}

int watch(QCoreApplication &app)
{
    const ZunoSuiteTelemetryBus &bus = ZunoSuiteTelemetryBus::shared();
    if (!QDBusConnection::sessionBus().isConnected()) {
        std::fprintf(stderr, "no D-Bus session bus\n");
        return 1;
    }
    bus.observeTelemetryUpdates([] { printLine("telemetryUpdated"); });
    bus.observeFocusDockHover([](const std::optional<QString> &target) {
        printLine("focusDockHover " + (target ? target->toUtf8() : QByteArray("absent")));
    });
    return app.exec();
}

int hover(const QStringList &arguments)
{
    if (arguments.size() != 1)
        return usage();
    const QString &word = arguments.first();
    if (word != QLatin1String("mini") && word != QLatin1String("studio") && word != QLatin1String("none"))
        return usage();
    ZunoSuiteTelemetryBus::shared().postFocusDockHoverTarget(
        word == QLatin1String("none") ? std::nullopt : std::optional<QString>(word));
    flushBus();
    return 0;
}

Json stringList(const QStringList &list)
{
    Json array = Json::array();
    for (const QString &item : list)
        array.push_back(item.toStdString());
    return array;
}

Json summaryJson(const ZunoVirtualMemorySummary &s)
{
    return Json {
        { "physicalTotalBytes", s.physicalTotalBytes },
        { "physicalUsedBytes", s.physicalUsedBytes },
        { "compressedBytes", s.compressedBytes },
        { "swapTotalBytes", s.swapTotalBytes },
        { "swapUsedBytes", s.swapUsedBytes },
        { "swapFileCount", s.swapFileCount },
        { "swapEncrypted", s.swapEncrypted },
        { "pressureLevel", s.pressureLevel.toStdString() },
        { "isZunoRAMRunning", s.isZunoRAMRunning },
        { "activeDiskPoolCount", s.activeDiskPoolCount },
        { "diskPoolVirtualBytes", s.diskPoolVirtualBytes },
        { "diskPoolActualDiskBytes", s.diskPoolActualDiskBytes },
        { "diskPoolNames", stringList(s.diskPoolNames) },
        { "mountedSparseDiskCount", s.mountedSparseDiskCount },
        { "sparseDiskVirtualBytes", s.sparseDiskVirtualBytes },
        { "sparseDiskActualBytes", s.sparseDiskActualBytes },
        { "sparseDiskNames", stringList(s.sparseDiskNames) },
        { "mountedRAMDiskCount", s.mountedRAMDiskCount },
        { "ramDiskTotalBytes", s.ramDiskTotalBytes },
        { "ramDiskNames", stringList(s.ramDiskNames) },
        { "frozenAppCount", s.frozenAppCount },
        { "frozenPIDs", ZunoLiveStatusSupport::int32ListJson(s.frozenPIDs) },
        { "reclaimedFromFrozenBytes", s.reclaimedFromFrozenBytes },
        { "isZunoRAMVirtualExpansionActive", s.isZunoRAMVirtualExpansionActive() },
        { "isAnyVirtualMemoryActive", s.isAnyVirtualMemoryActive() },
        { "isSwapActive", s.isSwapActive() },
        { "physicalUsedPercent", s.physicalUsedPercent() },
        { "swapUsedPercent", s.swapUsedPercent() },
        { "totalZunoRAMVirtualCapacityBytes", s.totalZunoRAMVirtualCapacityBytes() },
        { "totalVirtualAllocatedBytes", s.totalVirtualAllocatedBytes() },
        { "totalVirtualUsedBytes", s.totalVirtualUsedBytes() },
        { "virtualUsedPercent", s.virtualUsedPercent() },
        { "totalEffectiveMemoryCapacityBytes", s.totalEffectiveMemoryCapacityBytes() },
        { "totalEffectiveUsedBytes", s.totalEffectiveUsedBytes() },
        { "compactBadgeText", s.compactBadgeText().toStdString() },
        { "virtualSpaceUsageText", s.virtualSpaceUsageText().toStdString() },
        { "compactVirtualUsedToken", s.compactVirtualUsedToken().toStdString() },
    };
}

int summary(const QStringList &list)
{
    bool asJson = false;
    QString root = QStringLiteral("/");
    int repeat = 0;
    for (qsizetype i = 0; i < list.size(); ++i) {
        bool ok = true;
        if (list[i] == QLatin1String("--json"))
            asJson = true;
        else if (list[i] == QLatin1String("--root") && i + 1 < list.size())
            root = list[++i];
        else if (list[i] == QLatin1String("--repeat") && i + 1 < list.size())
            repeat = list[++i].toInt(&ok);
        else
            ok = false;
        if (!ok || repeat < 0)
            return usage();
    }
    const ZunoSuiteTelemetryBus bus(std::nullopt, nullptr, ZunoKernelMemory(root));
    const ZunoVirtualMemorySummary result = bus.readVirtualMemorySummary(QDateTime::currentDateTimeUtc());
    const Json json = summaryJson(result);
    if (asJson) {
        printLine(QByteArray::fromStdString(json.dump()));
    } else {
        // In the record's order, not nlohmann's sorted one.
        for (const char *key :
            { "physicalTotalBytes", "physicalUsedBytes", "compressedBytes", "swapTotalBytes", "swapUsedBytes",
                "swapFileCount", "swapEncrypted", "pressureLevel", "isZunoRAMRunning", "activeDiskPoolCount",
                "diskPoolVirtualBytes", "diskPoolActualDiskBytes", "diskPoolNames", "mountedSparseDiskCount",
                "sparseDiskVirtualBytes", "sparseDiskActualBytes", "sparseDiskNames", "mountedRAMDiskCount",
                "ramDiskTotalBytes", "ramDiskNames", "frozenAppCount", "frozenPIDs",
                "reclaimedFromFrozenBytes", "isZunoRAMVirtualExpansionActive", "isAnyVirtualMemoryActive",
                "isSwapActive", "physicalUsedPercent", "swapUsedPercent", "totalZunoRAMVirtualCapacityBytes",
                "totalVirtualAllocatedBytes", "totalVirtualUsedBytes", "virtualUsedPercent",
                "totalEffectiveMemoryCapacityBytes", "totalEffectiveUsedBytes", "compactBadgeText",
                "virtualSpaceUsageText", "compactVirtualUsedToken" })
            printLine(QByteArray(key) + ": " + QByteArray::fromStdString(json.at(key).dump()));
    }
    if (repeat > 0) {
        std::vector<qint64> nanoseconds;
        nanoseconds.reserve(repeat);
        for (int i = 0; i < repeat; ++i) {
            QElapsedTimer timer;
            timer.start();
            const auto again = bus.readVirtualMemorySummary(QDateTime::currentDateTimeUtc());
            nanoseconds.push_back(timer.nsecsElapsed());
            (void)again;
        }
        std::nth_element(nanoseconds.begin(), nanoseconds.begin() + repeat / 2, nanoseconds.end());
        std::fprintf(stderr, "median read of %d: %.3f ms\n", repeat, double(nanoseconds[repeat / 2]) / 1e6);
    }
    return 0;
}

} // namespace

bool isTelemetryCommand(const QString &command)
{
    return QStringList { "publish", "read", "watch", "hover", "summary" }.contains(command);
}

int runTelemetryCommand(const QString &command, const QStringList &arguments)
{
    if (command == QLatin1String("watch"))
        return arguments.isEmpty() ? watch(*QCoreApplication::instance()) : usage();
    if (command == QLatin1String("hover"))
        return hover(arguments);
    if (command == QLatin1String("summary"))
        return summary(arguments);
    const Arguments parsed = parse(arguments);
    if (!parsed.ok)
        return usage();
    if (command == QLatin1String("publish"))
        return publish(parsed);
    if (command == QLatin1String("read"))
        return read(parsed);
    return usage();
}

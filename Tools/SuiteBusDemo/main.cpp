// Shows the suite registry and command vocabulary as this desktop sees them, drives the
// command-line bridge and the command bus, and publishes, reads and watches live status on the
// telemetry bus.
#include "Telemetry.h"
#include "ZunoSuiteApp.h"
#include "ZunoSuiteCLIBridge.h"
#include "ZunoSuiteCommandBus.h"
#include "ZunoSuiteCommandKind.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QProcess>
#include <QSet>
#include <QStringList>
#include <QTimer>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <vector>

namespace {

void printLine(const QString &line)
{
    std::printf("%s\n", line.toUtf8().constData());
}

// The usage, to stdout when asked for with --help (and 0), else to stderr (and 2).
int usage(bool asked = false)
{
    std::fprintf(asked ? stdout : stderr,
        "usage: SuiteBusDemo apps | kinds\n"
        "       SuiteBusDemo invocation --kind K [--pid N] [--name S] [--payload S]\n"
        "       SuiteBusDemo run --app RAW [--timeout S] [--extra-dir D]... -- ARGS...\n"
        "       SuiteBusDemo listen --app RAW [--count N] [--seconds S]\n"
        "       SuiteBusDemo send --from RAW --to RAW --kind K [--pid N] [--name S] [--payload S]\n"
        "                         [--no-launch] [--no-front]\n"
        "       SuiteBusDemo execute (as send) [--timeout S] [--extra-dir D]...\n"
        "       SuiteBusDemo stress --to RAW --senders K --count M\n"
        "       SuiteBusDemo publish|read|watch|hover ... (telemetry; see their own usage)\n");
    return asked ? 0 : 2;
}

// "--key value" and "--key=value" options; repeated keys keep every value; "--" ends them.
struct Options {
    std::multimap<QString, QString> values;
    QSet<QString> flags;
    QStringList rest;
    bool ok = true;

    bool has(const QString &flag) const { return flags.contains(flag); }

    std::optional<QString> value(const QString &key) const
    {
        const auto it = values.find(key);
        return it == values.end() ? std::nullopt : std::optional<QString>(it->second);
    }
    QStringList all(const QString &key) const
    {
        QStringList found;
        for (auto [it, end] = values.equal_range(key); it != end; ++it)
            found << it->second;
        return found;
    }
};

Options parse(const QStringList &arguments)
{
    Options options;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (argument == QLatin1String("--")) {
            options.rest = arguments.mid(i + 1);
            break;
        }
        if (!argument.startsWith(QLatin1String("--"))) {
            options.ok = false;
            break;
        }
        const qsizetype equals = argument.indexOf(QLatin1Char('='));
        if (argument == QLatin1String("--no-launch") || argument == QLatin1String("--no-front")) {
            options.flags.insert(argument.mid(2));
        } else if (equals > 0) {
            options.values.emplace(argument.mid(2, equals - 2), argument.mid(equals + 1));
        } else if (i + 1 < arguments.size()) {
            options.values.emplace(argument.mid(2), arguments[++i]);
        } else {
            options.ok = false;
        }
    }
    return options;
}

QString transportText(const ZunoSuiteCommandTransport &transport)
{
    using Route = ZunoSuiteCommandTransport::Route;
    switch (transport.route) {
    case Route::cli:
        return QStringLiteral("cli(%1)").arg(transport.binaryName);
    case Route::liveDaemonSilentIPC:
        return QStringLiteral("liveDaemonSilentIPC");
    case Route::guiLaunch:
        return QStringLiteral("guiLaunch");
    case Route::unavailable:
        return QStringLiteral("unavailable");
    }
    return {};
}

int apps()
{
    for (const ZunoSuiteApp app : ZunoSuiteApps::allCases()) {
        printLine(QStringList { rawValue(app), bundleIdentifier(app),
            installedURL(app).value_or(QStringLiteral("-")),
            isRunning(app) ? QStringLiteral("running") : QStringLiteral("-"),
            cliBinaryNames(app).join(QLatin1Char(',')) }
                      .join(QLatin1Char('\t')));
    }
    return 0;
}

int kinds()
{
    for (const ZunoSuiteCommandKind kind : ZunoSuiteCommandKinds::allCases())
        printLine(rawValue(kind) + QLatin1Char('\t') + rawValue(executionStyle(kind)));
    return 0;
}

int invocation(const Options &options)
{
    const auto kind
        = ZunoSuiteCommandKinds::fromRawValue(options.value(QStringLiteral("kind")).value_or(QString()));
    if (!kind || !options.rest.isEmpty())
        return usage();
    ZunoSuiteCommandEnvelope envelope;
    envelope.id = QUuid::createUuid();
    envelope.timestamp = QDateTime::currentDateTimeUtc();
    envelope.kind = *kind;
    if (const auto pid = options.value(QStringLiteral("pid"))) {
        bool ok = false;
        envelope.targetPID = pid->toInt(&ok);
        if (!ok)
            return usage();
    }
    envelope.targetName = options.value(QStringLiteral("name"));
    envelope.payload = options.value(QStringLiteral("payload"));
    const auto command = ZunoSuiteCLIBridge::invocation(envelope);
    if (!command) {
        printLine(QStringLiteral("none"));
        return 0;
    }
    nlohmann::json arguments = nlohmann::json::array();
    for (const QString &argument : command->arguments)
        arguments.push_back(argument.toStdString());
    printLine(QString::fromStdString(arguments.dump()));
    return 0;
}

std::string resultJson(const ZunoSuiteCommandResult &result)
{
    const nlohmann::json json = {
        { "succeeded", result.succeeded },
        { "exitCode", result.exitCode },
        { "stdout", result.stdout.toStdString() },
        { "stderr", result.stderr.toStdString() },
        { "transport", transportText(result.transport).toStdString() },
        { "summary", result.summary.toStdString() },
    };
    return json.dump();
}

int run(const Options &options)
{
    const auto app = ZunoSuiteApps::fromRawValue(options.value(QStringLiteral("app")).value_or(QString()));
    if (!app)
        return usage();
    bool ok = true;
    const double timeout
        = options.value(QStringLiteral("timeout")).value_or(QStringLiteral("45")).toDouble(&ok);
    if (!ok)
        return usage();
    const ZunoSuiteCommandResult result = ZunoSuiteCLIBridge::runRawCLI(
        *app, options.rest, options.all(QStringLiteral("extra-dir")), timeout);
    printLine(QString::fromStdString(resultJson(result)));
    return 0;
}

qint64 nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// Messages leave through the bus connection's own thread: a blocking call answered by the bus daemon
// proves that everything sent before it has left, so the process may exit.
void flushSessionBus()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        bus.call(QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
            QStringLiteral("/org/freedesktop/DBus"), QStringLiteral("org.freedesktop.DBus"),
            QStringLiteral("GetId")));
    }
}

struct Command {
    ZunoSuiteCommandKind kind;
    ZunoSuiteApp from;
    ZunoSuiteApp to;
    std::optional<std::int32_t> pid;
    std::optional<QString> name;
    std::optional<QString> payload;
    bool launchIfNeeded;
    bool bringToFront;
};

std::optional<Command> commandFrom(const Options &options)
{
    const auto kind
        = ZunoSuiteCommandKinds::fromRawValue(options.value(QStringLiteral("kind")).value_or(QString()));
    const auto from = ZunoSuiteApps::fromRawValue(options.value(QStringLiteral("from")).value_or(QString()));
    const auto to = ZunoSuiteApps::fromRawValue(options.value(QStringLiteral("to")).value_or(QString()));
    if (!kind || !from || !to)
        return std::nullopt;
    Command command { *kind, *from, *to, std::nullopt, options.value(QStringLiteral("name")),
        options.value(QStringLiteral("payload")), !options.has(QStringLiteral("no-launch")),
        !options.has(QStringLiteral("no-front")) };
    if (const auto pid = options.value(QStringLiteral("pid"))) {
        bool ok = false;
        command.pid = pid->toInt(&ok);
        if (!ok)
            return std::nullopt;
    }
    return command;
}

int send(const Options &options)
{
    const auto command = commandFrom(options);
    if (!command)
        return usage();
    ZunoSuiteCommandBus *bus = ZunoSuiteCommandBus::shared();
    const bool handedOn = bus->send(command->kind, command->from, command->to, command->pid, command->name,
        command->payload, command->launchIfNeeded, command->bringToFront);
    printLine(handedOn ? QStringLiteral("true") : QStringLiteral("false"));
    bus->waitForBackgroundRuns();
    flushSessionBus();
    return 0;
}

int execute(const Options &options)
{
    const auto command = commandFrom(options);
    bool ok = true;
    const double timeout
        = options.value(QStringLiteral("timeout")).value_or(QStringLiteral("45")).toDouble(&ok);
    if (!command || !ok)
        return usage();
    ZunoSuiteCommandBus *bus = ZunoSuiteCommandBus::shared();
    bus->execute(command->kind, command->from, command->to, command->pid, command->name, command->payload,
           command->launchIfNeeded, command->bringToFront, options.all(QStringLiteral("extra-dir")), timeout)
        .then(qApp, [](const ZunoSuiteCommandResult &result) {
            printLine(QString::fromStdString(resultJson(result)));
            flushSessionBus();
            // Queued: for a result that was ready at once this runs before the event loop starts.
            QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
        });
    return QCoreApplication::exec();
}

// Owns the application's name on the session bus, as a running suite application does, so that
// senders find it running.
bool claimName(ZunoSuiteApp app)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QString name = QStringLiteral("com.quarnwell.") + rawValue(app);
    if (bus.isConnected() && bus.registerService(name))
        return true;
    std::fprintf(stderr, "cannot own %s on the session bus\n", qPrintable(name));
    return false;
}

int listen(const Options &options)
{
    const auto app = ZunoSuiteApps::fromRawValue(options.value(QStringLiteral("app")).value_or(QString()));
    const int count = options.value(QStringLiteral("count")).value_or(QStringLiteral("0")).toInt();
    const double seconds = options.value(QStringLiteral("seconds")).value_or(QStringLiteral("0")).toDouble();
    if (!app)
        return usage();
    if (!claimName(*app))
        return 1;
    int received = 0;
    ZunoSuiteCommandBus::shared()->startListening(*app, [&](const ZunoSuiteCommandEnvelope &envelope) {
        printLine(QString::fromUtf8(envelope.encoded()));
        std::fflush(stdout);
        if (count > 0 && ++received >= count)
            QCoreApplication::quit();
    });
    if (seconds > 0)
        QTimer::singleShot(int(seconds * 1000), qApp, &QCoreApplication::quit);
    return QCoreApplication::exec();
}

// One sender of `stress`: `count` window commands to the target, each payload "<sender>:<n>:<ns>".
int stressSend(const Options &options)
{
    const auto to = ZunoSuiteApps::fromRawValue(options.value(QStringLiteral("to")).value_or(QString()));
    const int count = options.value(QStringLiteral("count")).value_or(QStringLiteral("0")).toInt();
    const QString sender = options.value(QStringLiteral("sender")).value_or(QStringLiteral("0"));
    if (!to || count <= 0)
        return usage();
    ZunoSuiteCommandBus *bus = ZunoSuiteCommandBus::shared();
    int sent = 0;
    for (int n = 0; n < count; ++n) {
        const QString payload = QStringLiteral("%1:%2:%3").arg(sender).arg(n).arg(nowNs());
        sent += bus->send(ZunoSuiteCommandKind::ramToggleHUD, ZunoSuiteApp::zunoCam, *to, std::nullopt,
            std::nullopt, payload, false, false);
    }
    flushSessionBus();
    printLine(QString::number(sent));
    return 0;
}

double percentile(std::vector<double> values, double fraction)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const auto index = std::min(values.size() - 1, std::size_t(fraction * double(values.size())));
    return values[index];
}

int stress(const Options &options)
{
    const auto to = ZunoSuiteApps::fromRawValue(options.value(QStringLiteral("to")).value_or(QString()));
    const int senders = options.value(QStringLiteral("senders")).value_or(QStringLiteral("0")).toInt();
    const int count = options.value(QStringLiteral("count")).value_or(QStringLiteral("0")).toInt();
    if (!to || senders <= 0 || count <= 0)
        return usage();
    if (!claimName(*to))
        return 1;
    QSet<QString> seen;
    int received = 0;
    int duplicates = 0;
    std::vector<double> latencies;
    ZunoSuiteCommandBus::shared()->startListening(*to, [&](const ZunoSuiteCommandEnvelope &envelope) {
        const qint64 arrived = nowNs();
        ++received;
        const QStringList parts = envelope.payload.value_or(QString()).split(QLatin1Char(':'));
        if (parts.size() != 3)
            return;
        const QString key = parts[0] + QLatin1Char(':') + parts[1];
        if (seen.contains(key)) {
            ++duplicates;
            return;
        }
        seen.insert(key);
        latencies.push_back(double(arrived - parts[2].toLongLong()) / 1e6);
    });

    int sent = 0;
    int running = senders;
    std::vector<std::unique_ptr<QProcess>> processes;
    QTimer quiet;
    quiet.setSingleShot(true);
    QObject::connect(&quiet, &QTimer::timeout, qApp, &QCoreApplication::quit);
    for (int i = 0; i < senders; ++i) {
        auto process = std::make_unique<QProcess>();
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QProcess *raw = process.get();
        QObject::connect(raw, &QProcess::finished, qApp, [&, raw] {
            sent += raw->readAllStandardOutput().trimmed().toInt();
            if (--running == 0)
                quiet.start(5000);
        });
        process->start(QCoreApplication::applicationFilePath(),
            { QStringLiteral("stress-send"), QStringLiteral("--to"), rawValue(*to), QStringLiteral("--count"),
                QString::number(count), QStringLiteral("--sender"), QString::number(i) });
        processes.push_back(std::move(process));
    }
    // Done once every sender has ended and all it sent has arrived, or 5 s after the last one ended.
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, qApp, [&] {
        if (running == 0 && seen.size() >= sent)
            QCoreApplication::quit();
    });
    check.start(20);
    QCoreApplication::exec();
    std::printf("sent %d received %d duplicates %d lost %d median-ms %.2f p99-ms %.2f\n", sent, received,
        duplicates, int(std::max<qsizetype>(0, sent - seen.size())), percentile(latencies, 0.5),
        percentile(latencies, 0.99));
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments().mid(1);
    if (arguments.isEmpty())
        return usage();
    const QString &command = arguments.first();
    if (command == QLatin1String("--help") || command == QLatin1String("-h"))
        return usage(true);
    if (command == QLatin1String("apps"))
        return apps();
    if (command == QLatin1String("kinds"))
        return kinds();
    if (isTelemetryCommand(command))
        return runTelemetryCommand(command, arguments.mid(1));
    const Options options = parse(arguments.mid(1));
    if (!options.ok)
        return usage();
    if (command == QLatin1String("invocation"))
        return invocation(options);
    if (command == QLatin1String("run"))
        return run(options);
    if (command == QLatin1String("listen"))
        return listen(options);
    if (command == QLatin1String("send"))
        return send(options);
    if (command == QLatin1String("execute"))
        return execute(options);
    if (command == QLatin1String("stress"))
        return stress(options);
    if (command == QLatin1String("stress-send"))
        return stressSend(options);
    return usage();
}

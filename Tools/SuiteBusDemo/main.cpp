// Shows the suite registry and command vocabulary as this desktop sees them, drives the
// command-line bridge, and publishes, reads and watches live status on the telemetry bus.
#include "Telemetry.h"
#include "ZunoSuiteApp.h"
#include "ZunoSuiteCLIBridge.h"
#include "ZunoSuiteCommandKind.h"

#include <QCoreApplication>
#include <QStringList>

#include <nlohmann/json.hpp>

#include <cstdio>
#include <map>

namespace {

void printLine(const QString &line)
{
    std::printf("%s\n", line.toUtf8().constData());
}

int usage()
{
    std::fprintf(stderr,
        "usage: SuiteBusDemo apps | kinds\n"
        "       SuiteBusDemo invocation --kind K [--pid N] [--name S] [--payload S]\n"
        "       SuiteBusDemo run --app RAW [--timeout S] [--extra-dir D]... -- ARGS...\n"
        "       SuiteBusDemo publish|read|watch|hover ... (telemetry; see their own usage)\n");
    return 2;
}

// "--key value" and "--key=value" options; repeated keys keep every value; "--" ends them.
struct Options {
    std::multimap<QString, QString> values;
    QStringList rest;
    bool ok = true;

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
        if (equals > 0) {
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
    const nlohmann::json json = {
        { "succeeded", result.succeeded },
        { "exitCode", result.exitCode },
        { "stdout", result.stdout.toStdString() },
        { "stderr", result.stderr.toStdString() },
        { "transport", transportText(result.transport).toStdString() },
        { "summary", result.summary.toStdString() },
    };
    printLine(QString::fromStdString(json.dump()));
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
    return usage();
}

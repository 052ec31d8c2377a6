// One bridge operation from the command line: whether the agent browser runs, a page read as compact
// text through a throw-away profile, or a link opened in it. --home DIR stands for the home folder, so
// the token is read from DIR/.zunoagentbrowser/token.
#include "ZunoAgentBrowserBridge.h"
#include "ZunoHttpError.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>

#include <chrono>
#include <cstdio>

namespace {

bool print(const QString &line)
{
    const QByteArray bytes = line.toUtf8() + '\n';
    return std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) == size_t(bytes.size())
        && std::fflush(stdout) == 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Talks to the agent browser through the bridge."));
    parser.addHelpOption();
    const QCommandLineOption portOption(QStringLiteral("port"), QStringLiteral("The agent browser's port."),
        QStringLiteral("N"), QString::number(ZunoAgentBrowserBridge::kDefaultPort));
    const QCommandLineOption homeOption(QStringLiteral("home"),
        QStringLiteral("The home folder that holds .zunoagentbrowser/token."), QStringLiteral("DIR"));
    parser.addOption(portOption);
    parser.addOption(homeOption);
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("health | lookup URL | open URL"));
    parser.process(app);

    const QStringList arguments = parser.positionalArguments();
    const QString command = arguments.value(0);
    bool portOk = false;
    const int port = parser.value(portOption).toInt(&portOk);
    const bool needsURL = command == QLatin1String("lookup") || command == QLatin1String("open");
    if (!portOk || port <= 0 || port > 65535 || (command != QLatin1String("health") && !needsURL)
        || arguments.size() != (needsURL ? 2 : 1)) {
        std::fprintf(stderr, "%s", qPrintable(parser.helpText()));
        return 2;
    }
    std::optional<QString> base;
    if (parser.isSet(homeOption))
        base = QDir(parser.value(homeOption)).absoluteFilePath(QStringLiteral(".zunoagentbrowser"));
    ZunoAgentBrowserBridge bridge(port, base);

    bool printed = true;
    int code = 0;
    if (command == QLatin1String("health")) {
        const ZunoAgentBrowserBridge::Health health = bridge.checkHealth();
        printed = print(QStringLiteral("running: %1, version: %2")
                            .arg(health.running ? QStringLiteral("yes") : QStringLiteral("no"),
                                health.version.value_or(QStringLiteral("-"))));
    } else if (command == QLatin1String("open")) {
        const bool opened
            = bridge.openExternalLink(arguments.at(1), QStringLiteral("agent-browser-demo"), true);
        printed = print(
            QStringLiteral("opened: %1").arg(opened ? QStringLiteral("true") : QStringLiteral("false")));
        code = opened ? 0 : 1;
    } else {
        try {
            printed = print(bridge.ephemeralWebLookup(arguments.at(1), QStringLiteral("agent-browser-demo")));
            // The profile's release runs on after the answer; the process must not end before it.
            if (!bridge.waitForReleases(std::chrono::seconds(31)))
                std::fprintf(stderr, "AgentBrowserDemo: the profile was not released in time\n");
        } catch (const ZunoAgentBrowserBridgeError &error) {
            std::fprintf(stderr, "lookup failed (%d): %s\n", error.code(), qPrintable(error.description()));
            code = 1;
        } catch (const std::exception &error) {
            std::fprintf(stderr, "lookup failed: %s\n", error.what());
            code = 1;
        }
    }
    if (!printed) {
        std::fprintf(stderr, "AgentBrowserDemo: cannot write the output\n");
        return 1;
    }
    return code;
}

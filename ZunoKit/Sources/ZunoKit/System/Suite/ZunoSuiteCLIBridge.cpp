#include "ZunoSuiteCLIBridge.h"

#include "ZunoBinaryLocator.h"
#include "ZunoDistributedNotificationCenter.h"
#include "ZunoPaths.h"
#include "ZunoProcessRunner.h"
#include "ZunoSuiteWorkspace.h"
#include "ZunoText.h"

#include <QDir>
#include <QFileInfo>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

namespace {

using K = ZunoSuiteCommandKind;
using A = ZunoSuiteApp;
using Invocation = std::optional<ZunoSuiteCLIInvocation>;

// A value trimmed of white space and line breaks; empty counts as absent.
std::optional<QString> present(const std::optional<QString> &value)
{
    if (!value)
        return std::nullopt;
    QString trimmed = value->trimmed();
    return trimmed.isEmpty() ? std::nullopt : std::optional<QString>(std::move(trimmed));
}

QString toggleWord(const std::optional<QString> &payload)
{
    if (!payload)
        return QStringLiteral("toggle");
    const QString word = payload->toLower();
    for (const char *on : { "on", "enable", "enabled", "true", "1" }) {
        if (word == QLatin1String(on))
            return QStringLiteral("on");
    }
    for (const char *off : { "off", "disable", "disabled", "false", "0" }) {
        if (word == QLatin1String(off))
            return QStringLiteral("off");
    }
    return QStringLiteral("toggle");
}

struct PathAndStatement {
    QString path;
    QString statement;
};

std::optional<PathAndStatement> pathAndStatement(
    const std::optional<QString> &payload, const std::optional<QString> &name)
{
    if (!payload)
        return std::nullopt;
    if (payload->startsWith(QLatin1Char('{'))) {
        const QByteArray bytes = payload->toUtf8();
        const nlohmann::json object
            = nlohmann::json::parse(bytes.constBegin(), bytes.constEnd(), nullptr, false);
        const auto firstString = [&](const char *first, const char *second) {
            for (const char *key : { first, second }) {
                const auto it = object.find(key);
                if (it != object.end() && it->is_string())
                    return QString::fromStdString(it->get<std::string>()).trimmed();
            }
            return QString();
        };
        if (object.is_object()) {
            PathAndStatement parts { firstString("path", "file"), firstString("sql", "query") };
            if (!parts.path.isEmpty() && !parts.statement.isEmpty())
                return parts;
        }
    }
    const qsizetype separator = payload->indexOf(QLatin1String("::"));
    if (separator >= 0) {
        PathAndStatement parts { payload->left(separator).trimmed(), payload->mid(separator + 2).trimmed() };
        if (!parts.path.isEmpty() && !parts.statement.isEmpty())
            return parts;
    }
    if (name)
        return PathAndStatement { *name, *payload };
    return std::nullopt;
}

// The argument vector of one row. A value taken from the payload or the target name lands where the
// tool parses options: one that begins with "-" would be read as an option, and one holding U+0000
// would be cut short, so either refuses the whole invocation.
class Arguments {
public:
    Arguments(std::initializer_list<const char *> fixed) { add(fixed); }

    Arguments &add(std::initializer_list<const char *> fixed)
    {
        for (const char *word : fixed)
            m_list.append(QString::fromLatin1(word));
        return *this;
    }
    Arguments &value(const QString &text)
    {
        if (text.startsWith(QLatin1Char('-')) || text.contains(QChar(u'\0')))
            m_refused = true;
        m_list.append(text);
        return *this;
    }
    Arguments &word(const QString &text)
    {
        m_list.append(text);
        return *this;
    }
    Invocation of(A app) const
    {
        if (m_refused)
            return std::nullopt;
        return ZunoSuiteCLIInvocation { app, m_list };
    }

private:
    QStringList m_list;
    bool m_refused = false;
};

Invocation mapped(const ZunoSuiteCommandEnvelope &envelope)
{
    const std::optional<QString> p = present(envelope.payload);
    const std::optional<QString> n = present(envelope.targetName);
    const std::optional<std::int32_t> pid = envelope.targetPID;
    const std::optional<QString> pElseN = p ? p : n;
    const std::optional<QString> nElseP = n ? n : p;
    const auto fixed
        = [](A app, std::initializer_list<const char *> words) { return Arguments(words).of(app); };
    // "<verb> <value> <tail…>", or none without the value.
    const auto required = [](A app, const char *verb, const std::optional<QString> &value,
                              std::initializer_list<const char *> tail) -> Invocation {
        if (!value)
            return std::nullopt;
        return Arguments({ verb }).value(*value).add(tail).of(app);
    };
    // "<verb> [value] <tail…>": the value is left out when absent.
    const auto optional = [](A app, const char *verb, const std::optional<QString> &value,
                              std::initializer_list<const char *> tail) {
        Arguments arguments({ verb });
        if (value)
            arguments.value(*value);
        return arguments.add(tail).of(app);
    };
    const auto toggle = [&](A app, const char *verb) {
        return Arguments({ verb }).word(toggleWord(p)).add({ "--json" }).of(app);
    };
    const auto query = [&](A app, const char *verb) -> Invocation {
        const auto parts = pathAndStatement(p, n);
        if (!parts)
            return std::nullopt;
        return Arguments({ verb }).value(parts->path).value(parts->statement).add({ "--json" }).of(app);
    };

    switch (envelope.kind) {
    case K::ramSmartOffload:
        return fixed(A::zunoRAM, { "offload", "--mode", "gentle", "--json" });
    case K::ramBalancedOffload:
        return fixed(A::zunoRAM, { "offload", "--mode", "balanced", "--json" });
    case K::ramThawAll:
        return fixed(A::zunoRAM, { "thaw", "--all", "--json" });
    case K::ramFreezePID: {
        if (!pid || *pid < 2)
            return std::nullopt;
        Arguments arguments({ "freeze" });
        arguments.word(QString::number(*pid)).add({ "--json" });
        if (n)
            arguments.add({ "--name" }).value(*n);
        return arguments.of(A::zunoRAM);
    }
    case K::killAllFrozen:
        return fixed(A::zunoKill, { "kill-frozen", "--json" });
    case K::killProcessTree:
        if (pid && *pid >= 2)
            return Arguments({ "kill-tree" }).word(QString::number(*pid)).add({ "--json" }).of(A::zunoKill);
        return required(A::zunoKill, "kill-tree", nElseP, { "--json" });
    case K::voltToggleTopUp:
        return toggle(A::zunoVolt, "topup");
    case K::torNewIdentity:
        return fixed(A::zunoTor, { "newnym", "--json" });
    case K::dnsToggleShield:
        return toggle(A::zunoDNS, "shield");
    case K::dnsSwitchProfile:
        return required(A::zunoDNS, "profile", pElseN, { "--json" });
    case K::flowRunWorkflow:
        return optional(A::zunoFlow, "run", nElseP, { "--json" });
    case K::findQuickSearch:
        return required(A::zunoFind, "search", pElseN, { "--limit", "25", "--json" });
    case K::readSaveURL: {
        if (!p)
            return fixed(A::zunoRead, { "save", "--clipboard", "--json" });
        Arguments arguments({ "save" });
        arguments.value(*p).add({ "--json" });
        if (n)
            arguments.add({ "--title" }).value(*n);
        return arguments.of(A::zunoRead);
    }
    case K::mindAskPrompt:
        return required(A::zunoMind, "ask", p, { "--json" });
    case K::mindIndexFolder:
        return required(A::zunoMind, "index", p, { "--json" });
    case K::dbRunQuery:
        return query(A::zunoDB, "query");
    case K::serveParkFolder:
        return required(A::zunoServe, "park", p, {});
    case K::serveToggleTLS:
        return p ? required(A::zunoServe, "secure", p, {}) : fixed(A::zunoServe, { "secure", "all" });
    case K::containerRefresh:
        return fixed(A::zunoContainer, { "status", "--json" });
    case K::containerStartAll:
        return fixed(A::zunoContainer, { "start-all", "--json" });
    case K::containerStopAll:
        return fixed(A::zunoContainer, { "stop-all", "--json" });
    case K::containerPruneDangling:
        return fixed(A::zunoContainer, { "prune", "--json" });
    case K::gitRefresh:
        return optional(A::zunoGit, "refresh", pElseN, { "--json" });
    case K::gitGenerateAICommit:
        return optional(A::zunoGit, "ai-commit", pElseN, { "--json" });
    case K::diskRefreshDrives:
        return fixed(A::zunoDisk, { "list", "--json" });
    case K::diskEjectAllExternal:
        return fixed(A::zunoDisk, { "eject-all", "--json" });
    case K::sheetRunSQL:
        return query(A::zunoSheet, "sql");
    case K::wallToggleLockdown:
        return toggle(A::zunoWall, "lockdown");
    case K::wallSetMode:
        return required(A::zunoWall, "mode", pElseN, { "--json" });
    case K::wallSwitchProfile:
        return required(A::zunoWall, "profile", pElseN, { "--json" });
    case K::wallBlockProcess:
        return required(A::zunoWall, "block", nElseP, { "--json" });
    case K::vmRefresh:
        return fixed(A::zunoVM, { "list", "--json" });
    case K::vmStartMachine:
        return required(A::zunoVM, "start", nElseP, { "--headless" });
    case K::vmStopMachine:
        return required(A::zunoVM, "stop", nElseP, {});
    case K::vmCreateSnapshot: {
        if (!nElseP)
            return std::nullopt;
        Arguments arguments({ "snapshot" });
        arguments.value(*nElseP);
        if (n && p)
            arguments.value(*p);
        return arguments.of(A::zunoVM);
    }
    case K::photoQuickUpscale:
        return required(A::zunoPhoto, "upscale", pElseN, { "--scale", "2", "--json" });
    case K::photoRemoveBackground:
        return required(A::zunoPhoto, "remove-bg", pElseN, { "--json" });
    case K::phoneScanDevices:
        return fixed(A::zunoPhone, { "scan", "--json" });
    case K::phoneStartBackup:
        return optional(A::zunoPhone, "backup", pElseN, { "--json" });
    case K::phoneExportMessages:
        return optional(A::zunoPhone, "export-messages", pElseN, { "--json" });
    case K::rescueScanSnapshots:
        return p ? required(A::zunoRescue, "snapshots", p, { "--json" })
                 : fixed(A::zunoRescue, { "snapshots", "/", "--json" });
    case K::vpnSwitchTopology:
        return required(A::zunoVPN, "mode", p, { "--json" });
    case K::vpnToggleKillSwitch:
        return toggle(A::zunoVPN, "killswitch");
    case K::vpnImportURI:
        return required(A::zunoVPN, "import", p, { "--json" });
    case K::backupRunAll:
        return fixed(A::zunoBackup, { "run", "--all" });
    case K::backupRunPlan:
        return pElseN ? required(A::zunoBackup, "run", pElseN, {}) : fixed(A::zunoBackup, { "run", "--all" });
    case K::focusToggleShield:
        return toggle(A::zunoFocus, "shield");
    case K::focusSyncProjectRules:
        return fixed(A::zunoFocus, { "sync-rules", "--json" });
    case K::taskCompleteTask:
        return required(A::zunoTask, "done", p, {});
    case K::taskRefreshFromFocus:
        return fixed(A::zunoTask, { "status", "--json" });
    default:
        return std::nullopt;
    }
}

// The lines of a text, split at every kind of line break, empty pieces left out.
QStringList lines(const QString &text)
{
    QStringList pieces;
    QString current;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        const bool lineBreak = c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f' || c == 0x0085
            || c == 0x2028 || c == 0x2029;
        if (!lineBreak) {
            current.append(QChar(c));
            continue;
        }
        if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
            ++i;
        if (!current.isEmpty())
            pieces.append(current);
        current.clear();
    }
    if (!current.isEmpty())
        pieces.append(current);
    return pieces;
}

bool isBlank(const QString &piece)
{
    for (const QChar c : piece) {
        if (c != u' ' && c != u'\t')
            return false;
    }
    return true;
}

// The longest a run waits before it asks the tool to stop, and how long a tool that ignores that
// request is given before it is killed.
constexpr std::chrono::hours kLongestLimit(24);
constexpr std::chrono::seconds kKillGrace(2);

std::chrono::milliseconds watchdogDelay(double timeoutSeconds)
{
    // max(T, 1) seconds; NaN counts as below one second, and the limit stays within a day so that the
    // conversion to a duration cannot overflow.
    const double seconds = std::isnan(timeoutSeconds)
        ? 1.0
        : std::clamp(timeoutSeconds, 1.0, double(std::chrono::seconds(kLongestLimit).count()));
    return std::chrono::milliseconds(std::llround(seconds * 1000.0));
}

} // namespace

namespace ZunoSuiteCLIBridge {

std::optional<ZunoSuiteCLIInvocation> invocation(const ZunoSuiteCommandEnvelope &envelope)
{
    return mapped(envelope);
}

QString dataChangedNotificationName(ZunoSuiteApp app)
{
    return QStringLiteral("com.quarnwell.suite.datachanged.") + rawValue(app).toLower();
}

bool postDataChanged(ZunoSuiteApp app, ZunoDistributedNotificationCenter *center)
{
    if (!center)
        center = ZunoDistributedNotificationCenter::shared();
    return center && center->post(dataChangedNotificationName(app));
}

std::optional<ZunoSuiteCommandResult> runCLI(const ZunoSuiteCommandEnvelope &envelope,
    const QStringList &extraSearchDirectories, double timeoutSeconds,
    const std::shared_ptr<ZunoProcessCancellation> &cancellation)
{
    const auto command = invocation(envelope);
    if (!command)
        return std::nullopt;
    const auto tool = cliExecutableURL(command->targetApp, extraSearchDirectories);
    if (!tool)
        return std::nullopt;
    return runExecutable(*tool, command->arguments, timeoutSeconds, cancellation);
}

ZunoSuiteCommandResult runRawCLI(ZunoSuiteApp app, const QStringList &arguments,
    const QStringList &extraSearchDirectories, double timeoutSeconds,
    const std::shared_ptr<ZunoProcessCancellation> &cancellation)
{
    if (const auto tool = cliExecutableURL(app, extraSearchDirectories))
        return runExecutable(*tool, arguments, timeoutSeconds, cancellation);
    const QString name = rawValue(app);
    ZunoSuiteCommandResult result;
    result.exitCode = 127;
    result.stderr = name + QStringLiteral(" CLI binary not found.");
    result.transport = ZunoSuiteCommandTransport::unavailable();
    result.summary = zunoText(
        name + QStringLiteral(" CLI is not installed."), name + QStringLiteral(" CLI aracı kurulu değil."));
    return result;
}

ZunoSuiteCommandResult runExecutable(const QString &executable, const QStringList &arguments,
    double timeoutSeconds, const std::shared_ptr<ZunoProcessCancellation> &givenCancellation)
{
    const QString binaryName = QFileInfo(executable).fileName();
    const auto cancellation
        = givenCancellation ? givenCancellation : std::make_shared<ZunoProcessCancellation>();
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    std::thread watchdog([&, delay = watchdogDelay(timeoutSeconds)] {
        std::unique_lock lock(mutex);
        if (ended.wait_for(lock, delay, [&] { return done; }))
            return;
        cancellation->cancel();
        if (!ended.wait_for(lock, kKillGrace, [&] { return done; }))
            cancellation->kill();
    });
    const auto stopWatchdog = [&] {
        {
            std::lock_guard lock(mutex);
            done = true;
        }
        ended.notify_all();
        watchdog.join();
    };

    ZunoSuiteCommandResult result;
    result.transport = ZunoSuiteCommandTransport::cli(binaryName);
    try {
        const ZunoProcessResult run
            = ZunoProcessRunner::run(executable, arguments, std::nullopt, std::nullopt, true, cancellation);
        stopWatchdog();
        result.exitCode = run.exitCode;
        result.succeeded = run.exitCode == 0;
        result.stdout = run.stdoutString().trimmed();
        result.stderr = run.stderrString().trimmed();
        result.summary
            = ZunoSuiteCLIBridge::extractSummary(result.stdout, result.stderr, binaryName, result.exitCode);
    } catch (const ZunoProcessError &error) {
        stopWatchdog();
        result.exitCode = -1;
        result.stderr = result.summary = error.localizedDescription();
    } catch (const std::exception &error) {
        stopWatchdog();
        result.exitCode = -1;
        result.stderr = result.summary = QString::fromLocal8Bit(error.what());
    }
    return result;
}

QString extractSummary(
    const QString &stdoutText, const QString &stderrText, const QString &binaryName, std::int32_t exitCode)
{
    const QByteArray bytes = stdoutText.toUtf8();
    const nlohmann::json parsed = nlohmann::json::parse(bytes.constBegin(), bytes.constEnd(), nullptr, false);
    if (parsed.is_object()) {
        for (const char *key : { "summary", "message", "error" }) {
            const auto it = parsed.find(key);
            if (it != parsed.end() && it->is_string() && !it->get_ref<const std::string &>().empty())
                return QString::fromStdString(it->get<std::string>());
        }
    } else if (parsed.is_array()) {
        return binaryName + QStringLiteral(": ") + QString::number(parsed.size())
            + QStringLiteral(" item(s)");
    }
    const QString &source = exitCode != 0 && !stderrText.isEmpty() ? stderrText : stdoutText;
    for (const QString &piece : lines(source)) {
        if (!isBlank(piece))
            return piece.trimmed();
    }
    if (exitCode != 0)
        return binaryName + QStringLiteral(" exited with code ") + QString::number(exitCode)
            + QLatin1Char('.');
    return binaryName + QStringLiteral(" completed.");
}

} // namespace ZunoSuiteCLIBridge

std::optional<QString> cliExecutableURL(ZunoSuiteApp app, const QStringList &extraSearchDirectories)
{
    return cliExecutableURL(app, extraSearchDirectories, *ZunoSuiteWorkspace::shared());
}

std::optional<QString> cliExecutableURL(
    ZunoSuiteApp app, const QStringList &extraSearchDirectories, ZunoSuiteWorkspace &workspace)
{
    const QStringList names = cliBinaryNames(app);
    QStringList folders = extraSearchDirectories;
    if (const auto entry = installedURL(app, workspace)) {
        // An entry at <prefix>/share/applications/ marks the installation prefix; one anywhere else
        // says nothing about where the tool lies.
        const QDir applications = QFileInfo(*entry).absoluteDir();
        const QDir share = QFileInfo(applications.absolutePath()).absoluteDir();
        if (applications.dirName() == QLatin1String("applications")
            && share.dirName() == QLatin1String("share")) {
            const QString prefix = QFileInfo(share.absolutePath()).absolutePath();
            const QString lower = rawValue(app).toLower();
            folders << prefix + QStringLiteral("/bin") << prefix + QStringLiteral("/libexec/") + lower
                    << prefix + QStringLiteral("/share/") + lower + QStringLiteral("/bin");
        }
    }
    folders << ZunoPaths::home() + QStringLiteral("/.local/bin");
    for (const QString &folder : std::as_const(folders)) {
        for (const QString &name : names) {
            const QString candidate = QFileInfo(QDir(folder).filePath(name)).absoluteFilePath();
            if (ZunoBinaryLocator::isExecutableFile(candidate))
                return candidate;
        }
    }
    for (const QString &name : names) {
        if (auto found = ZunoBinaryLocator::locate(name))
            return found;
    }
    return std::nullopt;
}

bool isCLIAvailable(ZunoSuiteApp app)
{
    return cliExecutableURL(app).has_value();
}

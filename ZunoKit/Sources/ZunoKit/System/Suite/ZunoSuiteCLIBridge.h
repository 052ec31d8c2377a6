#pragma once

#include "ZunoSuiteApp.h"
#include "ZunoSuiteCLIInvocation.h"
#include "ZunoSuiteCommandEnvelope.h"
#include "ZunoSuiteCommandResult.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <optional>

class ZunoDistributedNotificationCenter;
class ZunoProcessCancellation;
class ZunoSuiteWorkspace;

// Runs a sibling's command-line tool for a background command: the argument vector of each mapped
// kind, the tool search, a run under a time limit, and the one-line summary of what the tool said.
// The runs block the calling thread until the tool has ended (they need no event loop): call them
// from a worker, never from the main thread.
namespace ZunoSuiteCLIBridge {

// The command line of the tool that performs the envelope's kind, or none: for a kind without a
// mapping, a missing required value, or a value taken from the payload or target name that the tool
// would read as an option (it begins with "-") or that would be cut short (it holds U+0000). The tool
// is always the application of the kind's row, whatever the envelope's source and target.
std::optional<ZunoSuiteCLIInvocation> invocation(const ZunoSuiteCommandEnvelope &envelope);

// "com.quarnwell.suite.datachanged." and the raw value lower-cased.
QString dataChangedNotificationName(ZunoSuiteApp app);
// Posts the application's data-changed notification without an object on the given centre (the
// shared one by default). False when it could not be posted.
bool postDataChanged(ZunoSuiteApp app, ZunoDistributedNotificationCenter *center = nullptr);

// Runs the tool of the envelope's invocation; none when there is no invocation or no tool. A given
// cancellation token lets the caller stop the run early (its result is then the cancellation's).
std::optional<ZunoSuiteCommandResult> runCLI(const ZunoSuiteCommandEnvelope &envelope,
    const QStringList &extraSearchDirectories, double timeoutSeconds,
    const std::shared_ptr<ZunoProcessCancellation> &cancellation = nullptr);
// Runs the application's tool with the arguments as given; without a tool, the not-found result
// (exit code 127, transport unavailable).
ZunoSuiteCommandResult runRawCLI(ZunoSuiteApp app, const QStringList &arguments,
    const QStringList &extraSearchDirectories, double timeoutSeconds,
    const std::shared_ptr<ZunoProcessCancellation> &cancellation = nullptr);
// Runs exactly this tool file: asked to stop (SIGTERM) when the time limit of max(T, 1) seconds is
// over, and killed when it has not ended 2 s later.
ZunoSuiteCommandResult runExecutable(const QString &executable, const QStringList &arguments,
    double timeoutSeconds, const std::shared_ptr<ZunoProcessCancellation> &cancellation = nullptr);

// One line from a tool's output: a JSON object's "summary", "message" or "error" text; the element
// count of a JSON array; else the first non-blank line (of standard error on failure, when there is
// one); else "<tool> completed." or "<tool> exited with code <n>.". Never translated.
QString extractSummary(
    const QString &stdoutText, const QString &stderrText, const QString &binaryName, std::int32_t exitCode);

} // namespace ZunoSuiteCLIBridge

// The application's tool: each extra folder, then the folders of its installation (for a desktop
// entry at <prefix>/share/applications: <prefix>/bin, <prefix>/libexec/<name>, <prefix>/share/<name>/bin
// with <name> the raw value lower-cased), then ~/.local/bin, each with every tool name in order; then
// `ZunoBinaryLocator::locate` for each name. The first executable regular file wins.
std::optional<QString> cliExecutableURL(ZunoSuiteApp app, const QStringList &extraSearchDirectories = {});
// The same, with the installation as a given workspace reports it.
std::optional<QString> cliExecutableURL(
    ZunoSuiteApp app, const QStringList &extraSearchDirectories, ZunoSuiteWorkspace &workspace);
bool isCLIAvailable(ZunoSuiteApp app);

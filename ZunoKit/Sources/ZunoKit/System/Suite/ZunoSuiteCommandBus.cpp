#include "ZunoSuiteCommandBus.h"

#include "ZunoApplicationSingleton.h"
#include "ZunoDetachedProcess.h"
#include "ZunoDistributedNotificationCenter.h"
#include "ZunoProcessCancellation.h"
#include "ZunoSuiteCLIBridge.h"
#include "ZunoSuiteWorkspace.h"
#include "ZunoText.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTimer>
#include <QtConcurrent>

namespace {

// A slow tool never holds the others back, and a burst of commands does not start a crowd of tools.
constexpr int kToolThreads = 4;
// How long stopping tools may take before they are killed when the bus goes.
constexpr int kStopGraceMs = 2000;

using Result = ZunoSuiteCommandResult;
using Transport = ZunoSuiteCommandTransport;

Result make(bool succeeded, std::int32_t exitCode, const QString &stderrText, Transport transport,
    const QString &en, const QString &tr)
{
    return { succeeded, exitCode, QString(), stderrText, std::move(transport), zunoText(en, tr) };
}

Result invalidPID()
{
    return make(false, 2, QStringLiteral("Invalid target PID."), Transport::unavailable(),
        QStringLiteral("Invalid target process ID."), QStringLiteral("Geçersiz hedef süreç kimliği."));
}

Result dispatched(const ZunoSuiteCommandEnvelope &envelope, Transport transport)
{
    const QString app = rawValue(envelope.targetApp);
    return make(true, 0, QString(), std::move(transport),
        QStringLiteral("Dispatched %1 to %2.").arg(rawValue(envelope.kind), app),
        QStringLiteral("%1 uygulamasına iletildi.").arg(app));
}

Result notInstalled(ZunoSuiteApp target)
{
    const QString app = rawValue(target);
    return make(false, 1, app + QStringLiteral(" is not installed or unavailable."), Transport::unavailable(),
        app + QStringLiteral(" is not installed."), app + QStringLiteral(" kurulu değil."));
}

// The target's program ran but did not come up, or could not be run at all; `why` says what happened
// ("/bin/false exited with status 1", "/opt/zunomail/run: Permission denied").
Result couldNotStart(ZunoSuiteApp target, const QString &why)
{
    const QString app = rawValue(target);
    return make(false, 1, QStringLiteral("%1 could not be started: %2").arg(app, why), Transport::guiLaunch(),
        QStringLiteral("%1 could not be started: %2.").arg(app, why),
        QStringLiteral("%1 başlatılamadı: %2.").arg(app, why));
}

// Watches a target started for `envelope`: nothing once it took its command, came onto the session bus
// or still runs after the grace; how it ended when it ended before any of these, its command then
// taken back. A cancelled watch (the bus is going) leaves the command as it is.
std::optional<QString> launchFailure(const ZunoSuiteCommandEnvelope &envelope, ZunoDetachedProcess &program,
    ZunoSuiteCommandFolder &folder, ZunoSuiteWorkspace &workspace,
    const ZunoProcessCancellation &cancellation)
{
    const QDeadlineTimer grace(ZunoSuiteCommandBus::kLaunchGraceMs);
    const auto reached
        = [&] { return !folder.isPending(envelope) || isOnSessionBus(envelope.targetApp, workspace); };
    while (!reached() && !cancellation.isCancelled() && !grace.hasExpired()) {
        const int look = int(std::min<qint64>(grace.remainingTime(), ZunoSuiteCommandBus::kLaunchLookMs));
        const std::optional<QString> end = program.waitForEnd(look);
        // It may have taken its command, or handed over to one on the bus, just before it ended.
        if (!end || reached())
            continue;
        // Whoever gets the file first decides: a consumer that took it was reached.
        if (folder.withdraw(envelope) == ZunoSuiteCommandFolder::Withdrawal::taken)
            return std::nullopt;
        return end;
    }
    return std::nullopt;
}

Result silent(const ZunoSuiteCommandEnvelope &envelope)
{
    const QString app = rawValue(envelope.targetApp);
    return make(true, 0, QString(), Transport::liveDaemonSilentIPC(),
        QStringLiteral("Sent %1 silently to running %2.").arg(rawValue(envelope.kind), app),
        app + QStringLiteral(" arka plan işlemine sessizce iletildi."));
}

Result silentFailure(ZunoSuiteApp target, Transport transport)
{
    const QString app = rawValue(target);
    return make(false, 1, QStringLiteral("Failed to enqueue silent IPC command."), std::move(transport),
        QStringLiteral("Failed to send command to %1.").arg(app),
        app + QStringLiteral(" uygulamasına komut gönderilemedi."));
}

Result unavailable(ZunoSuiteApp target)
{
    const QString app = rawValue(target);
    return make(false, 127, QStringLiteral("%1 CLI is unavailable and %1 is not running.").arg(app),
        Transport::unavailable(),
        app + QStringLiteral(" CLI not found and app is not running in background."),
        app + QStringLiteral(" CLI bulunamadı ve arka planda çalışmıyor."));
}

ZunoSuiteCommandEnvelope makeEnvelope(ZunoSuiteCommandKind kind, ZunoSuiteApp from, ZunoSuiteApp to,
    std::optional<std::int32_t> targetPID, std::optional<QString> targetName, std::optional<QString> payload)
{
    ZunoSuiteCommandEnvelope envelope;
    envelope.id = QUuid::createUuid();
    // Whole seconds, as the file carries it.
    const QDateTime now = QDateTime::currentDateTimeUtc();
    envelope.timestamp = now.addMSecs(-now.time().msec());
    envelope.sourceApp = from;
    envelope.targetApp = to;
    envelope.kind = kind;
    envelope.targetPID = targetPID;
    envelope.targetName = std::move(targetName);
    envelope.payload = std::move(payload);
    return envelope;
}

bool isInvalidPID(const std::optional<std::int32_t> &pid)
{
    return pid && *pid <= 1;
}

} // namespace

ZunoSuiteCommandBus *ZunoSuiteCommandBus::shared()
{
    return zunoApplicationSingleton<ZunoSuiteCommandBus>(
        [] { return new ZunoSuiteCommandBus(std::nullopt, nullptr, nullptr); });
}

ZunoSuiteCommandBus::ZunoSuiteCommandBus(std::optional<QString> baseFolder,
    std::shared_ptr<ZunoSuiteWorkspace> workspace, ZunoDistributedNotificationCenter *center, QObject *parent)
    : QObject(parent)
    , m_folder(std::move(baseFolder))
    , m_workspace(std::move(workspace))
    , m_center(center ? center : ZunoDistributedNotificationCenter::shared())
{
    m_pool.setMaxThreadCount(kToolThreads);
}

ZunoSuiteCommandBus::~ZunoSuiteCommandBus()
{
    const QList<Token> tokens = m_observers.keys();
    for (const Token token : tokens)
        removeObserver(token);
    {
        std::lock_guard lock(m_runsMutex);
        for (const auto &run : m_runs)
            run->cancel();
    }
    if (!m_pool.waitForDone(kStopGraceMs)) {
        {
            std::lock_guard lock(m_runsMutex);
            for (const auto &run : m_runs)
                run->kill();
        }
        m_pool.waitForDone();
    }
    // A cancelled watch looks again within kLaunchLookMs.
    m_launchPool.waitForDone();
}

QString ZunoSuiteCommandBus::notificationName(ZunoSuiteApp app)
{
    return QStringLiteral("com.quarnwell.suite.command.") + rawValue(app).toLower();
}

std::shared_ptr<ZunoSuiteWorkspace> ZunoSuiteCommandBus::workspace() const
{
    return m_workspace ? m_workspace : ZunoSuiteWorkspace::shared();
}

bool ZunoSuiteCommandBus::enqueue(const ZunoSuiteCommandEnvelope &envelope)
{
    QString failure;
    if (m_folder.enqueue(envelope, &failure))
        return true;
    qWarning("ZunoSuiteCommandBus: cannot write a command for %s: %s",
        qPrintable(rawValue(envelope.targetApp)), qPrintable(failure));
    return false;
}

std::optional<ZunoSuiteCommandEnvelope> ZunoSuiteCommandBus::peekPendingCommand(
    ZunoSuiteApp app, const QDateTime &now, double maxAgeSeconds) const
{
    return m_folder.peek(app, now, maxAgeSeconds);
}

std::optional<ZunoSuiteCommandEnvelope> ZunoSuiteCommandBus::consumePendingCommand(
    ZunoSuiteApp app, const QDateTime &now, double maxAgeSeconds)
{
    return m_folder.consume(app, now, maxAgeSeconds);
}

ZunoSuiteCommandBus::Token ZunoSuiteCommandBus::startListening(ZunoSuiteApp app, CommandHandler handler)
{
    const Token token = m_nextToken++;
    Observer observer { 0, app, std::move(handler), nullptr };
    if (m_center) {
        observer.centerToken = m_center->addObserver(
            notificationName(app), [this, token](const QString &, const QString &) { drain(token); });
    }
    m_observers.insert(token, std::move(observer));
    // Commands written before the listener started (by a sender that had to start this application).
    QTimer::singleShot(kFirstDrainDelayMs, this, [this, token] { drain(token); });
    return token;
}

ZunoSuiteCommandBus::Token ZunoSuiteCommandBus::observeDataChanged(
    ZunoSuiteApp app, DataChangedHandler handler)
{
    const Token token = m_nextToken++;
    Observer observer { 0, app, nullptr, std::move(handler) };
    if (m_center) {
        observer.centerToken = m_center->addObserver(ZunoSuiteCLIBridge::dataChangedNotificationName(app),
            [this, token](const QString &, const QString &) {
                QMetaObject::invokeMethod(
                    this,
                    [this, token] {
                        const auto it = m_observers.constFind(token);
                        if (it == m_observers.cend())
                            return;
                        const DataChangedHandler handler = it->onDataChanged;
                        handler();
                    },
                    Qt::QueuedConnection);
            });
    }
    m_observers.insert(token, std::move(observer));
    return token;
}

void ZunoSuiteCommandBus::removeObserver(Token token)
{
    const auto it = m_observers.constFind(token);
    if (it == m_observers.cend())
        return;
    if (m_center && it->centerToken)
        m_center->removeObserver(it->centerToken);
    m_observers.erase(it);
}

void ZunoSuiteCommandBus::drain(Token token)
{
    const auto it = m_observers.constFind(token);
    if (it == m_observers.cend())
        return;
    const ZunoSuiteApp app = it->app;
    while (auto envelope = m_folder.consume(app, QDateTime::currentDateTimeUtc(), kListenerMaxAgeSeconds)) {
        QMetaObject::invokeMethod(
            this,
            [this, token, envelope = std::move(*envelope)] {
                const auto observer = m_observers.constFind(token);
                if (observer == m_observers.cend())
                    return;
                const CommandHandler handler = observer->onCommand;
                handler(envelope);
            },
            Qt::QueuedConnection);
    }
}

bool ZunoSuiteCommandBus::postCommandNotification(ZunoSuiteApp app)
{
    if (m_center && m_center->post(notificationName(app)))
        return true;
    qWarning("ZunoSuiteCommandBus: cannot post the command notification of %s", qPrintable(rawValue(app)));
    return false;
}

ZunoSuiteCommandBus::WindowDispatch ZunoSuiteCommandBus::dispatchToWindow(
    const ZunoSuiteCommandEnvelope &envelope, bool launchIfNeeded, bool bringToFront)
{
    const ZunoSuiteApp target = envelope.targetApp;
    // Only a kind that opens a window may bring its application to the front.
    const bool front
        = bringToFront && executionStyle(envelope.kind) == ZunoSuiteCommandExecutionStyle::openUI;
    const std::shared_ptr<ZunoSuiteWorkspace> workspaceNow = workspace();
    ZunoSuiteWorkspace &desktop = *workspaceNow;
    if (isRunning(target, desktop)) {
        if (!enqueue(envelope))
            return { WindowRoute::enqueueFailedRunning };
        postCommandNotification(target);
        if (front)
            launch(target, desktop);
        return { WindowRoute::dispatched };
    }
    if (!launchIfNeeded || !installedURL(target, desktop))
        return { WindowRoute::notInstalled };
    if (!enqueue(envelope))
        return { WindowRoute::enqueueFailedLaunching };
    // Started without a notification: it reads its file when it comes up.
    const auto entry = installedURL(target, desktop);
    if (!entry) {
        m_folder.withdraw(envelope);
        return { WindowRoute::notInstalled };
    }
    ZunoDesktopEntryStart start = desktop.openDesktopEntry(*entry, front);
    if (!start.started) {
        // Told it did not start, the user must not see the command run when the app starts later.
        m_folder.withdraw(envelope);
        return { WindowRoute::startFailed, nullptr, start.failure };
    }
    return { WindowRoute::launched, std::move(start.program) };
}

std::optional<std::pair<QString, QStringList>> ZunoSuiteCommandBus::toolFor(
    const ZunoSuiteCommandEnvelope &envelope, const QStringList &extraSearchDirectories) const
{
    // The tool of the application the kind's command line belongs to, which need not be the target.
    const auto command = ZunoSuiteCLIBridge::invocation(envelope);
    if (!command)
        return std::nullopt;
    const auto tool = cliExecutableURL(command->targetApp, extraSearchDirectories, *workspace());
    if (!tool)
        return std::nullopt;
    return std::make_pair(*tool, command->arguments);
}

std::shared_ptr<ZunoProcessCancellation> ZunoSuiteCommandBus::addRun()
{
    auto run = std::make_shared<ZunoProcessCancellation>();
    std::lock_guard lock(m_runsMutex);
    m_runs.insert(run);
    return run;
}

void ZunoSuiteCommandBus::removeRun(const std::shared_ptr<ZunoProcessCancellation> &run)
{
    std::lock_guard lock(m_runsMutex);
    m_runs.erase(run);
}

QFuture<ZunoSuiteCommandResult> ZunoSuiteCommandBus::runInBackground(
    const QString &tool, const QStringList &arguments, double timeoutSeconds)
{
    const auto cancellation = addRun();
    return QtConcurrent::run(&m_pool, [this, tool, arguments, timeoutSeconds, cancellation] {
        Result result = ZunoSuiteCLIBridge::runExecutable(tool, arguments, timeoutSeconds, cancellation);
        removeRun(cancellation);
        return result;
    });
}

QFuture<ZunoSuiteCommandResult> ZunoSuiteCommandBus::watchLaunch(
    const ZunoSuiteCommandEnvelope &envelope, std::shared_ptr<ZunoDetachedProcess> program)
{
    if (!program)
        return QtFuture::makeReadyFuture(dispatched(envelope, Transport::guiLaunch()));
    const auto cancellation = addRun();
    return QtConcurrent::run(&m_launchPool,
        [this, envelope, program = std::move(program), desktop = workspace(), cancellation]() mutable {
            const std::optional<QString> failure
                = launchFailure(envelope, *program, m_folder, *desktop, *cancellation);
            // Watched no longer: the program, if it runs, goes on alone.
            program.reset();
            removeRun(cancellation);
            if (!failure)
                return dispatched(envelope, Transport::guiLaunch());
            qWarning("ZunoSuiteCommandBus: %s did not come up for %s: %s",
                qPrintable(rawValue(envelope.targetApp)), qPrintable(rawValue(envelope.kind)),
                qPrintable(*failure));
            return couldNotStart(envelope.targetApp, *failure);
        });
}

void ZunoSuiteCommandBus::waitForBackgroundRuns()
{
    m_pool.waitForDone();
    m_launchPool.waitForDone();
}

QFuture<ZunoSuiteCommandResult> ZunoSuiteCommandBus::execute(ZunoSuiteCommandKind kind, ZunoSuiteApp from,
    ZunoSuiteApp to, std::optional<std::int32_t> targetPID, std::optional<QString> targetName,
    std::optional<QString> payload, bool launchIfNeeded, bool bringToFront,
    const QStringList &extraCLISearchDirectories, double timeoutSeconds)
{
    if (isInvalidPID(targetPID))
        return QtFuture::makeReadyFuture(invalidPID());
    const ZunoSuiteCommandEnvelope envelope
        = makeEnvelope(kind, from, to, targetPID, std::move(targetName), std::move(payload));

    if (!isHeadlessFeature(kind)) {
        WindowDispatch dispatch = dispatchToWindow(envelope, launchIfNeeded, bringToFront);
        switch (dispatch.route) {
        case WindowRoute::dispatched:
            return QtFuture::makeReadyFuture(dispatched(envelope, Transport::liveDaemonSilentIPC()));
        case WindowRoute::launched:
            return watchLaunch(envelope, std::move(dispatch.program));
        case WindowRoute::notInstalled:
            return QtFuture::makeReadyFuture(notInstalled(to));
        case WindowRoute::startFailed:
            return QtFuture::makeReadyFuture(couldNotStart(to, dispatch.failure));
        case WindowRoute::enqueueFailedRunning:
            return QtFuture::makeReadyFuture(silentFailure(to, Transport::liveDaemonSilentIPC()));
        case WindowRoute::enqueueFailedLaunching:
            return QtFuture::makeReadyFuture(silentFailure(to, Transport::unavailable()));
        }
    }

    if (const auto tool = toolFor(envelope, extraCLISearchDirectories))
        return runInBackground(tool->first, tool->second, timeoutSeconds);
    // No tool: a running target can still take the command from its file; it is never started for it.
    if (!isRunning(to, *workspace()))
        return QtFuture::makeReadyFuture(unavailable(to));
    if (!enqueue(envelope))
        return QtFuture::makeReadyFuture(silentFailure(to, Transport::liveDaemonSilentIPC()));
    postCommandNotification(to);
    return QtFuture::makeReadyFuture(silent(envelope));
}

bool ZunoSuiteCommandBus::send(ZunoSuiteCommandKind kind, ZunoSuiteApp from, ZunoSuiteApp to,
    std::optional<std::int32_t> targetPID, std::optional<QString> targetName, std::optional<QString> payload,
    bool launchIfNeeded, bool bringToFront)
{
    if (isInvalidPID(targetPID))
        return false;
    const ZunoSuiteCommandEnvelope envelope
        = makeEnvelope(kind, from, to, targetPID, std::move(targetName), std::move(payload));
    if (!isHeadlessFeature(kind)) {
        WindowDispatch dispatch = dispatchToWindow(envelope, launchIfNeeded, bringToFront);
        // Handed on once started; a start that ends early still takes its command back (logged).
        if (dispatch.route == WindowRoute::launched)
            watchLaunch(envelope, std::move(dispatch.program));
        return dispatch.route == WindowRoute::dispatched || dispatch.route == WindowRoute::launched;
    }
    if (const auto tool = toolFor(envelope, {})) {
        // The outcome is not awaited; the run is still stopped with the bus.
        runInBackground(tool->first, tool->second, kSendTimeoutSeconds);
        return true;
    }
    if (!isRunning(to, *workspace()) || !enqueue(envelope))
        return false;
    postCommandNotification(to);
    return true;
}

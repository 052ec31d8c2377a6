#pragma once

#include "ZunoSuiteApp.h"
#include "ZunoSuiteCommandEnvelope.h"
#include "ZunoSuiteCommandFolder.h"
#include "ZunoSuiteCommandResult.h"

#include <QFuture>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QThreadPool>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>

class ZunoDetachedProcess;
class ZunoDistributedNotificationCenter;
class ZunoProcessCancellation;
class ZunoSuiteWorkspace;

// Commands between the suite's applications. A background kind runs the target's command-line tool
// when there is one; otherwise, and for window and overlay kinds, the command is left as a file in the
// shared command folder and the target is woken by its command notification, or started so that it
// reads the file when it comes up. The target listens for its notification and takes its files.
// A started target counts as reached once it took its command, its name appeared on the session bus,
// or it still runs after a short grace; one that ends before that failed to start, and its command is
// taken back. Main thread, except tool runs and the watch over a start, which go to the bus's own
// threads.
class ZunoSuiteCommandBus : public QObject {
    Q_OBJECT

public:
    using Token = quint64;
    using CommandHandler = std::function<void(const ZunoSuiteCommandEnvelope &)>;
    using DataChangedHandler = std::function<void()>;

    // How old (or how far in the future) a command a listener takes may be.
    static constexpr double kListenerMaxAgeSeconds = 25;
    // The listener's first look at the folder after it starts, for commands written before it.
    static constexpr int kFirstDrainDelayMs = 350;
    // The time limit of the tool runs that `send` starts.
    static constexpr double kSendTimeoutSeconds = 45;
    // How long a started target that has neither taken its command nor come onto the bus must keep
    // running to count as reached: programs that cannot come up (a missing library, no display) end
    // well within it.
    static constexpr int kLaunchGraceMs = 2000;
    // How often the watch over a start looks for the command taken and the name on the bus.
    static constexpr int kLaunchLookMs = 100;

    // The process's bus on the suite folder, made on first use as a child of the application object;
    // null without an application object.
    static ZunoSuiteCommandBus *shared();

    // `baseFolder`: the folder whose "Commands" folder holds the files (default: the suite folder);
    // `workspace`: null asks `ZunoSuiteWorkspace::shared()` at each call; `center`: null uses the shared
    // distributed notification centre.
    explicit ZunoSuiteCommandBus(std::optional<QString> baseFolder = std::nullopt,
        std::shared_ptr<ZunoSuiteWorkspace> workspace = nullptr,
        ZunoDistributedNotificationCenter *center = nullptr, QObject *parent = nullptr);
    // Stops the tool runs still going (asked to stop, then killed 2 s later) and waits for them.
    ~ZunoSuiteCommandBus() override;

    // "com.quarnwell.suite.command." and the raw value lower-cased.
    static QString notificationName(ZunoSuiteApp app);
    QString commandsDirectory() const { return m_folder.path(); }

    bool enqueue(const ZunoSuiteCommandEnvelope &envelope);
    std::optional<ZunoSuiteCommandEnvelope> peekPendingCommand(
        ZunoSuiteApp app, const QDateTime &now, double maxAgeSeconds) const;
    std::optional<ZunoSuiteCommandEnvelope> consumePendingCommand(
        ZunoSuiteApp app, const QDateTime &now, double maxAgeSeconds);

    // Takes every fresh command for `app` on each of its command notifications and once shortly after
    // the start, and hands each to `handler` in its own later main-thread call, oldest first.
    Token startListening(ZunoSuiteApp app, CommandHandler handler);
    // Calls `handler` in a later main-thread call on each data-changed notification of `app`.
    Token observeDataChanged(ZunoSuiteApp app, DataChangedHandler handler);
    // Stops a listener or observer; none of its handler calls runs after this, queued ones included.
    void removeObserver(Token token);

    // Carries out one command and reports how. Call on the main thread and attach to the future with
    // `.then(context, …)`; never wait on it there.
    QFuture<ZunoSuiteCommandResult> execute(ZunoSuiteCommandKind kind, ZunoSuiteApp from, ZunoSuiteApp to,
        std::optional<std::int32_t> targetPID = std::nullopt,
        std::optional<QString> targetName = std::nullopt, std::optional<QString> payload = std::nullopt,
        bool launchIfNeeded = true, bool bringToFront = true,
        const QStringList &extraCLISearchDirectories = {}, double timeoutSeconds = 45);
    // Hands one command on without waiting for its outcome; whether it was handed on. Main thread.
    bool send(ZunoSuiteCommandKind kind, ZunoSuiteApp from, ZunoSuiteApp to,
        std::optional<std::int32_t> targetPID = std::nullopt,
        std::optional<QString> targetName = std::nullopt, std::optional<QString> payload = std::nullopt,
        bool launchIfNeeded = true, bool bringToFront = true);

    // Blocks until the tool runs and the watches over starts begun so far have ended. For tools and
    // tests; never on the main thread of an application.
    void waitForBackgroundRuns();

private:
    struct Observer {
        quint64 centerToken = 0;
        ZunoSuiteApp app;
        CommandHandler onCommand;
        DataChangedHandler onDataChanged;
    };
    enum class WindowRoute {
        dispatched,
        launched,
        notInstalled,
        startFailed,
        enqueueFailedRunning,
        enqueueFailedLaunching
    };
    struct WindowDispatch {
        WindowRoute route;
        // launched: the started program, to be watched (null when the start was handed on).
        std::shared_ptr<ZunoDetachedProcess> program = nullptr;
        // startFailed: why.
        QString failure = QString();
    };

    std::shared_ptr<ZunoSuiteWorkspace> workspace() const;
    void drain(Token token);
    bool postCommandNotification(ZunoSuiteApp app);
    WindowDispatch dispatchToWindow(
        const ZunoSuiteCommandEnvelope &envelope, bool launchIfNeeded, bool bringToFront);
    std::optional<std::pair<QString, QStringList>> toolFor(
        const ZunoSuiteCommandEnvelope &envelope, const QStringList &extraSearchDirectories) const;
    QFuture<ZunoSuiteCommandResult> runInBackground(
        const QString &tool, const QStringList &arguments, double timeoutSeconds);
    // Watches a target started for `envelope` until it counts as reached or has failed to start.
    QFuture<ZunoSuiteCommandResult> watchLaunch(
        const ZunoSuiteCommandEnvelope &envelope, std::shared_ptr<ZunoDetachedProcess> program);
    std::shared_ptr<ZunoProcessCancellation> addRun();
    void removeRun(const std::shared_ptr<ZunoProcessCancellation> &run);

    ZunoSuiteCommandFolder m_folder;
    std::shared_ptr<ZunoSuiteWorkspace> m_workspace;
    QPointer<ZunoDistributedNotificationCenter> m_center;
    QHash<Token, Observer> m_observers;
    Token m_nextToken = 1;
    QThreadPool m_pool;
    // Watches over starts never wait behind slow tools.
    QThreadPool m_launchPool;
    std::mutex m_runsMutex;
    std::set<std::shared_ptr<ZunoProcessCancellation>> m_runs;
};

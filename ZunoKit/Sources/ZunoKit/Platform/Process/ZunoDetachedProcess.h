#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

#include <sys/types.h>

// A program started so that it is not this process's child and may outlive it (a desktop application).
// `start` answers only once the program's exec has succeeded or failed, so that "started" means running:
// a missing interpreter or an unexecutable file is a failure, not a start. The program gets a session
// of its own, its input from /dev/null, default signal handling and none of this process's other
// descriptors.
//
// While the object is kept, a small watcher process forked for the start stays the program's parent,
// so that an early end is seen with its exit status or signal; once the object is released or gone,
// the watcher exits and the program is reparented (to init or the session's reaper) and goes on alone.
// The watcher keeps none of our descriptors but its two pipes. Any thread; one at a time per object.
class ZunoDetachedProcess {
public:
    struct Options {
        // An absolute or relative path, or a name looked up in PATH.
        QString program;
        // Without the program itself.
        QStringList arguments;
        // The whole environment, "NAME=value".
        QStringList environment;
        std::optional<QString> workingDirectory;
    };

    // The running program; null when it could not be started, with the reason in `failure` when given.
    // Blocks for two forks and an exec (milliseconds).
    static std::unique_ptr<ZunoDetachedProcess> start(const Options &options, QString *failure = nullptr);

    ZunoDetachedProcess(const ZunoDetachedProcess &) = delete;
    ZunoDetachedProcess &operator=(const ZunoDetachedProcess &) = delete;
    // Releases the program.
    ~ZunoDetachedProcess();

    // The program's process id; 0 while its exec has not answered.
    pid_t pid() const { return m_pid; }
    // Waits up to `timeoutMs` (0: only looks) for the program to end, and says how it ended
    // ("/bin/false exited with status 1") once it has; nothing while it runs, or once released.
    std::optional<QString> waitForEnd(int timeoutMs);
    // Stops watching: the watcher exits and the program goes on alone.
    void release();

private:
    ZunoDetachedProcess(pid_t watcher, int report, int leave, QString program, QString directory);

    enum class Answer { none, running, ended };
    Answer readAnswer(int timeoutMs);
    void closeWatcher();

    pid_t m_watcher;
    int m_report;
    int m_leave;
    QString m_program;
    QString m_directory;
    pid_t m_pid = 0;
    int m_watcherStatus = 0;
    std::optional<QString> m_end;
};

#pragma once

#include <QString>
#include <QStringList>

#include <mutex>
#include <optional>

// One child process started with posix_spawn, in a process group of its own, so that a stop reaches
// whatever it started too. The child is not reaped until `waitForExit()` has seen it end and cleared
// the running flag under the lock, so `terminate()` from another thread can never signal a process id
// that the system has handed to someone else; the group is signalled only while it has members (its
// id cannot be handed out again while any member lives).
class ZunoChildProcess {
public:
    struct Options {
        QString executable;
        QStringList arguments;
        std::optional<QString> workingDirectory;
        // The child's whole environment as "NAME=value"; none inherits the parent's unchanged.
        std::optional<QStringList> environment;
        // Descriptors that become the child's standard output and error; its input is /dev/null.
        int stdoutFd = -1;
        int stderrFd = -1;
    };

    ZunoChildProcess() = default;
    // Kills and reaps a child that was launched and never waited for (an unwinding caller).
    ~ZunoChildProcess();
    ZunoChildProcess(const ZunoChildProcess &) = delete;
    ZunoChildProcess &operator=(const ZunoChildProcess &) = delete;

    // Starts the child; throws std::system_error with the launch failure (missing file, no permission,
    // not executable, no such working directory).
    void launch(const Options &options);
    bool isRunning() const;
    // SIGTERM to the child's whole process group while it has members; otherwise nothing.
    void terminate();
    // SIGKILL to the whole process group while it has members.
    void kill();
    // Whether any live process (zombies aside) is still in the child's process group.
    bool groupHasMembers() const;
    // Blocks until the child has ended, reaps it and returns its termination status: the exit code,
    // or the number of the signal that ended it. Call once, from one thread.
    int waitForExit();

private:
    void signal(int number);
    static bool anyLiveMember(long group);

    mutable std::mutex m_mutex;
    int m_pid = -1;
    bool m_running = false;
    bool m_reaped = false;
};

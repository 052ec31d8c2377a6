#include "ZunoChildProcess.h"

#include "ZunoCStringArray.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <system_error>
#include <unistd.h>

extern char **environ;

namespace {

// The state letter and process group of /proc/<pid>/stat: "pid (comm) state ppid pgrp ...", where comm
// may itself hold spaces and parentheses.
bool readStat(const QString &pid, char &state, long &group)
{
    QFile file(QStringLiteral("/proc/") + pid + QStringLiteral("/stat"));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = file.read(1024);
    const qsizetype close = line.lastIndexOf(')');
    if (close < 0)
        return false;
    const QList<QByteArray> fields = line.mid(close + 2).split(' ');
    if (fields.size() < 3 || fields[0].isEmpty())
        return false;
    bool ok = false;
    state = fields[0].at(0);
    group = fields[2].toLong(&ok);
    return ok;
}

void check(int error, const char *what)
{
    if (error != 0)
        throw std::system_error(error, std::generic_category(), what);
}

} // namespace

ZunoChildProcess::~ZunoChildProcess()
{
    bool reap = false;
    {
        std::lock_guard lock(m_mutex);
        if (m_pid > 0 && !m_reaped) {
            if (m_running) {
                ::kill(-m_pid, SIGKILL);
                ::kill(m_pid, SIGKILL);
            }
            reap = true;
        }
    }
    if (reap) {
        int status = 0;
        while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) { }
    }
}

void ZunoChildProcess::launch(const Options &options)
{
    const QByteArray executable = QFile::encodeName(options.executable);
    QList<QByteArray> argv { executable };
    for (const QString &argument : options.arguments)
        argv.append(argument.toLocal8Bit());
    ZunoCStringArray args(argv);

    std::optional<ZunoCStringArray> env;
    if (options.environment) {
        QList<QByteArray> entries;
        for (const QString &entry : *options.environment)
            entries.append(entry.toLocal8Bit());
        env.emplace(entries);
    }

    posix_spawn_file_actions_t actions;
    check(posix_spawn_file_actions_init(&actions), "posix_spawn_file_actions_init");
    posix_spawnattr_t attributes;
    if (int error = posix_spawnattr_init(&attributes)) {
        posix_spawn_file_actions_destroy(&actions);
        check(error, "posix_spawnattr_init");
    }
    struct Cleanup {
        posix_spawn_file_actions_t *actions;
        posix_spawnattr_t *attributes;
        ~Cleanup()
        {
            posix_spawn_file_actions_destroy(actions);
            posix_spawnattr_destroy(attributes);
        }
    } cleanup { &actions, &attributes };

    check(posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0), "stdin");
    if (options.stdoutFd >= 0)
        check(posix_spawn_file_actions_adddup2(&actions, options.stdoutFd, STDOUT_FILENO), "stdout");
    if (options.stderrFd >= 0)
        check(posix_spawn_file_actions_adddup2(&actions, options.stderrFd, STDERR_FILENO), "stderr");
    const QByteArray directory
        = options.workingDirectory ? QFile::encodeName(*options.workingDirectory) : QByteArray();
    if (options.workingDirectory)
        check(posix_spawn_file_actions_addchdir_np(&actions, directory.constData()), "working directory");

    // The child starts with default signal handling and nothing blocked, whatever the parent set up
    // (Qt and test runners ignore or block some signals).
    sigset_t all;
    sigset_t none;
    sigfillset(&all);
    sigemptyset(&none);
    check(posix_spawnattr_setsigdefault(&attributes, &all), "signal defaults");
    check(posix_spawnattr_setsigmask(&attributes, &none), "signal mask");
    // A group of its own (its id is the child's), so that a stop reaches the tool's own children.
    check(posix_spawnattr_setpgroup(&attributes, 0), "process group");
    check(posix_spawnattr_setflags(
              &attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETPGROUP),
        "flags");

    std::lock_guard lock(m_mutex);
    pid_t pid = -1;
    const int error = posix_spawn(
        &pid, executable.constData(), &actions, &attributes, args.data(), env ? env->data() : environ);
    if (error != 0)
        throw std::system_error(error, std::generic_category(), executable.toStdString());
    m_pid = pid;
    m_running = true;
}

bool ZunoChildProcess::isRunning() const
{
    std::lock_guard lock(m_mutex);
    return m_running;
}

void ZunoChildProcess::terminate()
{
    signal(SIGTERM);
}

void ZunoChildProcess::kill()
{
    signal(SIGKILL);
}

void ZunoChildProcess::signal(int number)
{
    std::lock_guard lock(m_mutex);
    if (m_pid <= 0)
        return;
    if (m_running) {
        ::kill(-m_pid, number);
        // The child itself, should it have left its group.
        ::kill(m_pid, number);
    } else if (anyLiveMember(m_pid)) {
        ::kill(-m_pid, number);
    }
}

bool ZunoChildProcess::groupHasMembers() const
{
    long group;
    {
        std::lock_guard lock(m_mutex);
        group = m_pid;
    }
    return anyLiveMember(group);
}

bool ZunoChildProcess::anyLiveMember(long group)
{
    if (group <= 0)
        return false;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        if (entry.isEmpty() || !entry.front().isDigit())
            continue;
        char state = 0;
        long memberOf = 0;
        if (readStat(entry, state, memberOf) && memberOf == group && state != 'Z' && state != 'X')
            return true;
    }
    return false;
}

int ZunoChildProcess::waitForExit()
{
    int pid;
    {
        std::lock_guard lock(m_mutex);
        if (m_pid <= 0 || m_reaped)
            return -1;
        pid = m_pid;
    }
    // Wait without reaping, so the id stays ours until the flag is cleared.
    siginfo_t info {};
    while (::waitid(P_PID, pid, &info, WEXITED | WNOWAIT) < 0 && errno == EINTR) { }
    {
        std::lock_guard lock(m_mutex);
        m_running = false;
    }
    int status = 0;
    pid_t reaped;
    while ((reaped = ::waitpid(pid, &status, 0)) < 0 && errno == EINTR) { }
    std::lock_guard lock(m_mutex);
    m_reaped = true;
    if (reaped != pid)
        return -1;
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return WTERMSIG(status);
    return -1;
}

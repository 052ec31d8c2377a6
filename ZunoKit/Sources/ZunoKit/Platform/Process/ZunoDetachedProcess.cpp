#include "ZunoDetachedProcess.h"

#include "ZunoCStringArray.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

namespace {

// An exec normally answers in milliseconds; one stuck far longer (a hung network folder) is left to
// finish on its own rather than hold the caller.
constexpr int kExecAnswerMs = 5000;
// How often a watcher without a pidfd looks whether the program ended.
constexpr int kReapPollMs = 20;

// Closes a descriptor when it goes out of scope, unless taken.
struct Descriptor {
    int fd = -1;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
    int take() { return std::exchange(fd, -1); }
};

// The program and its two argument vectors, made before the fork: the children may only make
// async-signal-safe calls.
struct Prepared {
    QByteArray file;
    ZunoCStringArray argv;
    // A file without a "#!" line and not a binary runs as a shell script, as exec's callers expect.
    ZunoCStringArray shellArgv;
    ZunoCStringArray envp;
    QByteArray directory;
};

// The step of the start that failed, reported with its errno.
enum class Step : int { pipe, fork, input, directory, exec };

struct Failure {
    Step step;
    int error;
};

// What the watcher tells us, in order: the start failed, or the program runs and later how it ended.
enum class Kind : int { failed, running, ended };

struct Record {
    Kind kind;
    Step step;
    // failed: the errno; running: the program's pid; ended: its wait status.
    int value;
};

template <typename T> void writeAll(int fd, const T &value)
{
    // Smaller than PIPE_BUF: written whole or not at all.
    while (::write(fd, &value, sizeof value) < 0 && errno == EINTR) { }
}

template <typename T> ssize_t readAll(int fd, T &value)
{
    ssize_t got;
    while ((got = ::read(fd, &value, sizeof value)) < 0 && errno == EINTR) { }
    return got;
}

int pollFor(pollfd *fds, nfds_t count, int timeoutMs)
{
    int ready;
    while ((ready = ::poll(fds, count, timeoutMs)) < 0 && errno == EINTR) { }
    return ready;
}

pid_t reap(pid_t pid, int *status, int options = 0)
{
    pid_t got;
    while ((got = ::waitpid(pid, status, options)) < 0 && errno == EINTR) { }
    return got;
}

[[noreturn]] void failExec(int exec, Step step, int error)
{
    writeAll(exec, Failure { step, error });
    ::_exit(127);
}

[[noreturn]] void failStart(int report, Step step, int error)
{
    writeAll(report, Record { Kind::failed, step, error });
    ::_exit(0);
}

// Runs in the program's process: sets it up and execs it; a failure writes its step and errno into
// `exec`, whose end closes on a successful exec.
[[noreturn]] void runProgram(Prepared &prepared, int devNull, int exec)
{
    if (::dup2(devNull, STDIN_FILENO) < 0)
        failExec(exec, Step::input, errno);
    struct sigaction action { };
    action.sa_handler = SIG_DFL;
    for (int number = 1; number < NSIG; ++number)
        ::sigaction(number, &action, nullptr);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    if (!prepared.directory.isEmpty() && ::chdir(prepared.directory.constData()) != 0)
        failExec(exec, Step::directory, errno);
    // None of our descriptors reaches the program; the exec pipe is already closed on exec.
    ::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
    ::execve(prepared.file.constData(), prepared.argv.data(), prepared.envp.data());
    if (errno == ENOEXEC)
        ::execve("/bin/sh", prepared.shellArgv.data(), prepared.envp.data());
    failExec(exec, Step::exec, errno);
}

// Closes every descriptor from 3 up but the ones given: a watcher that lingers must not hold a pipe
// end of ours that someone waits to see closed.
void keepOnly(std::array<int, 3> keep)
{
    std::sort(keep.begin(), keep.end());
    unsigned from = 3;
    for (const int fd : keep) {
        if (fd < int(from))
            continue;
        if (unsigned(fd) > from)
            ::close_range(from, unsigned(fd) - 1, 0);
        from = unsigned(fd) + 1;
    }
    ::close_range(from, ~0U, 0);
}

// Runs in the watcher, the process forked for the start: forks the program and stays its parent,
// telling `report` whether its exec succeeded and then how it ended, until `leave` closes (the caller
// released it, or is gone). The watcher's exit reparents the program away from us.
[[noreturn]] void runWatcher(Prepared &prepared, int devNull, int report, int leave)
{
    // The program's end must be seen (not discarded by an inherited SIG_IGN) and an inherited handler
    // must not run here; a caller that left closes the report pipe under our writes.
    struct sigaction action { };
    action.sa_handler = SIG_DFL;
    ::sigaction(SIGCHLD, &action, nullptr);
    action.sa_handler = SIG_IGN;
    ::sigaction(SIGPIPE, &action, nullptr);
    ::setsid();
    keepOnly({ devNull, report, leave });

    int exec[2];
    if (::pipe2(exec, O_CLOEXEC) != 0)
        failStart(report, Step::pipe, errno);
    const pid_t program = ::fork();
    if (program < 0)
        failStart(report, Step::fork, errno);
    if (program == 0) {
        ::close(report);
        ::close(leave);
        ::close(exec[0]);
        runProgram(prepared, devNull, exec[1]);
    }
    ::close(exec[1]);

    // Until the exec answers: a failure record, or the end of file of a successful exec.
    // A poll that fails falls back to waiting for the answer alone.
    pollfd answer[2] = { { exec[0], POLLIN, 0 }, { leave, POLLIN, 0 } };
    while (pollFor(answer, 2, -1) >= 0 && !answer[0].revents) {
        if (answer[1].revents)
            ::_exit(0);
    }
    Failure failed {};
    const ssize_t got = readAll(exec[0], failed);
    if (got != 0) {
        int status;
        reap(program, &status);
        if (got == sizeof failed)
            failStart(report, failed.step, failed.error);
        failStart(report, Step::exec, EIO);
    }
    writeAll(report, Record { Kind::running, Step::exec, int(program) });

    // Until the program ends or the caller leaves. A pidfd wakes us at the end; without one, look often.
    const int pidfd = int(::syscall(SYS_pidfd_open, program, 0));
    pollfd watch[2] = { { leave, POLLIN, 0 }, { pidfd, POLLIN, 0 } };
    while (true) {
        // A poll that fails leaves the program unwatched, which the caller hears as the end of the pipe.
        if (pollFor(watch, 2, pidfd >= 0 ? -1 : kReapPollMs) < 0 || watch[0].revents)
            ::_exit(0);
        int status;
        if (reap(program, &status, WNOHANG) == program) {
            writeAll(report, Record { Kind::ended, Step::exec, status });
            ::_exit(0);
        }
    }
}

QList<QByteArray> encoded(const QStringList &strings)
{
    QList<QByteArray> bytes;
    for (const QString &string : strings)
        bytes.append(string.toLocal8Bit());
    return bytes;
}

QString withError(const QString &what, int error)
{
    return what + QStringLiteral(": ") + qt_error_string(error);
}

QString failureText(Step step, int error, const QString &path, const QString &directory)
{
    switch (step) {
    case Step::pipe:
        return withError(QStringLiteral("pipe"), error);
    case Step::fork:
        return withError(QStringLiteral("fork"), error);
    case Step::input:
        return withError(QStringLiteral("/dev/null"), error);
    case Step::directory:
        return withError(directory, error);
    case Step::exec:
        break;
    }
    // The file is there, so what exec did not find is the interpreter its "#!" line names.
    if (error == ENOENT && QFileInfo::exists(path))
        return withError(path + QStringLiteral(" (its interpreter)"), error);
    return withError(path, error);
}

// "/bin/false exited with status 1", "/usr/bin/zunomail was killed by signal 11 (SIGSEGV)".
QString endText(const QString &who, int status)
{
    if (WIFEXITED(status))
        return QStringLiteral("%1 exited with status %2").arg(who).arg(WEXITSTATUS(status));
    const int number = WTERMSIG(status);
    const char *name = ::sigabbrev_np(number);
    return QStringLiteral("%1 was killed by signal %2%3")
        .arg(who)
        .arg(number)
        .arg(name ? QStringLiteral(" (SIG%1)").arg(QString::fromLatin1(name)) : QString());
}

} // namespace

ZunoDetachedProcess::ZunoDetachedProcess(
    pid_t watcher, int report, int leave, QString program, QString directory)
    : m_watcher(watcher)
    , m_report(report)
    , m_leave(leave)
    , m_program(std::move(program))
    , m_directory(std::move(directory))
{
}

ZunoDetachedProcess::~ZunoDetachedProcess()
{
    release();
}

std::unique_ptr<ZunoDetachedProcess> ZunoDetachedProcess::start(const Options &options, QString *failure)
{
    const auto fail = [&](const QString &why) {
        if (failure)
            *failure = why;
        return nullptr;
    };

    const QString path = options.program.contains(QLatin1Char('/'))
        ? options.program
        : QStandardPaths::findExecutable(options.program);
    if (path.isEmpty())
        return fail(withError(options.program, ENOENT));
    const QByteArray file = QFile::encodeName(path);
    const QList<QByteArray> arguments = encoded(options.arguments);
    const QString directory = options.workingDirectory.value_or(QString());
    Prepared prepared { file, ZunoCStringArray(QList<QByteArray> { file } + arguments),
        ZunoCStringArray(QList<QByteArray> { "/bin/sh", file } + arguments),
        ZunoCStringArray(encoded(options.environment)), QFile::encodeName(directory) };

    Descriptor devNull { ::open("/dev/null", O_RDONLY | O_CLOEXEC) };
    if (devNull.fd < 0)
        return fail(withError(QStringLiteral("/dev/null"), errno));
    int reportEnds[2];
    if (::pipe2(reportEnds, O_CLOEXEC) != 0)
        return fail(withError(QStringLiteral("pipe"), errno));
    Descriptor reportReader { reportEnds[0] };
    Descriptor reportWriter { reportEnds[1] };
    int leaveEnds[2];
    if (::pipe2(leaveEnds, O_CLOEXEC) != 0)
        return fail(withError(QStringLiteral("pipe"), errno));
    Descriptor leaveReader { leaveEnds[0] };
    Descriptor leaveWriter { leaveEnds[1] };

    const pid_t watcher = ::fork();
    if (watcher < 0)
        return fail(withError(QStringLiteral("fork"), errno));
    if (watcher == 0) {
        ::close(reportReader.fd);
        ::close(leaveWriter.fd);
        runWatcher(prepared, devNull.fd, reportWriter.fd, leaveReader.fd);
    }
    ::close(reportWriter.take());
    ::close(leaveReader.take());
    std::unique_ptr<ZunoDetachedProcess> process(
        new ZunoDetachedProcess(watcher, reportReader.take(), leaveWriter.take(), path, directory));

    switch (process->readAnswer(kExecAnswerMs)) {
    case Answer::running:
        return process;
    case Answer::ended:
        return fail(*process->m_end);
    case Answer::none:
        break;
    }
    qWarning("ZunoDetachedProcess: %s has not finished starting; taken as started", file.constData());
    return process;
}

ZunoDetachedProcess::Answer ZunoDetachedProcess::readAnswer(int timeoutMs)
{
    if (m_report < 0)
        return m_end ? Answer::ended : Answer::none;
    pollfd ready { m_report, POLLIN, 0 };
    if (pollFor(&ready, 1, timeoutMs) <= 0)
        return Answer::none;
    Record record {};
    const ssize_t got = readAll(m_report, record);
    if (got == sizeof record && record.kind == Kind::running) {
        m_pid = record.value;
        return Answer::running;
    }
    if (got == sizeof record && record.kind == Kind::failed)
        m_end = failureText(record.step, record.value, m_program, m_directory);
    else if (got == sizeof record && record.kind == Kind::ended)
        m_end = endText(m_program, record.value);
    closeWatcher();
    if (m_end)
        return Answer::ended;
    // The watcher went without a word: before the program ran, that is a failed start; after, the
    // program is merely no longer watched.
    if (m_pid != 0) {
        qWarning("ZunoDetachedProcess: the watcher of %s ended early (%s); no longer watched",
            qPrintable(m_program), qPrintable(endText(QStringLiteral("it"), m_watcherStatus)));
        return Answer::none;
    }
    m_end = QStringLiteral("the start of %1 ended early: %2")
                .arg(m_program, endText(QStringLiteral("its watcher"), m_watcherStatus));
    return Answer::ended;
}

std::optional<QString> ZunoDetachedProcess::waitForEnd(int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!m_end && m_report >= 0) {
        const Answer answer = readAnswer(int(deadline.remainingTime()));
        if (answer == Answer::none && (m_report < 0 || deadline.hasExpired()))
            break;
    }
    return m_end;
}

void ZunoDetachedProcess::release()
{
    closeWatcher();
}

void ZunoDetachedProcess::closeWatcher()
{
    // Closing its pipe lets the watcher go at once; reaping it then blocks for no longer than that.
    if (m_leave >= 0)
        ::close(std::exchange(m_leave, -1));
    if (m_report >= 0)
        ::close(std::exchange(m_report, -1));
    if (m_watcher > 0 && reap(std::exchange(m_watcher, 0), &m_watcherStatus) < 0)
        m_watcherStatus = 0;
}

#include "ZunoDetachedProcess.h"

#include "ZunoCStringArray.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// An exec normally answers in milliseconds; one stuck far longer (a hung network folder) is left to
// finish on its own rather than hold the caller.
constexpr int kExecAnswerMs = 5000;

// Closes a descriptor when it goes out of scope.
struct Descriptor {
    int fd = -1;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

// The program and its two argument vectors, made before the fork: the child may only make
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
enum class Step : int { fork, input, directory, exec };

struct Failure {
    Step step;
    int error;
};

[[noreturn]] void report(int pipe, Step step, int error)
{
    const Failure failure { step, error };
    while (::write(pipe, &failure, sizeof failure) < 0 && errno == EINTR) { }
    ::_exit(127);
}

// Runs in the forked child: forks the program, so that it is reparented away from us, and exits.
// The program's exec closes the report pipe; a failure writes its step and errno into it first.
[[noreturn]] void runChild(Prepared &prepared, int devNull, int pipe)
{
    ::setsid();
    const pid_t program = ::fork();
    if (program < 0)
        report(pipe, Step::fork, errno);
    if (program > 0)
        ::_exit(0);

    if (::dup2(devNull, STDIN_FILENO) < 0)
        report(pipe, Step::input, errno);
    struct sigaction action { };
    action.sa_handler = SIG_DFL;
    for (int number = 1; number < NSIG; ++number)
        ::sigaction(number, &action, nullptr);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    if (!prepared.directory.isEmpty() && ::chdir(prepared.directory.constData()) != 0)
        report(pipe, Step::directory, errno);
    // None of our descriptors reaches the program; the report pipe is already closed on exec.
    ::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
    ::execve(prepared.file.constData(), prepared.argv.data(), prepared.envp.data());
    if (errno == ENOEXEC)
        ::execve("/bin/sh", prepared.shellArgv.data(), prepared.envp.data());
    report(pipe, Step::exec, errno);
}

QList<QByteArray> encoded(const QStringList &strings)
{
    QList<QByteArray> bytes;
    for (const QString &string : strings)
        bytes.append(string.toLocal8Bit());
    return bytes;
}

} // namespace

bool ZunoDetachedProcess::start(const Options &options, QString *failure)
{
    const auto fail = [&](const QString &what, int error) {
        if (failure)
            *failure = what + QStringLiteral(": ") + qt_error_string(error);
        return false;
    };

    const QString path = options.program.contains(QLatin1Char('/'))
        ? options.program
        : QStandardPaths::findExecutable(options.program);
    if (path.isEmpty())
        return fail(options.program, ENOENT);
    const QByteArray file = QFile::encodeName(path);
    const QList<QByteArray> arguments = encoded(options.arguments);
    Prepared prepared { file, ZunoCStringArray(QList<QByteArray> { file } + arguments),
        ZunoCStringArray(QList<QByteArray> { "/bin/sh", file } + arguments),
        ZunoCStringArray(encoded(options.environment)),
        options.workingDirectory ? QFile::encodeName(*options.workingDirectory) : QByteArray() };

    Descriptor devNull { ::open("/dev/null", O_RDONLY | O_CLOEXEC) };
    if (devNull.fd < 0)
        return fail(QStringLiteral("/dev/null"), errno);
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return fail(QStringLiteral("pipe"), errno);
    Descriptor reader { ends[0] };
    Descriptor writer { ends[1] };

    const pid_t child = ::fork();
    if (child < 0)
        return fail(QStringLiteral("fork"), errno);
    if (child == 0)
        runChild(prepared, devNull.fd, writer.fd);
    ::close(writer.fd);
    writer.fd = -1;
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) { }

    // End of file: the exec succeeded. Otherwise the step that failed and its errno.
    pollfd answer { reader.fd, POLLIN, 0 };
    int ready;
    while ((ready = ::poll(&answer, 1, kExecAnswerMs)) < 0 && errno == EINTR) { }
    if (ready == 0) {
        qWarning("ZunoDetachedProcess: %s has not finished starting; taken as started", file.constData());
        return true;
    }
    Failure failed {};
    ssize_t got;
    while ((got = ::read(reader.fd, &failed, sizeof failed)) < 0 && errno == EINTR) { }
    if (got == 0)
        return true;
    if (got != sizeof failed)
        return fail(path, EIO);
    switch (failed.step) {
    case Step::fork:
        return fail(QStringLiteral("fork"), failed.error);
    case Step::input:
        return fail(QStringLiteral("/dev/null"), failed.error);
    case Step::directory:
        return fail(*options.workingDirectory, failed.error);
    case Step::exec:
        break;
    }
    // The file is there, so what exec did not find is the interpreter its "#!" line names.
    if (failed.error == ENOENT && QFileInfo::exists(path))
        return fail(path + QStringLiteral(" (its interpreter)"), failed.error);
    return fail(path, failed.error);
}

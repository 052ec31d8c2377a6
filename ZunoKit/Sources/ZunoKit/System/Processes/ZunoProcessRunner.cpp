#include "ZunoProcessRunner.h"

#include "ZunoChildProcess.h"

#include <QByteArrayView>
#include <QProcessEnvironment>

#include <cerrno>
#include <chrono>
#include <optional>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace {

constexpr qsizetype kReadSize = 65536;

class Descriptor {
public:
    Descriptor() = default;
    ~Descriptor() { reset(); }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return m_fd; }
    void reset(int fd = -1)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }

private:
    int m_fd = -1;
};

struct Pipe {
    Descriptor read;
    Descriptor write;
};

// Close-on-exec ends, so that children other threads launch meanwhile do not inherit them (an
// inherited write end would keep the stream open); the reading end does not block.
void makePipe(Pipe &pipe)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        throw std::system_error(errno, std::generic_category(), "pipe2");
    pipe.read.reset(fds[0]);
    pipe.write.reset(fds[1]);
    ::fcntl(fds[0], F_SETFL, ::fcntl(fds[0], F_GETFL) | O_NONBLOCK);
}

// Per run: the collected output, standard error always bounded, standard output unless kept whole.
class BoundedBuffer {
public:
    explicit BoundedBuffer(bool keepFullStdout)
        : m_keepFullStdout(keepFullStdout)
    {
    }

    void appendOut(const QByteArray &chunk)
    {
        std::lock_guard lock(m_mutex);
        m_out.append(chunk);
        if (!m_keepFullStdout)
            trim(m_out);
    }
    void appendErr(const QByteArray &chunk)
    {
        std::lock_guard lock(m_mutex);
        m_err.append(chunk);
        trim(m_err);
    }
    std::pair<QByteArray, QByteArray> copy() const
    {
        std::lock_guard lock(m_mutex);
        return { m_out, m_err };
    }

private:
    void trim(QByteArray &bytes) const
    {
        if (bytes.size() > m_tailLimit)
            bytes.remove(0, bytes.size() - m_tailLimit);
    }

    mutable std::mutex m_mutex;
    bool m_keepFullStdout;
    qsizetype m_tailLimit = ZunoProcessRunner::kTailLimit;
    QByteArray m_out;
    QByteArray m_err;
};

enum class ReadResult { data, again, end };

ReadResult readChunk(int fd, QByteArray &chunk)
{
    chunk.resize(kReadSize);
    for (;;) {
        const ssize_t n = ::read(fd, chunk.data(), kReadSize);
        if (n > 0) {
            chunk.resize(n);
            return ReadResult::data;
        }
        if (n < 0 && errno == EINTR)
            continue;
        chunk.clear();
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return ReadResult::again;
        return ReadResult::end;
    }
}

// What is left in a pipe once the child has ended. Only what is already there is read: a grandchild
// that inherited the pipe and lives on must not hold the call (or a cancel) hostage.
QByteArray readRest(int fd)
{
    QByteArray rest;
    QByteArray chunk;
    while (readChunk(fd, chunk) == ReadResult::data)
        rest.append(chunk);
    return rest;
}

void deliver(const std::function<void(const QString &)> &onOutput, const QByteArray &chunk)
{
    if (onOutput && !chunk.isEmpty() && QByteArrayView(chunk).isValidUtf8())
        onOutput(QString::fromUtf8(chunk));
}

using Clock = std::chrono::steady_clock;

// How long a stopped tool's process group has to end after SIGTERM before it gets SIGKILL.
constexpr std::chrono::seconds kKillGrace(2);

// After a stop: the whole group gets SIGTERM, and SIGKILL once the grace since the stop has passed,
// so that "cancelled" is reported only when nothing the tool started is left running.
void endGroup(ZunoChildProcess &child, Clock::time_point stoppedAt)
{
    child.terminate();
    bool killed = false;
    const Clock::time_point giveUp = stoppedAt + kKillGrace + std::chrono::seconds(3);
    while (child.groupHasMembers() && Clock::now() < giveUp) {
        if (!killed && Clock::now() >= stoppedAt + kKillGrace) {
            child.kill();
            killed = true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

QStringList mergedEnvironment(const std::map<QString, QString> &overrides)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const auto &[key, value] : overrides)
        environment.insert(key, value);
    return environment.toStringList();
}

} // namespace

ZunoProcessResult ZunoProcessRunner::run(const QString &executable, const QStringList &arguments,
    const std::optional<QString> &workingDirectory,
    const std::optional<std::map<QString, QString>> &environment, bool captureFullStdout,
    const std::shared_ptr<ZunoProcessCancellation> &cancellation,
    const std::function<void(const QString &)> &onOutput)
{
    if (cancellation && cancellation->isCancelled())
        throw ZunoProcessError::cancelled();

    ZunoChildProcess::Options options;
    options.executable = executable;
    options.arguments = arguments;
    options.workingDirectory = workingDirectory;
    if (environment)
        options.environment = mergedEnvironment(*environment);

    Pipe out;
    Pipe err;
    Pipe wake;
    makePipe(out);
    makePipe(err);
    makePipe(wake);
    options.stdoutFd = out.write.get();
    options.stderrFd = err.write.get();

    BoundedBuffer buffer(captureFullStdout);
    const auto child = std::make_shared<ZunoChildProcess>();
    if (cancellation)
        cancellation->attach(child);

    child->launch(options);
    // A cancel that landed between the attach and the launch found nothing running to stop.
    if (cancellation && cancellation->isCancelled())
        child->terminate();
    out.write.reset();
    err.write.reset();

    int status = -1;
    std::thread waiter([&] {
        status = child->waitForExit();
        const char byte = 1;
        while (::write(wake.write.get(), &byte, 1) < 0 && errno == EINTR) { }
    });
    // Should `onOutput` throw, the child is stopped and the waiter joined before the error leaves.
    struct WaiterGuard {
        std::thread &thread;
        ZunoChildProcess &child;
        ~WaiterGuard()
        {
            if (thread.joinable()) {
                child.kill();
                thread.join();
            }
        }
    } guard { waiter, *child };

    bool outOpen = true;
    bool errOpen = true;
    QByteArray chunk;
    // A stop asks with SIGTERM; a tool still running kKillGrace later is killed, group and all.
    std::optional<Clock::time_point> stoppedAt;
    bool killed = false;
    for (;;) {
        if (cancellation && !stoppedAt && cancellation->isCancelled())
            stoppedAt = Clock::now();
        if (stoppedAt && !killed && Clock::now() - *stoppedAt >= kKillGrace) {
            child->kill();
            killed = true;
        }
        pollfd fds[3] = { { outOpen ? out.read.get() : -1, POLLIN, 0 },
            { errOpen ? err.read.get() : -1, POLLIN, 0 }, { wake.read.get(), POLLIN, 0 } };
        if (::poll(fds, 3, cancellation ? 100 : -1) < 0) {
            if (errno == EINTR)
                continue;
            throw std::system_error(errno, std::generic_category(), "poll");
        }
        if (fds[0].revents) {
            const ReadResult result = readChunk(out.read.get(), chunk);
            if (result == ReadResult::end)
                outOpen = false;
            else if (result == ReadResult::data) {
                buffer.appendOut(chunk);
                deliver(onOutput, chunk);
            }
        }
        if (fds[1].revents) {
            const ReadResult result = readChunk(err.read.get(), chunk);
            if (result == ReadResult::end)
                errOpen = false;
            else if (result == ReadResult::data) {
                buffer.appendErr(chunk);
                deliver(onOutput, chunk);
            }
        }
        if (fds[2].revents)
            break;
    }
    waiter.join();

    if (outOpen) {
        const QByteArray rest = readRest(out.read.get());
        if (!rest.isEmpty()) {
            buffer.appendOut(rest);
            deliver(onOutput, rest);
        }
    }
    if (errOpen) {
        const QByteArray rest = readRest(err.read.get());
        if (!rest.isEmpty())
            buffer.appendErr(rest);
    }

    if (cancellation && cancellation->isCancelled()) {
        endGroup(*child, stoppedAt.value_or(Clock::now()));
        throw ZunoProcessError::cancelled();
    }

    auto [stdoutBytes, stderrBytes] = buffer.copy();
    ZunoProcessResult result;
    result.exitCode = status;
    result.stdout = std::move(stdoutBytes);
    result.stderr = std::move(stderrBytes);
    return result;
}

// Detached starts: how a watched program ended, that a released one goes on alone, and that a start
// whose watcher dies before it could fork the program is no start.
#include "ZunoDetachedProcess.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include <csignal>
#include <cstddef>
#include <cstdio>
#include <iterator>

#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

constexpr int kWaitMs = 20000;
const char *const kRole = "ZUNO_DETACHED_WATCHER_DIES";

ZunoDetachedProcess::Options shell(const QString &script)
{
    return { QStringLiteral("/bin/sh"), { QStringLiteral("-c"), script }, QProcess::systemEnvironment(),
        std::nullopt };
}

std::string endOf(ZunoDetachedProcess &process, int timeoutMs)
{
    return process.waitForEnd(timeoutMs).value_or(QStringLiteral("(running)")).toStdString();
}

// The state letter and parent of a process, from /proc; none when it is gone.
std::optional<std::pair<char, pid_t>> stateOf(pid_t pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 2 || fields[0].isEmpty())
        return std::nullopt;
    return std::make_pair(fields[0].at(0), pid_t(fields[1].toInt()));
}

// Kills any process that calls setsid: of a start, only its watcher does, before it forks the program.
[[nodiscard]] bool killWhoeverCallsSetsid()
{
#if defined(__x86_64__)
    constexpr unsigned arch = AUDIT_ARCH_X86_64;
#elif defined(__aarch64__)
    constexpr unsigned arch = AUDIT_ARCH_AARCH64;
#else
    return false;
#endif
    sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, arch, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_setsid, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_KILL_PROCESS),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    sock_fprog program { static_cast<unsigned short>(std::size(filter)), filter };
    return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0
        && ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

} // namespace

TEST(ZunoDetachedProcess, SaysHowAWatchedProgramEnded)
{
    struct Case {
        const char *name;
        QString script;
        std::string end;
    };
    const Case cases[] = {
        { "exit status", "exit 3", "/bin/sh exited with status 3" },
        { "a clean exit is an end too", "exit 0", "/bin/sh exited with status 0" },
        { "signal", "kill -KILL $$", "/bin/sh was killed by signal 9 (SIGKILL)" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QString failure;
        const auto process = ZunoDetachedProcess::start(shell(c.script), &failure);
        ASSERT_TRUE(process) << failure.toStdString();
        EXPECT_GT(process->pid(), 0);
        EXPECT_EQ(endOf(*process, kWaitMs), c.end);
        // Said again, without waiting.
        EXPECT_EQ(endOf(*process, 0), c.end);
    }
}

TEST(ZunoDetachedProcess, AReleasedProgramGoesOnAlone)
{
    QString failure;
    auto process = ZunoDetachedProcess::start(shell("exec sleep 60"), &failure);
    ASSERT_TRUE(process) << failure.toStdString();
    const pid_t pid = process->pid();
    EXPECT_EQ(endOf(*process, 200), "(running)");
    const auto watched = stateOf(pid);
    ASSERT_TRUE(watched);
    // Never our child: its parent is the watcher.
    EXPECT_NE(watched->second, ::getpid());

    process->release();
    EXPECT_EQ(endOf(*process, 0), "(running)");
    const auto alone = stateOf(pid);
    ASSERT_TRUE(alone);
    EXPECT_NE(alone->first, 'Z');
    EXPECT_NE(alone->second, watched->second) << "still the watcher's child";
    EXPECT_NE(alone->second, ::getpid());
    ::kill(pid, SIGKILL);
}

// The watcher is killed before it could fork the program (as the kernel's OOM killer or a stray
// signal might): nothing runs, and the start says so instead of counting as one.
TEST(ZunoDetachedProcess, AStartWhoseWatcherDiesBeforeItForksFails)
{
    if (qEnvironmentVariableIsSet(kRole)) {
        QString failure;
        const auto process = ZunoDetachedProcess::start(
            { QStringLiteral("/bin/sleep"), { QStringLiteral("60") }, QProcess::systemEnvironment(), {} },
            &failure);
        std::printf("\nstart: %s\n", process ? "started" : qPrintable(failure));
        std::fflush(stdout);
        return;
    }
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(kRole), QStringLiteral("1"));
    child.setProcessEnvironment(environment);
    child.setChildProcessModifier([] {
        if (!killWhoeverCallsSetsid())
            ::_exit(99);
    });
    child.start(QCoreApplication::applicationFilePath(),
        { QStringLiteral("--gtest_filter=ZunoDetachedProcess.AStartWhoseWatcherDiesBeforeItForksFails") });
    ASSERT_TRUE(child.waitForFinished(kWaitMs)) << child.errorString().toStdString();
    ASSERT_NE(child.exitCode(), 99) << "cannot install the seccomp filter";
    const QByteArray output = child.readAllStandardOutput();
    const qsizetype at = output.indexOf("\nstart: ");
    ASSERT_GE(at, 0) << output.toStdString();
    const QByteArray said = output.mid(at + 8, output.indexOf('\n', at + 8) - at - 8);
    EXPECT_EQ(said.toStdString(),
        "the start of /bin/sleep ended early: its watcher was killed by signal 31 (SIGSYS)");
}

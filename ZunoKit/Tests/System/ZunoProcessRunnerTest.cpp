#include "ZunoProcessRunner.h"

#include "ZunoChildProcess.h"
#include "ZunoLanguage.h"
#include "ZunoTestHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <future>
#include <sys/stat.h>
#include <sys/types.h>
#include <system_error>
#include <thread>

using namespace std::chrono_literals;

namespace {

const QString kShell = QStringLiteral("/bin/sh");

ZunoProcessResult shell(const QString &script, bool captureFullStdout = false)
{
    return ZunoProcessRunner::run(
        kShell, { QStringLiteral("-c"), script }, std::nullopt, std::nullopt, captureFullStdout);
}

// 100,000 bytes that differ along their length, so a wrong tail shows.
QByteArray pattern()
{
    QByteArray bytes;
    bytes.reserve(100000);
    for (int i = 0; i < 100000; ++i)
        bytes.append(char('a' + (i * 7 + i / 251) % 26));
    return bytes;
}

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &content)
{
    QFile file(dir.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
    return file.fileName();
}

} // namespace

TEST(ZunoProcessRunner, KeepsTheTailOfLargeOutputUnlessAskedForAll)
{
    QTemporaryDir dir;
    const QByteArray data = pattern();
    const QString file = writeFile(dir, QStringLiteral("data"), data);
    const QString both = QStringLiteral("cat '%1'; cat '%1' >&2").arg(file);

    const ZunoProcessResult tail = shell(both, false);
    EXPECT_EQ(tail.exitCode, 0);
    EXPECT_EQ(tail.stdout, data.right(ZunoProcessRunner::kTailLimit));
    EXPECT_EQ(tail.stderr, data.right(ZunoProcessRunner::kTailLimit));

    const ZunoProcessResult full = shell(both, true);
    EXPECT_EQ(full.stdout, data);
    EXPECT_EQ(full.stderr, data.right(ZunoProcessRunner::kTailLimit)) << "standard error is always bounded";
}

TEST(ZunoProcessRunner, ExitStatusIsReturnedNotThrown)
{
    struct Case {
        const char *script;
        int exitCode;
        QByteArray stdout;
        QByteArray stderr;
    };
    const Case cases[] = {
        { "exit 0", 0, {}, {} }, { "echo out; echo oops >&2; exit 3", 3, "out\n", "oops\n" },
        { "exit 255", 255, {}, {} }, { "kill -KILL $$", SIGKILL, {}, {} }, // ended by a signal: its number
    };
    for (const Case &c : cases) {
        const ZunoProcessResult result = shell(QString::fromUtf8(c.script));
        EXPECT_EQ(result.exitCode, c.exitCode) << c.script;
        EXPECT_EQ(result.stdout, c.stdout) << c.script;
        EXPECT_EQ(result.stderr, c.stderr) << c.script;
    }
}

TEST(ZunoProcessRunner, InvalidUtf8IsKeptAsBytesAndRepairedInTheStrings)
{
    const ZunoProcessResult result = shell(QStringLiteral("printf 'a\\377b'; printf '\\303' >&2"));
    EXPECT_EQ(result.stdout,
        QByteArray("a\xff"
                   "b"));
    EXPECT_EQ(result.stdoutString(), QStringLiteral("a\uFFFDb"));
    EXPECT_EQ(result.stderrString(), QStringLiteral("\uFFFD"));
}

TEST(ZunoProcessRunner, OnOutputGetsChunksThatAreValidUtf8OnTheirOwn)
{
    // The child writes "ok", waits until the test has seen it, then writes a lone invalid byte: two
    // chunks for certain. The first is passed on, the second only stored.
    QTemporaryDir dir;
    const QByteArray fifo = QFile::encodeName(dir.filePath(QStringLiteral("go")));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    QStringList seen;
    const ZunoProcessResult result = ZunoProcessRunner::run(kShell,
        { QStringLiteral("-c"), QStringLiteral("printf 'ok ğ\\n'; read x < \"$1\"; printf '\\377'"),
            QStringLiteral("sh"), QFile::decodeName(fifo) },
        std::nullopt, std::nullopt, false, nullptr, [&](const QString &text) {
            seen << text;
            if (text.endsWith(QLatin1Char('\n'))) {
                QFile go(QFile::decodeName(fifo));
                ASSERT_TRUE(go.open(QIODevice::WriteOnly));
                go.write("\n");
            }
        });
    EXPECT_EQ(seen, QStringList { QStringLiteral("ok ğ\n") });
    EXPECT_EQ(result.stdout, QByteArray("ok ğ\n\xff"));
}

TEST(ZunoProcessRunner, EnvironmentIsMergedOverTheParents)
{
    const QByteArray savedLang = qgetenv("LANG");
    const bool hadLang = qEnvironmentVariableIsSet("LANG");
    qputenv("ZUNO_PARENT_MARK", "kept");
    qputenv("LANG", "tr_TR.UTF-8");
    const ZunoProcessResult result
        = ZunoProcessRunner::run(QStringLiteral("/usr/bin/env"), { QStringLiteral("-0") }, std::nullopt,
            std::map<QString, QString> { { QStringLiteral("LANG"), QStringLiteral("C") } });
    ASSERT_EQ(result.exitCode, 0);
    QSet<QString> childEnvironment;
    for (const QByteArray &entry : result.stdout.split('\0')) {
        if (!entry.isEmpty())
            childEnvironment.insert(QString::fromLocal8Bit(entry));
    }
    QProcessEnvironment expected = QProcessEnvironment::systemEnvironment();
    expected.insert(QStringLiteral("LANG"), QStringLiteral("C"));
    const QStringList expectedList = expected.toStringList();
    EXPECT_EQ(childEnvironment, QSet<QString>(expectedList.begin(), expectedList.end()));

    // Without an environment the parent's is inherited as it is.
    EXPECT_EQ(shell(QStringLiteral("printf '%s|%s' \"$LANG\" \"$ZUNO_PARENT_MARK\"")).stdoutString(),
        QStringLiteral("tr_TR.UTF-8|kept"));
    qunsetenv("ZUNO_PARENT_MARK");
    if (hadLang)
        qputenv("LANG", savedLang);
    else
        qunsetenv("LANG");
}

TEST(ZunoProcessRunner, WorkingDirectoryOnlyWhenGiven)
{
    QTemporaryDir dir;
    const QString canonical = QFileInfo(dir.path()).canonicalFilePath();
    EXPECT_EQ(ZunoProcessRunner::run(QStringLiteral("/bin/pwd"), { QStringLiteral("-P") }, dir.path())
                  .stdoutString(),
        canonical + QLatin1Char('\n'));
    EXPECT_EQ(ZunoProcessRunner::run(QStringLiteral("/bin/pwd"), { QStringLiteral("-P") }).stdoutString(),
        QDir::current().canonicalPath() + QLatin1Char('\n'));
}

TEST(ZunoProcessRunner, LaunchFailuresAreThePlatformsErrors)
{
    QTemporaryDir dir;
    const QString notExecutable = writeFile(dir, QStringLiteral("plain"), "#!/bin/sh\necho hi\n");
    struct Case {
        QString executable;
        std::optional<QString> workingDirectory;
        int error;
    };
    const Case cases[] = {
        { dir.filePath(QStringLiteral("missing-tool")), std::nullopt, ENOENT },
        { notExecutable, std::nullopt, EACCES },
        { dir.path(), std::nullopt, EACCES }, // a folder
        { kShell, dir.filePath(QStringLiteral("no-such-folder")), ENOENT },
    };
    for (const Case &c : cases) {
        try {
            ZunoProcessRunner::run(
                c.executable, { QStringLiteral("-c"), QStringLiteral("true") }, c.workingDirectory);
            ADD_FAILURE() << "launched " << c.executable.toStdString();
        } catch (const std::system_error &error) {
            EXPECT_EQ(error.code().value(), c.error) << c.executable.toStdString() << ": " << error.what();
        }
    }
}

TEST(ZunoProcessRunner, CancelBeforeTheRunStartsNoChild)
{
    QTemporaryDir dir;
    const QString marker = dir.filePath(QStringLiteral("ran"));
    const auto cancellation = std::make_shared<ZunoProcessCancellation>();
    cancellation->cancel();
    EXPECT_TRUE(cancellation->isCancelled());
    for (int run = 0; run < 2; ++run) { // once cancelled, every later run throws at once
        try {
            ZunoProcessRunner::run(kShell, { QStringLiteral("-c"), QStringLiteral("touch '%1'").arg(marker) },
                std::nullopt, std::nullopt, false, cancellation);
            ADD_FAILURE() << "no error";
        } catch (const ZunoProcessError &error) {
            EXPECT_EQ(error.kind(), ZunoProcessError::Kind::cancelled);
        }
    }
    EXPECT_FALSE(QFile::exists(marker));
}

TEST(ZunoProcessRunner, CancelMidRunStopsTheChildAndDoesNotWaitForItsChildren)
{
    // The shell leaves a long sleep behind that keeps the output pipe open; the call must still
    // return once the shell has ended.
    const auto cancellation = std::make_shared<ZunoProcessCancellation>();
    std::promise<qint64> started;
    auto run = std::async(std::launch::async, [&] {
        return ZunoProcessRunner::run(kShell,
            { QStringLiteral("-c"), QStringLiteral("sleep 600 & echo $!; wait") }, std::nullopt, std::nullopt,
            false, cancellation, [&, once = false](const QString &text) mutable {
                if (!once)
                    started.set_value(text.trimmed().toLongLong());
                once = true;
            });
    });
    auto startedFuture = started.get_future();
    ASSERT_EQ(startedFuture.wait_for(60s), std::future_status::ready);
    const qint64 orphan = startedFuture.get();
    cancellation->cancel();
    ASSERT_EQ(run.wait_for(120s), std::future_status::ready);
    try {
        run.get();
        ADD_FAILURE() << "no error";
    } catch (const ZunoProcessError &error) {
        EXPECT_EQ(error.kind(), ZunoProcessError::Kind::cancelled);
    }
    if (orphan > 0)
        ::kill(pid_t(orphan), SIGKILL);
}

TEST(ZunoProcessRunner, AttachAfterCancelTerminatesARunningChild)
{
    const auto child = std::make_shared<ZunoChildProcess>();
    ZunoChildProcess::Options options;
    options.executable = QStringLiteral("/bin/sleep");
    options.arguments = { QStringLiteral("600") };
    child->launch(options);
    ASSERT_TRUE(child->isRunning());

    ZunoProcessCancellation cancellation;
    cancellation.cancel();
    cancellation.attach(child);
    EXPECT_EQ(child->waitForExit(), SIGTERM);
    EXPECT_FALSE(child->isRunning());
    cancellation.cancel(); // nothing left to stop; no signal to a reaped id
}

TEST(ZunoProcessError, Descriptions)
{
    ZunoTestHome home;
    EXPECT_EQ(ZunoProcessError::nonZeroExit(2, QStringLiteral("  \n")).localizedDescription(),
        QStringLiteral("Process exited with code 2."));
    EXPECT_EQ(ZunoProcessError::nonZeroExit(-1, {}).localizedDescription(),
        QStringLiteral("Process exited with code -1."));
    EXPECT_EQ(ZunoProcessError::nonZeroExit(1, QStringLiteral("\n fatal: no repo \n")).localizedDescription(),
        QStringLiteral("fatal: no repo"));

    ZunoLanguages::setCurrent(ZunoLanguage::en);
    EXPECT_EQ(ZunoProcessError::binaryNotFound(QStringLiteral("ffmpeg")).localizedDescription(),
        QStringLiteral("Required executable 'ffmpeg' was not found."));
    EXPECT_EQ(ZunoProcessError::cancelled().localizedDescription(), QStringLiteral("Operation cancelled."));
    EXPECT_STREQ(ZunoProcessError::cancelled().what(), "Operation cancelled.");

    ZunoLanguages::setCurrent(ZunoLanguage::tr);
    EXPECT_EQ(ZunoProcessError::binaryNotFound(QStringLiteral("ffmpeg")).localizedDescription(),
        QStringLiteral("Gerekli 'ffmpeg' aracı bulunamadı."));
    EXPECT_EQ(ZunoProcessError::cancelled().localizedDescription(), QStringLiteral("İşlem iptal edildi."));
    EXPECT_EQ(ZunoProcessError::nonZeroExit(2, {}).localizedDescription(),
        QStringLiteral("Process exited with code 2."));
}

#include "ZunoAppLogger.h"
#include "ZunoLoggerFakes.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <thread>
#include <vector>

namespace {

ZunoAppVersion testVersion()
{
    return { QStringLiteral("1.0.0"), QStringLiteral("100") };
}

// "w<writer> n<sequence>" followed by padding, so lines are long enough to rotate often.
QString writerMessage(int writer, int sequence)
{
    return QStringLiteral("w%1 n%2 ").arg(writer).arg(sequence) + QString(80, QLatin1Char('.'));
}

struct CollectedLines {
    QList<QByteArray> lines; // oldest first, across generations
    QStringList problems;
};

// Reads the generations from the oldest to the current file, checking each rotated file's size.
CollectedLines collect(const ZunoAppLogger &logger)
{
    CollectedLines result;
    QStringList files;
    for (std::int64_t i = logger.maxRotatedFiles(); i >= 1; --i) {
        const QString path = logger.currentLogFilePath() + "." + QString::number(i);
        if (QFileInfo::exists(path))
            files << path;
    }
    files << logger.currentLogFilePath();
    for (const QString &path : files) {
        const QByteArray content = readFile(path);
        if (!content.endsWith('\n'))
            result.problems << path + ": does not end with a line feed";
        QList<QByteArray> lines = content.split('\n');
        lines.removeLast();
        if (path != logger.currentLogFilePath()) {
            const auto size = std::uint64_t(content.size());
            const auto withoutLast = size - std::uint64_t(lines.last().size() + 1);
            if (size < logger.maxFileBytes() || withoutLast >= logger.maxFileBytes())
                result.problems << path + ": rotated at " + QString::number(size) + " bytes";
        }
        result.lines += lines;
    }
    return result;
}

// Every writer's lines appear exactly once and in the order it wrote them.
void expectEveryLineOnceInOrder(const QList<QByteArray> &lines, int writers, int linesPerWriter)
{
    static const QRegularExpression pattern(QStringLiteral("^w(\\d+) n(\\d+) "));
    std::map<int, int> next;
    for (const QByteArray &line : lines) {
        const auto entry = ZunoLogEntry::decoded(line);
        ASSERT_TRUE(entry) << "split or broken line: " << line.constData();
        const QRegularExpressionMatch match = pattern.match(entry->message);
        ASSERT_TRUE(match.hasMatch()) << entry->message.toStdString();
        const int writer = match.captured(1).toInt();
        ASSERT_EQ(match.captured(2).toInt(), next[writer]) << "writer " << writer;
        ++next[writer];
    }
    ASSERT_EQ(int(next.size()), writers);
    for (const auto &[writer, count] : next)
        EXPECT_EQ(count, linesPerWriter) << "writer " << writer;
}

} // namespace

TEST(ZunoAppLoggerConcurrency, ThreadsRotatingLoseAndSplitNoLine)
{
    constexpr int kThreads = 8;
    constexpr int kLinesPerThread = 150;
    QTemporaryDir dir;
    // Enough generations to keep every line: about 200 bytes a line, 4096 bytes a file.
    ZunoAppLogger logger(QStringLiteral("ZunoCam"), dir.path(), 4096, 200, testVersion);

    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&logger, t] {
            for (int n = 0; n < kLinesPerThread; ++n)
                logger.log(ZunoLogLevel(n % 4), QStringLiteral("camera"), writerMessage(t, n));
        });
    }
    for (auto &thread : threads)
        thread.join();

    const CollectedLines collected = collect(logger);
    EXPECT_TRUE(collected.problems.isEmpty()) << collected.problems.join("\n").toStdString();
    EXPECT_GT(QDir(dir.path()).entryList(QDir::Files).size(), 20) << "the run should rotate many times";
    EXPECT_EQ(collected.lines.size(), kThreads * kLinesPerThread);
    expectEveryLineOnceInOrder(collected.lines, kThreads, kLinesPerThread);
}

// Run as a child process by the test below: writes its share of lines into the shared folder.
TEST(ZunoAppLoggerChildRole, Writer)
{
    const QString folder = qEnvironmentVariable("ZUNO_LOGGER_CHILD_FOLDER");
    if (folder.isEmpty())
        GTEST_SKIP() << "runs only as a child of SeveralProcessesLoseNoLine";
    const int writer = qEnvironmentVariableIntValue("ZUNO_LOGGER_CHILD_WRITER");
    const int lines = qEnvironmentVariableIntValue("ZUNO_LOGGER_CHILD_LINES");
    ZunoAppLogger logger(QStringLiteral("ZunoCam"), folder, 1 << 30, 5, testVersion);
    for (int n = 0; n < lines; ++n)
        logger.info(writerMessage(writer, n), QStringLiteral("camera"));
}

TEST(ZunoAppLoggerConcurrency, SeveralProcessesLoseNoLine)
{
    constexpr int kProcesses = 3;
    constexpr int kLinesPerProcess = 400;
    QTemporaryDir dir;
    std::vector<std::unique_ptr<QProcess>> children;
    for (int p = 0; p < kProcesses; ++p) {
        auto child = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("ZUNO_LOGGER_CHILD_FOLDER", dir.path());
        environment.insert("ZUNO_LOGGER_CHILD_WRITER", QString::number(p));
        environment.insert("ZUNO_LOGGER_CHILD_LINES", QString::number(kLinesPerProcess));
        child->setProcessEnvironment(environment);
        child->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child->start(
            QCoreApplication::applicationFilePath(), { "--gtest_filter=ZunoAppLoggerChildRole.Writer" });
        children.push_back(std::move(child));
    }
    for (auto &child : children) {
        ASSERT_TRUE(child->waitForFinished(60'000));
        ASSERT_EQ(child->exitStatus(), QProcess::NormalExit);
        ASSERT_EQ(child->exitCode(), 0) << child->readAllStandardOutput().constData();
    }

    ZunoAppLogger logger(QStringLiteral("ZunoCam"), dir.path(), 1 << 30, 5, testVersion);
    const CollectedLines collected = collect(logger);
    EXPECT_TRUE(collected.problems.isEmpty()) << collected.problems.join("\n").toStdString();
    EXPECT_EQ(collected.lines.size(), kProcesses * kLinesPerProcess);
    expectEveryLineOnceInOrder(collected.lines, kProcesses, kLinesPerProcess);
}

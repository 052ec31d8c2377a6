#include "ZunoAppLogger.h"
#include "ZunoFileSizeLimit.h"
#include "ZunoLoggerFakes.h"
#include "ZunoPaths.h"
#include "ZunoTestHome.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {

ZunoAppLogger::VersionProvider fixedVersion(
    const QString &version = QStringLiteral("1.0.0"), const QString &build = QStringLiteral("100"))
{
    return [version, build] { return ZunoAppVersion { version, build }; };
}

QList<QByteArray> fileLines(const QString &path)
{
    QList<QByteArray> lines = readFile(path).split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// A file of exactly `size` bytes that is not a log line, to tell generations apart.
QByteArray filler(qsizetype size, char c)
{
    return QByteArray(size, c);
}

ZunoLogEntry entry(
    ZunoLogLevel level, const QString &message, const QString &category = QStringLiteral("camera"))
{
    return { QStringLiteral("8C1F7B0E-2D44-4E3A-9C55-0D1A2B3C4D5E"),
        QStringLiteral("2026-03-01T09:15:02.417Z"), level, category, message, QStringLiteral("1.0.0"),
        QStringLiteral("100") };
}

// Captures what the process writes to file descriptor 2 while alive.
class StandardErrorCapture {
public:
    StandardErrorCapture()
    {
        std::fflush(stderr);
        m_saved = ::dup(STDERR_FILENO);
        m_file = std::tmpfile();
        ::dup2(::fileno(m_file), STDERR_FILENO);
    }
    ~StandardErrorCapture() { restore(); }

    QByteArray text()
    {
        restore();
        std::rewind(m_file);
        QByteArray bytes;
        char buffer[4096];
        while (const size_t n = std::fread(buffer, 1, sizeof buffer, m_file))
            bytes.append(buffer, qsizetype(n));
        return bytes;
    }

private:
    void restore()
    {
        if (m_saved < 0)
            return;
        std::fflush(stderr);
        ::dup2(m_saved, STDERR_FILENO);
        ::close(m_saved);
        m_saved = -1;
    }

    int m_saved = -1;
    FILE *m_file = nullptr;
};

} // namespace

struct LimitCase {
    const char *name;
    std::uint64_t maxFileBytes;
    std::int64_t maxRotatedFiles;
    std::uint64_t expectedBytes;
    std::int64_t expectedFiles;
};

void PrintTo(const LimitCase &c, std::ostream *os)
{
    *os << '"' << c.name << '"';
}

class ZunoAppLoggerLimits : public ::testing::TestWithParam<LimitCase> { };

TEST_P(ZunoAppLoggerLimits, AreRaisedToTheirMinimum)
{
    const LimitCase &c = GetParam();
    ZunoAppLogger logger(QStringLiteral("ZunoCam"), QStringLiteral("/nonexistent/logs"), c.maxFileBytes,
        c.maxRotatedFiles, fixedVersion());
    EXPECT_EQ(logger.maxFileBytes(), c.expectedBytes);
    EXPECT_EQ(logger.maxRotatedFiles(), c.expectedFiles);
}

INSTANTIATE_TEST_SUITE_P(, ZunoAppLoggerLimits,
    ::testing::Values(LimitCase { "zero", 0, 0, 4096, 1 }, LimitCase { "one", 1, -3, 4096, 1 },
        LimitCase { "atMinimum", 4096, 1, 4096, 1 }, LimitCase { "aboveMinimum", 4097, 2, 4097, 2 },
        LimitCase { "registrySize", 2'097'152, 5, 2'097'152, 5 }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ZunoAppLogger, NameWithSpaceAndCapitalsKeepsFolderAndLowersFile)
{
    ZunoTestHome home;
    ZunoAppLogger logger(QStringLiteral("My App"));
    const QString folder = ZunoPaths::applicationSupport() + "/Quarnwell/My App/logs";
    EXPECT_EQ(logger.appName(), "My App");
    EXPECT_EQ(logger.logDirectoryPath(), folder);
    EXPECT_EQ(logger.currentLogFilePath(), folder + "/my-app.log");
    EXPECT_EQ(logger.systemLogSubsystem(), "com.quarnwell.my-app");
    EXPECT_EQ(logger.maxFileBytes(), 2'097'152u);
    EXPECT_EQ(logger.maxRotatedFiles(), 5);
    EXPECT_FALSE(QFileInfo::exists(folder)) << "construction touches no file";

    logger.info(QStringLiteral("first"), QStringLiteral("lifecycle"));
    ASSERT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList { "my-app.log" });
    EXPECT_EQ(fileLines(logger.currentLogFilePath()).size(), 1);
}

TEST(ZunoAppLogger, WritesOneSortedJsonLinePerEntry)
{
    QTemporaryDir dir;
    ZunoAppLogger logger(QStringLiteral("ZunoCam"), dir.path(), 0, 5, fixedVersion("2.1.0", "7"));
    const QString message = QStringLiteral("line one\nsaid \"hi\" at C:\\tmp/a\tb\x01 ğüş 🎥 password=x");
    logger.warn(message, QStringLiteral("camera/usb"));

    const QList<QByteArray> lines = fileLines(logger.currentLogFilePath());
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(readFile(logger.currentLogFilePath()).endsWith("}\n"));
    static const QRegularExpression shape(QString::fromUtf8(
        R"re(^\{"build":"7","category":"camera\\/usb","id":"([0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12})",)re"
        R"re("level":"warn","message":"(.*)","timestamp":"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z)","version":"2\.1\.0"\}$)re"));
    const QRegularExpressionMatch match = shape.match(QString::fromUtf8(lines.first()));
    ASSERT_TRUE(match.hasMatch()) << lines.first().constData();
    EXPECT_EQ(match.captured(2),
        QString::fromUtf8(R"(line one\nsaid \"hi\" at C:\\tmp\/a\tb\u0001 ğüş 🎥 password=[REDACTED])"));

    const QList<ZunoLogEntry> entries = logger.recentEntries(10, ZunoLogLevel::debug);
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries.first().message, ZunoAppLogger::redactSecrets(message));
    EXPECT_EQ(entries.first().category, "camera/usb");
    EXPECT_EQ(entries.first().id, match.captured(1));
    EXPECT_EQ(entries.first().timestamp, match.captured(3));
    EXPECT_EQ(entries.first().level, ZunoLogLevel::warn);
    EXPECT_EQ(entries.first().version, "2.1.0");
    EXPECT_EQ(entries.first().build, "7");
}

TEST(ZunoAppLogger, BrokenTextStillWritesReadableUtf8)
{
    // A lone surrogate must not make the whole file unreadable for the logs view.
    QTemporaryDir dir;
    ZunoAppLogger logger(QStringLiteral("ZunoCam"), dir.path(), 0, 5, fixedVersion());
    logger.info(QStringLiteral("before"), QStringLiteral("camera"));
    logger.info(QStringLiteral("half ") + QChar(0xD83C) + QStringLiteral(" pair"), QStringLiteral("camera"));
    logger.info(QStringLiteral("after"), QStringLiteral("camera"));
    const auto entries = logger.recentEntries(10, ZunoLogLevel::debug);
    ASSERT_EQ(entries.size(), 3);
    EXPECT_TRUE(entries[1].message.startsWith("half "));
    EXPECT_TRUE(entries[1].message.endsWith(" pair"));
}

TEST(ZunoAppLogger, AsksTheVersionProviderAtEveryLine)
{
    QTemporaryDir dir;
    int calls = 0;
    ZunoAppLogger logger(QStringLiteral("ZunoCam"), dir.path(), 0, 5, [&calls] {
        ++calls;
        return ZunoAppVersion { QStringLiteral("1.0.%1").arg(calls), QString::number(100 + calls) };
    });
    logger.debug(QStringLiteral("a"), QStringLiteral("x"));
    logger.error(QStringLiteral("b"), QStringLiteral("x"));
    EXPECT_EQ(calls, 2);
    const auto entries = logger.recentEntries(5, ZunoLogLevel::debug);
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0].version + "#" + entries[0].build, "1.0.2#102");
    EXPECT_EQ(entries[1].version + "#" + entries[1].build, "1.0.1#101");
}

struct RotationBoundaryCase {
    const char *name;
    qsizetype existingBytes;
    bool rotates;
};

void PrintTo(const RotationBoundaryCase &c, std::ostream *os)
{
    *os << '"' << c.name << '"';
}

class ZunoAppLoggerRotationBoundary : public ::testing::TestWithParam<RotationBoundaryCase> { };

TEST_P(ZunoAppLoggerRotationBoundary, RotatesFromExactlyTheLimit)
{
    const RotationBoundaryCase &c = GetParam();
    QTemporaryDir dir;
    ZunoAppLogger logger(QStringLiteral("ZunoCam"), dir.path(), 5000, 5, fixedVersion());
    ASSERT_TRUE(writeFile(logger.currentLogFilePath(), filler(c.existingBytes, 'x')));
    logger.info(QStringLiteral("next"), QStringLiteral("camera"));

    const QString first = logger.currentLogFilePath() + ".1";
    if (c.rotates) {
        EXPECT_EQ(readFile(first), filler(c.existingBytes, 'x'));
        EXPECT_EQ(fileLines(logger.currentLogFilePath()).size(), 1);
    } else {
        EXPECT_FALSE(QFileInfo::exists(first));
        EXPECT_TRUE(readFile(logger.currentLogFilePath()).startsWith(filler(c.existingBytes, 'x') + "{"));
    }
}

INSTANTIATE_TEST_SUITE_P(, ZunoAppLoggerRotationBoundary,
    ::testing::Values(RotationBoundaryCase { "oneByteBelow", 4999, false },
        RotationBoundaryCase { "exactlyAtLimit", 5000, true },
        RotationBoundaryCase { "aboveLimit", 6000, true }),
    [](const auto &info) { return std::string(info.param.name); });

struct GenerationCase {
    const char *name;
    std::int64_t maxRotatedFiles;
    QList<int> existing; // generations present before the write, each holding "g<i>"
    QList<std::pair<int, QByteArray>> expected; // generation -> content after the write
    QList<int> absent;
};

void PrintTo(const GenerationCase &c, std::ostream *os)
{
    *os << '"' << c.name << '"';
}

class ZunoAppLoggerGenerations : public ::testing::TestWithParam<GenerationCase> { };

TEST_P(ZunoAppLoggerGenerations, ShiftWhenTheCurrentFileIsFull)
{
    const GenerationCase &c = GetParam();
    QTemporaryDir dir;
    ZunoAppLogger logger(QStringLiteral("ZunoCam"), dir.path(), 4096, c.maxRotatedFiles, fixedVersion());
    const QString current = logger.currentLogFilePath();
    ASSERT_TRUE(writeFile(current, filler(4096, 'c')));
    for (int i : c.existing)
        ASSERT_TRUE(writeFile(current + "." + QString::number(i), "g" + QByteArray::number(i)));

    logger.info(QStringLiteral("new line"), QStringLiteral("camera"));

    const QList<ZunoLogEntry> entries = logger.recentEntries(10, ZunoLogLevel::debug);
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries.first().message, "new line");
    EXPECT_EQ(fileLines(current).size(), 1);
    EXPECT_EQ(readFile(current + ".1"), filler(4096, 'c'));
    for (const auto &[generation, content] : c.expected)
        EXPECT_EQ(readFile(current + "." + QString::number(generation)), content)
            << "generation " << generation;
    for (int generation : c.absent)
        EXPECT_FALSE(QFileInfo::exists(current + "." + QString::number(generation)))
            << "generation " << generation;
}

INSTANTIATE_TEST_SUITE_P(, ZunoAppLoggerGenerations,
    ::testing::Values(GenerationCase { "allFivePresent", 5, { 1, 2, 3, 4, 5 },
                          { { 2, "g1" }, { 3, "g2" }, { 4, "g3" }, { 5, "g4" } }, { 6 } },
        GenerationCase { "singleGeneration", 1, { 1 }, {}, { 2 } },
        GenerationCase { "secondMissing", 5, { 1, 3 }, { { 2, "g1" }, { 4, "g3" } }, { 3, 5 } },
        GenerationCase { "noneYet", 5, {}, {}, { 2 } }),
    [](const auto &info) { return std::string(info.param.name); });

struct RedactionCase {
    const char *name;
    const char *input;
    const char *expected;
};

void PrintTo(const RedactionCase &c, std::ostream *os)
{
    *os << '"' << c.name << '"';
}

class ZunoAppLoggerRedaction : public ::testing::TestWithParam<RedactionCase> { };

TEST_P(ZunoAppLoggerRedaction, HidesSecrets)
{
    const RedactionCase &c = GetParam();
    EXPECT_EQ(ZunoAppLogger::redactSecrets(QString::fromUtf8(c.input)), QString::fromUtf8(c.expected));
}

INSTANTIATE_TEST_SUITE_P(, ZunoAppLoggerRedaction,
    ::testing::Values(RedactionCase { "bearerSevenCharactersStay", "Authorization: Bearer abcdefg",
                          "Authorization: Bearer abcdefg" },
        RedactionCase {
            "bearerEightCharactersGo", "Authorization: Bearer abcdefgh", "Authorization: Bearer [REDACTED]" },
        RedactionCase { "bearerAnyCaseAndWhitespace", "BEARER\t\tab.cd_ef-gh!", "BEARER\t\t[REDACTED]!" },
        RedactionCase { "bearerWithoutWhitespace", "Bearerabcdefghij", "Bearerabcdefghij" },
        RedactionCase { "openAiKey", "key sk-abcdefghij end", "key [REDACTED_KEY] end" },
        RedactionCase { "openAiKeyTooShort", "key sk-abcdefghi end", "key sk-abcdefghi end" },
        RedactionCase { "openAiKeyInsideWord", "xsk-abcdefghijkl", "xsk-abcdefghijkl" },
        RedactionCase { "openAiKeyTrailingHyphen", "(sk-abcdefghij-)", "([REDACTED_KEY]-)" },
        RedactionCase { "googleKey", "AIzaSyA1234567890abcdef tail", "[REDACTED_KEY] tail" },
        RedactionCase { "googleKeyWrongCase", "aizaSyA1234567890abcdef", "aizaSyA1234567890abcdef" },
        RedactionCase {
            "passwordBeforeComma", "password=hunter2, user=bob", "password=[REDACTED], user=bob" },
        RedactionCase { "apiKeySpacedColon", "API_KEY : abc123;next", "API_KEY : [REDACTED];next" },
        RedactionCase { "apiKeyHyphen", "api-key=abc", "api-key=[REDACTED]" },
        RedactionCase { "nameInsideLongerWord", "accesstoken=xyz mytoken:abc",
            "accesstoken=[REDACTED] mytoken:[REDACTED]" },
        RedactionCase { "quotedValueStays", "token = \"abc\"", "token = \"abc\"" },
        RedactionCase { "valueEndsAtApostrophe", "secret=ab'cd", "secret=[REDACTED]'cd" },
        RedactionCase { "bearerThenKeyRule", "token=Bearer abcdefgh12", "token=[REDACTED] [REDACTED]" },
        RedactionCase { "bearerSwallowsKey", "Bearer sk-abcdefghijkl", "Bearer [REDACTED]" },
        RedactionCase { "nothingSecret", "camera started: 1280x720 ✓", "camera started: 1280x720 ✓" }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ZunoAppLogger, RedactsTheMessageOnlyInFileAndMirror)
{
    QTemporaryDir dir;
    ZunoInstalled<ZunoSystemLog, ZunoCapturedSystemLog> systemLog;
    ZunoAppLogger logger(QStringLiteral("ZunoCam"), dir.path(), 0, 5, fixedVersion());
    logger.info(QStringLiteral("Bearer abcdefgh"), QStringLiteral("token=abc"));

    const auto entries = logger.recentEntries(1, ZunoLogLevel::debug);
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries.first().message, "Bearer [REDACTED]");
    EXPECT_EQ(entries.first().category, "token=abc");
    const auto records = systemLog.fake->records();
    ASSERT_EQ(records.size(), 1);
    EXPECT_EQ(records.first().message, "[token=abc] Bearer [REDACTED]");
}

TEST(ZunoAppLogger, MirrorsEveryLevelToTheSystemLog)
{
    QTemporaryDir dir;
    ZunoInstalled<ZunoSystemLog, ZunoCapturedSystemLog> systemLog;
    ZunoAppLogger logger(QStringLiteral("Zuno Cam"), dir.path(), 0, 5, fixedVersion());
    logger.debug(QStringLiteral("d"), QStringLiteral("camera"));
    logger.info(QStringLiteral("i"), QStringLiteral("remote"));
    logger.warn(QStringLiteral("w"), QStringLiteral("recorder"));
    logger.error(QStringLiteral("e"), QStringLiteral("portrait"));

    using Type = ZunoSystemLog::Type;
    const QList<std::pair<Type, QString>> expected { { Type::debug, "[camera] d" },
        { Type::info, "[remote] i" }, { Type::error, "[recorder] w" }, { Type::error, "[portrait] e" } };
    const auto records = systemLog.fake->records();
    ASSERT_EQ(records.size(), expected.size());
    for (qsizetype i = 0; i < records.size(); ++i) {
        EXPECT_EQ(records[i].subsystem, "com.quarnwell.zuno-cam");
        EXPECT_EQ(records[i].category, "runtime");
        EXPECT_EQ(records[i].type, expected[i].first);
        EXPECT_EQ(records[i].message, expected[i].second);
    }
}

TEST(ZunoAppLogger, FailedWriteDropsTheEntryWithOneStandardErrorLine)
{
    QTemporaryDir dir;
    ASSERT_TRUE(writeFile(dir.filePath("occupied"), "a file where a folder should be"));
    ZunoInstalled<ZunoSystemLog, ZunoCapturedSystemLog> systemLog;

    struct Case {
        const char *name;
        QString folder;
    };
    ASSERT_TRUE(QDir().mkpath(dir.filePath("taken/zuno-cam.log")));
    for (const Case &c : { Case { "folderCannotBeCreated", dir.filePath("occupied/logs") },
             Case { "fileCannotBeOpened", dir.filePath("taken") } }) {
        SCOPED_TRACE(c.name);
        ZunoAppLogger logger(QStringLiteral("Zuno Cam"), c.folder, 1 << 20, 5, fixedVersion());
        StandardErrorCapture capture;
        logger.error(QStringLiteral("lost"), QStringLiteral("camera"));
        const QByteArray text = capture.text();
        EXPECT_TRUE(text.startsWith("[ZunoAppLogger:Zuno Cam] write failed: ")) << text.constData();
        EXPECT_TRUE(text.endsWith('\n'));
        EXPECT_EQ(text.count('\n'), 1);
        EXPECT_GT(text.size(), qsizetype(strlen("[ZunoAppLogger:Zuno Cam] write failed: \n")));
        EXPECT_TRUE(logger.recentEntries(5, ZunoLogLevel::debug).isEmpty());
    }
    EXPECT_EQ(systemLog.fake->records().size(), 2) << "the mirror is written before the file";
}

TEST(ZunoAppLogger, RecentEntriesSkipGarbageAndLowerLevels)
{
    QTemporaryDir dir;
    ZunoAppLogger logger(QStringLiteral("ZunoCam"), dir.path(), 0, 5, fixedVersion());
    QByteArray content;
    content += entry(ZunoLogLevel::error, "old error").encoded() + "\n";
    content += entry(ZunoLogLevel::debug, "debug").encoded() + "\n";
    content += entry(ZunoLogLevel::info, "info").encoded() + "\n";
    content += "garbage {\n\n";
    content
        += R"({"build":"1","category":"c","id":"x","level":"fatal","message":"m","timestamp":"t","version":"v"})"
           "\n";
    content
        += R"({"build":1,"category":"c","id":"x","level":"info","message":"m","timestamp":"t","version":"v"})"
           "\n";
    content += R"({"category":"c","id":"x","level":"info","message":"m","timestamp":"t","version":"v"})"
               "\n";
    content += entry(ZunoLogLevel::warn, "warn").encoded() + "\n";
    content += entry(ZunoLogLevel::error, "error").encoded() + "\n";
    ASSERT_TRUE(writeFile(logger.currentLogFilePath(), content));

    QStringList messages;
    for (const ZunoLogEntry &e : logger.recentEntries(3, ZunoLogLevel::info))
        messages << e.message;
    EXPECT_EQ(messages, QStringList({ "error", "warn", "info" }));
    EXPECT_EQ(logger.recentEntries(1, ZunoLogLevel::debug).first(), entry(ZunoLogLevel::error, "error"));
    EXPECT_EQ(logger.recentEntries(100, ZunoLogLevel::debug).size(), 5);
    EXPECT_EQ(logger.recentEntries(100, ZunoLogLevel::error).size(), 2);
}

TEST(ZunoAppLogger, RecentEntriesReadOnlyAReadableCurrentFile)
{
    QTemporaryDir dir;
    ZunoAppLogger logger(QStringLiteral("ZunoCam"), dir.path(), 0, 5, fixedVersion());
    const QByteArray line = entry(ZunoLogLevel::info, "kept in a generation").encoded() + "\n";
    ASSERT_TRUE(writeFile(logger.currentLogFilePath() + ".1", line));
    EXPECT_TRUE(logger.recentEntries(10, ZunoLogLevel::debug).isEmpty()) << "generations are never read";

    // A torn write leaves one line that is not UTF-8; only that line is lost.
    ZunoLogEntry torn = entry(ZunoLogLevel::warn, "torn");
    QByteArray tornLine = torn.encoded();
    tornLine.replace("torn", "to\xffrn");
    const QByteArray newer = entry(ZunoLogLevel::error, "after the tear").encoded() + "\n";
    ASSERT_TRUE(writeFile(logger.currentLogFilePath(), line + tornLine + "\n" + newer));
    QStringList messages;
    for (const ZunoLogEntry &e : logger.recentEntries(10, ZunoLogLevel::debug))
        messages << e.message;
    EXPECT_EQ(messages, QStringList({ "after the tear", "kept in a generation" }));
    EXPECT_EQ(logger.exportPlainText(10, ZunoLogLevel::debug).count(QLatin1Char('\n')), 1);

    ASSERT_TRUE(writeFile(logger.currentLogFilePath(), ""));
    EXPECT_TRUE(logger.recentEntries(10, ZunoLogLevel::debug).isEmpty());
}

TEST(ZunoAppLogger, ExportsPlainTextOldestFirst)
{
    QTemporaryDir dir;
    ZunoAppLogger logger(QStringLiteral("ZunoCam"), dir.path(), 0, 5, fixedVersion());
    EXPECT_EQ(logger.exportPlainText(250, ZunoLogLevel::debug), "");

    ZunoLogEntry second = entry(ZunoLogLevel::error, "disk full", "recorder");
    second.timestamp = "2026-03-01T09:15:03.000Z";
    ASSERT_TRUE(writeFile(logger.currentLogFilePath(),
        entry(ZunoLogLevel::info, "camera started").encoded() + "\n" + second.encoded() + "\n"));
    EXPECT_EQ(logger.exportPlainText(1, ZunoLogLevel::debug),
        "[2026-03-01T09:15:03.000Z] [ERROR] [v1.0.0#100] [recorder] disk full");
    EXPECT_EQ(logger.exportPlainText(250, ZunoLogLevel::debug),
        "[2026-03-01T09:15:02.417Z] [INFO] [v1.0.0#100] [camera] camera started\n"
        "[2026-03-01T09:15:03.000Z] [ERROR] [v1.0.0#100] [recorder] disk full");
}

TEST(ZunoAppLogger, ClearDeletesEveryGenerationAndKeepsTheFolder)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath("logs");
    ZunoAppLogger logger(QStringLiteral("ZunoCam"), folder, 0, 3, fixedVersion());
    logger.clear();
    EXPECT_FALSE(QFileInfo::exists(folder)) << "nothing written, nothing touched";

    logger.info(QStringLiteral("a"), QStringLiteral("camera"));
    for (int i : { 1, 3, 4 })
        ASSERT_TRUE(writeFile(logger.currentLogFilePath() + "." + QString::number(i), "old"));
    EXPECT_TRUE(logger.clear());
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList { "zunocam.log.4" })
        << "beyond the limit stays";

    // A generation that cannot be deleted (root deletes any file, so a non-empty folder stands in).
    logger.info(QStringLiteral("b"), QStringLiteral("camera"));
    ASSERT_TRUE(QDir(folder).mkpath("zunocam.log.2/inside"));
    EXPECT_FALSE(logger.clear());
    EXPECT_FALSE(QFileInfo::exists(logger.currentLogFilePath())) << "the others are still deleted";
}

TEST(ZunoAppLogger, RevealShowsTheFileOrElseTheFolder)
{
    QTemporaryDir dir;
    ZunoInstalled<ZunoDesktopServices, ZunoRecordingDesktop> desktop;
    const QString folder = dir.filePath("nested/logs");
    ZunoAppLogger logger(QStringLiteral("ZunoCam"), folder, 0, 5, fixedVersion());

    logger.revealInFinder();
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(desktop.fake->opened, QList<QUrl> { QUrl::fromLocalFile(folder) });
    EXPECT_TRUE(desktop.fake->revealed.isEmpty());

    logger.info(QStringLiteral("a"), QStringLiteral("camera"));
    logger.revealInFinder();
    EXPECT_EQ(desktop.fake->revealed, QStringList { logger.currentLogFilePath() });
    EXPECT_EQ(desktop.fake->opened.size(), 1);
}

TEST(ZunoLogLevel, RawValuesLabelsAndOrder)
{
    const QList<std::tuple<ZunoLogLevel, QString, QString>> table { { ZunoLogLevel::debug, "debug", "DEBUG" },
        { ZunoLogLevel::info, "info", "INFO" }, { ZunoLogLevel::warn, "warn", "WARN" },
        { ZunoLogLevel::error, "error", "ERROR" } };
    ASSERT_EQ(qsizetype(ZunoLogLevels::allCases.size()), table.size());
    for (qsizetype i = 0; i < table.size(); ++i) {
        const auto &[level, raw, text] = table[i];
        EXPECT_EQ(ZunoLogLevels::allCases[size_t(i)], level);
        EXPECT_EQ(rawValue(level), raw);
        EXPECT_EQ(label(level), text);
        EXPECT_EQ(ZunoLogLevels::fromRawValue(raw), level);
        if (i > 0) {
            EXPECT_LT(std::get<0>(table[i - 1]), level);
        }
    }
    for (const char *unknown : { "Debug", "WARN", "warning", "fatal", "" })
        EXPECT_FALSE(ZunoLogLevels::fromRawValue(unknown)) << unknown;
}

// A full disk stands in as a file-size limit: the line that does not fit is written in part.
TEST(ZunoAppLogger, ShortWriteIsCutBackAndTheNextLineStandsAlone)
{
    QTemporaryDir dir;
    ZunoAppLogger logger(QStringLiteral("Zuno Cam"), dir.path(), 1 << 20, 5, fixedVersion());
    logger.info(QStringLiteral("before"), QStringLiteral("camera"));
    const QString file = dir.filePath(QStringLiteral("zuno-cam.log"));
    const qint64 size = QFileInfo(file).size();
    {
        ZunoFileSizeLimit limit(size + 40);
        ASSERT_TRUE(limit.isActive());
        StandardErrorCapture capture;
        logger.info(
            QStringLiteral("does not fit %1").arg(QString(200, QLatin1Char('x'))), QStringLiteral("camera"));
        EXPECT_TRUE(capture.text().contains("write failed")) << "the failure is not silent";
    }
    EXPECT_EQ(QFileInfo(file).size(), size) << "the half line is cut back";
    logger.info(QStringLiteral("after"), QStringLiteral("camera"));

    const QList<QByteArray> lines = fileLines(file);
    ASSERT_EQ(lines.size(), 2);
    for (const QByteArray &line : lines)
        EXPECT_TRUE(ZunoLogEntry::decoded(line).has_value()) << line.constData();
    EXPECT_EQ(ZunoLogEntry::decoded(lines.last())->message, QStringLiteral("after"));
}

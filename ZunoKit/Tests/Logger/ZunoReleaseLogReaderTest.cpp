#include "ZunoReleaseLogReader.h"
#include "ZunoAppVersion.h"
#include "ZunoBundle.h"
#include "ZunoLoggerFakes.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray release(const char *version, const char *app = "ZunoCam")
{
    return QByteArray(R"({"timestamp":"2026-03-01T09:15:02Z","app":")") + app + R"(","toVersion":")" + version
        + R"("})";
}

QStringList versions(const QList<ZunoReleaseLogRecord> &records)
{
    QStringList list;
    for (const auto &record : records)
        list << record.app + "@" + record.toVersion;
    return list;
}

class ReleaseLogFile {
public:
    explicit ReleaseLogFile(const QByteArray &content) { EXPECT_TRUE(writeFile(path(), content)); }
    QString path() const { return m_dir.filePath("release-log.jsonl"); }

private:
    QTemporaryDir m_dir;
};

} // namespace

TEST(ZunoReleaseLogReader, ReturnsTheFileNewestFirstSkippingUnreadableLines)
{
    const ReleaseLogFile file(release("1.0.0") + "\n\nnot json at all\n" + release("1.0.1") + "\n"
        + R"({"app":"ZunoCam","toVersion":)" + "\n" + release("1.1.0") + "\r\n");
    EXPECT_EQ(versions(ZunoReleaseLogReader::load(file.path(), QStringLiteral("ZunoCam"))),
        QStringList({ "ZunoCam@1.1.0", "ZunoCam@1.0.1", "ZunoCam@1.0.0" }));

    // The file order decides, not the timestamps.
    const ReleaseLogFile unsorted(R"({"timestamp":"2027-01-01T00:00:00Z","toVersion":"2.0.0"})"
                                  "\n"
                                  R"({"timestamp":"2025-01-01T00:00:00Z","toVersion":"0.9.0"})");
    EXPECT_EQ(versions(ZunoReleaseLogReader::load(unsorted.path(), std::nullopt)),
        QStringList({ "@0.9.0", "@2.0.0" }));
}

TEST(ZunoReleaseLogReader, KeepsTheRecordsOfOneApplicationIgnoringCase)
{
    const ReleaseLogFile file(release("1", "ZunoCam") + "\n" + release("2", "zunocam") + "\n"
        + release("3", "ZUNOCAM") + "\n" + release("4", "ZunoStudio") + "\n" + R"({"toVersion":"5"})" + "\n");
    struct Case {
        const char *name;
        std::optional<QString> app;
        QStringList expected;
    };
    for (const Case &c : { Case { "exact", "ZunoCam", { "ZUNOCAM@3", "zunocam@2", "ZunoCam@1" } },
             Case { "otherCase", "zUNOcAM", { "ZUNOCAM@3", "zunocam@2", "ZunoCam@1" } },
             Case { "other", "ZunoStudio", { "ZunoStudio@4" } }, Case { "emptyName", QString(""), { "@5" } },
             Case { "unknown", "Nobody", {} },
             Case {
                 "none", std::nullopt, { "@5", "ZunoStudio@4", "ZUNOCAM@3", "zunocam@2", "ZunoCam@1" } } }) {
        EXPECT_EQ(versions(ZunoReleaseLogReader::load(file.path(), c.app)), c.expected) << c.name;
    }
}

TEST(ZunoReleaseLogReader, UnreadableFilesGiveNothing)
{
    QTemporaryDir dir;
    EXPECT_TRUE(ZunoReleaseLogReader::load(dir.filePath("missing.jsonl"), std::nullopt).isEmpty());
    EXPECT_TRUE(ZunoReleaseLogReader::load(ReleaseLogFile("").path(), std::nullopt).isEmpty());
    EXPECT_TRUE(
        ZunoReleaseLogReader::load(ReleaseLogFile(release("1.0.0") + "\n\xc3\x28\n").path(), std::nullopt)
            .isEmpty())
        << "a file that is not UTF-8";
}

TEST(ZunoReleaseLogRecord, EmptyObjectTakesEveryDefault)
{
    const auto record = ZunoReleaseLogRecord::decoded("{}");
    ASSERT_TRUE(record);
    EXPECT_EQ(*record, ZunoReleaseLogRecord {});
    EXPECT_EQ(record->timestamp, "");
    EXPECT_EQ(record->app, "");
    EXPECT_EQ(record->fromVersion, "0.0.0");
    EXPECT_EQ(record->toVersion, "1.0.0");
    EXPECT_EQ(record->fromBuild, 0);
    EXPECT_EQ(record->toBuild, 100);
    EXPECT_EQ(record->bumpKind, "patch");
    EXPECT_EQ(record->section, "Changed");
    EXPECT_TRUE(record->details.isEmpty() && record->summaryI18n.isEmpty() && record->detailsI18n.isEmpty());
    EXPECT_EQ(record->id(), "--1.0.0-100");
    EXPECT_EQ(record->shortDate(), "");
}

struct DecodeCase {
    const char *name;
    const char *json;
    bool readable;
};

void PrintTo(const DecodeCase &c, std::ostream *os)
{
    *os << '"' << c.name << '"';
}

class ZunoReleaseLogRecordDecoding : public ::testing::TestWithParam<DecodeCase> { };

TEST_P(ZunoReleaseLogRecordDecoding, FailsOnlyOnWrongTypes)
{
    EXPECT_EQ(ZunoReleaseLogRecord::decoded(GetParam().json).has_value(), GetParam().readable);
}

INSTANTIATE_TEST_SUITE_P(, ZunoReleaseLogRecordDecoding,
    ::testing::Values(DecodeCase { "buildAsText", R"({"toBuild":"101"})", false },
        DecodeCase { "buildWithFraction", R"({"toBuild":101.5})", false },
        DecodeCase { "buildTooLarge", R"({"toBuild":9223372036854775808})", false },
        DecodeCase { "detailsAsText", R"({"details":"one line"})", false },
        DecodeCase { "detailWithNumber", R"({"details":["a",2]})", false },
        DecodeCase { "summaryTranslationNull", R"({"summary_i18n":{"tr":null}})", false },
        DecodeCase { "detailTranslationsAsText", R"({"details_i18n":{"tr":"bir"}})", false },
        DecodeCase { "versionAsNumber", R"({"toVersion":1})", false },
        DecodeCase { "array", R"([{"app":"ZunoCam"}])", false },
        DecodeCase { "truncated", R"({"app":"ZunoCam")", false },
        DecodeCase { "nullsAndUnknownKeys", R"({"toBuild":null,"details":null,"extra":[1,{}]})", true },
        DecodeCase { "wholeNumberWithFraction", R"({"toBuild":101.0})", true }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ZunoReleaseLogRecord, NullTakesTheDefaultAndEncodingRoundTrips)
{
    const auto nulls = ZunoReleaseLogRecord::decoded(R"({"toBuild":null,"section":null,"fromBuild":-2})");
    ASSERT_TRUE(nulls);
    EXPECT_EQ(nulls->toBuild, 100);
    EXPECT_EQ(nulls->section, "Changed");
    EXPECT_EQ(nulls->fromBuild, -2);

    ZunoReleaseLogRecord record;
    record.timestamp = "2026-03-01T09:15:02Z";
    record.app = "ZunoCam";
    record.fromVersion = "1.0.0";
    record.toVersion = "1.1.0";
    record.fromBuild = 100;
    record.toBuild = 110;
    record.bumpKind = "minor";
    record.section = "Added";
    record.summary = "Portrait \"studio\" background";
    record.details = { "Dims the room", "ğüş" };
    record.summaryI18n = { { "tr", "Stüdyo arka planı" }, { "en", "Studio background" } };
    record.detailsI18n = { { "tr", { "Odayı karartır" } } };
    record.gitCommit = "abc123";
    const QByteArray encoded = record.encoded();
    EXPECT_EQ(encoded.left(encoded.indexOf("\"summary_i18n\"")),
        R"({"timestamp":"2026-03-01T09:15:02Z","app":"ZunoCam","fromVersion":"1.0.0","toVersion":"1.1.0",)"
        R"("fromBuild":100,"toBuild":110,"bumpKind":"minor","section":"Added",)"
        R"("summary":"Portrait \"studio\" background","details":["Dims the room","ğüş"],"gitCommit":"abc123",)");
    EXPECT_TRUE(encoded.contains(R"("details_i18n":{"tr":["Odayı karartır"]}})"));
    EXPECT_EQ(ZunoReleaseLogRecord::decoded(encoded), record);
    EXPECT_EQ(record.id(), "2026-03-01T09:15:02Z-ZunoCam-1.1.0-110");
}

TEST(ZunoReleaseLogRecord, ShortDateIsTheFirstTenCharacters)
{
    ZunoReleaseLogRecord record;
    for (const auto &[timestamp, expected] :
        QList<std::pair<QString, QString>> { { "2026-03-01T09:15:02Z", "2026-03-01" }, { "2026-0", "2026-0" },
            { "2026-03-01", "2026-03-01" }, { "🎥🎥🎥🎥🎥🎥🎥🎥🎥🎥🎥", "🎥🎥🎥🎥🎥🎥🎥🎥🎥🎥" } }) {
        record.timestamp = timestamp;
        EXPECT_EQ(record.shortDate(), expected) << timestamp.toStdString();
    }
}

struct LocalizationCase {
    const char *name;
    const char *language;
    QMap<QString, QString> summaries;
    const char *expected;
};

void PrintTo(const LocalizationCase &c, std::ostream *os)
{
    *os << '"' << c.name << '"';
}

class ZunoReleaseLogRecordLocalization : public ::testing::TestWithParam<LocalizationCase> { };

TEST_P(ZunoReleaseLogRecordLocalization, FallsBackThroughParentAndEnglish)
{
    const LocalizationCase &c = GetParam();
    ZunoReleaseLogRecord record;
    record.summary = "base";
    record.details = { "base detail" };
    record.summaryI18n = c.summaries;
    for (auto it = c.summaries.cbegin(); it != c.summaries.cend(); ++it)
        record.detailsI18n.insert(
            it.key(), it.value().isEmpty() ? QStringList() : QStringList { it.value() + " detail" });

    EXPECT_EQ(record.localizedSummary(c.language), c.expected);
    EXPECT_EQ(record.localizedDetails(c.language), QStringList { QString(c.expected) + " detail" });
}

INSTANTIATE_TEST_SUITE_P(, ZunoReleaseLogRecordLocalization,
    ::testing::Values(LocalizationCase { "ownLanguage", "tr", { { "tr", "tr" }, { "en", "en" } }, "tr" },
        LocalizationCase {
            "portugalReadsBrazil", "pt-PT", { { "pt-BR", "pt-BR" }, { "en", "en" } }, "pt-BR" },
        LocalizationCase { "traditionalReadsSimplified", "zh-Hant", { { "zh-Hans", "zh-Hans" } }, "zh-Hans" },
        LocalizationCase {
            "brazilDoesNotReadPortugal", "pt-BR", { { "pt-PT", "pt-PT" }, { "en", "en" } }, "en" },
        LocalizationCase { "otherLanguageReadsEnglish", "de", { { "en", "en" } }, "en" },
        LocalizationCase { "emptyTranslationFallsThrough", "tr", { { "tr", "" }, { "en", "en" } }, "en" },
        LocalizationCase { "emptyEnglishGivesBase", "de", { { "en", "" } }, "base" },
        LocalizationCase { "noTranslations", "tr", {}, "base" }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ZunoReleaseLogReader, ReadsTheApplicationsShippedReleaseLog)
{
    ZunoBundle bundle;
    bundle.resourceDirectory = QStringLiteral(ZUNO_SOURCE_DIR "/ZunoCam/Resources/share");
    const auto records = ZunoReleaseLogReader::loadBundled(QStringLiteral("ZunoCam"), bundle);
    ASSERT_FALSE(records.isEmpty());
    const ZunoReleaseLogRecord &first = records.last();
    EXPECT_EQ(first.toVersion, "1.0.0");
    EXPECT_EQ(first.toBuild, 100);
    EXPECT_EQ(first.app, "ZunoCam");
    EXPECT_FALSE(first.localizedSummary("en").isEmpty());
    EXPECT_NE(first.localizedSummary("tr"), first.localizedSummary("en"));
    EXPECT_EQ(first.localizedDetails("tr").size(), first.localizedDetails("en").size());
    EXPECT_EQ(records.first().toVersion, ZunoAppVersion::current().shortVersion)
        << "the newest release is this build";

    QTemporaryDir empty;
    bundle.resourceDirectory = empty.path();
    EXPECT_TRUE(ZunoReleaseLogReader::loadBundled(QStringLiteral("ZunoCam"), bundle).isEmpty());
}

#include "ZunoAppVersion.h"
#include "ZunoBundle.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <limits>

namespace {

ZunoBundle bundleWith(const QVariant &version, const QVariant &build)
{
    ZunoBundle b;
    if (version.isValid())
        b.infoDictionary.insert(QStringLiteral("CFBundleShortVersionString"), version);
    if (build.isValid())
        b.infoDictionary.insert(QStringLiteral("CFBundleVersion"), build);
    return b;
}

} // namespace

TEST(ZunoAppVersion, ReadsBundleWithFallbacks)
{
    const auto trimmed = ZunoAppVersion::current(
        bundleWith(QStringLiteral("  2.0.1\n"), QStringLiteral("7")), "1.0.0", "100");
    EXPECT_EQ(trimmed, (ZunoAppVersion { "2.0.1", "7" }));
    const auto emptyBuild
        = ZunoAppVersion::current(bundleWith(QStringLiteral("2.0.1"), QStringLiteral("")), "1.0.0", "100");
    EXPECT_EQ(emptyBuild.buildNumber, "100");
    const auto numeric
        = ZunoAppVersion::current(bundleWith(QVariant(2.5), QStringLiteral(" \t")), "1.0.0", "100");
    EXPECT_EQ(numeric, (ZunoAppVersion { "1.0.0", "100" }));
    const auto missing = ZunoAppVersion::current(ZunoBundle {}, "9.9.9", "1");
    EXPECT_EQ(missing, (ZunoAppVersion { "9.9.9", "1" }));
}

// The project's version equals the fallbacks, so this cannot tell the bundle's keys from them:
// ZunoKitAppVersionTests (AppVersion/) runs with a version of its own that can.
TEST(ZunoAppVersion, RunningApplicationComesFromTheProjectVersion)
{
    const auto version = ZunoAppVersion::current();
    EXPECT_EQ(version,
        (ZunoAppVersion { QStringLiteral(ZUNO_PROJECT_VERSION), QStringLiteral(ZUNO_PROJECT_BUILD_NUMBER) }));
    EXPECT_TRUE(version.semVer().has_value()) << version.shortVersion.toStdString();
}

TEST(ZunoAppVersion, DisplayStrings)
{
    const ZunoAppVersion v { "1.0.0", "100" };
    EXPECT_EQ(v.tag(), "v1.0.0");
    EXPECT_EQ(v.detailedDisplay(), "v1.0.0 (100)");
    EXPECT_EQ(ZunoAppVersion({ "1.0", "1" }).semVer(), std::nullopt);
    EXPECT_EQ(ZunoAppVersion({ "v3.1.4", "1" }).semVer(), ZunoSemVer(3, 1, 4));
}

TEST(ZunoSemVer, NegativeComponentsBecomeZero)
{
    EXPECT_EQ(ZunoSemVer(-1, 2, -3), ZunoSemVer(0, 2, 0));
}

struct ParseCase {
    const char *text;
    std::optional<ZunoSemVer> expected;
};

void PrintTo(const ParseCase &c, std::ostream *os)
{
    *os << '"' << c.text << '"';
}

class ZunoSemVerParse : public testing::TestWithParam<ParseCase> { };

TEST_P(ZunoSemVerParse, Parses)
{
    EXPECT_EQ(ZunoSemVer::parsing(QString::fromUtf8(GetParam().text)), GetParam().expected)
        << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Texts, ZunoSemVerParse,
    testing::Values(ParseCase { "1.2.3", ZunoSemVer(1, 2, 3) }, ParseCase { "v1.2.3", ZunoSemVer(1, 2, 3) },
        ParseCase { "  V1.2.3 \n", ZunoSemVer(1, 2, 3) }, ParseCase { "01.002.3", ZunoSemVer(1, 2, 3) },
        ParseCase { "+1.2.3", ZunoSemVer(1, 2, 3) }, ParseCase { "-0.1.2", ZunoSemVer(0, 1, 2) },
        ParseCase { "9223372036854775807.0.0", ZunoSemVer(std::numeric_limits<std::int64_t>::max(), 0, 0) },
        ParseCase { "9223372036854775808.0.0", std::nullopt }, ParseCase { "1.2", std::nullopt },
        ParseCase { "1.2.3.4", std::nullopt }, ParseCase { "1..3", std::nullopt },
        ParseCase { "1.2.x", std::nullopt }, ParseCase { "1.2.3-beta", std::nullopt },
        ParseCase { "1.2.3+5", std::nullopt }, ParseCase { "-1.2.3", std::nullopt },
        ParseCase { "vv1.2.3", std::nullopt }, ParseCase { "1. 2.3", std::nullopt },
        ParseCase { "+.1.2", std::nullopt }, ParseCase { "1.2.\xd9\xa3", std::nullopt }));

TEST(ZunoSemVer, ParseThrowsWithTheUntouchedInput)
{
    try {
        ZunoSemVer::parse(QStringLiteral(" 1.2"));
        FAIL();
    } catch (const ZunoSemVerError &e) {
        EXPECT_EQ(e.kind(), ZunoSemVerError::Kind::invalidFormat);
        EXPECT_EQ(e.input(), " 1.2");
        EXPECT_EQ(e.errorDescription(), "Invalid SemVer 2.0.0 string: ' 1.2' (expected MAJOR.MINOR.PATCH).");
    }
}

TEST(ZunoSemVer, OrderingAndBumps)
{
    EXPECT_LT(ZunoSemVer(1, 9, 0), ZunoSemVer(1, 10, 0));
    EXPECT_EQ(ZunoSemVer(1, 2, 3).description(), "1.2.3");
    EXPECT_EQ(ZunoSemVer(1, 2, 3).bumped(ZunoVersionBumpKind::build), ZunoSemVer(1, 2, 3));
    EXPECT_EQ(ZunoSemVer(1, 2, 3).bumped(ZunoVersionBumpKind::patch), ZunoSemVer(1, 2, 4));
    EXPECT_EQ(ZunoSemVer(1, 2, 3).bumped(ZunoVersionBumpKind::minor), ZunoSemVer(1, 3, 0));
    EXPECT_EQ(ZunoSemVer(1, 2, 3).bumped(ZunoVersionBumpKind::major), ZunoSemVer(2, 0, 0));
    const ZunoSemVer top(std::numeric_limits<std::int64_t>::max(), 0, 0);
    EXPECT_THROW(top.bumped(ZunoVersionBumpKind::major), ZunoSemVerError);
    EXPECT_EQ(top.bumped(ZunoVersionBumpKind::patch), ZunoSemVer(top.major, 0, 1));
}

struct TransitionCase {
    const char *from;
    const char *to;
    ZunoVersionBumpKind kind;
    std::optional<ZunoSemVerError::Kind> error;
};

void PrintTo(const TransitionCase &c, std::ostream *os)
{
    *os << c.from << " -> " << c.to << " as " << rawValue(c.kind).toStdString();
}

class ZunoSemVerTransition : public testing::TestWithParam<TransitionCase> { };

TEST_P(ZunoSemVerTransition, Policy)
{
    const auto &c = GetParam();
    const auto from = ZunoSemVer::parse(QString::fromUtf8(c.from));
    const auto to = ZunoSemVer::parse(QString::fromUtf8(c.to));
    if (!c.error) {
        EXPECT_NO_THROW(ZunoSemVer::validateTransition(from, to, c.kind));
        return;
    }
    try {
        ZunoSemVer::validateTransition(from, to, c.kind);
        FAIL() << c.from << " -> " << c.to;
    } catch (const ZunoSemVerError &e) {
        EXPECT_EQ(e.kind(), *c.error) << c.from << " -> " << c.to;
        EXPECT_EQ(e.from(), from.description());
        EXPECT_EQ(e.to(), to.description());
    }
}

using K = ZunoVersionBumpKind;
using E = ZunoSemVerError::Kind;
INSTANTIATE_TEST_SUITE_P(Steps, ZunoSemVerTransition,
    testing::Values(TransitionCase { "1.2.3", "1.2.4", K::patch, {} },
        TransitionCase { "1.2.3", "1.3.0", K::minor, {} }, TransitionCase { "1.2.3", "2.0.0", K::major, {} },
        TransitionCase { "1.2.3", "1.2.3", K::build, {} },
        TransitionCase { "1.2.3", "1.2.2", K::patch, E::downgradeNotAllowed },
        TransitionCase { "1.2.3", "1.2.2", K::build, E::downgradeNotAllowed },
        TransitionCase { "2.0.0", "1.0.0", K::major, E::downgradeNotAllowed },
        TransitionCase { "1.2.3", "1.2.5", K::patch, E::multiStepJumpBlocked },
        TransitionCase { "1.2.3", "1.4.0", K::minor, E::multiStepJumpBlocked },
        TransitionCase { "1.2.3", "3.0.0", K::major, E::multiStepJumpBlocked },
        TransitionCase { "1.2.3", "1.3.0", K::patch, E::unexpectedBumpKind },
        TransitionCase { "1.2.3", "2.1.0", K::major, E::unexpectedBumpKind },
        TransitionCase { "1.2.3", "1.2.4", K::minor, E::unexpectedBumpKind },
        TransitionCase { "1.2.3", "1.2.3", K::patch, E::unexpectedBumpKind },
        TransitionCase { "1.2.3", "1.2.4", K::build, E::unexpectedBumpKind }));

TEST(ZunoSemVer, ErrorTexts)
{
    struct Case {
        ZunoSemVer from;
        ZunoSemVer to;
        ZunoVersionBumpKind kind;
        const char *text;
    };
    const Case cases[] = {
        { { 1, 2, 3 }, { 1, 2, 5 }, K::patch,
            "Multi-step version jump blocked by Quarnwell policy: 1.2.3 -> 1.2.5. Only +1 increments are "
            "permitted." },
        { { 1, 2, 3 }, { 1, 3, 0 }, K::patch,
            "Transition 1.2.3 -> 1.3.0 does not match requested 'patch' bump." },
        { { 1, 2, 3 }, { 1, 2, 4 }, K::minor,
            "Transition 1.2.3 -> 1.2.4 does not match requested 'minor' bump." },
        { { 1, 2, 3 }, { 1, 2, 2 }, K::patch, "Version downgrade blocked: 1.2.3 -> 1.2.2." },
    };
    for (const Case &c : cases) {
        EXPECT_THROW(
            {
                try {
                    ZunoSemVer::validateTransition(c.from, c.to, c.kind);
                } catch (const ZunoSemVerError &e) {
                    EXPECT_EQ(e.errorDescription(), c.text);
                    if (e.kind() == E::unexpectedBumpKind) {
                        EXPECT_EQ(e.expected(), c.kind);
                    }
                    throw;
                }
            },
            ZunoSemVerError)
            << c.text;
    }
}

TEST(ZunoSemVer, JsonCodingIsStrict)
{
    EXPECT_EQ(
        nlohmann::json(ZunoSemVer(1, 4, 2)), nlohmann::json::parse(R"({"major":1,"minor":4,"patch":2})"));
    // No policy range on decoding: a negative component decodes as it is; a whole number written with a
    // fraction part counts.
    EXPECT_EQ(nlohmann::json::parse(R"({"major":-1,"minor":0,"patch":2})").get<ZunoSemVer>().major, -1);
    EXPECT_EQ(
        nlohmann::json::parse(R"({"major":2.0,"minor":0,"patch":9223372036854775807})").get<ZunoSemVer>(),
        ZunoSemVer(2, 0, std::numeric_limits<std::int64_t>::max()));
    const char *refused[] = {
        R"({"major":1,"minor":0})",
        R"({"major":1.5,"minor":0,"patch":0})",
        R"({"major":1,"minor":0,"patch":9223372036854775808})",
        R"({"major":1,"minor":0,"patch":1e19})",
        R"({"major":1,"minor":true,"patch":0})",
        R"({"major":"1","minor":0,"patch":0})",
        R"({"major":null,"minor":0,"patch":0})",
    };
    for (const char *text : refused)
        EXPECT_THROW(nlohmann::json::parse(text).get<ZunoSemVer>(), nlohmann::json::exception) << text;
}

TEST(ZunoVersionBumpKind, CasesAndCoding)
{
    EXPECT_EQ(ZunoVersionBumpKinds::allCases, (std::array { K::build, K::patch, K::minor, K::major }));
    for (K kind : ZunoVersionBumpKinds::allCases) {
        EXPECT_EQ(nlohmann::json(kind), rawValue(kind).toStdString());
        EXPECT_EQ(nlohmann::json(kind).get<K>(), kind);
        EXPECT_EQ(ZunoVersionBumpKinds::fromRawValue(rawValue(kind)), kind);
    }
    EXPECT_EQ(nlohmann::json(K::minor), "minor");
    EXPECT_EQ(nlohmann::json::parse(R"("major")").get<K>(), K::major);
    EXPECT_EQ(ZunoVersionBumpKinds::fromRawValue("Minor"), std::nullopt);
    for (const char *text : { R"("Minor")", R"("")", "1", "null" })
        EXPECT_THROW(nlohmann::json::parse(text).get<K>(), nlohmann::json::exception) << text;
}

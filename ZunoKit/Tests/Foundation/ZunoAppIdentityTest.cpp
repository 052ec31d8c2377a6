#include "ZunoAppIdentity.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <set>

using namespace ZunoAppIdentities;

TEST(ZunoAppIdentity, ListShape)
{
    ASSERT_EQ(allCases().size(), 82u);
    EXPECT_EQ(indexOf(ZunoAppIdentity::zunoCam), 33);
    EXPECT_EQ(indexOf(ZunoAppIdentity::zunoStudio), 34);
    EXPECT_EQ(indexOf(ZunoAppIdentity::zunoAgentBrowser), 56);
    EXPECT_EQ(rawValue(ZunoAppIdentity::zunoCam), QStringLiteral("zunocam"));
    EXPECT_EQ(id(ZunoAppIdentity::zunoAgentBrowser), QStringLiteral("zunoagentbrowser"));
    EXPECT_EQ(zunoBrowser, ZunoAppIdentity::zunoAgentBrowser);

    std::set<QString> raws;
    int prefixed = 0;
    for (auto app : allCases()) {
        const QString raw = rawValue(app);
        const QString name = caseName(app);
        EXPECT_TRUE(raws.insert(raw).second) << raw.toStdString();
        EXPECT_EQ(fromRawValue(raw), app);
        // Raw value rule: lower case, letters and digits only.
        QString expected;
        for (QChar c : name.toLower())
            if (c.isLetterOrNumber())
                expected += c;
        EXPECT_EQ(raw, expected);
        if (name.startsWith(QStringLiteral("zuno")) && name.size() > 4 && name[4].isUpper())
            ++prefixed;
    }
    EXPECT_EQ(prefixed, 77);
}

struct ResolveCase {
    const char *name;
    std::optional<ZunoAppIdentity> expected;
};

void PrintTo(const ResolveCase &c, std::ostream *os)
{
    *os << '"' << c.name << '"';
}

class ZunoAppIdentityResolve : public testing::TestWithParam<ResolveCase> { };

TEST_P(ZunoAppIdentityResolve, Resolves)
{
    EXPECT_EQ(resolve(QString::fromUtf8(GetParam().name)), GetParam().expected) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(Names, ZunoAppIdentityResolve,
    testing::Values(ResolveCase { "com.quarnwell.zunocam", ZunoAppIdentity::zunoCam },
        ResolveCase { "ZunoCam", ZunoAppIdentity::zunoCam },
        ResolveCase { "Zuno Cam", ZunoAppIdentity::zunoCam },
        ResolveCase { "Zuno-Cam", ZunoAppIdentity::zunoCam },
        ResolveCase { "com.quarnwell.zunobrowser", ZunoAppIdentity::zunoAgentBrowser },
        ResolveCase { "Zuno Browser", ZunoAppIdentity::zunoAgentBrowser },
        ResolveCase { "zunoagentbrowser", ZunoAppIdentity::zunoAgentBrowser },
        ResolveCase { "ZunoDL", ZunoAppIdentity::zunoDownloader },
        ResolveCase { "Zuno_Kill", ZunoAppIdentity::zunoKill }, ResolveCase { "ZunoCam.app", std::nullopt },
        ResolveCase { "", std::nullopt }, ResolveCase { "...", std::nullopt },
        ResolveCase { "ZunoCamera", std::nullopt }, ResolveCase { "ZunoCamX", std::nullopt },
        ResolveCase { "zuno\u00e7am", std::nullopt }));

TEST(ZunoAppIdentity, RawValueIsCaseSensitive)
{
    EXPECT_EQ(fromRawValue(QStringLiteral("zunocam")), ZunoAppIdentity::zunoCam);
    EXPECT_EQ(fromRawValue(QStringLiteral("ZunoCam")), std::nullopt);
}

TEST(ZunoAppIdentity, JsonCodingIsStrict)
{
    EXPECT_EQ(nlohmann::json("zunocam").get<ZunoAppIdentity>(), ZunoAppIdentity::zunoCam);
    EXPECT_THROW(nlohmann::json("ZunoCam").get<ZunoAppIdentity>(), nlohmann::json::exception);
    EXPECT_THROW(nlohmann::json(33).get<ZunoAppIdentity>(), nlohmann::json::exception);
    EXPECT_EQ(nlohmann::json(ZunoAppIdentity::zunoStudio).dump(), "\"zunostudio\"");
}

TEST(ZunoAppIdentity, CurrentIsTheStudio)
{
    // The generated application record names this application.
    EXPECT_EQ(current(), ZunoAppIdentity::zunoCam);
}

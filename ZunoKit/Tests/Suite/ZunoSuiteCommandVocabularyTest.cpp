// Command kinds and their styles, the envelope's JSON, the strict dates, transports and results.
#include "ZunoJson.h"
#include "ZunoSuiteCommandEnvelope.h"
#include "ZunoSuiteCommandKind.h"
#include "ZunoSuiteCommandResult.h"

#include <QSet>

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <map>
#include <set>

namespace {

using Kind = ZunoSuiteCommandKind;
using Style = ZunoSuiteCommandExecutionStyle;

const QDateTime kNoon(QDate(2026, 3, 1), QTime(12, 0, 0), Qt::UTC);

nlohmann::json minimalEnvelope()
{
    return {
        { "id", "E621E1F8-C36C-495A-93FC-0C247A3E6E5F" },
        { "timestamp", "2026-03-01T12:00:00Z" },
        { "sourceApp", "ZunoCam" },
        { "targetApp", "ZunoRAM" },
        { "kind", "ramFreezePID" },
    };
}

ZunoSuiteCommandEnvelope envelopeAtNoon(ZunoSuiteApp source, ZunoSuiteApp target, Kind kind)
{
    ZunoSuiteCommandEnvelope envelope;
    envelope.id = QUuid::createUuid();
    envelope.timestamp = kNoon;
    envelope.sourceApp = source;
    envelope.targetApp = target;
    envelope.kind = kind;
    return envelope;
}

std::optional<ZunoSuiteCommandEnvelope> decode(const nlohmann::json &j)
{
    return ZunoSuiteCommandEnvelope::decoded(QByteArray::fromStdString(j.dump()));
}

} // namespace

TEST(ZunoSuiteCommandKind, OneHundredThirtyNineUniqueKindsInDeclarationOrder)
{
    const auto &all = ZunoSuiteCommandKinds::allCases();
    ASSERT_EQ(all.size(), 139u);
    EXPECT_EQ(rawValue(all.front()), QLatin1String("ramSmartOffload"));
    EXPECT_EQ(rawValue(all[10]), QLatin1String("killProcessTree"));
    EXPECT_EQ(rawValue(all.back()), QLatin1String("taskOpenToday"));
    QSet<QString> raws;
    std::map<Style, int> styles;
    for (const Kind kind : all) {
        const QString raw = rawValue(kind);
        raws.insert(raw);
        EXPECT_EQ(ZunoSuiteCommandKinds::fromRawValue(raw), kind) << raw.toStdString();
        EXPECT_EQ(nlohmann::json(kind).get<Kind>(), kind);
        ++styles[executionStyle(kind)];
        EXPECT_EQ(isHeadlessFeature(kind), executionStyle(kind) == Style::headlessFeature);
    }
    EXPECT_EQ(raws.size(), 139);
    EXPECT_EQ(styles[Style::overlayOrMiniUI], 14);
    EXPECT_EQ(styles[Style::openUI], 50);
    EXPECT_EQ(styles[Style::headlessFeature], 75);
    for (const char *raw : { "", "RamSmartOffload", "ramsmartoffload", "ramSmartOffload2", "openUI" })
        EXPECT_FALSE(ZunoSuiteCommandKinds::fromRawValue(QString::fromLatin1(raw))) << raw;
}

TEST(ZunoSuiteCommandKind, StylesOfTheNamedKinds)
{
    const std::pair<Kind, Style> rows[] = {
        { Kind::killInspectPID, Style::openUI },
        { Kind::taskSelectTask, Style::openUI },
        { Kind::focusStartTaskSession, Style::overlayOrMiniUI },
        { Kind::ramToggleHUD, Style::overlayOrMiniUI },
        { Kind::taskDockFocusHUD, Style::overlayOrMiniUI },
        { Kind::killProcessTree, Style::headlessFeature },
        { Kind::ramFreezePID, Style::headlessFeature },
        { Kind::focusTogglePause, Style::headlessFeature },
    };
    for (const auto &[kind, style] : rows)
        EXPECT_EQ(executionStyle(kind), style) << rawValue(kind).toStdString();
    for (const Style style : { Style::headlessFeature, Style::overlayOrMiniUI, Style::openUI })
        EXPECT_EQ(ZunoSuiteCommandExecutionStyles::fromRawValue(rawValue(style)), style);
    EXPECT_EQ(rawValue(Style::overlayOrMiniUI), QLatin1String("overlayOrMiniUI"));
    EXPECT_FALSE(ZunoSuiteCommandExecutionStyles::fromRawValue(QStringLiteral("headless")));
}

TEST(ZunoSuiteCommandEnvelope, AbsentOptionalsLeaveExactlyFiveKeys)
{
    const auto envelope = envelopeAtNoon(ZunoSuiteApp::zunoCam, ZunoSuiteApp::zunoRAM, Kind::ramThawAll);
    const nlohmann::json j = nlohmann::json::parse(envelope.encoded().toStdString());
    std::set<std::string> keys;
    for (const auto &item : j.items())
        keys.insert(item.key());
    EXPECT_EQ(keys, std::set<std::string>({ "id", "timestamp", "sourceApp", "targetApp", "kind" }));
    EXPECT_EQ(j["timestamp"], "2026-03-01T12:00:00Z");
    EXPECT_EQ(j["id"], ZunoJson::uuidString(envelope.id).toStdString());
    EXPECT_EQ(j["targetApp"], "ZunoRAM");
    EXPECT_EQ(j["kind"], "ramThawAll");
    EXPECT_EQ(ZunoSuiteCommandEnvelope::decoded(envelope.encoded()), envelope);
}

TEST(ZunoSuiteCommandEnvelope, RoundTripsEveryField)
{
    auto envelope
        = envelopeAtNoon(ZunoSuiteApp::zunoAgentBrowser, ZunoSuiteApp::zunoKill, Kind::killProcessTree);
    envelope.targetPID = -2147483647 - 1;
    envelope.targetName = QStringLiteral("backupd \"ü\"");
    envelope.payload = QString();
    const auto decoded = ZunoSuiteCommandEnvelope::decoded(envelope.encoded());
    ASSERT_TRUE(decoded);
    EXPECT_EQ(*decoded, envelope);
    EXPECT_EQ(decoded->payload, QString());

    // Key order carries no meaning, null reads as absent, unknown keys are ignored; PID at its bounds.
    const auto reordered = decode({ { "payload", nullptr }, { "kind", "ramFreezePID" },
        { "targetPID", 2147483647 }, { "targetApp", "ZunoRAM" }, { "extra", 1 }, { "sourceApp", "ZunoCam" },
        { "timestamp", "2026-03-01T12:00:00Z" }, { "id", "e621e1f8-c36c-495a-93fc-0c247a3e6e5f" } });
    ASSERT_TRUE(reordered);
    EXPECT_EQ(reordered->targetPID, 2147483647);
    EXPECT_FALSE(reordered->payload);
    EXPECT_EQ(reordered->id, QUuid::fromString(QStringLiteral("E621E1F8-C36C-495A-93FC-0C247A3E6E5F")));
}

TEST(ZunoSuiteCommandEnvelope, AnyFaultFailsTheWholeEnvelope)
{
    ASSERT_TRUE(decode(minimalEnvelope()));
    const std::pair<const char *, nlohmann::json> changes[] = {
        { "kind", "ramFreezePid" },
        { "kind", 3 },
        { "sourceApp", "ZunoRam" },
        { "targetApp", "com.quarnwell.zunoram" },
        { "id", "not-a-uuid" },
        { "id", "{E621E1F8-C36C-495A-93FC-0C247A3E6E5F}" },
        { "id", 12 },
        { "timestamp", "2026-03-01T12:00:00.250Z" },
        { "timestamp", "2026-03-01 12:00:00Z" },
        { "timestamp", "2026-03-01T12:00:00" },
        { "timestamp", 1772366400 },
        { "targetPID", 2147483648LL },
        { "targetPID", -2147483649LL },
        { "targetPID", 4242.5 },
        { "targetPID", 4242.0 },
        { "targetPID", "4242" },
        { "targetName", 7 },
        { "payload", nlohmann::json::array() },
    };
    for (const auto &[key, value] : changes) {
        nlohmann::json j = minimalEnvelope();
        j[key] = value;
        EXPECT_FALSE(decode(j)) << j.dump();
    }
    for (const char *key : { "id", "timestamp", "sourceApp", "targetApp", "kind" }) {
        nlohmann::json j = minimalEnvelope();
        j.erase(key);
        EXPECT_FALSE(decode(j)) << key;
    }
    EXPECT_FALSE(ZunoSuiteCommandEnvelope::decoded("[]"));
    EXPECT_FALSE(ZunoSuiteCommandEnvelope::decoded("{\"id\":"));
}

TEST(ZunoJsonInternetDate, ReadsZuluAndOffsetsOnly)
{
    const std::pair<const char *, QDateTime> accepted[] = {
        { "2026-03-01T12:00:00Z", kNoon },
        { "2026-03-01T14:00:00+02:00", kNoon },
        { "2026-03-01T06:30:00-05:30", kNoon },
        { "2026-03-02T00:00:00+12:00", kNoon },
        { "2024-02-29T23:59:59Z", QDateTime(QDate(2024, 2, 29), QTime(23, 59, 59), Qt::UTC) },
    };
    for (const auto &[text, expected] : accepted) {
        const QDateTime parsed = ZunoJson::parseInternetDate(QString::fromLatin1(text));
        EXPECT_EQ(parsed, expected) << text;
        EXPECT_EQ(parsed.timeSpec(), Qt::UTC) << text;
    }
    for (const char *text : { "2026-03-01T12:00:00.5Z", "2026-03-01T12:00:00,5Z", "2026-03-01T12:00Z",
             "2026-03-01T12:00:00", "2026-03-01t12:00:00z", "2026-03-01T12:00:00+0200",
             "2026-03-01T12:00:00+02", "2026-02-30T12:00:00Z", "2026-03-01T24:00:00Z", "2026-03-01T12:00:60Z",
             "2026-03-01T12:00:00+24:00", "20260301T120000Z", " 2026-03-01T12:00:00Z",
             "2026-03-01T12:00:00Z\n", "" }) {
        EXPECT_FALSE(ZunoJson::parseInternetDate(QString::fromLatin1(text)).isValid()) << text;
    }
    // Written in UTC with whole seconds, whatever the zone and fraction of the value.
    const QDateTime local = QDateTime(QDate(2026, 3, 1), QTime(15, 0, 0, 750), Qt::OffsetFromUTC, 3 * 3600);
    EXPECT_EQ(ZunoJson::internetDateString(local), QLatin1String("2026-03-01T12:00:00Z"));
}

TEST(ZunoSuiteCommandTransport, EqualityIncludesTheToolName)
{
    using T = ZunoSuiteCommandTransport;
    EXPECT_EQ(T::cli("zunoram-cli"), T::cli("zunoram-cli"));
    EXPECT_NE(T::cli("zunoram-cli"), T::cli("zunoram"));
    EXPECT_NE(T::cli(""), T::unavailable());
    EXPECT_NE(T::liveDaemonSilentIPC(), T::guiLaunch());
    ZunoSuiteCommandResult a { true, 0, "out", "", T::cli("zunoram"), "done" };
    ZunoSuiteCommandResult b = a;
    EXPECT_EQ(a, b);
    b.transport = T::cli("zunoram-cli");
    EXPECT_NE(a, b);
}

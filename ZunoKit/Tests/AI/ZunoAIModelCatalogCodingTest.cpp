#include "ZunoAICatalogTestData.h"
#include "ZunoAIModelCatalogDocument.h"
#include "ZunoAIModelSyncMeta.h"
#include "ZunoDecodingError.h"
#include "ZunoEncodingError.h"

#include <QSet>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <string>
#include <vector>

using nlohmann::json;

namespace {

// Keys the catalog format lets a publisher leave out (or set to null); every other key is required.
const std::set<std::string> kOptionalKeys = {
    "releaseDate",
    "knowledgeCutoff",
    "license",
    "pricing",
    "performance",
    "localSpecs",
    // pricing
    "inputPer1M",
    "outputPer1M",
    "cachedInputPer1M",
    "cacheWritePer1M",
    "batchInputPer1M",
    "batchOutputPer1M",
    // performance
    "tokensPerSecEstimate",
    "ttftMsEstimate",
    "qualityScore",
    "codingScore",
    "agenticScore",
    "visionScore",
    "reasoningScore",
    // localSpecs: every field
    "parameterSizeB",
    "activeParametersB",
    "architecture",
    "quantizationDefault",
    "quantizations",
    "minRamGb",
    "recommendedRamGb",
    "diskSizeGb",
    "kvCacheMbPer4k",
    "appleSiliconOptimized",
    "ollamaTag",
    "lmStudioId",
    "mlxRepo",
    "huggingFaceRepo",
};

// The fixture carries one key the format does not know, to show it is ignored.
constexpr char kUnknownKey[] = "futureKey";

struct KeyPath {
    json::json_pointer pointer;
    std::string key; // empty for an array element
};

// Every object member and array element of the fixture, depth first (the unknown key's subtree aside).
void collectPaths(const json &value, const json::json_pointer &at, std::vector<KeyPath> &out)
{
    if (value.is_object()) {
        for (auto it = value.begin(); it != value.end(); ++it) {
            if (it.key() == kUnknownKey)
                continue;
            out.push_back({ at / it.key(), it.key() });
            collectPaths(it.value(), at / it.key(), out);
        }
    } else if (value.is_array()) {
        for (std::size_t i = 0; i < value.size(); ++i) {
            out.push_back({ at / i, {} });
            collectPaths(value[i], at / i, out);
        }
    }
}

std::vector<KeyPath> fixturePaths(const json &fixture)
{
    std::vector<KeyPath> paths;
    collectPaths(fixture, json::json_pointer(), paths);
    return paths;
}

QByteArray bytes(const json &value)
{
    return QByteArray::fromStdString(value.dump());
}

void removeAt(json &document, const json::json_pointer &pointer)
{
    document.at(pointer.parent_pointer()).erase(pointer.back());
}

// A value of another JSON type than `value` that the format never accepts in its place.
json wrongTypeFor(const json &value)
{
    switch (value.type()) {
    case json::value_t::string:
        return 42;
    case json::value_t::boolean:
        return 1;
    case json::value_t::number_integer:
    case json::value_t::number_unsigned:
    case json::value_t::number_float:
        return "7";
    case json::value_t::array:
        return json::object();
    case json::value_t::object:
        return json::array();
    default:
        return "unexpected";
    }
}

json fixtureWithout(const char *unknown)
{
    json fixture = readAITestJson(QStringLiteral("catalog-full.json"));
    fixture["providers"][0].erase(unknown);
    return fixture;
}

ZunoAIModelCatalogDocument fixtureDocument()
{
    return ZunoAIModelCatalogDocument::decode(readAITestData(QStringLiteral("catalog-full.json")));
}

} // namespace

TEST(ZunoAIModelCatalogCoding, FullFixtureDecodesEveryFieldAndRoundTrips)
{
    const ZunoAIModelCatalogDocument document = fixtureDocument();

    EXPECT_EQ(document.schemaVersion, 2);
    EXPECT_EQ(document.catalogVersion, QStringLiteral("2026.12.1"));
    EXPECT_EQ(document.ttlSeconds, 3600);
    ASSERT_EQ(document.providers.size(), 1);
    ASSERT_EQ(document.models.size(), 1);
    const ZunoAIProviderSpec &provider = document.providers.first();
    EXPECT_EQ(provider.sortOrder, 4);
    EXPECT_TRUE(provider.requiresApiKey);
    EXPECT_EQ(provider.description.en, QStringLiteral("Acme models"));
    const ZunoAIModelSpec &model = document.models.first();
    EXPECT_EQ(model.aliases, QStringList({ QStringLiteral("rocket"), QStringLiteral("rocket-latest") }));
    EXPECT_EQ(model.releaseDate, QStringLiteral("2026-01-15"));
    EXPECT_DOUBLE_EQ(model.defaultTemperature, 0.6);
    EXPECT_EQ(model.modalities.input, QStringList({ QStringLiteral("text"), QStringLiteral("image") }));
    // Flags in order, alternating where the fixture alternates them.
    const ZunoAIModelCapabilities expectedCapabilities { true, false, true, false, true, false, true, false,
        true, false, true, false, true, false, true };
    EXPECT_EQ(model.capabilities, expectedCapabilities);
    ASSERT_TRUE(model.pricing && model.performance && model.localSpecs);
    EXPECT_EQ(model.pricing->outputPer1M, 2.0);
    EXPECT_EQ(model.pricing->batchOutputPer1M, 1.0);
    EXPECT_TRUE(model.pricing->freeTierAvailable);
    EXPECT_EQ(model.performance->reasoningScore, 72);
    EXPECT_EQ(model.localSpecs->kvCacheMbPer4k, 512);
    EXPECT_EQ(model.localSpecs->appleSiliconOptimized, false);
    EXPECT_EQ(
        model.localSpecs->quantizations, QStringList({ QStringLiteral("Q4_K_M"), QStringLiteral("Q8_0") }));
    EXPECT_EQ(model.localSpecs->huggingFaceRepo, QStringLiteral("acme/rocket-1"));
    EXPECT_EQ(model.strengths.en, QStringList({ QStringLiteral("Fast"), QStringLiteral("Cheap") }));

    // Encoding writes exactly the known keys under their field names; decoding that gives the same value.
    const QByteArray encoded = document.encoded();
    EXPECT_EQ(json::parse(encoded.toStdString()), fixtureWithout(kUnknownKey));
    EXPECT_EQ(ZunoAIModelCatalogDocument::decode(encoded), document);
}

TEST(ZunoAIModelCatalogCoding, EveryRequiredKeyMissingOrNullFailsTheWholeDocument)
{
    const json fixture = readAITestJson(QStringLiteral("catalog-full.json"));
    int checked = 0;
    for (const KeyPath &path : fixturePaths(fixture)) {
        if (path.key.empty() || kOptionalKeys.count(path.key))
            continue;
        json missing = fixture;
        removeAt(missing, path.pointer);
        EXPECT_THROW(ZunoAIModelCatalogDocument::decode(bytes(missing)), ZunoDecodingError)
            << "without " << path.pointer.to_string();
        json null = fixture;
        null[path.pointer] = nullptr;
        EXPECT_THROW(ZunoAIModelCatalogDocument::decode(bytes(null)), ZunoDecodingError)
            << "null " << path.pointer.to_string();
        ++checked;
    }
    // Document 7; provider 19 and its description 2; model 31 less its 6 optional keys; modalities 2,
    // capabilities 15, pricing 2, summary 2, strengths 2, limitations 2, performance 1.
    EXPECT_EQ(checked, 7 + 19 + 2 + 25 + 2 + 15 + 2 + 2 + 2 + 2 + 1);
}

TEST(ZunoAIModelCatalogCoding, EveryOptionalKeyMissingOrNullIsAbsentAndNotWritten)
{
    const json fixture = readAITestJson(QStringLiteral("catalog-full.json"));
    std::set<std::string> seen;
    for (const KeyPath &path : fixturePaths(fixture)) {
        if (!kOptionalKeys.count(path.key))
            continue;
        seen.insert(path.key);
        json missing = fixture;
        removeAt(missing, path.pointer);
        json null = fixture;
        null[path.pointer] = nullptr;
        for (const json &variant : { missing, null }) {
            const ZunoAIModelCatalogDocument document = ZunoAIModelCatalogDocument::decode(bytes(variant));
            const json encoded = json::parse(document.encoded().toStdString());
            EXPECT_FALSE(encoded.contains(path.pointer)) << path.pointer.to_string();
            EXPECT_NE(document, fixtureDocument()) << path.pointer.to_string();
            EXPECT_EQ(encoded,
                fixtureWithout(kUnknownKey)
                    .patch(json::array({ { { "op", "remove" }, { "path", path.pointer.to_string() } } })))
                << path.pointer.to_string();
        }
    }
    EXPECT_EQ(seen, kOptionalKeys) << "the fixture must use every optional key";
}

TEST(ZunoAIModelCatalogCoding, AWrongTypeInAnyKeyFails)
{
    const json fixture = readAITestJson(QStringLiteral("catalog-full.json"));
    for (const KeyPath &path : fixturePaths(fixture)) {
        json wrong = fixture;
        wrong[path.pointer] = wrongTypeFor(fixture.at(path.pointer));
        EXPECT_THROW(ZunoAIModelCatalogDocument::decode(bytes(wrong)), ZunoDecodingError)
            << path.pointer.to_string() << " = " << wrong.at(path.pointer).dump();
    }
    EXPECT_THROW(ZunoAIModelCatalogDocument::decode("[]"), ZunoDecodingError);
    EXPECT_THROW(ZunoAIModelCatalogDocument::decode("{\"schemaVersion\": 1,"), ZunoDecodingError);
    EXPECT_THROW(ZunoAIModelCatalogDocument::decode(QByteArray()), ZunoDecodingError);
}

TEST(ZunoAIModelCatalogCoding, NumbersBooleansAndKeyNamesAreRead)
{
    const json fixture = readAITestJson(QStringLiteral("catalog-full.json"));
    struct Case {
        const char *name;
        const char *pointer;
        json value;
        bool accepted;
    };
    const std::vector<Case> cases = {
        { "integer written 5.0", "/models/0/contextWindow", 5.0, true },
        { "integer with a fraction", "/models/0/contextWindow", 5.5, false },
        { "negative integer", "/ttlSeconds", -60, true },
        { "largest 64-bit integer", "/models/0/contextWindow", std::numeric_limits<std::int64_t>::max(),
            true },
        { "integer beyond 64 bits", "/models/0/contextWindow", std::uint64_t(1) << 63, false },
        { "float beyond 64 bits", "/models/0/contextWindow", 1e19, false },
        { "optional integer written 5.0", "/models/0/performance/qualityScore", 5.0, true },
        { "optional integer with a fraction", "/models/0/performance/qualityScore", 5.5, false },
        { "whole number in a number field", "/models/0/defaultTemperature", 1, true },
        { "boolean written 1", "/models/0/supportsTemperature", 1, false },
        { "boolean written as text", "/providers/0/requiresApiKey", "true", false },
        { "string in a string list", "/models/0/aliases/1", 3, false },
        { "empty alias list", "/models/0/aliases", json::array(), true },
        { "empty local specs", "/models/0/localSpecs", json::object(), true },
    };
    for (const Case &c : cases) {
        json variant = fixture;
        variant[json::json_pointer(c.pointer)] = c.value;
        if (c.accepted)
            EXPECT_NO_THROW(ZunoAIModelCatalogDocument::decode(bytes(variant))) << c.name;
        else
            EXPECT_THROW(ZunoAIModelCatalogDocument::decode(bytes(variant)), ZunoDecodingError) << c.name;
    }

    json five = fixture;
    five["models"][0]["contextWindow"] = 5.0;
    EXPECT_EQ(ZunoAIModelCatalogDocument::decode(bytes(five)).models.first().contextWindow, 5);

    json empty = fixture;
    empty["models"][0]["localSpecs"] = json::object();
    const ZunoAIModelSpec model = ZunoAIModelCatalogDocument::decode(bytes(empty)).models.first();
    ASSERT_TRUE(model.localSpecs);
    EXPECT_EQ(*model.localSpecs, ZunoAILocalModelSpecs {});
    EXPECT_EQ(json(*model.localSpecs), json::object());

    // A literal beyond double range is no number this system could write back.
    QByteArray huge = bytes(fixture);
    huge.replace("\"defaultTemperature\":0.6", "\"defaultTemperature\":1e400");
    EXPECT_THROW(ZunoAIModelCatalogDocument::decode(huge), ZunoDecodingError);

    // A snake_case key is just an unknown key: the required field counts as missing, an optional one as
    // absent.
    json snakeRequired = fixture;
    snakeRequired["models"][0]["api_model_id"] = snakeRequired["models"][0]["apiModelId"];
    snakeRequired["models"][0].erase("apiModelId");
    EXPECT_THROW(ZunoAIModelCatalogDocument::decode(bytes(snakeRequired)), ZunoDecodingError);
    json snakeOptional = fixture;
    snakeOptional["models"][0]["release_date"] = snakeOptional["models"][0]["releaseDate"];
    snakeOptional["models"][0].erase("releaseDate");
    EXPECT_FALSE(ZunoAIModelCatalogDocument::decode(bytes(snakeOptional)).models.first().releaseDate);
}

TEST(ZunoAIModelCatalogCoding, EncodingRefusesNonFiniteNumbers)
{
    const ZunoAIModelCatalogDocument valid = fixtureDocument();
    const std::vector<std::pair<const char *, std::function<void(ZunoAIModelSpec &)>>> cases = {
        { "NaN temperature", [](ZunoAIModelSpec &m) { m.defaultTemperature = std::nan(""); } },
        { "infinite price", [](ZunoAIModelSpec &m) { m.pricing->inputPer1M = HUGE_VAL; } },
        { "negative infinite memory", [](ZunoAIModelSpec &m) { m.localSpecs->minRamGb = -HUGE_VAL; } },
    };
    for (const auto &[name, spoil] : cases) {
        ZunoAIModelCatalogDocument document = valid;
        spoil(document.models.first());
        EXPECT_THROW(document.encoded(), ZunoEncodingError) << name;
    }
}

TEST(ZunoAIModelCatalogCoding, SyncRecordIsStrictAndWrittenPrettyWithSortedKeys)
{
    const QByteArray stored = readAITestData(QStringLiteral("sync-meta-full.json"));
    const ZunoAIModelSyncMeta meta = ZunoAIModelSyncMeta::decode(stored);
    EXPECT_EQ(meta.etag, QStringLiteral("\"abc123\""));
    EXPECT_EQ(meta.origin, ZunoAICatalogOrigin::remote);
    EXPECT_EQ(meta.encodedPretty(), stored.trimmed());

    ZunoAIModelSyncMeta minimal;
    minimal.sourceUrl = QStringLiteral("https://catalog.example.test/models.json");
    minimal.origin = ZunoAICatalogOrigin::localCache;
    EXPECT_EQ(minimal.encodedPretty(),
        QByteArray("{\n  \"origin\": \"localCache\",\n  \"sourceUrl\": "
                   "\"https://catalog.example.test/models.json\"\n}"));
    EXPECT_EQ(ZunoAIModelSyncMeta::decode(minimal.encodedPretty()), minimal);

    const json base = json::parse(stored.toStdString());
    struct Case {
        const char *name;
        json origin;
        bool accepted;
    };
    const std::vector<Case> origins = {
        { "remote", "remote", true },
        { "localCache", "localCache", true },
        { "bundled", "bundled", true },
        { "capital first letter", "LocalCache", false },
        { "snake case", "local_cache", false },
        { "empty", "", false },
        { "number", 1, false },
        { "null", nullptr, false },
    };
    for (const Case &c : origins) {
        json variant = base;
        variant["origin"] = c.origin;
        if (c.accepted)
            EXPECT_NO_THROW(ZunoAIModelSyncMeta::decode(bytes(variant))) << c.name;
        else
            EXPECT_THROW(ZunoAIModelSyncMeta::decode(bytes(variant)), ZunoDecodingError) << c.name;
    }
    for (const char *key : { "sourceUrl", "origin" }) {
        json variant = base;
        variant.erase(key);
        EXPECT_THROW(ZunoAIModelSyncMeta::decode(bytes(variant)), ZunoDecodingError) << key;
    }
    for (const char *key : { "etag", "lastSyncedAt", "lastCheckedAt", "catalogVersion" }) {
        json variant = base;
        variant[key] = nullptr;
        EXPECT_FALSE(json::parse(ZunoAIModelSyncMeta::decode(bytes(variant)).encodedPretty().toStdString())
                         .contains(key))
            << key;
        variant[key] = 5;
        EXPECT_THROW(ZunoAIModelSyncMeta::decode(bytes(variant)), ZunoDecodingError) << key;
    }
}

TEST(ZunoAIModelCatalogCoding, CatalogTypesHashOverTheirFields)
{
    const ZunoAIModelSpec model = fixtureDocument().models.first();
    ZunoAIModelSpec renamed = model;
    renamed.displayName = QStringLiteral("Rocket 2");
    ZunoAIModelSpec unpriced = model;
    unpriced.pricing.reset();
    const QSet<ZunoAIModelSpec> set { model, model, renamed, unpriced };
    EXPECT_EQ(set.size(), 3);
    EXPECT_EQ(qHash(model), qHash(ZunoAIModelSpec(model)));
    EXPECT_TRUE(set.contains(unpriced));

    const ZunoAIProviderSpec provider = fixtureDocument().providers.first();
    EXPECT_EQ(qHash(provider, 7), qHash(ZunoAIProviderSpec(provider), 7));
    EXPECT_EQ(qHash(ZunoAIRamFit::tight), qHash(*ZunoAIRamFits::fromRawValue(QStringLiteral("tight"))));
}

// JSON coding and hashing of the model catalog types, driven by one field table per type, so that
// every key is written once and decoding, encoding and hashing cannot drift apart.

#include "ZunoAIModelCatalogDocument.h"

#include "ZunoAIModelSyncMeta.h"
#include "ZunoBoundedJson.h"
#include "ZunoEncodingError.h"
#include "ZunoStrictJson.h"

#include <QHashFunctions>

#include <tuple>
#include <type_traits>

using nlohmann::json;

namespace {

template <typename S, typename M> struct Field {
    const char *key;
    M S::*member;
};

template <typename S, typename M> constexpr Field<S, M> field(const char *key, M S::*member)
{
    return { key, member };
}

template <typename S> struct Fields;

#define ZUNO_FIELD(Type, name) field(#name, &Type::name)

template <> struct Fields<ZunoAILocalizedText> {
    using T = ZunoAILocalizedText;
    static constexpr auto list = std::make_tuple(ZUNO_FIELD(T, tr), ZUNO_FIELD(T, en));
};

template <> struct Fields<ZunoAILocalizedList> {
    using T = ZunoAILocalizedList;
    static constexpr auto list = std::make_tuple(ZUNO_FIELD(T, tr), ZUNO_FIELD(T, en));
};

template <> struct Fields<ZunoAIModelModalities> {
    using T = ZunoAIModelModalities;
    static constexpr auto list = std::make_tuple(ZUNO_FIELD(T, input), ZUNO_FIELD(T, output));
};

template <> struct Fields<ZunoAIModelCapabilities> {
    using T = ZunoAIModelCapabilities;
    static constexpr auto list = std::make_tuple(ZUNO_FIELD(T, toolCalling),
        ZUNO_FIELD(T, parallelToolCalling), ZUNO_FIELD(T, vision), ZUNO_FIELD(T, reasoning),
        ZUNO_FIELD(T, structuredOutputs), ZUNO_FIELD(T, jsonMode), ZUNO_FIELD(T, streaming),
        ZUNO_FIELD(T, systemPrompt), ZUNO_FIELD(T, promptCaching), ZUNO_FIELD(T, webSearch),
        ZUNO_FIELD(T, computerUse), ZUNO_FIELD(T, codeExecution), ZUNO_FIELD(T, pdfInput),
        ZUNO_FIELD(T, audioInput), ZUNO_FIELD(T, audioOutput));
};

template <> struct Fields<ZunoAIModelPricing> {
    using T = ZunoAIModelPricing;
    static constexpr auto list = std::make_tuple(ZUNO_FIELD(T, currency), ZUNO_FIELD(T, inputPer1M),
        ZUNO_FIELD(T, outputPer1M), ZUNO_FIELD(T, cachedInputPer1M), ZUNO_FIELD(T, cacheWritePer1M),
        ZUNO_FIELD(T, batchInputPer1M), ZUNO_FIELD(T, batchOutputPer1M), ZUNO_FIELD(T, freeTierAvailable));
};

template <> struct Fields<ZunoAIModelPerformance> {
    using T = ZunoAIModelPerformance;
    static constexpr auto list
        = std::make_tuple(ZUNO_FIELD(T, speedTier), ZUNO_FIELD(T, tokensPerSecEstimate),
            ZUNO_FIELD(T, ttftMsEstimate), ZUNO_FIELD(T, qualityScore), ZUNO_FIELD(T, codingScore),
            ZUNO_FIELD(T, agenticScore), ZUNO_FIELD(T, visionScore), ZUNO_FIELD(T, reasoningScore));
};

template <> struct Fields<ZunoAILocalModelSpecs> {
    using T = ZunoAILocalModelSpecs;
    static constexpr auto list
        = std::make_tuple(ZUNO_FIELD(T, parameterSizeB), ZUNO_FIELD(T, activeParametersB),
            ZUNO_FIELD(T, architecture), ZUNO_FIELD(T, quantizationDefault), ZUNO_FIELD(T, quantizations),
            ZUNO_FIELD(T, minRamGb), ZUNO_FIELD(T, recommendedRamGb), ZUNO_FIELD(T, diskSizeGb),
            ZUNO_FIELD(T, kvCacheMbPer4k), ZUNO_FIELD(T, appleSiliconOptimized), ZUNO_FIELD(T, ollamaTag),
            ZUNO_FIELD(T, lmStudioId), ZUNO_FIELD(T, mlxRepo), ZUNO_FIELD(T, huggingFaceRepo));
};

template <> struct Fields<ZunoAIProviderSpec> {
    using T = ZunoAIProviderSpec;
    static constexpr auto list
        = std::make_tuple(ZUNO_FIELD(T, id), ZUNO_FIELD(T, name), ZUNO_FIELD(T, shortName),
            ZUNO_FIELD(T, deployment), ZUNO_FIELD(T, apiFormat), ZUNO_FIELD(T, defaultBaseUrl),
            ZUNO_FIELD(T, chatPath), ZUNO_FIELD(T, modelsPath), ZUNO_FIELD(T, authType),
            ZUNO_FIELD(T, authHeader), ZUNO_FIELD(T, requiresApiKey), ZUNO_FIELD(T, apiKeyPrefix),
            ZUNO_FIELD(T, website), ZUNO_FIELD(T, apiKeyUrl), ZUNO_FIELD(T, docsUrl), ZUNO_FIELD(T, status),
            ZUNO_FIELD(T, accentColor), ZUNO_FIELD(T, sortOrder), ZUNO_FIELD(T, description));
};

template <> struct Fields<ZunoAIModelSpec> {
    using T = ZunoAIModelSpec;
    static constexpr auto list = std::make_tuple(ZUNO_FIELD(T, id), ZUNO_FIELD(T, providerId),
        ZUNO_FIELD(T, apiModelId), ZUNO_FIELD(T, aliases), ZUNO_FIELD(T, displayName), ZUNO_FIELD(T, family),
        ZUNO_FIELD(T, vendor), ZUNO_FIELD(T, tier), ZUNO_FIELD(T, deployment), ZUNO_FIELD(T, status),
        ZUNO_FIELD(T, releaseDate), ZUNO_FIELD(T, knowledgeCutoff), ZUNO_FIELD(T, license),
        ZUNO_FIELD(T, contextWindow), ZUNO_FIELD(T, maxOutputTokens), ZUNO_FIELD(T, defaultMaxOutputTokens),
        ZUNO_FIELD(T, defaultTemperature), ZUNO_FIELD(T, supportsTemperature),
        ZUNO_FIELD(T, usesMaxCompletionTokens), ZUNO_FIELD(T, modalities), ZUNO_FIELD(T, capabilities),
        ZUNO_FIELD(T, reasoningEffortLevels), ZUNO_FIELD(T, pricing), ZUNO_FIELD(T, performance),
        ZUNO_FIELD(T, localSpecs), ZUNO_FIELD(T, recommendedFor), ZUNO_FIELD(T, tags),
        ZUNO_FIELD(T, sortOrder), ZUNO_FIELD(T, summary), ZUNO_FIELD(T, strengths),
        ZUNO_FIELD(T, limitations));
};

template <> struct Fields<ZunoAIModelCatalogDocument> {
    using T = ZunoAIModelCatalogDocument;
    static constexpr auto list = std::make_tuple(ZUNO_FIELD(T, schemaVersion), ZUNO_FIELD(T, catalogVersion),
        ZUNO_FIELD(T, updatedAt), ZUNO_FIELD(T, ttlSeconds), ZUNO_FIELD(T, source), ZUNO_FIELD(T, providers),
        ZUNO_FIELD(T, models));
};

template <> struct Fields<ZunoAIModelSyncMeta> {
    using T = ZunoAIModelSyncMeta;
    static constexpr auto list
        = std::make_tuple(ZUNO_FIELD(T, etag), ZUNO_FIELD(T, lastSyncedAt), ZUNO_FIELD(T, lastCheckedAt),
            ZUNO_FIELD(T, sourceUrl), ZUNO_FIELD(T, catalogVersion), ZUNO_FIELD(T, origin));
};

#undef ZUNO_FIELD

template <typename T> struct Optional : std::false_type {
};
template <typename T> struct Optional<std::optional<T>> : std::true_type {
    using Value = T;
};

// A list of values of a catalog type (not a list of strings, which reads as one value).
template <typename T> struct NestedList : std::false_type {
};
template <typename T> struct NestedList<QList<T>> : std::bool_constant<!std::is_same_v<T, QString>> {
    using Value = T;
};

template <typename S> void decodeFields(const json &j, S &out, const char *context)
{
    ZunoStrictJson::object(j, context);
    S value; // built apart, so that a failure leaves `out` untouched
    std::apply(
        [&](const auto &...fields) {
            (
                [&](const auto &f) {
                    using M = std::remove_reference_t<decltype(value.*(f.member))>;
                    if constexpr (Optional<M>::value)
                        value.*(f.member)
                            = ZunoStrictJson::readOptional<typename Optional<M>::Value>(j, f.key);
                    else if constexpr (NestedList<M>::value)
                        value.*(f.member) = ZunoStrictJson::readList<typename NestedList<M>::Value>(j, f.key);
                    else
                        value.*(f.member) = ZunoStrictJson::read<M>(j, f.key);
                }(fields),
                ...);
        },
        Fields<S>::list);
    out = std::move(value);
}

template <typename S> void encodeFields(json &j, const S &value)
{
    j = json::object();
    std::apply(
        [&](const auto &...fields) {
            (
                [&](const auto &f) {
                    using M = std::remove_cv_t<std::remove_reference_t<decltype(value.*(f.member))>>;
                    if constexpr (Optional<M>::value)
                        ZunoStrictJson::writeOptional(j, f.key, value.*(f.member));
                    else
                        ZunoStrictJson::write(j, f.key, value.*(f.member));
                }(fields),
                ...);
        },
        Fields<S>::list);
}

template <typename V> std::size_t hashValue(const V &value, std::size_t seed)
{
    if constexpr (Optional<V>::value)
        return value ? hashValue(*value, seed ^ 0x9e3779b9u) : seed;
    else if constexpr (std::is_same_v<V, bool>)
        return qHash(static_cast<int>(value), seed);
    else
        return qHash(value, seed);
}

template <typename S> std::size_t hashFields(const S &value, std::size_t seed)
{
    QtPrivate::QHashCombine combine;
    std::apply(
        [&](const auto &...fields) { ((seed = combine(seed, hashValue(value.*(fields.member), 0))), ...); },
        Fields<S>::list);
    return seed;
}

} // namespace

#define ZUNO_CATALOG_CODING(Type, context)                                                                   \
    void to_json(json &j, const Type &value)                                                                 \
    {                                                                                                        \
        encodeFields(j, value);                                                                              \
    }                                                                                                        \
    void from_json(const json &j, Type &value)                                                               \
    {                                                                                                        \
        decodeFields(j, value, context);                                                                     \
    }

#define ZUNO_CATALOG_HASH(Type)                                                                              \
    std::size_t qHash(const Type &value, std::size_t seed) noexcept                                          \
    {                                                                                                        \
        return hashFields(value, seed);                                                                      \
    }

ZUNO_CATALOG_CODING(ZunoAILocalizedText, "localized text")
ZUNO_CATALOG_CODING(ZunoAILocalizedList, "localized list")
ZUNO_CATALOG_CODING(ZunoAIModelModalities, "modalities")
ZUNO_CATALOG_CODING(ZunoAIModelCapabilities, "capabilities")
ZUNO_CATALOG_CODING(ZunoAIModelPricing, "pricing")
ZUNO_CATALOG_CODING(ZunoAIModelPerformance, "performance")
ZUNO_CATALOG_CODING(ZunoAILocalModelSpecs, "localSpecs")
ZUNO_CATALOG_CODING(ZunoAIProviderSpec, "provider")
ZUNO_CATALOG_CODING(ZunoAIModelSpec, "model")
ZUNO_CATALOG_CODING(ZunoAIModelCatalogDocument, "document")
ZUNO_CATALOG_CODING(ZunoAIModelSyncMeta, "sync record")

ZUNO_CATALOG_HASH(ZunoAILocalizedText)
ZUNO_CATALOG_HASH(ZunoAILocalizedList)
ZUNO_CATALOG_HASH(ZunoAIModelModalities)
ZUNO_CATALOG_HASH(ZunoAIModelCapabilities)
ZUNO_CATALOG_HASH(ZunoAIModelPricing)
ZUNO_CATALOG_HASH(ZunoAIModelPerformance)
ZUNO_CATALOG_HASH(ZunoAILocalModelSpecs)
ZUNO_CATALOG_HASH(ZunoAIProviderSpec)
ZUNO_CATALOG_HASH(ZunoAIModelSpec)

#undef ZUNO_CATALOG_CODING
#undef ZUNO_CATALOG_HASH

namespace {

template <typename T> T decodeAs(const QByteArray &data)
{
    if (!ZunoBoundedJson::withinDepth(data))
        throw ZunoDecodingError("malformed JSON: nested too deep");
    json parsed;
    try {
        parsed = json::parse(data.constData(), data.constData() + data.size());
    } catch (const json::exception &error) {
        throw ZunoDecodingError(std::string("malformed JSON: ") + error.what());
    }
    T value;
    from_json(parsed, value);
    return value;
}

// nlohmann keeps object keys sorted; an indent of -1 is compact.
template <typename T> QByteArray encode(const T &value, int indent)
{
    json j;
    to_json(j, value);
    return QByteArray::fromStdString(j.dump(indent));
}

} // namespace

ZunoAIModelCatalogDocument ZunoAIModelCatalogDocument::decode(const QByteArray &data)
{
    return decodeAs<ZunoAIModelCatalogDocument>(data);
}

QByteArray ZunoAIModelCatalogDocument::encoded() const
{
    return encode(*this, -1);
}

ZunoAIModelSyncMeta ZunoAIModelSyncMeta::decode(const QByteArray &data)
{
    return decodeAs<ZunoAIModelSyncMeta>(data);
}

QByteArray ZunoAIModelSyncMeta::encodedPretty() const
{
    return encode(*this, 2);
}

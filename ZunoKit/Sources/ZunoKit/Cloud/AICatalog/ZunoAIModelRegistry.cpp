#include "ZunoAIModelRegistry.h"

#include "ZunoAtomicFile.h"
#include "ZunoBoundedJson.h"
#include "ZunoBundle.h"
#include "ZunoDecodingError.h"
#include "ZunoHttpError.h"
#include "ZunoHttpSession.h"
#include "ZunoJson.h"
#include "ZunoPaths.h"
#include "ZunoServiceURL.h"
#include "ZunoStrictJson.h"
#include "ZunoWebURL.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLoggingCategory>

#include <nlohmann/json.hpp>

#include <chrono>

namespace {

Q_LOGGING_CATEGORY(lcCatalog, "com.quarnwell.zunokit.aicatalog", QtInfoMsg)

using nlohmann::json;

// A cache file larger than this is not read (the catalog is a few hundred KiB).
constexpr qint64 kMaxCacheFileBytes = 16 * 1024 * 1024;
constexpr std::chrono::milliseconds kCatalogTimeout { 8000 };
constexpr std::chrono::milliseconds kProbeTimeout { 1400 };
// A local server's model list is a few KiB; anything on these ports may answer, so the cap is small.
constexpr std::int64_t kProbeMaxBodyBytes = 1024 * 1024;
constexpr std::int64_t kCatalogMaxBodyBytes = 4 * 1024 * 1024;

QString defaultCacheDirectory()
{
    return QDir(ZunoPaths::applicationSupport()).filePath(QStringLiteral("Quarnwell/AI"));
}

std::optional<QByteArray> readCapped(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxCacheFileBytes)
        return std::nullopt;
    QByteArray bytes = file.read(kMaxCacheFileBytes + 1);
    if (bytes.size() > kMaxCacheFileBytes)
        return std::nullopt;
    return bytes;
}

ZunoAIModelSyncMeta freshMeta(
    const QString &sourceUrl, const QString &catalogVersion, ZunoAICatalogOrigin origin)
{
    ZunoAIModelSyncMeta meta;
    meta.sourceUrl = sourceUrl;
    meta.catalogVersion = catalogVersion;
    meta.origin = origin;
    return meta;
}

// Within max(ttl, 300) seconds of a check that is not in the future.
bool isFresh(const ZunoAIModelSyncMeta &meta, qint64 ttlSeconds)
{
    if (!meta.lastCheckedAt)
        return false;
    const QDateTime checked = ZunoJson::parseIsoDate(*meta.lastCheckedAt);
    if (!checked.isValid())
        return false;
    const qint64 elapsedMs = checked.msecsTo(QDateTime::currentDateTimeUtc());
    // A stamp from a clock that was once set ahead must not block every check until that date.
    if (elapsedMs < 0)
        return false;
    const double limitSeconds
        = static_cast<double>(std::max(ttlSeconds, ZunoAIModelRegistry::kMinimumTTLSeconds));
    return static_cast<double>(elapsedMs) / 1000.0 < limitSeconds;
}

// The parsed JSON answer of a local server, or null when there is none (no URL, failure, not 2xx,
// not JSON). Each probe is a plain GET with a short total limit and no extra headers.
json probe(ZunoHttpSession &session, const QString &base, const QString &path, std::stop_token stop)
{
    const std::optional<QUrl> url = ZunoWebURL::parse(ZunoServiceURL::withoutEdgeSlashes(base) + path);
    if (!url)
        return nullptr;
    ZunoHttpRequest request;
    request.url = *url;
    request.timeout = kProbeTimeout;
    request.maxBodyBytes = kProbeMaxBodyBytes;
    try {
        const ZunoHttpResponse response = session.send(request, stop);
        if (response.statusCode < 200 || response.statusCode > 299)
            return nullptr;
        json answer = ZunoBoundedJson::parse(response.body);
        if (!answer.is_discarded())
            return answer;
        qCDebug(lcCatalog) << "local model probe" << url->toString() << "answered no JSON";
    } catch (const ZunoHttpError &error) {
        qCDebug(lcCatalog) << "local model probe" << url->toString() << "failed:" << error.what();
    }
    return nullptr;
}

// The elements of `answer[member]` when it is an array of objects only; otherwise none at all.
std::vector<const json *> objectsIn(const json &answer, const char *member)
{
    if (!answer.is_object())
        return {};
    const auto list = answer.find(member);
    if (list == answer.end() || !list->is_array())
        return {};
    std::vector<const json *> objects;
    for (const json &element : *list) {
        if (!element.is_object())
            return {};
        objects.push_back(&element);
    }
    return objects;
}

// A non-empty string member, or none.
std::optional<QString> nameIn(const json &object, const char *member)
{
    const auto value = object.find(member);
    if (value == object.end() || !value->is_string() || value->get_ref<const std::string &>().empty())
        return std::nullopt;
    return QString::fromStdString(value->get<std::string>());
}

// "size" when it is a whole number within 64 bits.
std::optional<qint64> sizeIn(const json &object)
{
    const auto value = object.find("size");
    if (value == object.end())
        return std::nullopt;
    try {
        return ZunoStrictJson::integer(*value, "size");
    } catch (const ZunoDecodingError &) {
        return std::nullopt;
    }
}

ZunoAIDiscoveredLocalModel discovered(const ZunoAIModelCatalogDocument &catalog, const QString &providerId,
    const QString &name, const QString &serverLabel)
{
    ZunoAIDiscoveredLocalModel model;
    model.id = providerId + QLatin1Char('/') + name;
    model.providerId = providerId;
    model.apiModelId = name;
    model.catalogMatch = catalog.model(model.id);
    if (!model.catalogMatch)
        model.catalogMatch = catalog.model(name);
    model.displayName = model.catalogMatch ? model.catalogMatch->displayName : name + serverLabel;
    return model;
}

} // namespace

ZunoAIModelRegistry::ZunoAIModelRegistry(const std::optional<QString> &cacheDirectory,
    const std::optional<QString> &remoteURLOverride, std::shared_ptr<ZunoHttpSession> session)
    : m_cacheDirectory(cacheDirectory ? *cacheDirectory : defaultCacheDirectory())
    , m_remoteURLOverride(remoteURLOverride)
    , m_session(session ? std::move(session) : ZunoHttpSession::shared())
{
}

ZunoAIModelRegistry::~ZunoAIModelRegistry() = default;

std::shared_ptr<ZunoAIModelRegistry> ZunoAIModelRegistry::shared()
{
    static const std::shared_ptr<ZunoAIModelRegistry> registry = std::make_shared<ZunoAIModelRegistry>();
    return registry;
}

QString ZunoAIModelRegistry::modelsFilePath() const
{
    return QDir(m_cacheDirectory).filePath(QString::fromLatin1(kModelsFileName));
}

QString ZunoAIModelRegistry::metaFilePath() const
{
    return QDir(m_cacheDirectory).filePath(QString::fromLatin1(kMetaFileName));
}

QString ZunoAIModelRegistry::resolvedCatalogURL(const std::optional<QString> &override)
{
    return ZunoServiceURL::resolve(override, kCatalogURLEnvironmentVariable,
        QString::fromLatin1(kCatalogURLDefaultsKey), QString::fromLatin1(kDefaultCatalogURL),
        ZunoServiceURL::Trimming::whiteSpace);
}

ZunoAIModelCatalogDocument ZunoAIModelRegistry::loadBundledFallback()
{
    const QString path = ZunoBundle::main().resourcePath(QStringLiteral("ai-models-default.json"));
    if (!path.isEmpty()) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly)) {
            try {
                return ZunoAIModelCatalogDocument::decode(file.readAll());
            } catch (const ZunoDecodingError &error) {
                qCWarning(lcCatalog) << "the built-in model catalog does not decode:" << error.what();
            }
        } else {
            qCWarning(lcCatalog) << "the built-in model catalog cannot be read:" << file.errorString();
        }
    } else {
        qCWarning(lcCatalog) << "the built-in model catalog is missing";
    }
    ZunoAIModelCatalogDocument empty;
    empty.schemaVersion = 1;
    empty.catalogVersion = QStringLiteral("fallback");
    empty.updatedAt = ZunoJson::isoDateString(QDateTime::currentDateTimeUtc());
    empty.ttlSeconds = 21600;
    empty.source = QString::fromLatin1(kDefaultCatalogURL);
    return empty;
}

std::pair<ZunoAIModelCatalogDocument, ZunoAIModelSyncMeta> ZunoAIModelRegistry::readFromDisk() const
{
    std::optional<ZunoAIModelSyncMeta> storedMeta;
    if (const std::optional<QByteArray> bytes = readCapped(metaFilePath())) {
        try {
            storedMeta = ZunoAIModelSyncMeta::decode(*bytes);
        } catch (const ZunoDecodingError &) {
            // An unreadable record counts as none.
        }
    }
    const QString sourceUrl = resolvedCatalogURL(m_remoteURLOverride);
    if (const std::optional<QByteArray> bytes = readCapped(modelsFilePath())) {
        try {
            ZunoAIModelCatalogDocument cached = ZunoAIModelCatalogDocument::decode(*bytes);
            if (!cached.models.isEmpty()) {
                ZunoAIModelSyncMeta meta = storedMeta
                    ? *storedMeta
                    : freshMeta(sourceUrl, cached.catalogVersion, ZunoAICatalogOrigin::localCache);
                return { std::move(cached), std::move(meta) };
            }
        } catch (const ZunoDecodingError &error) {
            qCWarning(lcCatalog) << "the cached model catalog does not decode:" << error.what();
        }
    }
    // The built-in copy; a stored record belongs to another document, so its etag is not used.
    ZunoAIModelCatalogDocument bundled = loadBundledFallback();
    ZunoAIModelSyncMeta meta = freshMeta(sourceUrl, bundled.catalogVersion, ZunoAICatalogOrigin::bundled);
    return { std::move(bundled), std::move(meta) };
}

std::pair<ZunoAIModelCatalogDocument, ZunoAIModelSyncMeta> ZunoAIModelRegistry::loadCurrent()
{
    {
        std::lock_guard lock(m_mutex);
        if (m_inMemoryDocument && m_inMemoryMeta)
            return { *m_inMemoryDocument, *m_inMemoryMeta };
    }
    auto loaded = readFromDisk();
    std::lock_guard lock(m_mutex);
    // Another caller may have loaded or synced while the files were read: the pair in memory wins.
    if (m_inMemoryDocument && m_inMemoryMeta)
        return { *m_inMemoryDocument, *m_inMemoryMeta };
    m_inMemoryDocument = loaded.first;
    m_inMemoryMeta = loaded.second;
    return loaded;
}

void ZunoAIModelRegistry::adopt(const ZunoAIModelCatalogDocument &document, const ZunoAIModelSyncMeta &meta)
{
    std::lock_guard lock(m_mutex);
    m_inMemoryDocument = document;
    m_inMemoryMeta = meta;
}

bool ZunoAIModelRegistry::persist(const QString &fileName, const QByteArray &bytes) const
{
    if (!QDir().mkpath(m_cacheDirectory)) {
        qCWarning(lcCatalog) << "cannot create the model catalog folder" << m_cacheDirectory;
        return false;
    }
    const QString path = QDir(m_cacheDirectory).filePath(fileName);
    QString failure;
    if (!ZunoAtomicFile::write(path, bytes, &failure)) {
        qCWarning(lcCatalog) << "cannot write" << path << ":" << failure;
        return false;
    }
    return true;
}

ZunoAIModelRegistry::SyncResult ZunoAIModelRegistry::syncIfNeeded(bool force, std::stop_token stop)
{
    std::unique_lock turn(m_syncTurn);
    auto [document, meta] = loadCurrent();
    const QString catalogURL = resolvedCatalogURL(m_remoteURLOverride);

    if (!force && isFresh(meta, document.ttlSeconds))
        return { std::move(document), std::move(meta), false };
    const std::optional<QUrl> url = ZunoWebURL::parse(catalogURL);
    if (!url)
        return { std::move(document), std::move(meta), false };

    ZunoHttpRequest request;
    request.url = *url;
    request.timeout = kCatalogTimeout;
    request.maxBodyBytes = kCatalogMaxBodyBytes;
    request.setHeader("Accept", "application/json");
    request.setHeader("User-Agent", "ZunoKit-AICatalog/1.0");
    if (!force && meta.etag && !meta.etag->isEmpty())
        request.setHeader("If-None-Match", meta.etag->toUtf8());

    const QString stamp = ZunoJson::isoDateString(QDateTime::currentDateTimeUtc());
    ZunoHttpResponse response;
    try {
        response = m_session->send(request, stop);
    } catch (const ZunoHttpError &error) {
        qCInfo(lcCatalog) << "model catalog check failed:" << error.what();
        return { std::move(document), std::move(meta), false };
    }

    if (response.statusCode == 304) {
        ZunoAIModelSyncMeta checked = meta;
        checked.lastCheckedAt = stamp;
        checked.sourceUrl = catalogURL;
        persist(QString::fromLatin1(kMetaFileName), checked.encodedPretty());
        adopt(document, checked);
        return { std::move(document), std::move(checked), false };
    }
    if (response.statusCode < 200 || response.statusCode > 299) {
        qCInfo(lcCatalog) << "model catalog check answered" << response.statusCode;
        return { std::move(document), std::move(meta), false };
    }

    ZunoAIModelCatalogDocument downloaded;
    try {
        downloaded = ZunoAIModelCatalogDocument::decode(response.body);
    } catch (const ZunoDecodingError &error) {
        qCWarning(lcCatalog) << "the downloaded model catalog does not decode:" << error.what();
        return { std::move(document), std::move(meta), false };
    }
    if (downloaded.models.isEmpty())
        return { std::move(document), std::move(meta), false };

    ZunoAIModelSyncMeta synced;
    const QByteArray etag = response.headers.value("ETag");
    synced.etag
        = response.headers.contains("ETag") ? std::optional<QString>(QString::fromUtf8(etag)) : meta.etag;
    synced.lastSyncedAt = stamp;
    synced.lastCheckedAt = stamp;
    synced.sourceUrl = catalogURL;
    synced.catalogVersion = downloaded.catalogVersion;
    synced.origin = ZunoAICatalogOrigin::remote;

    // The record goes only beside the document it describes: a new etag next to the old document would
    // get a 304 for ever after.
    if (persist(QString::fromLatin1(kModelsFileName), response.body))
        persist(QString::fromLatin1(kMetaFileName), synced.encodedPretty());
    adopt(downloaded, synced);
    return { std::move(downloaded), std::move(synced), true };
}

QList<ZunoAIDiscoveredLocalModel> ZunoAIModelRegistry::discoverLocalModels(
    const QString &ollamaBaseURL, const QString &lmStudioBaseURL, std::stop_token stop)
{
    const ZunoAIModelCatalogDocument catalog = loadCurrent().first;
    QList<ZunoAIDiscoveredLocalModel> models;

    const json ollama = probe(*m_session, ollamaBaseURL, QStringLiteral("/api/tags"), stop);
    for (const json *element : objectsIn(ollama, "models")) {
        const std::optional<QString> name = nameIn(*element, "name");
        if (!name)
            continue;
        ZunoAIDiscoveredLocalModel model
            = discovered(catalog, QStringLiteral("ollama"), *name, QStringLiteral(" (Ollama)"));
        model.sizeBytes = sizeIn(*element);
        models.append(std::move(model));
    }

    const json lmStudio = probe(*m_session, lmStudioBaseURL, QStringLiteral("/models"), stop);
    for (const json *element : objectsIn(lmStudio, "data")) {
        if (const std::optional<QString> id = nameIn(*element, "id"))
            models.append(
                discovered(catalog, QStringLiteral("lmstudio"), *id, QStringLiteral(" (LM Studio)")));
    }
    return models;
}

#include "ZunoUnifiedCatalogBuilder.h"

#include "ZunoKernelMemory.h"
#include "ZunoText.h"

#include <QCollator>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <array>
#include <climits>

namespace {

struct FixedEntry {
    const char *apiId;
    const char *nameEN;
    const char *nameTR;
    bool isAuto;
    qint64 ctx;
    bool vision;
    bool reasoning;
    const char *summaryEN;
    const char *summaryTR;
    // Unused places stay null.
    std::array<const char *, 6> tags;
    int order;
};

const FixedEntry kFixedEntries[] = {
    { "quarnwell-auto", "Quarnwell Auto (Smart Cost Router)", "Quarnwell Auto (Akıllı Maliyet Yönlendirici)",
        true, 200000, true, true,
        "Automatically routes each prompt to the best price/quality model on your shared Quarnwell Credits.",
        "Her istemi görev zorluğuna göre en verimli fiyat/kalite modeline otomatik yönlendirir.",
        { "quarnwell", "auto", "router", "smart", "credits", "recommended" }, 0 },
    { "quarnwell-agent-pro", "Quarnwell Agent Pro", "Quarnwell Agent Pro", false, 200000, true, true,
        "High-capability managed model for complex reasoning, coding, and multi-step agent tasks.",
        "Karmaşık akıl yürütme, kodlama ve çok adımlı ajan görevleri için üst seviye yönetilen model.",
        { "quarnwell", "agent", "pro", "coding", "vision", "tools" }, 1 },
    { "quarnwell-doc-fast", "Quarnwell Doc Fast", "Quarnwell Doc Fast", false, 128000, true, false,
        "Ultra-fast, low-cost managed model tuned for summaries, translations, email drafts, and documents.",
        "Özetleme, çeviri, e-posta taslakları ve belge iş akışları için çok hızlı ve ekonomik yönetilen "
        "model.",
        { "quarnwell", "fast", "doc", "summary", "cheap" }, 2 },
};

const QString kManagedProvider = QStringLiteral("quarnwell");
const QString kOllama = QStringLiteral("ollama");

constexpr double kBytesPerGB = 1073741824.0;

QString key(const QString &providerId, const QString &apiModelId)
{
    return providerId.toLower() + QLatin1Char(':') + apiModelId.toLower();
}

ZunoUnifiedModelRowItem fixedRow(
    const FixedEntry &entry, const ZunoAIModelCatalogDocument &document, ZunoLanguage language)
{
    const QString apiId = QString::fromUtf8(entry.apiId);
    ZunoUnifiedModelRowItem row;
    row.id = kManagedProvider + QLatin1Char('/') + apiId;
    row.apiModelId = apiId;
    row.displayName = entry.isAuto
        ? zunoText(QString::fromUtf8(entry.nameEN), QString::fromUtf8(entry.nameTR), language)
        : QString::fromUtf8(entry.nameEN);
    row.providerId = kManagedProvider;
    row.vendor = QStringLiteral("Quarnwell");
    row.isQuarnwellManaged = true;
    row.isManagedAutoRouter = entry.isAuto;
    row.ramFit = ZunoAIRamFit::cloud;
    row.summaryText
        = zunoText(QString::fromUtf8(entry.summaryEN), QString::fromUtf8(entry.summaryTR), language);
    for (const char *tag : entry.tags) {
        if (tag)
            row.tags.append(QString::fromUtf8(tag));
    }
    row.sortPriority = entry.order;

    if (const auto model = document.model(apiId)) {
        row.contextWindow = model->contextWindow;
        row.supportsVision = model->capabilities.vision;
        row.supportsReasoning = model->capabilities.reasoning;
        row.supportsTools = model->capabilities.toolCalling;
        // The router's price depends on where it routes, so it shows none.
        if (!entry.isAuto)
            row.pricing = model->pricing;
    } else {
        row.contextWindow = entry.ctx;
        row.supportsVision = entry.vision;
        row.supportsReasoning = entry.reasoning;
        row.supportsTools = true;
    }
    return row;
}

ZunoUnifiedModelRowItem discoveredRow(
    const ZunoAIDiscoveredLocalModel &model, int index, ZunoLanguage language)
{
    const bool isOllama = model.providerId == kOllama;
    ZunoUnifiedModelRowItem row;
    row.id = model.id;
    row.apiModelId = model.apiModelId;
    row.displayName = model.displayName;
    row.providerId = model.providerId;
    row.vendor = isOllama ? QStringLiteral("Ollama") : QStringLiteral("LM Studio");
    row.isLocal = true;
    row.isInstalledLocally = true;
    row.localSizeBytes = model.sizeBytes;
    row.ramFit = ZunoAIRamFit::comfortable;
    row.supportsTools = true;
    row.summaryText = zunoText(QStringLiteral("Installed locally on this computer (") + model.providerId
            + QStringLiteral("). 100% offline."),
        QStringLiteral("Bu bilgisayarda yerel olarak kurulu (") + model.providerId
            + QStringLiteral("). %100 çevrimdışı."),
        language);
    row.tags = { QStringLiteral("local"), QStringLiteral("installed"), model.providerId };
    row.sortPriority = 10 + index;
    if (isOllama)
        row.ollamaTag = model.apiModelId;
    return row;
}

ZunoUnifiedModelRowItem catalogRow(const ZunoAIModelSpec &model, const ZunoAIDiscoveredLocalModel *installed,
    double hostRamGB, ZunoLanguage language)
{
    ZunoUnifiedModelRowItem row;
    row.id = model.id;
    row.apiModelId = model.apiModelId;
    row.displayName = model.displayName;
    row.providerId = model.providerId;
    row.vendor = model.vendor;
    row.isQuarnwellManaged = model.providerId.compare(kManagedProvider, Qt::CaseInsensitive) == 0;
    row.isLocal = model.isLocal();
    row.isInstalledLocally = installed != nullptr;
    row.contextWindow = model.contextWindow;
    row.pricing = model.pricing;
    if (model.localSpecs) {
        row.minRamGb = model.localSpecs->minRamGb;
        row.recommendedRamGb = model.localSpecs->recommendedRamGb;
        row.ollamaTag = model.localSpecs->ollamaTag;
    }
    if (installed)
        row.localSizeBytes = installed->sizeBytes;
    row.ramFit = model.ramFit(hostRamGB);
    row.supportsVision = model.capabilities.vision;
    row.supportsReasoning = model.capabilities.reasoning;
    row.supportsTools = model.capabilities.toolCalling;
    row.summaryText = model.summary.resolved(language);
    row.tags = model.tags;
    row.tags.append(model.family);
    const int base = installed ? 20 : (row.isLocal ? 200 : 100);
    row.sortPriority = static_cast<int>(std::clamp<qint64>(base + model.sortOrder, INT_MIN, INT_MAX));
    return row;
}

} // namespace

double ZunoUnifiedCatalogBuilder::hostRamGB()
{
    return static_cast<double>(ZunoKernelMemory().read().physicalTotal) / kBytesPerGB;
}

QList<ZunoUnifiedModelRowItem> ZunoUnifiedCatalogBuilder::buildRows(
    const ZunoAIModelCatalogDocument &document, const QList<ZunoAIDiscoveredLocalModel> &discoveredLocal,
    ZunoLanguage language)
{
    return buildRows(document, discoveredLocal, language, hostRamGB());
}

QList<ZunoUnifiedModelRowItem> ZunoUnifiedCatalogBuilder::buildRows(
    const ZunoAIModelCatalogDocument &document, const QList<ZunoAIDiscoveredLocalModel> &discoveredLocal,
    ZunoLanguage language, double hostRamGB)
{
    QList<ZunoUnifiedModelRowItem> rows;
    rows.reserve(3 + discoveredLocal.size() + document.models.size());
    QSet<QString> seen;
    seen.reserve(2 * 3 + discoveredLocal.size() + document.models.size());

    for (const FixedEntry &entry : kFixedEntries) {
        rows.append(fixedRow(entry, document, language));
        const QString apiId = QString::fromUtf8(entry.apiId).toLower();
        seen.insert(apiId);
        seen.insert(kManagedProvider + QLatin1Char('/') + apiId);
    }

    // Index A by catalog match, index B by provider:model and by model alone; later models win.
    QHash<QString, const ZunoAIDiscoveredLocalModel *> byCatalogId;
    QHash<QString, const ZunoAIDiscoveredLocalModel *> byName;
    byName.reserve(2 * discoveredLocal.size());
    for (const ZunoAIDiscoveredLocalModel &model : discoveredLocal) {
        if (model.catalogMatch)
            byCatalogId.insert(model.catalogMatch->id.toLower(), &model);
        byName.insert(key(model.providerId, model.apiModelId), &model);
        byName.insert(model.apiModelId.toLower(), &model);
    }

    for (int i = 0; i < discoveredLocal.size(); ++i) {
        const ZunoAIDiscoveredLocalModel &model = discoveredLocal.at(i);
        if (model.catalogMatch)
            continue;
        const QString modelKey = key(model.providerId, model.apiModelId);
        if (seen.contains(modelKey))
            continue;
        seen.insert(modelKey);
        rows.append(discoveredRow(model, i, language));
    }

    for (const ZunoAIModelSpec &model : document.models) {
        if (model.providerId.compare(kManagedProvider, Qt::CaseInsensitive) == 0
            && seen.contains(model.apiModelId.toLower()))
            continue;
        const QString modelKey = key(model.providerId, model.apiModelId);
        if (seen.contains(modelKey))
            continue;
        seen.insert(modelKey);
        const ZunoAIDiscoveredLocalModel *installed = byCatalogId.value(model.id.toLower());
        if (!installed)
            installed = byName.value(modelKey);
        if (!installed && model.localSpecs && model.localSpecs->ollamaTag)
            installed = byName.value(model.localSpecs->ollamaTag->toLower());
        rows.append(catalogRow(model, installed, hostRamGB, language));
    }

    QCollator collator(QLocale::system());
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(rows.begin(), rows.end(), [&collator](const auto &a, const auto &b) {
        if (a.sortPriority != b.sortPriority)
            return a.sortPriority < b.sortPriority;
        return collator.compare(a.displayName, b.displayName) < 0;
    });
    return rows;
}

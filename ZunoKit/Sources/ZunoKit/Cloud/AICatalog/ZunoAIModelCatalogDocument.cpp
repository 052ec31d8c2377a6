#include "ZunoAIModelCatalogDocument.h"

namespace {

bool sameIgnoringCase(const QString &a, const QString &b)
{
    return QString::compare(a, b, Qt::CaseInsensitive) == 0;
}

bool isBlank(const std::optional<QString> &value)
{
    return !value || value->isEmpty();
}

} // namespace

std::optional<ZunoAIProviderSpec> ZunoAIModelCatalogDocument::provider(const QString &id) const
{
    for (const ZunoAIProviderSpec &candidate : providers) {
        if (sameIgnoringCase(candidate.id, id))
            return candidate;
    }
    return std::nullopt;
}

std::optional<ZunoAIModelSpec> ZunoAIModelCatalogDocument::model(const QString &idOrAlias) const
{
    const QString key = idOrAlias.trimmed().toLower();
    if (key.isEmpty())
        return std::nullopt;
    for (const ZunoAIModelSpec &candidate : models) {
        if (candidate.id.toLower() == key || candidate.apiModelId.toLower() == key)
            return candidate;
        for (const QString &alias : candidate.aliases) {
            if (alias.toLower() == key)
                return candidate;
        }
    }
    return std::nullopt;
}

QList<ZunoAIModelSpec> ZunoAIModelCatalogDocument::filteredModels(const std::optional<QString> &providerId,
    const std::optional<QString> &deployment, const std::optional<QString> &recommendedFor,
    bool requiringToolCalling, bool requiringVision) const
{
    QList<ZunoAIModelSpec> result;
    for (const ZunoAIModelSpec &candidate : models) {
        if (!isBlank(providerId) && !sameIgnoringCase(candidate.providerId, *providerId))
            continue;
        if (!isBlank(deployment) && !sameIgnoringCase(candidate.deployment, *deployment))
            continue;
        if (!isBlank(recommendedFor) && !candidate.recommendedFor.contains(*recommendedFor))
            continue;
        if (requiringToolCalling && !candidate.capabilities.toolCalling)
            continue;
        if (requiringVision && !candidate.capabilities.vision)
            continue;
        result.append(candidate);
    }
    return result;
}

#include "ZunoUnifiedModelRowItem.h"

namespace {

bool passes(const ZunoUnifiedModelRowItem &row, ZunoAIModelFilterCategory category)
{
    switch (category) {
    case ZunoAIModelFilterCategory::all:
        return true;
    case ZunoAIModelFilterCategory::quarnwell:
        return row.isQuarnwellManaged;
    case ZunoAIModelFilterCategory::cloud:
        return !row.isLocal;
    case ZunoAIModelFilterCategory::local:
        return row.isLocal;
    case ZunoAIModelFilterCategory::installed:
        return row.isInstalledLocally;
    case ZunoAIModelFilterCategory::reasoning:
        return row.supportsReasoning;
    case ZunoAIModelFilterCategory::vision:
        return row.supportsVision;
    }
    return false;
}

} // namespace

bool ZunoUnifiedModelRowItem::matches(ZunoAIModelFilterCategory category, const QString &query) const
{
    if (!passes(*this, category))
        return false;
    const QString needle = query.trimmed().toLower();
    if (needle.isEmpty())
        return true;
    const auto contains = [&needle](const QString &text) { return text.toLower().contains(needle); };
    if (contains(displayName) || contains(apiModelId) || contains(vendor) || contains(providerId)
        || contains(summaryText))
        return true;
    for (const QString &tag : tags) {
        if (contains(tag))
            return true;
    }
    return false;
}

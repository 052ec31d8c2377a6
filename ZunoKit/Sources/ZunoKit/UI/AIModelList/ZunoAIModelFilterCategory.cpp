#include "ZunoAIModelFilterCategory.h"

#include "ZunoText.h"

namespace {

constexpr const char *kRawValues[]
    = { "all", "quarnwell", "cloud", "local", "installed", "reasoning", "vision" };

} // namespace

std::optional<ZunoAIModelFilterCategory> ZunoAIModelFilterCategories::fromRawValue(const QString &raw)
{
    for (const ZunoAIModelFilterCategory category : allCases) {
        if (raw == QLatin1String(kRawValues[static_cast<int>(category)]))
            return category;
    }
    return std::nullopt;
}

QString rawValue(ZunoAIModelFilterCategory category)
{
    return QString::fromLatin1(kRawValues[static_cast<int>(category)]);
}

QString title(ZunoAIModelFilterCategory category, ZunoLanguage language)
{
    switch (category) {
    case ZunoAIModelFilterCategory::all:
        return zunoText(QStringLiteral("All"), QStringLiteral("Tümü"), language);
    case ZunoAIModelFilterCategory::quarnwell:
        return QStringLiteral("Quarnwell");
    case ZunoAIModelFilterCategory::cloud:
        return zunoText(QStringLiteral("Cloud"), QStringLiteral("Bulut"), language);
    case ZunoAIModelFilterCategory::local:
        return zunoText(QStringLiteral("Local"), QStringLiteral("Yerel"), language);
    case ZunoAIModelFilterCategory::installed:
        return zunoText(QStringLiteral("Installed"), QStringLiteral("Yüklü"), language);
    case ZunoAIModelFilterCategory::reasoning:
        return zunoText(QStringLiteral("Reasoning"), QStringLiteral("Akıl Yürütme"), language);
    case ZunoAIModelFilterCategory::vision:
        return zunoText(QStringLiteral("Vision"), QStringLiteral("Görsel"), language);
    }
    return {};
}

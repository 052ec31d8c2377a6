#include "ZunoModelRowChips.h"

#include "ZunoCreditsUIFormatter.h"
#include "ZunoGlassTokens.h"
#include "ZunoText.h"

#include <cmath>

QString ZunoModelRowChips::priceTier(const ZunoUnifiedModelRowItem &row, ZunoLanguage language)
{
    const auto t = [language](const char *en, const char *tr) {
        return zunoText(QString::fromUtf8(en), QString::fromUtf8(tr), language);
    };
    if (row.isLocal)
        return t("Free · Local", "Ücretsiz · Yerel");
    if (row.isManagedAutoRouter)
        return t("Smart · Economical", "Akıllı · Ekonomik");
    if (!row.pricing)
        return t("Credits / API", "Kredi / Anahtar");
    const std::optional<double> input = row.pricing->inputPer1M;
    const std::optional<double> output = row.pricing->outputPer1M;
    if (!input || *input == 0) {
        if (!output || *output == 0)
            return t("Free", "Ücretsiz");
        return t("Very Economical", "Çok Ekonomik");
    }
    if (*input <= 0.35)
        return t("Very Economical", "Çok Ekonomik");
    if (*input <= 1.25)
        return t("Economical", "Ekonomik");
    if (*input <= 4)
        return t("Standard", "Standart");
    // Also a price that is not a number.
    return t("Premium", "Üst Düzey");
}

QString ZunoModelRowChips::memoryText(const ZunoUnifiedModelRowItem &row)
{
    if (!row.minRamGb || !std::isfinite(*row.minRamGb) || !(*row.minRamGb > 0))
        return {};
    const double rounded = std::round(*row.minRamGb);
    // 2^63 is the first value that no longer fits; larger figures are written as they stand.
    if (rounded < 9223372036854775808.0)
        return QString::asprintf("%lld+ GB RAM", static_cast<long long>(rounded));
    return QString::asprintf("%.0f+ GB RAM", rounded);
}

QList<ZunoModelRowChips::Chip> ZunoModelRowChips::chips(
    const ZunoUnifiedModelRowItem &row, ZunoLanguage language, const QColor &accent)
{
    const auto t = [language](const char *en, const char *tr) {
        return zunoText(QString::fromUtf8(en), QString::fromUtf8(tr), language);
    };
    QList<Chip> result;
    result.append({ priceTier(row, language),
        row.isLocal ? ZunoGlassTokens::success() : ZunoGlassTokens::textSecondary() });

    const QString memory = memoryText(row);
    if (!memory.isEmpty()) {
        QColor tint;
        switch (row.ramFit) {
        case ZunoAIRamFit::comfortable:
            tint = ZunoGlassTokens::success();
            break;
        case ZunoAIRamFit::tight:
            tint = ZunoGlassTokens::warning();
            break;
        case ZunoAIRamFit::exceeds:
            tint = ZunoGlassTokens::danger();
            break;
        case ZunoAIRamFit::cloud:
            tint = ZunoGlassTokens::textSecondary();
            break;
        }
        result.append({ memory, tint });
    } else if (row.localSizeBytes && *row.localSizeBytes >= 1) {
        result.append(
            { ZunoCreditsUIFormatter::formatBytes(*row.localSizeBytes), ZunoGlassTokens::success() });
    }

    if (row.supportsVision && row.supportsReasoning)
        result.append({ t("Vision & Deep Thinking", "Görsel & Derin Düşünme"), accent });
    else if (row.supportsVision)
        result.append({ t("Vision", "Görsel"), ZunoGlassTokens::textSecondary() });
    else if (row.supportsReasoning)
        result.append({ t("Deep Thinking", "Derin Düşünme"), accent });
    return result;
}

QList<ZunoModelRowChips::Chip> ZunoModelRowChips::badges(
    const ZunoUnifiedModelRowItem &row, ZunoLanguage language, const QColor &accent)
{
    QList<Chip> result;
    if (row.isManagedAutoRouter)
        result.append(
            { zunoText(QStringLiteral("Recommended"), QStringLiteral("Önerilen"), language), accent });
    if (row.isInstalledLocally) {
        result.append({ zunoText(QStringLiteral("Ready on this computer"),
                            QStringLiteral("Bu bilgisayarda hazır"), language),
            ZunoGlassTokens::success() });
    }
    return result;
}

QString ZunoModelRowChips::accessibleDescription(
    const ZunoUnifiedModelRowItem &row, bool chosen, ZunoLanguage language)
{
    QStringList parts;
    if (!row.vendor.isEmpty())
        parts.append(row.vendor);
    for (const Chip &badge : badges(row, language, QColor()))
        parts.append(badge.text);
    for (const Chip &chip : chips(row, language, QColor()))
        parts.append(chip.text);
    if (chosen)
        parts.append(zunoText(QStringLiteral("Chosen"), QStringLiteral("Seçili"), language));
    return parts.join(QStringLiteral(", "));
}

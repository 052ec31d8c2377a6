#include "ZunoModelRowChips.h"
#include "ZunoFonts.h"
#include "ZunoGlassTokens.h"
#include "ZunoModelRowDelegate.h"
#include "ZunoModelRowListModel.h"

#include <QFontMetricsF>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

const QColor kAccent(0x12, 0x34, 0x56);
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

ZunoUnifiedModelRowItem priced(std::optional<double> input, std::optional<double> output)
{
    ZunoUnifiedModelRowItem row;
    ZunoAIModelPricing pricing;
    pricing.currency = QStringLiteral("EUR");
    pricing.inputPer1M = input;
    pricing.outputPer1M = output;
    row.pricing = pricing;
    return row;
}

QStringList texts(const QList<ZunoModelRowChips::Chip> &chips)
{
    QStringList result;
    for (const auto &chip : chips)
        result.append(chip.text);
    return result;
}

} // namespace

TEST(ZunoModelRowChips, PriceTierTable)
{
    struct Case {
        const char *name;
        ZunoUnifiedModelRowItem row;
        const char *en;
        const char *tr;
    };
    ZunoUnifiedModelRowItem local = priced(30, 60);
    local.isLocal = true;
    local.isManagedAutoRouter = true;
    ZunoUnifiedModelRowItem router = priced(30, 60);
    router.isManagedAutoRouter = true;
    const Case cases[] = {
        { "local whatever its price", local, "Free · Local", "Ücretsiz · Yerel" },
        { "router", router, "Smart · Economical", "Akıllı · Ekonomik" },
        { "no pricing", ZunoUnifiedModelRowItem {}, "Credits / API", "Kredi / Anahtar" },
        { "0/0", priced(0, 0), "Free", "Ücretsiz" },
        { "absent/absent", priced({}, {}), "Free", "Ücretsiz" },
        { "absent/2.5", priced({}, 2.5), "Very Economical", "Çok Ekonomik" },
        { "0.35", priced(0.35, {}), "Very Economical", "Çok Ekonomik" },
        { "0.36", priced(0.36, {}), "Economical", "Ekonomik" },
        { "1.25", priced(1.25, 99), "Economical", "Ekonomik" },
        { "4", priced(4, {}), "Standard", "Standart" },
        { "4.01", priced(4.01, {}), "Premium", "Üst Düzey" },
        { "NaN", priced(kNaN, 1), "Premium", "Üst Düzey" },
    };
    for (const Case &c : cases) {
        EXPECT_EQ(ZunoModelRowChips::priceTier(c.row, ZunoLanguage::en), QString::fromUtf8(c.en)) << c.name;
        EXPECT_EQ(ZunoModelRowChips::priceTier(c.row, ZunoLanguage::tr), QString::fromUtf8(c.tr)) << c.name;
    }
}

TEST(ZunoModelRowChips, MemorySizeAndCapabilityChips)
{
    struct Case {
        const char *name;
        std::optional<double> minRamGb;
        std::optional<qint64> size;
        ZunoAIRamFit fit;
        bool vision, reasoning;
        QStringList expected;
    };
    const QString tier = QStringLiteral("Credits / API");
    const Case cases[] = {
        { "7.6 rounds up", 7.6, 5368709120, ZunoAIRamFit::tight, false, false,
            { tier, QStringLiteral("8+ GB RAM") } },
        { "half away from zero", 2.5, {}, ZunoAIRamFit::tight, false, false,
            { tier, QStringLiteral("3+ GB RAM") } },
        { "0 falls back to the size", 0.0, 5368709120, ZunoAIRamFit::cloud, false, false,
            { tier, QStringLiteral("5.0 GB") } },
        { "absent falls back to the size", {}, 5368709120, ZunoAIRamFit::cloud, false, false,
            { tier, QStringLiteral("5.0 GB") } },
        { "size 0 shows nothing", {}, 0, ZunoAIRamFit::cloud, false, false, { tier } },
        { "infinite shows the size", std::numeric_limits<double>::infinity(), 5368709120, ZunoAIRamFit::cloud,
            false, false, { tier, QStringLiteral("5.0 GB") } },
        { "NaN shows nothing", kNaN, {}, ZunoAIRamFit::cloud, false, false, { tier } },
        { "past int64", 1e30, {}, ZunoAIRamFit::exceeds, false, false,
            { tier, QStringLiteral("1000000000000000019884624838656+ GB RAM") } },
        { "vision and reasoning", {}, {}, ZunoAIRamFit::cloud, true, true,
            { tier, QStringLiteral("Vision & Deep Thinking") } },
        { "vision", {}, {}, ZunoAIRamFit::cloud, true, false, { tier, QStringLiteral("Vision") } },
        { "reasoning", {}, {}, ZunoAIRamFit::cloud, false, true, { tier, QStringLiteral("Deep Thinking") } },
    };
    for (const Case &c : cases) {
        ZunoUnifiedModelRowItem row;
        row.supportsTools = true;
        row.minRamGb = c.minRamGb;
        row.localSizeBytes = c.size;
        row.ramFit = c.fit;
        row.supportsVision = c.vision;
        row.supportsReasoning = c.reasoning;
        EXPECT_EQ(texts(ZunoModelRowChips::chips(row, ZunoLanguage::en, kAccent)), c.expected) << c.name;
    }
}

TEST(ZunoModelRowChips, Tints)
{
    ZunoUnifiedModelRowItem row;
    row.minRamGb = 8;
    const std::pair<ZunoAIRamFit, QColor> fits[] = {
        { ZunoAIRamFit::comfortable, ZunoGlassTokens::success() },
        { ZunoAIRamFit::tight, ZunoGlassTokens::warning() },
        { ZunoAIRamFit::exceeds, ZunoGlassTokens::danger() },
        { ZunoAIRamFit::cloud, ZunoGlassTokens::textSecondary() },
    };
    for (const auto &[fit, tint] : fits) {
        row.ramFit = fit;
        EXPECT_EQ(ZunoModelRowChips::chips(row, ZunoLanguage::en, kAccent).at(1).tint, tint)
            << rawValue(fit).toStdString();
    }

    row.isLocal = true;
    row.supportsReasoning = true;
    const auto chips = ZunoModelRowChips::chips(row, ZunoLanguage::tr, kAccent);
    EXPECT_EQ(chips.first().tint, ZunoGlassTokens::success()) << "a local tier is green";
    EXPECT_EQ(chips.last(), (ZunoModelRowChips::Chip { QStringLiteral("Derin Düşünme"), kAccent }));
    row.supportsVision = true;
    row.supportsReasoning = false;
    EXPECT_EQ(ZunoModelRowChips::chips(row, ZunoLanguage::en, kAccent).last().tint,
        ZunoGlassTokens::textSecondary());
}

TEST(ZunoModelRowDelegate, AnEmptySummaryLeavesNoGapAndLongOnesStopAtTwoLines)
{
    ZunoUnifiedModelRowItem bare;
    bare.id = QStringLiteral("a");
    bare.displayName = QStringLiteral("Model");
    ZunoUnifiedModelRowItem oneLine = bare;
    oneLine.id = QStringLiteral("b");
    oneLine.summaryText = QStringLiteral("Short.");
    ZunoUnifiedModelRowItem long_ = bare;
    long_.id = QStringLiteral("c");
    long_.summaryText = QStringLiteral("word ").repeated(200);
    ZunoModelRowListModel model;
    model.setRows({ bare, oneLine, long_ }, { false, false, false });
    ZunoModelRowDelegate delegate(kAccent, ZunoLanguage::en);

    const qreal line = QFontMetricsF(ZunoFonts::system(11)).lineSpacing();
    const int withoutSummary = delegate.cardHeight(model, 0, 400);
    const int withOneLine = delegate.cardHeight(model, 1, 400);
    const int withTwoLines = delegate.cardHeight(model, 2, 400);
    // One line of summary adds the line and the column's 5-pixel spacing; nothing more.
    EXPECT_NEAR(withOneLine - withoutSummary, line + 5, 1.0);
    EXPECT_NEAR(withTwoLines - withOneLine, line, 1.0);
}

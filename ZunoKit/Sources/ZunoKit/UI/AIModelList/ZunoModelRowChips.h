#pragma once

#include "ZunoLanguage.h"
#include "ZunoUnifiedModelRowItem.h"

#include <QColor>
#include <QList>
#include <QString>

// What a model row of the AI settings card says beyond its name: the price tier and the chips in
// their order (tier, memory or download size, capabilities). Pure, so the row delegate only paints.
namespace ZunoModelRowChips {

struct Chip {
    QString text;
    QColor tint;

    friend bool operator==(const Chip &, const Chip &) = default;
};

// Local first, then the router, then the input price per million tokens (the currency is not read).
QString priceTier(const ZunoUnifiedModelRowItem &row, ZunoLanguage language);

// "8+ GB RAM" for 7.6 (halves away from zero); empty when the row shows no memory chip (absent, not
// above 0, or not finite).
QString memoryText(const ZunoUnifiedModelRowItem &row);

QList<Chip> chips(const ZunoUnifiedModelRowItem &row, ZunoLanguage language, const QColor &accent);

// The badges beside the name: "Recommended" for the managed router, "Ready on this computer" for an
// installed local model.
QList<Chip> badges(const ZunoUnifiedModelRowItem &row, ZunoLanguage language, const QColor &accent);

// What a screen reader says after the row's name: vendor, badges, chips and whether it is chosen.
QString accessibleDescription(const ZunoUnifiedModelRowItem &row, bool chosen, ZunoLanguage language);

} // namespace ZunoModelRowChips

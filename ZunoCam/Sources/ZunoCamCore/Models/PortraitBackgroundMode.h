#pragma once

#include "CamTextPair.h"

#include <QString>

#include <array>
#include <optional>

// What is done to the background behind the person. A case's raw value (also its id) equals its name.
enum class PortraitBackgroundMode { off, softBlur, strongBlur, studioDim };

namespace PortraitBackgroundModes {

// Every case in declaration order.
const std::array<PortraitBackgroundMode, 4> &allCases();
// Exact, case-sensitive raw value only.
std::optional<PortraitBackgroundMode> fromRawValue(const QString &raw);
QString id(PortraitBackgroundMode mode);
// Full display name, and the short one for compact controls, as English/Turkish pairs.
CamTextPair label(PortraitBackgroundMode mode);
QString labelEN(PortraitBackgroundMode mode);
QString labelTR(PortraitBackgroundMode mode);
CamTextPair shortLabel(PortraitBackgroundMode mode);
QString shortLabelEN(PortraitBackgroundMode mode);
QString shortLabelTR(PortraitBackgroundMode mode);
// The symbol name of the mode's icon, looked up in the icon registry.
QString symbolName(PortraitBackgroundMode mode);

} // namespace PortraitBackgroundModes

QString rawValue(PortraitBackgroundMode mode);

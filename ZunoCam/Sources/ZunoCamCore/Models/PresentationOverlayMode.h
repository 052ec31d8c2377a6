#pragma once

#include "CamTextPair.h"

#include <QString>

#include <array>
#include <optional>

// The drawing tool of the full-screen presentation overlay. A case's raw value (also its id) equals
// its name.
enum class PresentationOverlayMode {
    fadingLaser,
    freehandPen,
    arrowTool,
    highlightBox,
    numberedStamp,
    cursorSpotlight
};

namespace PresentationOverlayModes {

// Every case in declaration order.
const std::array<PresentationOverlayMode, 6> &allCases();
// Exact, case-sensitive raw value only.
std::optional<PresentationOverlayMode> fromRawValue(const QString &raw);
QString id(PresentationOverlayMode mode);
// Display name as its English/Turkish pair.
CamTextPair label(PresentationOverlayMode mode);
QString labelEN(PresentationOverlayMode mode);
QString labelTR(PresentationOverlayMode mode);
// The symbol name of the tool's icon, looked up in the icon registry.
QString symbolName(PresentationOverlayMode mode);

} // namespace PresentationOverlayModes

QString rawValue(PresentationOverlayMode mode);

#pragma once

#include "CamTextPair.h"

#include <QString>

#include <array>
#include <optional>

// The colour look applied to every frame. A case's raw value (also its id) equals its name.
enum class CameraLookPreset { natural, deepSeaCinema, warmStudio, crispDaylight, noirMono };

namespace CameraLookPresets {

// Every case in declaration order.
const std::array<CameraLookPreset, 5> &allCases();
// Exact, case-sensitive raw value only.
std::optional<CameraLookPreset> fromRawValue(const QString &raw);
QString id(CameraLookPreset preset);
// Display name as its English/Turkish pair.
CamTextPair label(CameraLookPreset preset);
QString labelEN(CameraLookPreset preset);
QString labelTR(CameraLookPreset preset);

} // namespace CameraLookPresets

QString rawValue(CameraLookPreset preset);

#pragma once

#include <QString>

#include <array>
#include <optional>

// The studio window's four tabs, in the order the window shows them. Identified by the raw value.
enum class CamStudioTab { teleprompter, camera, presenter, settings };

namespace CamStudioTabs {

const std::array<CamStudioTab, 4> &allCases();
// Exactly "teleprompter", "camera", "presenter" or "settings"; none for anything else.
std::optional<CamStudioTab> fromRawValue(const QString &raw);

} // namespace CamStudioTabs

QString rawValue(CamStudioTab tab);

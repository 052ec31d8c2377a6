#pragma once

#include <QString>

#include <optional>

// How a command kind is carried out: quietly in the background, as a small overlay or mini window,
// or by opening the target's window (the only style that may bring the target to the front).
enum class ZunoSuiteCommandExecutionStyle { headlessFeature, overlayOrMiniUI, openUI };

namespace ZunoSuiteCommandExecutionStyles {

// Exact raw value ("openUI"); anything else is none.
std::optional<ZunoSuiteCommandExecutionStyle> fromRawValue(const QString &raw);

} // namespace ZunoSuiteCommandExecutionStyles

QString rawValue(ZunoSuiteCommandExecutionStyle style);

#pragma once

#include "TeleprompterSettings.h"

#include <QSize>

#include <optional>

// The teleprompter panel's numbers as drawn. They come from a document the user may edit by hand, so
// each is bounded here: a size that is not finite or below 1 takes the default, one larger than the
// screen the screen's, in whole pixels; the text size stays within the pacing engine's bounds, so the
// drawn lines match the computed scroll speed; the opacity within 0 to 1.
namespace NotchTeleprompterMetrics {

inline constexpr int kDefaultWidth = 560;
inline constexpr int kDefaultHeight = 205;
inline constexpr double kMinimumFontSize = 14;
inline constexpr double kMaximumFontSize = 56;
inline constexpr double kDefaultOpacity = 0.88;
// The panel's top edge below the screen's top.
inline constexpr int kTopOffset = 6;

QSize panelSize(const TeleprompterSettings &settings, std::optional<QSize> screenSize = std::nullopt);
double fontSize(const TeleprompterSettings &settings);
double panelOpacity(const TeleprompterSettings &settings);

} // namespace NotchTeleprompterMetrics

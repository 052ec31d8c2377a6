#pragma once

#include <QString>

#include <optional>

// A token that lets the window manager bring a window forward that this application asked for: a
// startup id stamped with the X server's current time, for a sibling started or activated at the
// user's request. Wayland hands activation tokens only to a toolkit's own surface, so there (and
// without a display) there is none and the compositor decides alone. Blocks for one X round trip.
namespace ZunoStartupToken {

std::optional<QString> make();

} // namespace ZunoStartupToken

#pragma once

#include <QPalette>

// The studio is dark whatever the desktop theme: the Fusion style with a palette made from the glass
// tokens, so popups, menus, combo-box lists, check boxes and scroll bars are dark too.
namespace CamDarkScheme {

QPalette palette();
// Sets the Fusion style and the palette on the running application.
void apply();

} // namespace CamDarkScheme

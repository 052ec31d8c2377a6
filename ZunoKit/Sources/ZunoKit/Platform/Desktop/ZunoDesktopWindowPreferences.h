#pragma once

#include <QString>

#include <vector>

// Which title-bar buttons the desktop shows, on which side and in which order, and what a double
// click on a title bar does, read from the desktop's own settings: KDE's kwinrc, else GNOME's
// window-manager preferences (through gsettings, the desktops that follow them included). The
// layout is taken as the desktop gives it: GNOME's default shows close alone, on the right. Without
// either: minimise, maximise and close on the right, double click maximises.
struct ZunoWindowButtonLayout {
    enum class Button { close, minimize, maximize };
    enum class Side { left, right };

    // The buttons of each side, from left to right; each button at most once.
    std::vector<Button> left;
    std::vector<Button> right { Button::minimize, Button::maximize, Button::close };

    const std::vector<Button> &buttons(Side side) const { return side == Side::left ? left : right; }

    // GNOME's form, "appmenu:minimize,maximize,close": the names before the colon on the left, the
    // rest on the right; names that are not window buttons (appmenu, icon, spacer) are skipped.
    static ZunoWindowButtonLayout fromGnome(const QString &layout);
    // KDE's letters: X close, I minimise, A maximise, for the left and the right side.
    static ZunoWindowButtonLayout fromKde(const QString &left, const QString &right);

    bool operator==(const ZunoWindowButtonLayout &) const = default;
};

namespace ZunoDesktopWindowPreferences {

// "toggle-maximize", "minimize", "none" and GNOME's other values; KDE's are mapped onto these.
inline constexpr char kDefaultDoubleClickAction[] = "toggle-maximize";

// The desktop's settings, read on the first call and kept for the process. Main thread only.
ZunoWindowButtonLayout buttonLayout();
QString doubleClickAction();

} // namespace ZunoDesktopWindowPreferences

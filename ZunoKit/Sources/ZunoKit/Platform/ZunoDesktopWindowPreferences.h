#pragma once

#include <QString>

#include <vector>

// Where the desktop puts a window's title-bar buttons and what a double click on a title bar does,
// read from the desktop's own settings: KDE's kwinrc, else GNOME's window-manager preferences
// (through gsettings, the desktops that follow them included). Without either: buttons on the
// right, double click maximises.
struct ZunoWindowButtonLayout {
    enum class Button { close, minimize, maximize };
    enum class Side { left, right };

    Side side = Side::right;
    // The three buttons in the order they stand from left to right.
    std::vector<Button> order { Button::minimize, Button::maximize, Button::close };

    // GNOME's form, "appmenu:minimize,maximize,close": the side with more of the three window
    // buttons wins (ties go right); buttons named on it keep their order and the ones it lacks join
    // at the window's edge side (close outermost).
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

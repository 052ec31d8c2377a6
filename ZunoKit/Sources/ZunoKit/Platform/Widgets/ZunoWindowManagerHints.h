#pragma once

class QWindow;

// Window-manager requests Qt does not make for us, on X11 (nothing elsewhere). Main thread only.
namespace ZunoWindowManagerHints {

// Brings a top-level window to the front and gives it focus at the user's request (a second launch
// of the application). Qt's own activation carries the last input time the application saw, which
// is stale when the request comes from another process, so window managers refuse it as focus
// stealing; this asks as a pager does (_NET_ACTIVE_WINDOW, source 2). Without a window manager it
// raises the window and sets the input focus itself. False when the platform is not X11.
bool activateWindow(QWindow *window);

} // namespace ZunoWindowManagerHints

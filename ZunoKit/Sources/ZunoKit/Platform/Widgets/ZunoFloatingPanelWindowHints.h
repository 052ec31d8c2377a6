#pragma once

class QPainterPath;
class QWidget;

// The window kit of floating panels: frameless tool windows kept above other windows and on every
// workspace, left out of task bars and pagers, shown without taking the keyboard focus (a panel
// that wants the focus asks for it).
namespace ZunoFloatingPanelWindowHints {

// Whether a panel may ever take the keyboard focus. A never-focus panel asks the window manager not to
// give it the input focus (X11 WM_HINTS input False), so clicking its buttons leaves the keyboard
// with the application the user is typing in.
enum class Focus { acceptsFocus, neverFocus };

// Window flags and attributes; call once, before the panel is first shown.
void configure(QWidget *panel, Focus focus = Focus::acceptsFocus);
// Writes the X11 workspace and state hints on the panel's native window. Call before each show (after
// the native window exists, before it is mapped); a mapped window is also asked for through the root
// window, as a window manager expects. Does nothing off X11.
void applyNativeHints(QWidget *panel);

// Whether a compositing manager draws the windows: on X11 whether the _NET_WM_CM_S<screen> selection
// has an owner; always on Wayland; true elsewhere (offscreen renders keep their transparency).
// Without one, transparent pixels of a translucent window show black.
bool isCompositing();

// Gives a shaped panel a window mask of `shape` (in the panel's coordinates) when nothing composites,
// and removes the mask when something does (then its translucent corners show what is behind). Call
// after each resize.
void applyShape(QWidget *panel, const QPainterPath &shape);

} // namespace ZunoFloatingPanelWindowHints

#pragma once

class QWidget;

// The window kit of floating panels: frameless tool windows kept above other windows and on every
// workspace, left out of task bars and pagers, shown without taking the keyboard focus (a panel
// that wants the focus asks for it).
namespace ZunoFloatingPanelWindowHints {

// Window flags and attributes; call once, before the panel is first shown.
void configure(QWidget *panel);
// Writes the X11 workspace and state hints on the panel's native window. Call before each show (after
// the native window exists, before it is mapped); a mapped window is also asked for through the root
// window, as a window manager expects. Does nothing off X11.
void applyNativeHints(QWidget *panel);

} // namespace ZunoFloatingPanelWindowHints

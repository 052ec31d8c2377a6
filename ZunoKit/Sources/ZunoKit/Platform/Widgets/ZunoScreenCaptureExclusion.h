#pragma once

class QWidget;

// Keeping a window out of screen capture and screen sharing. Neither X11 nor Wayland lets a window
// exclude itself (the capturing side decides), so this is unsupported on every desktop today; it is
// the one place to change when a desktop gains it. Main thread only.
namespace ZunoScreenCaptureExclusion {

bool isSupported();
// Excludes the window from capture or makes it capturable again; nothing where unsupported.
void apply(QWidget *window, bool exclude);

} // namespace ZunoScreenCaptureExclusion

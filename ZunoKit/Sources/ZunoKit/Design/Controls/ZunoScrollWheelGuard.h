#pragma once

class QWidget;

// Keeps the wheel for scrolling inside a scrolling column: a slider, combo box or spin box below
// `root` takes wheel events only while it holds the keyboard focus; otherwise the event goes on to
// the scroll area, so passing over a control while scrolling changes nothing. The wheel no longer
// gives such a control the focus. A list or text view below `root` scrolls under the pointer, and
// once it is at its end in the wheel's direction the column scrolls instead. Controls added under
// `root` later are guarded when they are first shown. Main thread only.
namespace ZunoScrollWheelGuard {

void install(QWidget *root);

} // namespace ZunoScrollWheelGuard

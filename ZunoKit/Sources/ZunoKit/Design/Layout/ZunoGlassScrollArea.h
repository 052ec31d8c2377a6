#pragma once

class QScrollArea;
class QScrollBar;
class QWidget;

// A frameless scroll area through which the ground shows: the page scrolls vertically with a slim
// translucent bar when it is taller than the area, and is never given a background of its own.
// Sliders and pickers on the page take the wheel only when focused (ZunoScrollWheelGuard). The area
// takes ownership of the page. It takes no focus itself; it scrolls to the control that does.
QScrollArea *zunoGlassScrollArea(QWidget *page);

// The slim translucent vertical bar of the glass scroll area, for other scrolling views (lists).
void zunoStyleGlassScrollBar(QScrollBar *bar);

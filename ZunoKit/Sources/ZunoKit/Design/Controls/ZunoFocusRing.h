#pragma once

#include <QRectF>

class QPainter;
class QPainterPath;
class QWidget;

// The design system's keyboard focus ring: about 2 px of the accent colour just inside a control's
// shape, shown only while the control holds the focus and that focus came from the keyboard (Tab,
// Shift+Tab, a shortcut), never after a click. Every painted control draws it through here.
namespace ZunoFocusRing {

// The ring's line width.
inline constexpr qreal kLineWidth = 2;

// Starts following how `widget` gets its focus. Call once, from the control's constructor. A tracked
// button is also pressed by Return and Enter, as by Space, so every control answers both keys.
void track(QWidget *widget);

// True while `widget` (tracked) has the focus and the focus arrived from the keyboard. A window
// that is deactivated and activated again keeps the ring it had.
bool isVisible(const QWidget *widget);

// Strokes the ring inside `rect` with the shape's corner radius (a negative radius: a capsule).
void paint(QPainter &painter, const QRectF &rect, qreal radius);

// Strokes the ring along `shape` for shapes that are not rounded rectangles.
void paint(QPainter &painter, const QPainterPath &shape);

// Both steps: paints the ring inside `rect` when `widget` should show it.
void paintIfVisible(QPainter &painter, const QWidget *widget, const QRectF &rect, qreal radius);

// For a tracked control whose face is drawn by a child: a child of its own, kept on top and as large
// as the control, that paints the ring over the face. Takes no clicks.
void addOverlay(QWidget *control, qreal radius);

} // namespace ZunoFocusRing

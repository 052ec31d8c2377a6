#pragma once

#include "PresentationOverlayMode.h"

#include <QColor>
#include <QPointF>
#include <QRectF>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <variant>
#include <vector>

// A point of the laser trail and when it was taken, in seconds of the canvas's monotonic clock.
struct TimedPoint {
    QPointF point;
    double time = 0;
};

// A committed drawing, in the colour that was current when it was committed.
struct AnnotationItem {
    struct Pen {
        std::vector<QPointF> points; // at least two
    };
    struct Arrow {
        QPointF start;
        QPointF end;
    };
    struct Box {
        QRectF rect;
    };
    struct Stamp {
        QPointF centre;
        int number = 0;
    };

    std::variant<Pen, Arrow, Box, Stamp> shape;
    QColor color;
};

// The presentation canvas's drawing state and its input rules, without a widget: the tool, the colour,
// the dimming, the stamp counter, the fading laser trail, the committed annotations and the drawing in
// progress. Positions are the canvas's own pixels (y down). Time comes from the clock it is given.
// Every input returns whether the canvas needs a redraw. Main thread only.
class LaserCanvasState {
public:
    using Clock = std::function<double()>; // seconds, monotonic

    static constexpr double kTrailLife = 0.75;
    // A box is kept only when both sides exceed this.
    static constexpr double kMinimumBoxSide = 8;
    static constexpr int kPaletteSize = 5;

    explicit LaserCanvasState(
        Clock clock, PresentationOverlayMode mode = PresentationOverlayMode::fadingLaser);

    // The pen colours in index order (keys 1 to 5), sRGB at alpha 0.96.
    static const std::array<QColor, kPaletteSize> &palette();

    PresentationOverlayMode mode() const { return m_mode; }
    void setMode(PresentationOverlayMode mode) { m_mode = mode; }
    int colorIndex() const { return m_colorIndex; }
    QColor currentColor() const { return palette()[static_cast<std::size_t>(m_colorIndex)]; }
    bool dimBackdrop() const { return m_dimBackdrop; }
    int nextStampNumber() const { return m_nextStampNumber; }
    const std::vector<TimedPoint> &laserTrail() const { return m_laserTrail; }
    const std::vector<AnnotationItem> &annotations() const { return m_annotations; }
    const std::vector<QPointF> &currentPenStroke() const { return m_currentPenStroke; }
    std::optional<QPointF> dragStart() const { return m_dragStart; }
    QPointF cursorLocation() const { return m_cursorLocation; }
    double now() const { return m_clock(); }
    // Moves on whenever the annotations or the dimming change, so a view can keep what they paint.
    std::uint64_t drawingRevision() const { return m_drawingRevision; }

    // Called for Escape, and for nothing else.
    std::function<void()> onEscape;

    bool mouseDown(QPointF point);
    bool mouseDragged(QPointF point);
    bool mouseUp(QPointF point);
    // Redraws only in spotlight mode.
    bool mouseMoved(QPointF point);
    // A key by its Qt key code without modifiers (Shift-L is Qt::Key_L; keypad digits are the digit
    // keys). Escape calls onEscape; the tool, colour, dimming, undo and clear keys act; every other
    // key is swallowed. True when the canvas needs a redraw.
    bool keyPressed(int key);

    // Empties the trail, the annotations and the stroke in progress, ends a drag and starts the stamps
    // at 1 again; the tool, the colour and the dimming stay.
    void clearStrokes();
    // Drops trail points older than the trail's life at `now` (one exactly that old stays). False, with
    // nothing done, when the trail is empty.
    bool tickFade(double now);

    // The rectangle two corners span, whichever way the drag went.
    static QRectF spannedRect(QPointF a, QPointF b);
    // The area the trail covers, widened by its widest stroke; empty without a trail.
    QRectF trailBounds() const;

private:
    // Keeps a finished drawing; only this changes the kept layer, so only this raises the revision.
    void addAnnotation(AnnotationItem item);

    Clock m_clock;
    PresentationOverlayMode m_mode;
    int m_colorIndex = 0;
    bool m_dimBackdrop = false;
    int m_nextStampNumber = 1;
    std::vector<TimedPoint> m_laserTrail;
    std::vector<AnnotationItem> m_annotations;
    std::vector<QPointF> m_currentPenStroke;
    std::optional<QPointF> m_dragStart;
    QPointF m_cursorLocation;
    std::uint64_t m_drawingRevision = 0;
};

#pragma once

#include "ZunoFloatingPanelWindowHints.h"

#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include <functional>

class QWindow;

// A floating tool panel that the user drags by any part of its content that is not an interactive
// control. A press starts tracking; after 4 px of movement the panel follows the pointer by the whole
// offset and the content sees no more of that drag; the release after a drag reaches the content far
// outside every control, so nothing under the pointer is clicked. Escape, losing the focus and hiding
// abandon a started drag. Shown without taking the focus; a never-focus panel never takes it at all.
// Main thread only.
class ZunoDraggableFloatingPanel : public QWidget {
public:
    explicit ZunoDraggableFloatingPanel(QWidget *parent = nullptr,
        ZunoFloatingPanelWindowHints::Focus focus = ZunoFloatingPanelWindowHints::Focus::acceptsFocus);
    ~ZunoDraggableFloatingPanel() override;

    std::function<void()> onEscapePressed;
    // The panel started moving; its frame after the first move.
    std::function<void(const QRect &)> onDragBegan;
    // Its frame after every move, the first included.
    std::function<void(const QRect &)> onDragMoved;
    // The final top-left corner.
    std::function<void(const QPoint &)> onDragEnded;
    // A started drag was abandoned.
    std::function<void()> onDragCancelled;
    // The pointer in global coordinates; replaceable. By default the position of the mouse event being
    // handled: asking the X server instead would race with events still queued (a fast drag whose
    // press is handled late would start from where the pointer already is).
    std::function<QPoint()> screenMouseLocationProvider;

    // Masks the panel to its continuous rounded shape while nothing composites (see
    // ZunoFloatingPanelWindowHints::applyShape). Call after each resize.
    void applyRoundedShape(qreal radius);

    // Where a release after a drag is delivered, in window coordinates.
    static constexpr QPoint kSyntheticReleasePosition { -10000, -10000 };

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    // Sees every mouse event of the window before its widgets do.
    bool filterWindowEvent(QWindow *window, QEvent *event);
    void resetDragState(bool notifyCancelled);
    bool isInteractiveControlThatTracksDrag(QWidget *hit) const;

    QPointer<QWindow> m_filteredWindow;
    bool m_trackingPotentialDrag = false;
    bool m_didStartDragging = false;
    bool m_pushedClosedHandCursor = false;
    bool m_deliveringSyntheticRelease = false;
    QPoint m_eventScreenPoint;
    QPoint m_dragStartScreenPoint;
    QPoint m_dragStartWindowOrigin;
};

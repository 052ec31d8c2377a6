#pragma once

#include "ZunoCustomDragTrackingView.h"

#include <QPoint>
#include <QWidget>

#include <functional>

// A handle that tells its owner when the pointer has been dragged out of the host window and where it
// was dropped outside. Dragging starts after 8 px; "outside" means beyond the window's frame grown by
// 4 px. A panel never moves by a drag that starts on it. Main thread only.
class ZunoTearOffDragRegion : public QWidget, public ZunoCustomDragTrackingView {
public:
    explicit ZunoTearOffDragRegion(QWidget *parent = nullptr);
    ~ZunoTearOffDragRegion() override;

    // True when the pointer left the host window, false when it came back (or the drag ended outside).
    std::function<void(bool)> onTearOffStateChanged;
    // The global position of a release outside the host window.
    std::function<void(const QPoint &)> onTearOffDropped;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool m_isTracking = false;
    bool m_isOutsideHost = false;
    QPoint m_startScreenPoint;
    bool m_pushedCursor = false;
};

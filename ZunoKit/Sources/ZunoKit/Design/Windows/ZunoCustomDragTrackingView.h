#pragma once

// Marks a widget that tracks drags itself: a draggable floating panel never starts moving from a
// mouse press on it or inside it. Inherit it beside QWidget.
class ZunoCustomDragTrackingView {
public:
    virtual ~ZunoCustomDragTrackingView() = default;
};

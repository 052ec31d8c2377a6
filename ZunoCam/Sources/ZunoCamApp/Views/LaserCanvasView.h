#pragma once

#include "LaserCanvasState.h"

#include <QImage>
#include <QTimer>
#include <QWidget>

// The presentation canvas as a widget: forwards the pointer (moves without a button too) and the keys
// to its state, paints it over an optional frozen backdrop, and runs the 60 Hz trail fade while shown.
// While only the trail changes, just the area the trail covered and covers is repainted. Main thread
// only.
class LaserCanvasView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kFadeIntervalMs = 1000 / 60;

    // `clock` in seconds, monotonic; by default the time since the view was made.
    explicit LaserCanvasView(
        PresentationOverlayMode mode, LaserCanvasState::Clock clock = {}, QWidget *parent = nullptr);

    LaserCanvasState &state() { return m_state; }
    const LaserCanvasState &state() const { return m_state; }
    void setMode(PresentationOverlayMode mode);
    // A picture of the screen painted under the drawing (where nothing composites); null for none.
    void setBackdrop(const QImage &backdrop);
    const QImage &backdrop() const { return m_backdrop; }
    bool isFading() const { return m_fadeTimer.isActive(); }

    // The timer's step, also for tests on a virtual clock.
    void tickFade();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void repaintAfter(bool needed, const QRectF &trailBefore);

    LaserCanvasState m_state;
    QImage m_backdrop;
    QTimer m_fadeTimer;
};

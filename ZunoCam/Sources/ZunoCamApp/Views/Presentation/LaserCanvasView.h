#pragma once

#include "LaserCanvasState.h"

#include <QImage>
#include <QTimer>
#include <QWidget>

// The presentation canvas as a widget: forwards the pointer (moves without a button too) and the keys
// to its state, paints it over an optional frozen backdrop, and runs the 60 Hz trail fade while shown.
// The backdrop, the dimming and the drawings are kept in a layer that is composed again only when
// they change; while only the trail or the spotlight moves, just the area it covered and covers is
// repainted over that layer. Main thread only.
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
    // How often the kept layer was composed (for tests).
    int layerCompositions() const { return m_layerCompositions; }

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
    struct LayerKey {
        QSize pixels;
        qreal ratio = 0;
        qint64 backdrop = 0;
        std::uint64_t drawing = 0;
        bool spotlight = false;
        bool operator==(const LayerKey &) const = default;
    };

    void repaintAfter(bool needed, const QRectF &trailBefore);
    void repaintSpotlight(QPointF cursorBefore);
    bool isSpotlight() const;
    void ensureLayer();

    LaserCanvasState m_state;
    QImage m_backdrop;
    QTimer m_fadeTimer;
    QImage m_layer;
    QImage m_frame; // the layer with what moves over it, as last painted
    LayerKey m_layerKey;
    int m_layerCompositions = 0;
};

#include "LaserCanvasView.h"

#include "LaserCanvasDrawing.h"

#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>

#include <memory>

namespace {

LaserCanvasState::Clock elapsedClock()
{
    auto timer = std::make_shared<QElapsedTimer>();
    timer->start();
    return [timer] { return static_cast<double>(timer->nsecsElapsed()) / 1e9; };
}

} // namespace

LaserCanvasView::LaserCanvasView(PresentationOverlayMode mode, LaserCanvasState::Clock clock, QWidget *parent)
    : QWidget(parent)
    , m_state(clock ? std::move(clock) : elapsedClock(), mode)
{
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_TranslucentBackground);
    m_fadeTimer.setTimerType(Qt::PreciseTimer);
    m_fadeTimer.setInterval(kFadeIntervalMs);
    connect(&m_fadeTimer, &QTimer::timeout, this, &LaserCanvasView::tickFade);
}

void LaserCanvasView::setMode(PresentationOverlayMode mode)
{
    m_state.setMode(mode);
    update();
}

void LaserCanvasView::setBackdrop(const QImage &backdrop)
{
    m_backdrop = backdrop;
    update();
}

void LaserCanvasView::tickFade()
{
    const QRectF before = m_state.trailBounds();
    repaintAfter(m_state.tickFade(m_state.now()), before);
}

void LaserCanvasView::repaintAfter(bool needed, const QRectF &trailBefore)
{
    if (!needed)
        return;
    // Only the trail moved: its old and new area are enough (the spotlight follows the pointer and
    // everything else changes more than the trail).
    const QRectF after = m_state.trailBounds();
    if (m_state.mode() == PresentationOverlayMode::fadingLaser && !m_state.dragStart()
        && m_state.currentPenStroke().empty())
        update(trailBefore.united(after).toAlignedRect());
    else
        update();
}

bool LaserCanvasView::isSpotlight() const
{
    return m_state.mode() == PresentationOverlayMode::cursorSpotlight;
}

void LaserCanvasView::ensureLayer()
{
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * ratio).toSize();
    const LayerKey key { pixels, ratio, m_backdrop.isNull() ? 0 : m_backdrop.cacheKey(),
        m_state.drawingRevision(), isSpotlight() };
    if (!m_layer.isNull() && key == m_layerKey)
        return;
    m_layerKey = key;
    if (m_layer.size() != pixels)
        m_layer = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    m_layer.setDevicePixelRatio(ratio);
    ++m_layerCompositions;
    QPainter painter(&m_layer);
    LaserCanvasDrawing::onOneThread(painter, [&] {
        LaserCanvasDrawing::paintBackground(
            m_state, painter, QRectF(rect()), m_backdrop.isNull() ? nullptr : &m_backdrop);
        // Under the spotlight's shade nothing more is kept: the drawings lie on top of it.
        if (!isSpotlight())
            LaserCanvasDrawing::paintAnnotations(m_state, painter);
    });
}

void LaserCanvasView::paintEvent(QPaintEvent *event)
{
    ensureLayer();
    if (m_frame.size() != m_layer.size())
        m_frame = QImage(m_layer.size(), QImage::Format_ARGB32_Premultiplied);
    m_frame.setDevicePixelRatio(m_layer.devicePixelRatio());
    // The kept layer, then what moves, painted only where asked into a frame image (on one thread,
    // see onOneThread): the same pixels as painting the whole canvas, at the cost of the changed area.
    const QRegion region = event->region();
    const QRectF area(event->rect());
    {
        QPainter frame(&m_frame);
        frame.setClipRegion(region);
        LaserCanvasDrawing::onOneThread(frame, [&] {
            frame.setCompositionMode(QPainter::CompositionMode_Source);
            frame.drawImage(QPointF(0, 0), m_layer);
            frame.setCompositionMode(QPainter::CompositionMode_SourceOver);
            if (isSpotlight()) {
                LaserCanvasDrawing::paintSpotlight(m_state, frame, QRectF(rect()));
                LaserCanvasDrawing::paintAnnotations(m_state, frame, &area);
            }
            LaserCanvasDrawing::paintLive(m_state, frame, QRectF(rect()), m_state.now(), &area);
        });
    }
    // Copied rectangle by rectangle: an unclipped copy is a plain blit.
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    const qreal ratio = m_frame.devicePixelRatio();
    for (const QRect &part : region)
        painter.drawImage(
            QRectF(part), m_frame, QRectF(QPointF(part.topLeft()) * ratio, QSizeF(part.size()) * ratio));
}

void LaserCanvasView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_state.mouseDown(event->position());
    update();
}

void LaserCanvasView::mouseMoveEvent(QMouseEvent *event)
{
    const QRectF before = m_state.trailBounds();
    const QPointF cursorBefore = m_state.cursorLocation();
    if (event->buttons() & Qt::LeftButton) {
        const bool laser = m_state.mode() == PresentationOverlayMode::fadingLaser;
        m_state.mouseDragged(event->position());
        if (laser)
            repaintAfter(true, before);
        else if (isSpotlight())
            repaintSpotlight(cursorBefore);
        else
            update();
    } else if (m_state.mouseMoved(event->position())) {
        if (isSpotlight())
            repaintSpotlight(cursorBefore);
        else
            update();
    }
}

void LaserCanvasView::repaintSpotlight(QPointF cursorBefore)
{
    // Only the shade's hole and ring moved: their old and new areas are enough.
    QRegion area(LaserCanvasDrawing::spotlightBounds(cursorBefore).toAlignedRect());
    area += LaserCanvasDrawing::spotlightBounds(m_state.cursorLocation()).toAlignedRect();
    update(area);
}

void LaserCanvasView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_state.mouseUp(event->position());
    update();
}

void LaserCanvasView::keyPressEvent(QKeyEvent *event)
{
    // Every key stops here: unmatched ones are swallowed.
    event->accept();
    if (m_state.keyPressed(event->key()))
        update();
}

void LaserCanvasView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_fadeTimer.start();
}

void LaserCanvasView::hideEvent(QHideEvent *event)
{
    m_fadeTimer.stop();
    QWidget::hideEvent(event);
}

#include "LaserCanvasView.h"

#include "LaserCanvasDrawing.h"

#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

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

void LaserCanvasView::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.setClipRect(event->rect());
    LaserCanvasDrawing::paint(
        m_state, painter, QRectF(rect()), m_state.now(), m_backdrop.isNull() ? nullptr : &m_backdrop);
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
    if (event->buttons() & Qt::LeftButton) {
        const bool laser = m_state.mode() == PresentationOverlayMode::fadingLaser;
        m_state.mouseDragged(event->position());
        if (laser)
            repaintAfter(true, before);
        else
            update();
    } else if (m_state.mouseMoved(event->position())) {
        update();
    }
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

#include "ZunoTearOffDragRegion.h"

#include <QGuiApplication>
#include <QMouseEvent>

#include <cmath>

namespace {

constexpr double kTearOffThreshold = 8.0;
constexpr int kHostMargin = 4;

} // namespace

ZunoTearOffDragRegion::ZunoTearOffDragRegion(QWidget *parent)
    : QWidget(parent)
{
    setCursor(Qt::OpenHandCursor);
}

ZunoTearOffDragRegion::~ZunoTearOffDragRegion()
{
    if (m_pushedCursor)
        QGuiApplication::restoreOverrideCursor();
}

void ZunoTearOffDragRegion::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_isTracking = true;
    m_isOutsideHost = false;
    m_startScreenPoint = event->globalPosition().toPoint();
    event->accept();
}

void ZunoTearOffDragRegion::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
    if (!m_isTracking || !window())
        return;
    const QPoint point = event->globalPosition().toPoint();
    const QPoint travelled = point - m_startScreenPoint;
    if (std::hypot(travelled.x(), travelled.y()) < kTearOffThreshold)
        return;
    if (!m_pushedCursor) {
        QGuiApplication::setOverrideCursor(Qt::ClosedHandCursor);
        m_pushedCursor = true;
    }
    const QRectF host
        = QRectF(window()->frameGeometry()).adjusted(-kHostMargin, -kHostMargin, kHostMargin, kHostMargin);
    const bool outside = !host.contains(QPointF(point));
    if (outside != m_isOutsideHost) {
        m_isOutsideHost = outside;
        if (onTearOffStateChanged)
            onTearOffStateChanged(outside);
    }
}

void ZunoTearOffDragRegion::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    if (!m_isTracking || event->button() != Qt::LeftButton)
        return;
    const bool wasOutside = m_isOutsideHost;
    const QPoint point = event->globalPosition().toPoint();
    m_isTracking = false;
    if (wasOutside) {
        m_isOutsideHost = false;
        if (onTearOffStateChanged)
            onTearOffStateChanged(false);
    }
    if (m_pushedCursor) {
        QGuiApplication::restoreOverrideCursor();
        m_pushedCursor = false;
    }
    if (wasOutside && onTearOffDropped)
        onTearOffDropped(point);
}

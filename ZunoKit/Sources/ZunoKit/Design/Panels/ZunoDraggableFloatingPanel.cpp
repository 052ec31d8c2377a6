#include "ZunoDraggableFloatingPanel.h"

#include "ZunoContinuousShape.h"
#include "ZunoCustomDragTrackingView.h"
#include "ZunoFloatingPanelWindowHints.h"

#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QWindow>

#include <cmath>

namespace {

constexpr double kDragThreshold = 4.0;

} // namespace

ZunoDraggableFloatingPanel::ZunoDraggableFloatingPanel(
    QWidget *parent, ZunoFloatingPanelWindowHints::Focus focus)
    : QWidget(parent)
    , screenMouseLocationProvider([this] { return m_eventScreenPoint; })
    , m_eventScreenPoint(QCursor::pos())
{
    ZunoFloatingPanelWindowHints::configure(this, focus);
}

ZunoDraggableFloatingPanel::~ZunoDraggableFloatingPanel()
{
    if (m_pushedClosedHandCursor)
        QGuiApplication::restoreOverrideCursor();
}

void ZunoDraggableFloatingPanel::applyRoundedShape(qreal radius)
{
    ZunoFloatingPanelWindowHints::applyShape(this, ZunoContinuousShape::roundedRect(QRectF(rect()), radius));
}

void ZunoDraggableFloatingPanel::showEvent(QShowEvent *event)
{
    // The native window exists now (it may have been recreated); watch the one in use.
    if (QWindow *window = windowHandle(); window && window != m_filteredWindow) {
        if (m_filteredWindow)
            m_filteredWindow->removeEventFilter(this);
        window->installEventFilter(this);
        m_filteredWindow = window;
    }
    ZunoFloatingPanelWindowHints::applyNativeHints(this);
    QWidget::showEvent(event);
}

void ZunoDraggableFloatingPanel::hideEvent(QHideEvent *event)
{
    resetDragState(true);
    QWidget::hideEvent(event);
}

void ZunoDraggableFloatingPanel::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        resetDragState(true);
        if (onEscapePressed)
            onEscapePressed();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void ZunoDraggableFloatingPanel::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::ActivationChange && !isActiveWindow())
        resetDragState(true);
    QWidget::changeEvent(event);
}

bool ZunoDraggableFloatingPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_filteredWindow && !m_deliveringSyntheticRelease)
        return filterWindowEvent(m_filteredWindow, event);
    return QWidget::eventFilter(watched, event);
}

bool ZunoDraggableFloatingPanel::filterWindowEvent(QWindow *window, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove && type != QEvent::MouseButtonRelease)
        return false;
    auto *mouse = static_cast<QMouseEvent *>(event);
    m_eventScreenPoint = mouse->globalPosition().toPoint();

    if (type == QEvent::MouseButtonPress) {
        if (mouse->button() != Qt::LeftButton)
            return false;
        resetDragState(false);
        QWidget *hit = childAt(mouse->position().toPoint());
        if (isInteractiveControlThatTracksDrag(hit))
            return false;
        m_trackingPotentialDrag = true;
        m_dragStartScreenPoint = screenMouseLocationProvider();
        m_dragStartWindowOrigin = pos();
        return false;
    }

    if (type == QEvent::MouseMove) {
        if (!m_trackingPotentialDrag || !(mouse->buttons() & Qt::LeftButton))
            return false;
        const QPoint offset = screenMouseLocationProvider() - m_dragStartScreenPoint;
        if (m_didStartDragging) {
            move(m_dragStartWindowOrigin + offset);
            if (onDragMoved)
                onDragMoved(frameGeometry());
            return true;
        }
        if (std::hypot(offset.x(), offset.y()) < kDragThreshold)
            return false; // small movements still belong to the content
        m_didStartDragging = true;
        if (!m_pushedClosedHandCursor) {
            QGuiApplication::setOverrideCursor(Qt::ClosedHandCursor);
            m_pushedClosedHandCursor = true;
        }
        move(m_dragStartWindowOrigin + offset);
        if (onDragBegan)
            onDragBegan(frameGeometry());
        if (onDragMoved)
            onDragMoved(frameGeometry());
        return true;
    }

    // Release.
    if (mouse->button() != Qt::LeftButton)
        return false;
    if (!m_didStartDragging) {
        m_trackingPotentialDrag = false;
        return false;
    }
    const QPoint origin = pos();
    m_trackingPotentialDrag = false;
    m_didStartDragging = false;
    if (m_pushedClosedHandCursor) {
        QGuiApplication::restoreOverrideCursor();
        m_pushedClosedHandCursor = false;
    }
    // The content gets its release far away from every control, so the press that started the drag
    // does not end as a click.
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(kSyntheticReleasePosition),
        QPointF(window->mapToGlobal(kSyntheticReleasePosition)), Qt::LeftButton, Qt::NoButton,
        mouse->modifiers(), mouse->pointingDevice());
    release.setTimestamp(mouse->timestamp());
    m_deliveringSyntheticRelease = true;
    QCoreApplication::sendEvent(window, &release);
    m_deliveringSyntheticRelease = false;
    if (onDragEnded)
        onDragEnded(origin);
    return true;
}

void ZunoDraggableFloatingPanel::resetDragState(bool notifyCancelled)
{
    const bool wasDragging = m_didStartDragging;
    m_trackingPotentialDrag = false;
    m_didStartDragging = false;
    if (m_pushedClosedHandCursor) {
        QGuiApplication::restoreOverrideCursor();
        m_pushedClosedHandCursor = false;
    }
    if (wasDragging && notifyCancelled && onDragCancelled)
        onDragCancelled();
}

bool ZunoDraggableFloatingPanel::isInteractiveControlThatTracksDrag(QWidget *hit) const
{
    for (QWidget *widget = hit; widget; widget = widget->parentWidget()) {
        if (qobject_cast<QLineEdit *>(widget) || qobject_cast<QTextEdit *>(widget)
            || qobject_cast<QPlainTextEdit *>(widget) || qobject_cast<QAbstractSpinBox *>(widget)
            || qobject_cast<QAbstractSlider *>(widget) || dynamic_cast<ZunoCustomDragTrackingView *>(widget))
            return true;
        if (widget == this)
            break;
    }
    return false;
}

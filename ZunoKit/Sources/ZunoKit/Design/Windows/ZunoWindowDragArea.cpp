#include "ZunoWindowDragArea.h"

#include "ZunoDesktopWindowPreferences.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWindow>

ZunoWindowDragArea::ZunoWindowDragArea(QWidget *parent)
    : QWidget(parent)
{
}

QString ZunoWindowDragArea::doubleClickAction() const
{
    return m_doubleClickAction.isEmpty() ? ZunoDesktopWindowPreferences::doubleClickAction()
                                         : m_doubleClickAction;
}

void ZunoWindowDragArea::performDoubleClickAction()
{
    QWidget *w = window();
    const QString action = doubleClickAction();
    if (action == QLatin1String("minimize"))
        w->showMinimized();
    else if (action == QLatin1String("none"))
        return;
    else if (w->isMaximized())
        w->showNormal();
    else
        w->showMaximized();
}

void ZunoWindowDragArea::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_pressed = true;
    m_movingByHand = false;
    m_pressGlobal = event->globalPosition().toPoint();
    m_windowOrigin = window()->pos();
    event->accept();
}

void ZunoWindowDragArea::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_pressed || !(event->buttons() & Qt::LeftButton)) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    const QPoint delta = event->globalPosition().toPoint() - m_pressGlobal;
    if (m_movingByHand) {
        window()->move(m_windowOrigin + delta);
        return;
    }
    // The move starts once the pointer leaves the drag distance, so that a double click is never
    // taken for a drag; the window manager then owns the pointer until release.
    if (delta.manhattanLength() < QApplication::startDragDistance())
        return;
    QWindow *handle = window()->windowHandle();
    if (handle && handle->startSystemMove()) {
        m_pressed = false;
        return;
    }
    m_movingByHand = true;
    window()->move(m_windowOrigin + delta);
}

void ZunoWindowDragArea::mouseReleaseEvent(QMouseEvent *event)
{
    m_pressed = false;
    m_movingByHand = false;
    QWidget::mouseReleaseEvent(event);
}

void ZunoWindowDragArea::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseDoubleClickEvent(event);
        return;
    }
    m_pressed = false;
    performDoubleClickAction();
    event->accept();
}

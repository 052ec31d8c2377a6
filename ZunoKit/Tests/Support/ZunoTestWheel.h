#pragma once

#include <QApplication>
#include <QWheelEvent>
#include <QWidget>
#include <QtTest/qtestspontaneevent.h>

// One wheel turn over the middle of `widget` as the window system delivers it: to the widget under
// that point of the window, and spontaneous, so that the application passes an ignored one on to the
// parents. Negative notches turn it towards the user (scrolling down).
inline void zunoWheelOver(QWidget *widget, int notches)
{
    QWidget *window = widget->window();
    const QPoint inWindow = widget->mapTo(window, widget->rect().center());
    QWidget *under = window->childAt(inWindow);
    if (!under)
        under = window;
    const QPointF position = under->mapFrom(window, inWindow);
    QWheelEvent event(position, under->mapToGlobal(position), QPoint(), QPoint(0, 120 * notches),
        Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QSpontaneKeyEvent::setSpontaneous(&event);
    qApp->notify(under, &event);
}

#pragma once

#include <QMouseEvent>
#include <QWidget>

#include <vector>

// Content that records the mouse events it receives, in its own coordinates.
class PanelProbe : public QWidget {
public:
    struct Seen {
        QEvent::Type type;
        QPoint position;
    };
    using QWidget::QWidget;
    std::vector<Seen> seen;

    int count(QEvent::Type type) const
    {
        int n = 0;
        for (const Seen &event : seen)
            n += event.type == type ? 1 : 0;
        return n;
    }

protected:
    void mousePressEvent(QMouseEvent *event) override { record(event); }
    void mouseMoveEvent(QMouseEvent *event) override { record(event); }
    void mouseReleaseEvent(QMouseEvent *event) override { record(event); }

private:
    void record(QMouseEvent *event)
    {
        seen.push_back({ event->type(), event->position().toPoint() });
        event->accept();
    }
};

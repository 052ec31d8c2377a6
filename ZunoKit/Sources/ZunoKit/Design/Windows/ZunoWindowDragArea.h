#pragma once

#include <QPoint>
#include <QWidget>

// A blank stretch of a window without a system title bar that acts like one: dragging it moves the
// window (through the window manager when it can, by hand otherwise) and a double click does what
// the desktop says a title-bar double click does: minimise, nothing, or (every other setting)
// maximise and restore. Children keep their own clicks.
class ZunoWindowDragArea : public QWidget {
    Q_OBJECT
public:
    explicit ZunoWindowDragArea(QWidget *parent = nullptr);

    // The desktop's double-click setting unless one is given here (tests, previews).
    void setDoubleClickAction(const QString &action) { m_doubleClickAction = action; }
    QString doubleClickAction() const;
    // Runs the double-click action on the window.
    void performDoubleClickAction();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    QString m_doubleClickAction;
    QPoint m_pressGlobal;
    QPoint m_windowOrigin;
    bool m_pressed = false;
    bool m_movingByHand = false;
};

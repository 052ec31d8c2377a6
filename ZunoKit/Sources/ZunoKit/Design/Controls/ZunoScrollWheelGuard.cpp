#include "ZunoScrollWheelGuard.h"

#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QEvent>
#include <QScrollBar>
#include <QWidget>

namespace {

constexpr char kGuardedProperty[] = "zunoScrollWheelGuarded";

// A control whose value the wheel would change. A scroll bar is not one: it scrolls the list or text it
// belongs to, which the pointer is over, and passes the wheel on by itself once that is at its end.
bool isValueControl(const QWidget *widget)
{
    if (qobject_cast<const QScrollBar *>(widget))
        return false;
    return qobject_cast<const QAbstractSlider *>(widget) || qobject_cast<const QComboBox *>(widget)
        || qobject_cast<const QAbstractSpinBox *>(widget);
}

class WheelFilter : public QObject {
public:
    static WheelFilter *instance()
    {
        static WheelFilter *filter = new WheelFilter;
        return filter;
    }

    void guard(QWidget *widget)
    {
        if (widget->property(kGuardedProperty).toBool())
            return;
        widget->setProperty(kGuardedProperty, true);
        widget->installEventFilter(this);
        if (isValueControl(widget)) {
            if (widget->focusPolicy() == Qt::WheelFocus)
                widget->setFocusPolicy(Qt::StrongFocus);
            return; // a control's own parts (a combo box's line edit) need no guard
        }
        for (QObject *child : widget->children()) {
            if (child->isWidgetType())
                guard(static_cast<QWidget *>(child));
        }
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *widget = static_cast<QWidget *>(watched);
        switch (event->type()) {
        case QEvent::ChildPolished: {
            // A child is fully built by the time it is polished.
            QObject *child = static_cast<QChildEvent *>(event)->child();
            if (child->isWidgetType() && !isValueControl(widget))
                guard(static_cast<QWidget *>(child));
            break;
        }
        case QEvent::Wheel:
            if (isValueControl(widget) && !widget->hasFocus()) {
                // Ignored and filtered: the application passes it on to the parents, up to the scroll area.
                event->ignore();
                return true;
            }
            break;
        default:
            break;
        }
        return false;
    }
};

} // namespace

void ZunoScrollWheelGuard::install(QWidget *root)
{
    WheelFilter::instance()->guard(root);
}

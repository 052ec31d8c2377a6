#include "ZunoFocusRing.h"

#include "ZunoContinuousShape.h"
#include "ZunoGlassTokens.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFocusEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPointer>
#include <QWidget>

namespace {

constexpr const char *kKeyboardFocusProperty = "_zunoKeyboardFocus";

// One filter object for every tracked widget: it records on each focus-in whether the keyboard
// brought it. Reactivating the window or closing a popup keeps what the widget had.
class FocusReasonTracker final : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::FocusIn) {
            switch (static_cast<QFocusEvent *>(event)->reason()) {
            case Qt::TabFocusReason:
            case Qt::BacktabFocusReason:
            case Qt::ShortcutFocusReason:
                watched->setProperty(kKeyboardFocusProperty, true);
                break;
            case Qt::ActiveWindowFocusReason:
            case Qt::PopupFocusReason:
                break;
            default:
                watched->setProperty(kKeyboardFocusProperty, false);
                break;
            }
        } else if (event->type() == QEvent::MouseButtonPress) {
            // A click on a control that already has the keyboard's focus hides its ring.
            watched->setProperty(kKeyboardFocusProperty, false);
        }
        return false;
    }
};

// Lives with the application object, and is made again for a later one.
FocusReasonTracker *tracker()
{
    static QPointer<FocusReasonTracker> instance;
    if (!instance)
        instance = new FocusReasonTracker(QCoreApplication::instance());
    return instance;
}

QColor ringColor()
{
    return ZunoGlassTokens::accentViolet();
}

} // namespace

namespace ZunoFocusRing {

void track(QWidget *widget)
{
    if (widget)
        widget->installEventFilter(tracker());
}

bool isVisible(const QWidget *widget)
{
    return widget && widget->hasFocus() && widget->property(kKeyboardFocusProperty).toBool();
}

void paint(QPainter &painter, const QRectF &rect, qreal radius)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    ZunoContinuousShape::strokeBorder(painter, rect, radius, ringColor(), kLineWidth);
    painter.restore();
}

void paint(QPainter &painter, const QPainterPath &shape)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(ringColor(), kLineWidth));
    painter.drawPath(shape);
    painter.restore();
}

void paintIfVisible(QPainter &painter, const QWidget *widget, const QRectF &rect, qreal radius)
{
    if (isVisible(widget))
        paint(painter, rect, radius);
}

} // namespace ZunoFocusRing

#include "ZunoFocusRing.h"

#include "ZunoContinuousShape.h"
#include "ZunoGlassTokens.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
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
        } else if (event->type() == QEvent::KeyPress) {
            return pressByReturn(watched, static_cast<QKeyEvent *>(event));
        }
        return false;
    }

private:
    // Return and Enter click a focused button; other widgets keep their own meaning for them.
    static bool pressByReturn(QObject *watched, const QKeyEvent *key)
    {
        auto *button = qobject_cast<QAbstractButton *>(watched);
        const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
        if (!button || (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
            || modifiers != Qt::NoModifier || !button->isEnabled())
            return false;
        if (!key->isAutoRepeat())
            button->click();
        return true;
    }
};

// Lays the ring over a control whose face is a child widget.
class RingOverlay final : public QWidget {
public:
    RingOverlay(QWidget *control, qreal radius)
        : QWidget(control)
        , m_radius(radius)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::NoFocus);
        control->installEventFilter(this);
        setGeometry(control->rect());
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == parent()) {
            if (event->type() == QEvent::Resize)
                setGeometry(parentWidget()->rect());
            else if (event->type() == QEvent::ChildAdded || event->type() == QEvent::Show)
                raise();
            else if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)
                update();
        }
        return false;
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        ZunoFocusRing::paintIfVisible(painter, parentWidget(), rect(), m_radius);
    }

private:
    qreal m_radius;
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

void addOverlay(QWidget *control, qreal radius)
{
    if (control)
        new RingOverlay(control, radius);
}

} // namespace ZunoFocusRing

#pragma once

#include <QColor>
#include <QEasingCurve>
#include <QFont>
#include <QMarginsF>
#include <QRectF>

class QPainter;

// How a button draws its chrome around its label, given how far it is pressed (0 released, 1 pressed;
// in between while a press animates). A style holds no state of its own; `ZunoButton` applies it.
class ZunoButtonStyle {
public:
    virtual ~ZunoButtonStyle() = default;

    virtual QFont font() const = 0;
    virtual QColor foreground() const = 0;
    // Around the label: horizontal, then vertical.
    virtual QMarginsF padding() const = 0;
    // The rounded rectangle that is drawn and that takes clicks.
    virtual qreal cornerRadius() const = 0;
    virtual void paintBackground(QPainter &painter, const QRectF &rect, qreal pressed) const = 0;
    // Scale about the centre, and opacity of the whole button.
    virtual qreal scale(qreal) const { return 1; }
    virtual qreal opacity(qreal) const { return 1; }
    // How long a change of the pressed state animates; 0 follows it at once.
    virtual int pressDurationMs() const { return 0; }
    virtual QEasingCurve pressEasing() const { return QEasingCurve::Linear; }
};

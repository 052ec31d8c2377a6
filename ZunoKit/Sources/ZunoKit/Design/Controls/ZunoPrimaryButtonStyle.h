#pragma once

#include "ZunoButtonStyle.h"

// The prominent button: semibold dark text on a near-white continuous rounded rectangle that dims and
// shrinks slightly while pressed, easing out over 0.12 s.
class ZunoPrimaryButtonStyle : public ZunoButtonStyle {
public:
    static constexpr qreal kCornerRadius = 9;
    static constexpr qreal kFillOpacity = 0.96;
    static constexpr qreal kPressedFillOpacity = 0.82;
    static constexpr qreal kPressedScale = 0.98;
    static constexpr int kPressDurationMs = 120;

    QFont font() const override;
    QColor foreground() const override;
    QMarginsF padding() const override;
    qreal cornerRadius() const override { return kCornerRadius; }
    void paintBackground(QPainter &painter, const QRectF &rect, qreal pressed) const override;
    qreal scale(qreal pressed) const override;
    int pressDurationMs() const override { return kPressDurationMs; }
    QEasingCurve pressEasing() const override;
};

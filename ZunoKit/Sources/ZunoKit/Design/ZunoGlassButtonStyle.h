#pragma once

#include "ZunoButtonStyle.h"

// The secondary button on a glass fill; an active one has the stronger fill and border. While pressed
// the whole button is drawn at 78 % opacity, without animation.
class ZunoGlassButtonStyle : public ZunoButtonStyle {
public:
    static constexpr qreal kCornerRadius = 8;
    static constexpr qreal kPressedOpacity = 0.78;

    explicit ZunoGlassButtonStyle(bool isActive)
        : m_isActive(isActive)
    {
    }

    bool isActive() const { return m_isActive; }

    QFont font() const override;
    QColor foreground() const override;
    QMarginsF padding() const override;
    qreal cornerRadius() const override { return kCornerRadius; }
    void paintBackground(QPainter &painter, const QRectF &rect, qreal pressed) const override;
    qreal opacity(qreal pressed) const override;

private:
    bool m_isActive;
};

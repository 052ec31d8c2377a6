#pragma once

#include "ZunoButtonStyle.h"

#include <optional>

// The secondary button on a glass fill; an active one has the stronger fill and border. While pressed
// the whole button is drawn at 78 % opacity, without animation. The label is 12.5-pixel medium text
// unless the style is given a font of its own (toolbars use the caption font).
class ZunoGlassButtonStyle : public ZunoButtonStyle {
public:
    static constexpr qreal kCornerRadius = 8;
    static constexpr qreal kPressedOpacity = 0.78;

    explicit ZunoGlassButtonStyle(bool isActive, std::optional<QFont> font = std::nullopt)
        : m_isActive(isActive)
        , m_font(std::move(font))
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
    std::optional<QFont> m_font;
};

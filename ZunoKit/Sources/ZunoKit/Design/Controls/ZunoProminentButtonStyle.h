#pragma once

#include "ZunoButtonStyle.h"

// The bordered prominent button: white semibold text on a fill of the tint, rounded 6, drawn darker
// while pressed. `small` is the compact size of menus and popovers (11-pixel text); `regular` is the
// size of a form's main action (callout text, padding 14 x 7).
class ZunoProminentButtonStyle : public ZunoButtonStyle {
public:
    enum class Size { small, regular };

    static constexpr qreal kCornerRadius = 6;
    // How much darker the pressed fill is (QColor::darker factor).
    static constexpr int kPressedDarkness = 125;

    explicit ZunoProminentButtonStyle(const QColor &tint, Size size = Size::regular)
        : m_tint(tint)
        , m_size(size)
    {
    }

    QColor tint() const { return m_tint; }
    Size size() const { return m_size; }

    QFont font() const override;
    QColor foreground() const override;
    QMarginsF padding() const override;
    qreal cornerRadius() const override { return kCornerRadius; }
    void paintBackground(QPainter &painter, const QRectF &rect, qreal pressed) const override;

private:
    QColor m_tint;
    Size m_size;
};

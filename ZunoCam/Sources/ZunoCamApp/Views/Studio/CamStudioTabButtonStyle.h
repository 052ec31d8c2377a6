#pragma once

#include "ZunoButtonStyle.h"

#include <QColor>

// A tab of the studio header: semibold white on the accent at 0.26 with an accent edge at 0.65 while
// selected; medium secondary text on surface1 with the subtle edge otherwise.
class CamStudioTabButtonStyle : public ZunoButtonStyle {
public:
    static constexpr qreal kCornerRadius = 9;
    static constexpr qreal kFontSize = 12.5;
    static constexpr qreal kFillOpacity = 0.26;
    static constexpr qreal kBorderOpacity = 0.65;

    CamStudioTabButtonStyle(const QColor &accent, bool selected)
        : m_accent(accent)
        , m_selected(selected)
    {
    }

    bool isSelected() const { return m_selected; }
    QColor fill() const;
    QColor border() const;

    QFont font() const override;
    QColor foreground() const override;
    QMarginsF padding() const override { return QMarginsF(12, 7, 12, 7); }
    qreal cornerRadius() const override { return kCornerRadius; }
    void paintBackground(QPainter &painter, const QRectF &rect, qreal pressed) const override;

private:
    QColor m_accent;
    bool m_selected;
};

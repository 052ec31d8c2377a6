#pragma once

#include <QPainterPath>
#include <QWidget>

// The rule-of-thirds guide: two vertical and two horizontal dashed lines at the thirds of the space it
// is given, white at 0.28, 1 px, dashes 5 on 5 off; no background, no clicks.
class FramingRuleOfThirdsGridView : public QWidget {
    Q_OBJECT
public:
    static constexpr qreal kOpacity = 0.28;
    static constexpr qreal kDash = 5;

    explicit FramingRuleOfThirdsGridView(QWidget *parent = nullptr);

    // The four segments over a size; empty for a zero-sized area.
    static QPainterPath gridPath(const QSizeF &size);
    // The pen the lines are drawn with.
    static QPen gridPen();

protected:
    void paintEvent(QPaintEvent *event) override;
};

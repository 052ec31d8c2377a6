#pragma once

#include <QColor>
#include <QWidget>

// The thin spend bar of the budget summary: a `surface2` track over the whole width, 5 high, and a fill
// in the tint as wide as the ratio (clamped to 0...1) of the width, at least 4 when the ratio is above 0.
class ZunoCompactProgressBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHeight = 5;
    static constexpr qreal kMinimumFill = 4;

    ZunoCompactProgressBar(double ratio, const QColor &tint, QWidget *parent = nullptr);

    double ratio() const { return m_ratio; }
    QColor tint() const { return m_tint; }
    // The fill's width for a bar of `width`.
    static qreal fillWidth(double ratio, qreal width);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    double m_ratio;
    QColor m_tint;
};

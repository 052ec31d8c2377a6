#pragma once

#include <QColor>
#include <QWidget>

// A titled gauge across the full width: the title (caption 2 bold, secondary) and the value text
// (10.5 semibold monospaced, primary) over a 6-high capsule track with a gradient fill from the tint to
// the tint at 0.55. A fraction above 0 shows at least 4 points; above 1 the full width.
class ZunoGaugeBar : public QWidget {
    Q_OBJECT
public:
    static constexpr qreal kBarHeight = 6;
    static constexpr qreal kMinimumFill = 4;

    explicit ZunoGaugeBar(QWidget *parent = nullptr);

    void setContent(const QString &title, const QString &valueText, double fraction, const QColor &tint);
    QString title() const { return m_title; }
    QString valueText() const { return m_value; }
    QColor tint() const { return m_tint; }

    // The fill's width in a bar of `width`: max(f clamped × width, 4 when f > 0).
    static qreal fillWidth(double fraction, qreal width);
    // The bar's rectangle inside the widget.
    QRectF barRect() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_title;
    QString m_value;
    double m_fraction = 0;
    QColor m_tint;
};

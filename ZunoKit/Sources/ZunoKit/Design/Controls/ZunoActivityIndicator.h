#pragma once

#include <QColor>
#include <QVariantAnimation>
#include <QWidget>

#include <optional>

// The indeterminate spinner of the design: an arc over a faint ring, turning once a second, in
// `textSecondary` unless given another colour. The animation runs only while the spinner is shown.
// Main thread only.
class ZunoActivityIndicator : public QWidget {
    Q_OBJECT
public:
    enum class Size { mini, small };
    static constexpr int kMiniSide = 12;
    static constexpr int kSmallSide = 16;
    static constexpr int kTurnMs = 1000;

    explicit ZunoActivityIndicator(Size size = Size::small, QWidget *parent = nullptr);

    static int side(Size size);

    void setColor(const QColor &color);
    QColor color() const { return m_color; }
    // Where the arc starts, as a fraction of a turn; fixed for pixel tests (the animation then stays
    // stopped). std::nullopt animates again.
    void setFixedPhase(std::optional<double> phase);
    double phase() const;
    bool isAnimating() const;

    QSize sizeHint() const override;

    // Paints the spinner into box at a phase (also for views that draw it themselves).
    static void paint(QPainter &painter, const QRectF &box, const QColor &color, double phase);

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void updateAnimation();

    Size m_size;
    QColor m_color;
    std::optional<double> m_fixedPhase;
    QVariantAnimation m_animation;
};

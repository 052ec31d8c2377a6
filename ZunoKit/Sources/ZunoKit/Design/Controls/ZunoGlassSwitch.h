#pragma once

#include <QAbstractButton>
#include <QColor>

// The design system's on/off control: a glass check box with its label. Off, the box is a translucent
// surface with a subtle edge; on, it fills with the accent and shows a white check mark. Hovering
// brightens the edge; a disabled switch is dimmed. The label wraps onto more lines instead of being
// cut, so the control reports its height for a width. It draws the keyboard focus ring around the box
// and follows the layout direction. Main thread only.
class ZunoGlassSwitch : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr qreal kBoxSide = 16;
    static constexpr qreal kBoxRadius = 4.5;
    static constexpr int kSpacing = 8;
    static constexpr qreal kFontSize = 12.5;

    explicit ZunoGlassSwitch(const QString &text = {}, QWidget *parent = nullptr);

    QColor accent() const { return m_accent; }
    void setAccent(const QColor &accent);
    QColor textColor() const { return m_textColor; }
    void setTextColor(const QColor &color);

    // The box in widget coordinates.
    QRectF boxRect() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    bool hitButton(const QPoint &position) const override;
    void changeEvent(QEvent *event) override;

private:
    int textWidthFor(int width) const;
    QRect textRect() const;

    QColor m_accent;
    QColor m_textColor;
};

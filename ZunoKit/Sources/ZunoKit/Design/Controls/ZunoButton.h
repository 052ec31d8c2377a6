#pragma once

#include "ZunoButtonStyle.h"

#include <QAbstractButton>

#include <memory>
#include <optional>

class QVariantAnimation;

// A button drawn by a `ZunoButtonStyle` (primary or glass): a label of an optional leading symbol and
// a one-line text (with an optional smaller detail line under it), inside the style's padding and chrome.
// Only the style's rounded rectangle takes clicks. A text that does not fit is cut short with an ellipsis.
// While busy the design's mini spinner
// (`ZunoActivityIndicator`) stands where the symbol would; a disabled button is drawn at half opacity.
class ZunoButton : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr qreal kLabelSpacing = 6;
    static constexpr qreal kDisabledOpacity = 0.5;
    static constexpr qreal kDetailSpacing = 1;

    ZunoButton(const QString &text, std::shared_ptr<const ZunoButtonStyle> style, QWidget *parent = nullptr);

    const ZunoButtonStyle &buttonStyle() const { return *m_style; }
    void setButtonStyle(std::shared_ptr<const ZunoButtonStyle> style);

    // A symbol name of `ZunoSymbolRegistry`; empty for a text-only label.
    QString symbol() const { return m_symbol; }
    void setSymbol(const QString &name);
    // The symbol takes the label's colour unless it is given its own.
    void setSymbolColor(std::optional<QColor> color);

    // A second, smaller line under the text (a shortcut), in the label's colour, dimmed; empty for none.
    QString detail() const { return m_detail; }
    void setDetail(const QString &detail);
    // Where the label sits in a button wider than it: centred (the default) or leading.
    Qt::Alignment labelAlignment() const { return m_labelAlignment; }
    void setLabelAlignment(Qt::Alignment alignment);
    // True while the button is too narrow for its label, so that the text is drawn cut short.
    bool isTextElided() const;

    // Shows the spinning indicator in the symbol's place.
    bool isBusy() const { return m_busy; }
    void setBusy(bool busy);

    // How far the button is drawn pressed: 0 released, 1 pressed, in between while animating.
    qreal pressProgress() const { return m_pressProgress; }
    // The running press animation (for observers); it only runs for styles that animate.
    const QVariantAnimation *pressAnimation() const { return m_animation; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    bool hitButton(const QPoint &pos) const override;
    void changeEvent(QEvent *event) override;

private:
    QSizeF labelSize() const;
    QFont detailFont() const;
    void followPressedState();
    void paintButton(QPainter &painter) const;

    std::shared_ptr<const ZunoButtonStyle> m_style;
    QString m_symbol;
    QString m_detail;
    Qt::Alignment m_labelAlignment = Qt::AlignHCenter;
    std::optional<QColor> m_symbolColor;
    qreal m_pressProgress = 0;
    bool m_drawnDown = false;
    QVariantAnimation *m_animation;
    bool m_busy = false;
    qreal m_spinAngle = 0;
    QVariantAnimation *m_spin = nullptr;
};

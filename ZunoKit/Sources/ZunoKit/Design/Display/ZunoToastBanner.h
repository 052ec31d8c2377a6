#pragma once

#include <QImage>
#include <QWidget>

// The transient message capsule: a success check mark or a warning triangle beside the message, on a
// near-black capsule with a subtle border and a soft shadow. The message is shown as given, never
// translated here. It has no timer: the caller shows and removes it. The widget keeps a transparent
// margin around the capsule for the shadow (`capsuleRect()`); the caller places it accordingly.
class ZunoToastBanner : public QWidget {
    Q_OBJECT
public:
    static constexpr qreal kSpacing = 8;
    static constexpr qreal kHorizontalPadding = 16;
    static constexpr qreal kVerticalPadding = 10;
    static constexpr qreal kFillOpacity = 0.84;
    static constexpr qreal kShadowOpacity = 0.35;
    static constexpr qreal kShadowRadius = 12;
    static constexpr qreal kShadowOffsetY = 4;

    ZunoToastBanner(const QString &message, bool isError, QWidget *parent = nullptr);

    QString message() const { return m_message; }
    bool isError() const { return m_isError; }
    // "exclamationmark.triangle.fill" or "checkmark.circle.fill".
    QString symbolName() const;
    QColor symbolColor() const;

    // The capsule inside the widget, without the shadow's margin.
    QRectF capsuleRect() const;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QSizeF capsuleSize() const;
    QMargins shadowMargins() const;
    const QImage &shadow();

    QString m_message;
    bool m_isError;
    QImage m_shadow;
};

#pragma once

#include "ZunoToastBanner.h"

#include <QPointer>
#include <QVariantAnimation>
#include <QWidget>

#include <optional>

// The studio's toast: the banner's capsule centred 22 px above the bottom edge of the parent, arriving
// and leaving with a slide from below and a fade (0.2 s, ease in and out); a new message while one
// shows replaces it in place with a fade. Clicks pass through to what lies beneath. The layer covers
// its parent; the caller keeps it on top and sized.
class CamStudioToastLayer : public QWidget {
    Q_OBJECT
public:
    static constexpr int kBottomPadding = 22;
    static constexpr int kDurationMs = 200;

    explicit CamStudioToastLayer(QWidget *parent);

    // None removes the banner (animated).
    void setToast(const std::optional<QString> &message, bool isError);

    // The banner shown or leaving; null when none.
    ZunoToastBanner *banner() const { return m_banner; }
    // Where the banner rests when shown.
    QRect restingGeometry(const ZunoToastBanner *banner) const;
    // The running animation, for observers; null when idle.
    QVariantAnimation *animation() const { return m_animation; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    ZunoToastBanner *makeBanner(const QString &message, bool isError);
    // 0 out of sight below the edge and transparent, 1 resting and opaque.
    void place(ZunoToastBanner *banner, qreal progress, bool slides);
    void animate(ZunoToastBanner *banner, qreal from, qreal to, bool slides, bool deleteAtEnd);

    QPointer<ZunoToastBanner> m_banner;
    QPointer<QVariantAnimation> m_animation;
};

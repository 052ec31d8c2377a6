#include "CamStudioToastLayer.h"

#include "ZunoToastBanner.h"

#include <QEasingCurve>
#include <QGraphicsOpacityEffect>
#include <QResizeEvent>
#include <QVariantAnimation>

CamStudioToastLayer::CamStudioToastLayer(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    if (parent)
        setGeometry(parent->rect());
}

QRect CamStudioToastLayer::restingGeometry(const ZunoToastBanner *banner) const
{
    const QSize size = banner->sizeHint();
    const QRectF capsule
        = banner->capsuleRect().isEmpty() ? QRectF(QPointF(0, 0), QSizeF(size)) : banner->capsuleRect();
    // The shadow's margin below the capsule does not count towards the 22 pixels.
    const qreal below = size.height() - capsule.bottom();
    const int x = (width() - size.width()) / 2;
    const int y = qRound(height() - kBottomPadding - size.height() + below);
    return QRect(QPoint(x, y), size);
}

ZunoToastBanner *CamStudioToastLayer::makeBanner(const QString &message, bool isError)
{
    auto *banner = new ZunoToastBanner(message, isError, this);
    banner->setAttribute(Qt::WA_TransparentForMouseEvents);
    banner->resize(banner->sizeHint());
    banner->setGraphicsEffect(new QGraphicsOpacityEffect(banner));
    banner->show();
    return banner;
}

void CamStudioToastLayer::place(ZunoToastBanner *banner, qreal progress, bool slides)
{
    QRect geometry = restingGeometry(banner);
    if (slides)
        geometry.moveTop(qRound(geometry.top() + (height() - geometry.top()) * (1 - progress)));
    banner->setGeometry(geometry);
    if (auto *effect = qobject_cast<QGraphicsOpacityEffect *>(banner->graphicsEffect()))
        effect->setOpacity(progress);
}

void CamStudioToastLayer::animate(
    ZunoToastBanner *banner, qreal from, qreal to, bool slides, bool deleteAtEnd)
{
    auto *animation = new QVariantAnimation(banner);
    animation->setStartValue(from);
    animation->setEndValue(to);
    animation->setDuration(kDurationMs);
    animation->setEasingCurve(QEasingCurve::InOutQuad);
    QPointer<ZunoToastBanner> target(banner);
    connect(animation, &QVariantAnimation::valueChanged, this, [this, target, slides](const QVariant &value) {
        if (target)
            place(target, value.toReal(), slides);
    });
    if (deleteAtEnd)
        connect(animation, &QVariantAnimation::finished, banner, &QObject::deleteLater);
    place(banner, from, slides);
    if (!deleteAtEnd)
        m_animation = animation;
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

void CamStudioToastLayer::setToast(const std::optional<QString> &message, bool isError)
{
    if (m_animation)
        m_animation->stop(); // deletes it; the banner is placed at rest below
    ZunoToastBanner *previous = m_banner;
    if (!message) {
        m_banner = nullptr;
        if (previous)
            animate(previous, 1, 0, true, true);
        return;
    }
    if (previous && previous->message() == *message && previous->isError() == isError) {
        place(previous, 1, false);
        return;
    }
    m_banner = makeBanner(*message, isError);
    raise();
    if (previous) {
        // Replaced in place: the old text fades out where it stands while the new one fades in.
        animate(previous, 1, 0, false, true);
        animate(m_banner, 0, 1, false, false);
    } else {
        animate(m_banner, 0, 1, true, false);
    }
}

void CamStudioToastLayer::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (m_banner && !m_animation)
        place(m_banner, 1, false);
}

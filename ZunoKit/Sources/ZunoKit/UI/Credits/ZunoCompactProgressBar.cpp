#include "ZunoCompactProgressBar.h"

#include "ZunoContinuousShape.h"
#include "ZunoGlassTokens.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

ZunoCompactProgressBar::ZunoCompactProgressBar(double ratio, const QColor &tint, QWidget *parent)
    : QWidget(parent)
    , m_ratio(ratio)
    , m_tint(tint)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(kHeight);
}

qreal ZunoCompactProgressBar::fillWidth(double ratio, qreal width)
{
    // NaN counts as no progress.
    const double clamped = ratio > 0 ? std::min(ratio, 1.0) : 0.0;
    return std::max(clamped > 0 ? kMinimumFill : 0.0, clamped * width);
}

QSize ZunoCompactProgressBar::sizeHint() const
{
    return QSize(120, kHeight);
}

void ZunoCompactProgressBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const QRectF track = rect();
    painter.fillPath(ZunoContinuousShape::capsule(track), ZunoGlassTokens::surface2());
    const qreal fill = fillWidth(m_ratio, track.width());
    if (fill > 0) {
        // Leading-aligned: from the right edge in right-to-left layouts.
        const qreal x = layoutDirection() == Qt::RightToLeft ? track.width() - fill : 0;
        painter.fillPath(ZunoContinuousShape::capsule(QRectF(x, 0, fill, track.height())), m_tint);
    }
}

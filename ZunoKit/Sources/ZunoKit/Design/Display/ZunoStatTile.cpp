#include "ZunoStatTile.h"

#include "ZunoContinuousShape.h"
#include "ZunoFonts.h"
#include "ZunoGlassTokens.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

constexpr qreal kPaddingX = 9;
constexpr qreal kPaddingY = 7;
constexpr qreal kSpacing = 2;
constexpr qreal kRadius = 8;
constexpr qreal kMinimumScale = 0.8;

QFont labelFont()
{
    return ZunoFonts::system(9.5);
}

QFont valueFont()
{
    return ZunoFonts::monospaced(10.5, QFont::Bold);
}

QFont detailFont()
{
    return ZunoFonts::monospaced(9);
}

} // namespace

ZunoStatTile::ZunoStatTile(QWidget *parent)
    : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void ZunoStatTile::setContent(
    const QString &label, const QString &value, const QString &detail, const QColor &tint)
{
    m_label = label;
    m_value = value;
    m_detail = detail;
    m_tint = tint;
    updateGeometry();
    update();
}

QSize ZunoStatTile::sizeHint() const
{
    qreal height = QFontMetricsF(labelFont()).height() + kSpacing + QFontMetricsF(valueFont()).height();
    if (!m_detail.isEmpty())
        height += kSpacing + QFontMetricsF(detailFont()).height();
    const qreal width = std::max({ QFontMetricsF(labelFont()).horizontalAdvance(m_label),
        QFontMetricsF(valueFont()).horizontalAdvance(m_value),
        QFontMetricsF(detailFont()).horizontalAdvance(m_detail) });
    return QSize(static_cast<int>(std::ceil(width + 2 * kPaddingX)),
        static_cast<int>(std::ceil(height + 2 * kPaddingY)));
}

QSize ZunoStatTile::minimumSizeHint() const
{
    return QSize(static_cast<int>(2 * kPaddingX), sizeHint().height());
}

void ZunoStatTile::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(ZunoContinuousShape::roundedRect(rect(), kRadius), ZunoGlassTokens::surface1());
    const qreal width = std::max<qreal>(0, this->width() - 2 * kPaddingX);
    qreal y = kPaddingY;

    const QFontMetricsF labelMetrics(labelFont());
    painter.setFont(labelFont());
    painter.setPen(ZunoGlassTokens::textMuted());
    painter.drawText(QRectF(kPaddingX, y, width, labelMetrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
        labelMetrics.elidedText(m_label, Qt::ElideRight, width));
    y += labelMetrics.height() + kSpacing;

    // The value shrinks down to 0.8 of its size before it is cut short.
    QFont value = valueFont();
    const qreal natural = QFontMetricsF(value).horizontalAdvance(m_value);
    const qreal valueHeight = QFontMetricsF(value).height();
    if (natural > width && natural > 0) {
        const qreal scale = std::max(kMinimumScale, width / natural);
        value.setPixelSize(std::max(1, static_cast<int>(std::floor(ZunoFonts::size(value) * scale))));
    }
    const QFontMetricsF valueMetrics(value);
    painter.setFont(value);
    painter.setPen(m_tint);
    painter.drawText(QRectF(kPaddingX, y, width, valueHeight), Qt::AlignLeft | Qt::AlignVCenter,
        valueMetrics.elidedText(m_value, Qt::ElideRight, width));
    y += valueHeight;

    if (!m_detail.isEmpty()) {
        y += kSpacing;
        const QFontMetricsF detailMetrics(detailFont());
        painter.setFont(detailFont());
        painter.setPen(ZunoGlassTokens::textSecondary());
        painter.drawText(QRectF(kPaddingX, y, width, detailMetrics.height()),
            Qt::AlignLeft | Qt::AlignVCenter, detailMetrics.elidedText(m_detail, Qt::ElideMiddle, width));
    }
}

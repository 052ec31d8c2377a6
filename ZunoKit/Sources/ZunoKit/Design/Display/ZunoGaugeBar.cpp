#include "ZunoGaugeBar.h"

#include "ZunoContinuousShape.h"
#include "ZunoFonts.h"
#include "ZunoGlassTokens.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

constexpr qreal kSpacing = 5;
constexpr qreal kTitleGap = 8;

QFont titleFont()
{
    return ZunoFonts::style(ZunoTextStyle::caption2, QFont::Bold);
}

QFont valueFont()
{
    return ZunoFonts::monospaced(10.5, QFont::DemiBold);
}

qreal lineHeight()
{
    return std::max(QFontMetricsF(titleFont()).height(), QFontMetricsF(valueFont()).height());
}

} // namespace

ZunoGaugeBar::ZunoGaugeBar(QWidget *parent)
    : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void ZunoGaugeBar::setContent(
    const QString &title, const QString &valueText, double fraction, const QColor &tint)
{
    m_title = title;
    m_value = valueText;
    m_fraction = fraction;
    m_tint = tint;
    updateGeometry();
    update();
}

qreal ZunoGaugeBar::fillWidth(double fraction, qreal width)
{
    const double clamped = std::isnan(fraction) ? 0.0 : std::clamp(fraction, 0.0, 1.0);
    return std::max(clamped * width, fraction > 0 ? kMinimumFill : 0.0);
}

QRectF ZunoGaugeBar::barRect() const
{
    return QRectF(0, lineHeight() + kSpacing, width(), kBarHeight);
}

QSize ZunoGaugeBar::sizeHint() const
{
    const qreal width = QFontMetricsF(titleFont()).horizontalAdvance(m_title) + kTitleGap
        + QFontMetricsF(valueFont()).horizontalAdvance(m_value);
    return QSize(static_cast<int>(std::ceil(width)),
        static_cast<int>(std::ceil(lineHeight() + kSpacing + kBarHeight)));
}

QSize ZunoGaugeBar::minimumSizeHint() const
{
    return QSize(0, sizeHint().height());
}

void ZunoGaugeBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal line = lineHeight();
    const QRectF top(0, 0, width(), line);
    // The value keeps its place; the title gives way.
    painter.setFont(valueFont());
    painter.setPen(ZunoGlassTokens::textPrimary());
    const qreal valueWidth = std::min<qreal>(QFontMetricsF(valueFont()).horizontalAdvance(m_value), width());
    painter.drawText(top, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine,
        QFontMetricsF(valueFont()).elidedText(m_value, Qt::ElideRight, width()));
    painter.setFont(titleFont());
    painter.setPen(ZunoGlassTokens::textSecondary());
    const qreal titleWidth = std::max<qreal>(0, width() - valueWidth - kTitleGap);
    painter.drawText(QRectF(0, 0, titleWidth, line), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
        QFontMetricsF(titleFont()).elidedText(m_title, Qt::ElideRight, titleWidth));

    const QRectF bar = barRect();
    painter.fillPath(ZunoContinuousShape::capsule(bar), QColor(255, 255, 255, qRound(0.08 * 255)));
    const qreal fill = fillWidth(m_fraction, bar.width());
    if (fill > 0) {
        const QRectF filled(bar.left(), bar.top(), fill, bar.height());
        QLinearGradient gradient(filled.topLeft(), filled.topRight());
        QColor end = m_tint;
        end.setAlphaF(0.55 * m_tint.alphaF());
        gradient.setColorAt(0, m_tint);
        gradient.setColorAt(1, end);
        painter.fillPath(ZunoContinuousShape::capsule(filled), gradient);
    }
}

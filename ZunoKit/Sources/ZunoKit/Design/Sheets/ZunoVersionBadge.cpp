#include "ZunoVersionBadge.h"

#include "ZunoContinuousShape.h"
#include "ZunoFonts.h"
#include "ZunoGlassTokens.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace {

QFont badgeFont()
{
    return ZunoFonts::monospaced(10, QFont::DemiBold);
}

} // namespace

ZunoVersionBadge::ZunoVersionBadge(const ZunoAppVersion &version, bool showBuild, QWidget *parent)
    : QWidget(parent)
    , m_version(version)
    , m_showBuild(showBuild)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QString ZunoVersionBadge::text() const
{
    return m_showBuild ? m_version.detailedDisplay() : m_version.tag();
}

QSize ZunoVersionBadge::sizeHint() const
{
    const QFontMetricsF metrics(badgeFont());
    return QSize(static_cast<int>(std::ceil(metrics.horizontalAdvance(text()) + 2 * kHorizontalPadding)),
        static_cast<int>(std::ceil(metrics.height() + 2 * kVerticalPadding)));
}

void ZunoVersionBadge::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRectF bounds = rect();
    painter.fillPath(ZunoContinuousShape::capsule(bounds), ZunoGlassTokens::surface2());
    ZunoContinuousShape::strokeBorder(painter, bounds, -1, ZunoGlassTokens::borderSubtle());
    painter.setFont(badgeFont());
    painter.setPen(ZunoGlassTokens::textSecondary());
    painter.drawText(
        bounds.adjusted(kHorizontalPadding, kVerticalPadding, -kHorizontalPadding, -kVerticalPadding),
        Qt::AlignCenter | Qt::TextSingleLine, text());
}

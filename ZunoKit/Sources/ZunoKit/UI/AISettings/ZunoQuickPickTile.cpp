#include "ZunoQuickPickTile.h"

#include "ZunoContinuousShape.h"
#include "ZunoCreditsViewText.h"
#include "ZunoFocusRing.h"
#include "ZunoFonts.h"
#include "ZunoGlassTokens.h"
#include "ZunoTwoLineText.h"

#include <QPainter>

namespace {

constexpr qreal kPadding = 11;
constexpr qreal kRadius = 11;
constexpr int kMinimumHeight = 84;
constexpr qreal kSpacing = 5;
constexpr qreal kBadgeGap = 6;
constexpr qreal kBadgeHorizontal = 6.5;
constexpr qreal kBadgeVertical = 2;

QFont titleFont()
{
    return ZunoFonts::system(12.5, QFont::DemiBold);
}
QFont badgeFont()
{
    return ZunoFonts::system(10, QFont::DemiBold);
}
QFont hintFont()
{
    return ZunoFonts::system(11);
}
QFont nameFont()
{
    return ZunoFonts::system(10.5, QFont::Medium);
}

} // namespace

ZunoQuickPickTile::ZunoQuickPickTile(const QColor &accent, QWidget *parent)
    : QAbstractButton(parent)
    , m_accent(accent)
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    ZunoFocusRing::track(this);
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

void ZunoQuickPickTile::setContent(const Content &content, bool selected)
{
    m_content = content;
    m_selected = selected;
    setAccessibleName(content.title);
    // A screen reader hears the badge, the model and whether it is the current choice after the title.
    QStringList description { selected ? content.selectedBadge : content.badge, content.modelName,
        content.hint };
    description.removeAll(QString());
    setAccessibleDescription(description.join(QStringLiteral(", ")));
    updateGeometry();
    update();
}

QSize ZunoQuickPickTile::sizeHint() const
{
    return QSize(220, heightForWidth(220));
}

QSize ZunoQuickPickTile::minimumSizeHint() const
{
    return QSize(10 + 2 * qCeil(kPadding), kMinimumHeight);
}

int ZunoQuickPickTile::heightForWidth(int width) const
{
    const qreal inner = width - 2 * kPadding;
    const QFontMetricsF title(titleFont());
    const QFontMetricsF badge(badgeFont());
    const qreal topRow = std::max(title.height(), badge.height() + 2 * kBadgeVertical);
    const qsizetype lines = zunoTwoLineText(m_content.hint, hintFont(), inner).size();
    qreal height = kPadding + topRow;
    if (lines > 0)
        height += kSpacing + lines * QFontMetricsF(hintFont()).lineSpacing();
    height += kSpacing + QFontMetricsF(nameFont()).height() + kPadding;
    return std::max(kMinimumHeight, qCeil(height));
}

void ZunoQuickPickTile::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds = rect();
    painter.fillPath(ZunoContinuousShape::roundedRect(bounds, kRadius),
        m_selected ? ZunoCreditsViewText::withOpacity(m_accent, 0.16) : ZunoGlassTokens::surface1());
    ZunoContinuousShape::strokeBorder(painter, bounds, kRadius,
        m_selected ? ZunoCreditsViewText::withOpacity(m_accent, 0.8) : ZunoGlassTokens::borderSubtle());

    const qreal inner = width() - 2 * kPadding;
    qreal y = kPadding;
    const QFontMetricsF title(titleFont());
    const QFontMetricsF badge(badgeFont());
    const qreal topRow = std::max(title.height(), badge.height() + 2 * kBadgeVertical);

    // Title, then the badge capsule beside it, both centred on the row.
    const QString badgeLabel = badgeText();
    const qreal badgeWidth = badge.horizontalAdvance(badgeLabel) + 2 * kBadgeHorizontal;
    const qreal titleWidth = std::min(
        title.horizontalAdvance(m_content.title), std::max<qreal>(0, inner - badgeWidth - kBadgeGap));
    painter.setFont(titleFont());
    painter.setPen(ZunoGlassTokens::textPrimary());
    painter.drawText(QRectF(kPadding, y, titleWidth + 1, topRow), Qt::AlignVCenter | Qt::AlignLeft,
        title.elidedText(m_content.title, Qt::ElideRight, titleWidth + 1));
    const QColor tint = m_selected ? ZunoGlassTokens::success() : m_content.badgeTint;
    const QRectF badgeRect(kPadding + titleWidth + kBadgeGap,
        y + (topRow - badge.height() - 2 * kBadgeVertical) / 2, badgeWidth,
        badge.height() + 2 * kBadgeVertical);
    painter.fillPath(ZunoContinuousShape::capsule(badgeRect), ZunoCreditsViewText::withOpacity(tint, 0.15));
    painter.setFont(badgeFont());
    painter.setPen(tint);
    painter.drawText(badgeRect, Qt::AlignCenter, badgeLabel);
    y += topRow;

    const QStringList lines = zunoTwoLineText(m_content.hint, hintFont(), inner);
    if (!lines.isEmpty()) {
        y += kSpacing;
        painter.setFont(hintFont());
        painter.setPen(ZunoGlassTokens::textSecondary());
        const qreal lineSpacing = QFontMetricsF(hintFont()).lineSpacing();
        for (const QString &line : lines) {
            painter.drawText(QRectF(kPadding, y, inner, lineSpacing), Qt::AlignVCenter | Qt::AlignLeft, line);
            y += lineSpacing;
        }
    }

    y += kSpacing;
    const QFontMetricsF name(nameFont());
    painter.setFont(nameFont());
    painter.setPen(ZunoGlassTokens::textMuted());
    painter.drawText(QRectF(kPadding, y, inner, name.height()), Qt::AlignVCenter | Qt::AlignLeft,
        name.elidedText(m_content.modelName, Qt::ElideRight, inner));
    ZunoFocusRing::paintIfVisible(painter, this, bounds, kRadius);
}

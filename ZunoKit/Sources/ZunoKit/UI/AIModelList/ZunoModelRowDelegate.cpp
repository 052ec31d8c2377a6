#include "ZunoModelRowDelegate.h"

#include "ZunoContinuousShape.h"
#include "ZunoCreditsViewText.h"
#include "ZunoFlowLayout.h"
#include "ZunoFocusRing.h"
#include "ZunoFonts.h"
#include "ZunoGlassTokens.h"
#include "ZunoModelRowListModel.h"
#include "ZunoSymbolRegistry.h"
#include "ZunoText.h"
#include "ZunoTwoLineText.h"

#include <QAbstractItemView>
#include <QPainter>

namespace {

constexpr qreal kHorizontalPadding = 10;
constexpr qreal kVerticalPadding = 8;
constexpr qreal kColumnSpacing = 5;
constexpr qreal kTitleSpacing = 6;
constexpr qreal kMinimumSpacer = 4;
constexpr qreal kRadius = 9;
constexpr qreal kChipHorizontal = 6;
constexpr qreal kChipVertical = 2;
constexpr qreal kFallbackWidth = 400;

QFont nameFont()
{
    return ZunoFonts::system(12, QFont::DemiBold);
}
QFont vendorFont()
{
    return ZunoFonts::system(10.5, QFont::Medium);
}
QFont summaryFont()
{
    return ZunoFonts::system(11);
}
QFont chipFont()
{
    return ZunoFonts::system(10, QFont::Medium);
}
QFont checkmarkFont()
{
    return ZunoFonts::system(13);
}

QSizeF chipSize(const QString &text)
{
    const QFontMetricsF metrics(chipFont());
    return QSizeF(
        metrics.horizontalAdvance(text) + 2 * kChipHorizontal, metrics.height() + 2 * kChipVertical);
}

void paintChip(QPainter &painter, const QRectF &rect, const ZunoModelRowChips::Chip &chip)
{
    painter.fillPath(ZunoContinuousShape::capsule(rect), ZunoCreditsViewText::withOpacity(chip.tint, 0.14));
    painter.setFont(chipFont());
    painter.setPen(chip.tint);
    painter.drawText(rect, Qt::AlignCenter, chip.text);
}

bool isLast(const QModelIndex &index)
{
    return index.row() == index.model()->rowCount(index.parent()) - 1;
}

} // namespace

struct ZunoModelRowDelegate::Layout {
    QList<ZunoModelRowChips::Chip> badges;
    QStringList summary;
    QList<ZunoModelRowChips::Chip> chips;
    std::vector<QPointF> chipPlaces;
    qreal titleHeight = 0;
    qreal chipsHeight = 0;
    qreal height = 0;
};

ZunoModelRowDelegate::ZunoModelRowDelegate(const QColor &accent, ZunoLanguage language, QObject *parent)
    : QStyledItemDelegate(parent)
    , m_accent(accent)
    , m_language(language)
    , m_flow(new ZunoFlowLayout(5, 4))
{
}

ZunoModelRowDelegate::~ZunoModelRowDelegate()
{
    delete m_flow;
}

ZunoModelRowDelegate::Layout ZunoModelRowDelegate::layout(
    const ZunoModelRowListModel &model, int row, qreal width) const
{
    const ZunoUnifiedModelRowItem &item = model.item(row);
    const qreal inner = std::max<qreal>(1, width - 2 * kHorizontalPadding);
    Layout result;
    result.badges = ZunoModelRowChips::badges(item, m_language, m_accent);
    result.titleHeight
        = std::max({ QFontMetricsF(nameFont()).height(), chipSize(QStringLiteral("X")).height(),
            QFontMetricsF(vendorFont()).height(), ZunoSymbolRegistry::sideForFont(checkmarkFont()) });
    result.summary = zunoTwoLineText(item.summaryText, summaryFont(), inner);
    result.chips = ZunoModelRowChips::chips(item, m_language, m_accent);
    std::vector<QSizeF> sizes;
    sizes.reserve(result.chips.size());
    for (const auto &chip : result.chips)
        sizes.push_back(chipSize(chip.text));
    result.chipsHeight = m_flow->sizeThatFits(inner, sizes).height();
    result.chipPlaces = m_flow->placements(QRectF(0, 0, inner, result.chipsHeight), sizes);

    qreal height = kVerticalPadding + result.titleHeight;
    if (!result.summary.isEmpty())
        height += kColumnSpacing + result.summary.size() * QFontMetricsF(summaryFont()).lineSpacing();
    height += kColumnSpacing + result.chipsHeight + kVerticalPadding;
    result.height = height;
    return result;
}

int ZunoModelRowDelegate::cardHeight(const ZunoModelRowListModel &model, int row, qreal width) const
{
    const ZunoUnifiedModelRowItem &item = model.item(row);
    const auto found = m_heights.constFind(item.id);
    if (found != m_heights.cend() && found->width == width && found->language == m_language
        && found->item == item)
        return found->height;
    const int height = qCeil(layout(model, row, width).height);
    m_heights.insert(item.id, { item, width, m_language, height });
    return height;
}

QRectF ZunoModelRowDelegate::cardRect(const QRect &itemRect, const QModelIndex &index)
{
    const qreal top = itemRect.top() + (index.row() == 0 ? kListPadding : 0);
    const qreal bottom = itemRect.top() + itemRect.height() - (isLast(index) ? kListPadding : kGap);
    return QRectF(itemRect.left(), top, itemRect.width(), std::max<qreal>(0, bottom - top));
}

QSize ZunoModelRowDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const auto *model = qobject_cast<const ZunoModelRowListModel *>(index.model());
    if (!model)
        return QStyledItemDelegate::sizeHint(option, index);
    // The list lays rows out at its viewport's width; the option's rectangle is not set yet then.
    qreal width = kFallbackWidth;
    if (const auto *view = qobject_cast<const QAbstractItemView *>(option.widget))
        width = view->viewport()->width();
    else if (option.rect.width() > 0)
        width = option.rect.width();
    const int extra = (index.row() == 0 ? kListPadding : 0) + (isLast(index) ? kListPadding : kGap);
    return QSize(qRound(width), cardHeight(*model, index.row(), width) + extra);
}

void ZunoModelRowDelegate::paint(
    QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const auto *model = qobject_cast<const ZunoModelRowListModel *>(index.model());
    if (!model)
        return;
    const ZunoUnifiedModelRowItem &item = model->item(index.row());
    const bool selected = model->isSelected(index.row());
    const QRectF card = cardRect(option.rect, index);
    const Layout rowLayout = layout(*model, index.row(), card.width());

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->fillPath(ZunoContinuousShape::roundedRect(card, kRadius),
        selected ? ZunoGlassTokens::surface3() : ZunoGlassTokens::surface1());
    ZunoContinuousShape::strokeBorder(*painter, card, kRadius,
        selected ? ZunoCreditsViewText::withOpacity(m_accent, 0.8) : ZunoGlassTokens::borderSubtle());

    const qreal left = card.left() + kHorizontalPadding;
    const qreal inner = card.width() - 2 * kHorizontalPadding;
    qreal y = card.top() + kVerticalPadding;
    const qreal titleHeight = rowLayout.titleHeight;

    // From the right: checkmark, vendor; then the name and its badges take what is left.
    qreal right = left + inner;
    if (selected) {
        const qreal side = ZunoSymbolRegistry::sideForFont(checkmarkFont());
        ZunoSymbolRegistry::paint(*painter, QRectF(right - side, y + (titleHeight - side) / 2, side, side),
            QStringLiteral("checkmark.circle.fill"), m_accent);
        right -= side + kTitleSpacing;
    }
    const QFontMetricsF vendorMetrics(vendorFont());
    const qreal vendorWidth = std::min(vendorMetrics.horizontalAdvance(item.vendor), inner / 3);
    painter->setFont(vendorFont());
    painter->setPen(ZunoGlassTokens::textMuted());
    painter->drawText(QRectF(right - vendorWidth, y, vendorWidth, titleHeight),
        Qt::AlignVCenter | Qt::AlignRight,
        vendorMetrics.elidedText(item.vendor, Qt::ElideRight, vendorWidth + 0.5));
    right -= vendorWidth + kMinimumSpacer;

    qreal badgesWidth = 0;
    for (const auto &badge : rowLayout.badges)
        badgesWidth += kTitleSpacing + chipSize(badge.text).width();
    const QFontMetricsF nameMetrics(nameFont());
    const qreal nameWidth = std::max<qreal>(
        0, std::min(nameMetrics.horizontalAdvance(item.displayName), right - left - badgesWidth));
    painter->setFont(nameFont());
    painter->setPen(ZunoGlassTokens::textPrimary());
    painter->drawText(QRectF(left, y, nameWidth + 1, titleHeight), Qt::AlignVCenter | Qt::AlignLeft,
        nameMetrics.elidedText(item.displayName, Qt::ElideRight, nameWidth + 1));
    qreal x = left + nameWidth;
    for (const auto &badge : rowLayout.badges) {
        const QSizeF size = chipSize(badge.text);
        x += kTitleSpacing;
        paintChip(*painter, QRectF(QPointF(x, y + (titleHeight - size.height()) / 2), size), badge);
        x += size.width();
    }
    y += titleHeight;

    if (!rowLayout.summary.isEmpty()) {
        y += kColumnSpacing;
        painter->setFont(summaryFont());
        painter->setPen(ZunoGlassTokens::textSecondary());
        const qreal lineSpacing = QFontMetricsF(summaryFont()).lineSpacing();
        for (const QString &line : rowLayout.summary) {
            painter->drawText(QRectF(left, y, inner, lineSpacing), Qt::AlignVCenter | Qt::AlignLeft, line);
            y += lineSpacing;
        }
    }

    y += kColumnSpacing;
    for (qsizetype i = 0; i < rowLayout.chips.size(); ++i) {
        const QPointF place = rowLayout.chipPlaces.at(static_cast<std::size_t>(i));
        paintChip(*painter,
            QRectF(QPointF(left + place.x(), y + place.y()), chipSize(rowLayout.chips.at(i).text)),
            rowLayout.chips.at(i));
    }
    // The current row of a list that the keyboard brought the focus to.
    if (option.state.testFlag(QStyle::State_HasFocus))
        ZunoFocusRing::paintIfVisible(*painter, option.widget, card, kRadius);
    painter->restore();
}

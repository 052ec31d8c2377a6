#include "ZunoFlowLayout.h"

#include <QWidget>

#include <cmath>
#include <limits>

namespace {

// Placement forgives this much overshoot past the right edge before it wraps.
constexpr qreal kPlacementTolerance = 0.5;

int ceilToInt(qreal value)
{
    return static_cast<int>(std::ceil(value - 1e-9));
}

} // namespace

ZunoFlowLayout::ZunoFlowLayout(qreal spacing, qreal lineSpacing, QWidget *parent)
    : QLayout(parent)
    , m_spacing(spacing)
    , m_lineSpacing(lineSpacing)
{
    setContentsMargins(0, 0, 0, 0);
}

ZunoFlowLayout::~ZunoFlowLayout()
{
    while (QLayoutItem *item = takeAt(0))
        delete item;
}

QSizeF ZunoFlowLayout::sizeThatFits(
    std::optional<qreal> proposedWidth, const std::vector<QSizeF> &sizes) const
{
    const qreal maxWidth = proposedWidth.value_or(std::numeric_limits<qreal>::infinity());
    qreal x = 0;
    qreal rowHeight = 0;
    qreal usedHeight = 0;
    qreal widestRow = 0;
    for (const QSizeF &size : sizes) {
        if (x > 0 && x + size.width() > maxWidth) {
            usedHeight += rowHeight + m_lineSpacing;
            rowHeight = 0;
            x = 0;
        }
        widestRow = std::max(widestRow, x + size.width());
        x += size.width() + m_spacing;
        rowHeight = std::max(rowHeight, size.height());
    }
    return { std::isfinite(maxWidth) ? maxWidth : widestRow, usedHeight + rowHeight };
}

std::vector<QPointF> ZunoFlowLayout::placements(const QRectF &bounds, const std::vector<QSizeF> &sizes) const
{
    std::vector<QPointF> points;
    points.reserve(sizes.size());
    qreal x = bounds.left();
    qreal y = bounds.top();
    qreal rowHeight = 0;
    for (const QSizeF &size : sizes) {
        if (x > bounds.left() && x + size.width() > bounds.right() + kPlacementTolerance) {
            y += rowHeight + m_lineSpacing;
            x = bounds.left();
            rowHeight = 0;
        }
        points.emplace_back(x, y);
        x += size.width() + m_spacing;
        rowHeight = std::max(rowHeight, size.height());
    }
    return points;
}

void ZunoFlowLayout::addItem(QLayoutItem *item)
{
    m_items.append(item);
}

int ZunoFlowLayout::count() const
{
    return m_items.size();
}

QLayoutItem *ZunoFlowLayout::itemAt(int index) const
{
    return m_items.value(index);
}

QLayoutItem *ZunoFlowLayout::takeAt(int index)
{
    if (index < 0 || index >= m_items.size())
        return nullptr;
    return m_items.takeAt(index);
}

Qt::Orientations ZunoFlowLayout::expandingDirections() const
{
    return {};
}

bool ZunoFlowLayout::hasHeightForWidth() const
{
    return true;
}

std::vector<QSizeF> ZunoFlowLayout::visibleSizes() const
{
    std::vector<QSizeF> sizes;
    for (QLayoutItem *item : m_items) {
        if (!item->isEmpty())
            sizes.emplace_back(item->sizeHint());
    }
    return sizes;
}

int ZunoFlowLayout::heightForWidth(int width) const
{
    const QMargins m = contentsMargins();
    const qreal inner = std::max(0, width - m.left() - m.right());
    return ceilToInt(sizeThatFits(inner, visibleSizes()).height()) + m.top() + m.bottom();
}

QSize ZunoFlowLayout::sizeHint() const
{
    const QMargins m = contentsMargins();
    const QSizeF ideal = sizeThatFits(std::nullopt, visibleSizes());
    return QSize(
        ceilToInt(ideal.width()) + m.left() + m.right(), ceilToInt(ideal.height()) + m.top() + m.bottom());
}

QSize ZunoFlowLayout::minimumSize() const
{
    // Room for the widest and the tallest item; the height for a given width comes from
    // heightForWidth, as with every height-for-width layout.
    const QMargins m = contentsMargins();
    QSizeF largest;
    for (const QSizeF &size : visibleSizes())
        largest = largest.expandedTo(size);
    return QSize(ceilToInt(largest.width()) + m.left() + m.right(),
        ceilToInt(largest.height()) + m.top() + m.bottom());
}

void ZunoFlowLayout::setGeometry(const QRect &rect)
{
    QLayout::setGeometry(rect);
    const QRect inner = rect.marginsRemoved(contentsMargins());
    QList<QLayoutItem *> visible;
    std::vector<QSizeF> sizes;
    for (QLayoutItem *item : m_items) {
        if (!item->isEmpty()) {
            visible.append(item);
            sizes.emplace_back(item->sizeHint());
        }
    }
    const QRectF bounds(inner.x(), inner.y(), inner.width(), inner.height());
    const std::vector<QPointF> points = placements(bounds, sizes);
    const bool rtl = parentWidget() && parentWidget()->layoutDirection() == Qt::RightToLeft;
    for (qsizetype i = 0; i < visible.size(); ++i) {
        QRectF place(points[i], sizes[i]);
        if (rtl)
            place.moveLeft(bounds.left() + bounds.right() - place.right());
        visible[i]->setGeometry(
            QRect(qRound(place.x()), qRound(place.y()), qRound(place.width()), qRound(place.height())));
    }
}

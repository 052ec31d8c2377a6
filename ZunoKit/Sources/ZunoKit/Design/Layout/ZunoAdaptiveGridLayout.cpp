#include "ZunoAdaptiveGridLayout.h"

#include <QWidget>

#include <algorithm>
#include <cmath>

ZunoAdaptiveGridLayout::ZunoAdaptiveGridLayout(
    qreal minimumColumnWidth, qreal columnSpacing, qreal rowSpacing, QWidget *parent)
    : QLayout(parent)
    , m_minimumColumnWidth(minimumColumnWidth)
    , m_columnSpacing(columnSpacing)
    , m_rowSpacing(rowSpacing)
{
    setContentsMargins(0, 0, 0, 0);
}

ZunoAdaptiveGridLayout::~ZunoAdaptiveGridLayout()
{
    while (QLayoutItem *item = takeAt(0))
        delete item;
}

int ZunoAdaptiveGridLayout::columnCount(qreal width) const
{
    const qreal columns = std::floor((width + m_columnSpacing) / (m_minimumColumnWidth + m_columnSpacing));
    return std::max(1, static_cast<int>(columns));
}

void ZunoAdaptiveGridLayout::addItem(QLayoutItem *item)
{
    m_items.append(item);
}

int ZunoAdaptiveGridLayout::count() const
{
    return int(m_items.size());
}

QLayoutItem *ZunoAdaptiveGridLayout::itemAt(int index) const
{
    return m_items.value(index);
}

QLayoutItem *ZunoAdaptiveGridLayout::takeAt(int index)
{
    return index >= 0 && index < m_items.size() ? m_items.takeAt(index) : nullptr;
}

Qt::Orientations ZunoAdaptiveGridLayout::expandingDirections() const
{
    return Qt::Horizontal;
}

bool ZunoAdaptiveGridLayout::hasHeightForWidth() const
{
    return true;
}

int ZunoAdaptiveGridLayout::heightForWidth(int width) const
{
    const QMargins margins = contentsMargins();
    return arrange(QRect(0, 0, width - margins.left() - margins.right(), 0), false) + margins.top()
        + margins.bottom();
}

QSize ZunoAdaptiveGridLayout::sizeHint() const
{
    const QMargins margins = contentsMargins();
    const int width = static_cast<int>(std::ceil(m_minimumColumnWidth));
    return QSize(
        width + margins.left() + margins.right(), heightForWidth(width + margins.left() + margins.right()));
}

QSize ZunoAdaptiveGridLayout::minimumSize() const
{
    // The height follows the width (heightForWidth); a minimum height taken at one column would
    // hold every wider grid at its tallest.
    const QMargins margins = contentsMargins();
    return QSize(static_cast<int>(std::ceil(m_minimumColumnWidth)) + margins.left() + margins.right(), 0);
}

void ZunoAdaptiveGridLayout::setGeometry(const QRect &rect)
{
    QLayout::setGeometry(rect);
    arrange(rect.marginsRemoved(contentsMargins()), true);
}

QList<QLayoutItem *> ZunoAdaptiveGridLayout::visibleItems() const
{
    QList<QLayoutItem *> visible;
    for (QLayoutItem *item : m_items) {
        if (!item->isEmpty())
            visible.append(item);
    }
    return visible;
}

int ZunoAdaptiveGridLayout::arrange(const QRect &rect, bool apply) const
{
    const QList<QLayoutItem *> items = visibleItems();
    if (items.isEmpty())
        return 0;
    const int columns = columnCount(rect.width());
    const qreal columnWidth = std::max<qreal>(0, (rect.width() - (columns - 1) * m_columnSpacing) / columns);
    qreal y = rect.y();
    for (qsizetype first = 0; first < items.size(); first += columns) {
        const qsizetype last = std::min<qsizetype>(first + columns, items.size());
        int rowHeight = 0;
        for (qsizetype i = first; i < last; ++i) {
            QLayoutItem *item = items[i];
            const int height = item->hasHeightForWidth() ? item->heightForWidth(int(columnWidth))
                                                         : item->sizeHint().height();
            rowHeight = std::max(rowHeight, height);
        }
        if (apply) {
            for (qsizetype i = first; i < last; ++i) {
                const qreal x = rect.x() + (i - first) * (columnWidth + m_columnSpacing);
                const int left = static_cast<int>(std::round(x));
                const int right = static_cast<int>(std::round(x + columnWidth));
                items[i]->setGeometry(QRect(left, static_cast<int>(std::round(y)), right - left, rowHeight));
            }
        }
        y += rowHeight;
        if (last < items.size())
            y += m_rowSpacing;
    }
    return static_cast<int>(std::ceil(y - rect.y()));
}

#pragma once

#include <QLayout>
#include <QList>
#include <QRectF>
#include <QSizeF>

#include <optional>
#include <vector>

// Wraps its items into rows, left to right (right to left in a right-to-left layout), with `spacing`
// between the items of a row and `lineSpacing` between rows. Every item keeps its size hint (its ideal
// size); nothing is squeezed, and the first item of a row stays on it however wide it is. Items of a
// row share their top edge. Hidden widgets take no place.
class ZunoFlowLayout : public QLayout {
    Q_OBJECT
public:
    ZunoFlowLayout(qreal spacing, qreal lineSpacing, QWidget *parent = nullptr);
    ~ZunoFlowLayout() override;

    qreal itemSpacing() const { return m_spacing; }
    qreal lineSpacing() const { return m_lineSpacing; }

    // The size the items need for a proposed width (none: unbounded, one row). The width is the
    // proposal when there is one, else the widest row.
    QSizeF sizeThatFits(std::optional<qreal> proposedWidth, const std::vector<QSizeF> &sizes) const;
    // Where each item goes in bounds (top-left corners, left to right). Placement lets an item end up
    // to half a pixel past the right edge before it wraps; sizeThatFits has no such tolerance.
    std::vector<QPointF> placements(const QRectF &bounds, const std::vector<QSizeF> &sizes) const;

    void addItem(QLayoutItem *item) override;
    int count() const override;
    QLayoutItem *itemAt(int index) const override;
    QLayoutItem *takeAt(int index) override;
    Qt::Orientations expandingDirections() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect &rect) override;

private:
    std::vector<QSizeF> visibleSizes() const;

    qreal m_spacing;
    qreal m_lineSpacing;
    QList<QLayoutItem *> m_items;
};

#pragma once

#include <QLayout>
#include <QList>

// A grid of equal columns that adapts to its width: as many columns of at least `minimumColumnWidth`
// as fit with `columnSpacing` between them (always at least one), sharing the width equally; items fill
// the rows left to right, each row as high as its tallest item. Items take the full column width.
class ZunoAdaptiveGridLayout : public QLayout {
    Q_OBJECT
public:
    ZunoAdaptiveGridLayout(
        qreal minimumColumnWidth, qreal columnSpacing, qreal rowSpacing, QWidget *parent = nullptr);
    ~ZunoAdaptiveGridLayout() override;

    // max(1, ⌊(width + spacing) / (minimum + spacing)⌋).
    int columnCount(qreal width) const;

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
    // Lays the items out in `rect` (when `apply`), and returns the height used.
    int arrange(const QRect &rect, bool apply) const;
    QList<QLayoutItem *> visibleItems() const;

    qreal m_minimumColumnWidth;
    qreal m_columnSpacing;
    qreal m_rowSpacing;
    QList<QLayoutItem *> m_items;
};

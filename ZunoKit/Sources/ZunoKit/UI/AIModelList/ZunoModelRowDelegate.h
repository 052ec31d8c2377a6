#pragma once

#include "ZunoLanguage.h"
#include "ZunoModelRowChips.h"

#include <QColor>
#include <QHash>
#include <QStyledItemDelegate>

class ZunoFlowLayout;
class ZunoModelRowListModel;

// Paints one model of the AI settings card's list (a `ZunoModelRowListModel` row): name, badges,
// vendor and checkmark; up to two lines of summary; the chips wrapped as a flow. Painting, not a
// widget per row, keeps a list of hundreds of models cheap. Rows are `kGap` apart and the list is
// padded `kListPadding` above and below; the gap belongs to the row above it.
class ZunoModelRowDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    static constexpr int kGap = 6;
    static constexpr int kListPadding = 2;

    ZunoModelRowDelegate(const QColor &accent, ZunoLanguage language, QObject *parent = nullptr);
    ~ZunoModelRowDelegate() override;

    void setLanguage(ZunoLanguage language) { m_language = language; }

    void paint(
        QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    // The rounded rectangle of a row inside its item rectangle: what takes the click.
    static QRectF cardRect(const QRect &itemRect, const QModelIndex &index);
    // The height of a row's card at a width.
    int cardHeight(const ZunoModelRowListModel &model, int row, qreal width) const;

private:
    struct Layout;
    Layout layout(const ZunoModelRowListModel &model, int row, qreal width) const;

    // Heights by row id: a re-sync replaces the list's rows, mostly with equal ones, and measuring
    // text is what a re-sync of a long list would otherwise spend its time on.
    struct Measured {
        ZunoUnifiedModelRowItem item;
        qreal width = 0;
        ZunoLanguage language = ZunoLanguage::en;
        int height = 0;
    };

    QColor m_accent;
    ZunoLanguage m_language;
    ZunoFlowLayout *m_flow;
    mutable QHash<QString, Measured> m_heights;
};

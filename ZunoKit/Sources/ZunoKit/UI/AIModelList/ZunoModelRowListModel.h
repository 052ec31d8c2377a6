#pragma once

#include "ZunoLanguage.h"
#include "ZunoUnifiedModelRowItem.h"

#include <QAbstractListModel>
#include <QList>

// The rows shown by the AI settings card's model list, each with whether it is the current choice.
// Display and accessible text: the row's name; accessible description: vendor, badges, chips and
// whether it is chosen, in the rows' language. Replaced whole on every re-sync of the card.
class ZunoModelRowListModel : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    void setRows(const QList<ZunoUnifiedModelRowItem> &rows, const QList<bool> &selected,
        ZunoLanguage language = ZunoLanguage::en);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;

    const ZunoUnifiedModelRowItem &item(int row) const { return m_rows.at(row); }
    bool isSelected(int row) const { return m_selected.value(row); }

private:
    QList<ZunoUnifiedModelRowItem> m_rows;
    QList<bool> m_selected;
    ZunoLanguage m_language = ZunoLanguage::en;
};

#include "ZunoModelRowListModel.h"

void ZunoModelRowListModel::setRows(const QList<ZunoUnifiedModelRowItem> &rows, const QList<bool> &selected)
{
    beginResetModel();
    m_rows = rows;
    m_selected = selected;
    endResetModel();
}

int ZunoModelRowListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

QVariant ZunoModelRowListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return m_rows.at(index.row()).displayName;
    return {};
}

#include "ZunoModelRowListModel.h"

#include "ZunoModelRowChips.h"

void ZunoModelRowListModel::setRows(
    const QList<ZunoUnifiedModelRowItem> &rows, const QList<bool> &selected, ZunoLanguage language)
{
    beginResetModel();
    m_rows = rows;
    m_selected = selected;
    m_language = language;
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
    if (role == Qt::AccessibleDescriptionRole)
        return ZunoModelRowChips::accessibleDescription(
            m_rows.at(index.row()), isSelected(index.row()), m_language);
    return {};
}

#pragma once

#include "ZunoAIConfig.h"
#include "ZunoLanguage.h"
#include "ZunoUnifiedModelRowItem.h"

#include <QColor>
#include <QList>
#include <QWidget>

class QAbstractButton;
class QLabel;
class QLineEdit;
class QListView;
class ZunoAIUnifiedSettingsUIState;
class ZunoModelRowDelegate;
class ZunoModelRowListModel;

// The body of the AI settings card's all-models disclosure: a search field, one chip per filter
// category and the filtered list (or the empty text). Query and category live in the card's state,
// so they survive collapsing. A click anywhere on a row's rounded rectangle reports the row, and so do
// Return, Enter and Space on the list's current row (Tab reaches the list, Up and Down move in it).
class ZunoAIAllModelsSection : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMinimumListHeight = 160;
    static constexpr int kMaximumListHeight = 260;

    ZunoAIAllModelsSection(
        ZunoAIUnifiedSettingsUIState *state, const QColor &accent, QWidget *parent = nullptr);

    // Re-filters and repaints; `selected` holds one flag per row of `rows`.
    void setRows(
        const QList<ZunoUnifiedModelRowItem> &rows, const QList<bool> &selected, ZunoLanguage language);

    QLineEdit *searchField() const { return m_search; }
    QAbstractButton *clearButton() const { return m_clear; }
    QList<QAbstractButton *> categoryChips() const { return m_chips; }
    QListView *listView() const { return m_list; }
    QLabel *emptyLabel() const { return m_empty; }
    const ZunoModelRowListModel *listModel() const { return m_model; }

    bool eventFilter(QObject *watched, QEvent *event) override;

signals:
    void rowChosen(const ZunoUnifiedModelRowItem &row);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void applyFilter();
    void updateListHeight();
    void updateTexts();

    ZunoAIUnifiedSettingsUIState *m_state;
    QColor m_accent;
    ZunoLanguage m_language = ZunoLanguage::en;
    QList<ZunoUnifiedModelRowItem> m_rows;
    QList<bool> m_selected;

    QLineEdit *m_search;
    QAbstractButton *m_clear;
    QList<QAbstractButton *> m_chips;
    QListView *m_list;
    ZunoModelRowListModel *m_model;
    ZunoModelRowDelegate *m_delegate;
    QLabel *m_empty;
};

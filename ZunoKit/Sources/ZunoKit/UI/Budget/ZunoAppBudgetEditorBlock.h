#pragma once

#include "ZunoLanguage.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class ZunoBudgetEditorUIState;
class ZunoButton;
class ZunoCreditsAccountStore;
class ZunoCreditsDisclosureButton;

// The collapsible editor of the current application's daily and monthly caps. Collapsed it is one header
// line; opening it fills the fields from the store's current budget. Save sends both caps (blank or 0 is no
// cap), Clear removes them; both go through the store, and a failure shows nothing here (the store keeps it
// in `lastError`). A result that arrives after the block is gone is dropped. The store is the host's; the
// block follows its `stateChanged`. Main thread only.
class ZunoAppBudgetEditorBlock : public QWidget {
    Q_OBJECT
public:
    ZunoAppBudgetEditorBlock(
        ZunoCreditsAccountStore &store, ZunoLanguage language, QWidget *parent = nullptr);

    ZunoLanguage language() const { return m_language; }
    // Resolves every text again; typed text and messages stay.
    void setLanguage(ZunoLanguage language);

    ZunoBudgetEditorUIState *uiState() const { return m_state; }

    // The header's action: opening fills the fields and clears both messages.
    void toggleExpanded();
    void saveCaps();
    void clearCaps();

    // The parts, for hosts' tests and galleries.
    ZunoCreditsDisclosureButton *headerButton() const { return m_header; }
    QWidget *panel() const { return m_panel; }
    QLineEdit *dailyField() const { return m_daily; }
    QLineEdit *monthlyField() const { return m_monthly; }
    QLabel *statusLabel() const { return m_status; }
    ZunoButton *saveButton() const { return m_save; }
    ZunoButton *clearButton() const { return m_clear; }

private:
    QString t(const QString &en, const QString &tr) const;
    void updateTexts();
    void updateFromState();
    void updateFromStore();

    ZunoCreditsAccountStore &m_store;
    ZunoLanguage m_language;
    ZunoBudgetEditorUIState *m_state;
    ZunoCreditsDisclosureButton *m_header;
    QWidget *m_panel;
    QLabel *m_dailyCaption;
    QLabel *m_monthlyCaption;
    QLineEdit *m_daily;
    QLineEdit *m_monthly;
    QLabel *m_status;
    ZunoButton *m_save;
    ZunoButton *m_clear;
};

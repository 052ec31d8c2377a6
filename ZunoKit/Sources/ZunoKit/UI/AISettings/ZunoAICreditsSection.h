#pragma once

#include "ZunoGlassCard.h"
#include "ZunoLanguage.h"

#include <QColor>

class QLabel;
class ZunoAppBudgetEditorBlock;
class ZunoAppBudgetSummaryBlock;
class ZunoButton;
class ZunoCapsuleLabel;
class ZunoCreditsAccountStore;
class ZunoCreditsAuthBlock;
class ZunoCreditsDisclosureButton;
class ZunoCreditsErrorBanner;
class ZunoCreditsHealthDot;
class ZunoTabularLabel;

// The AI settings card's first section, the credits account: a header with the health dot and a refresh
// button (or the "Not connected" badge), then the balance with the portal and sign-out buttons, this
// application's spending and the cap editor behind a disclosure row, or, without an account, the offer
// and the sign-in block; the store's last error below. Everything follows the store; the embedded blocks
// start afresh when the part changes, and the cap editor each time it opens. The disclosure's flag is
// kept across sign-out and sign-in. Main thread only.
class ZunoAICreditsSection : public ZunoGlassCard {
    Q_OBJECT
public:
    ZunoAICreditsSection(ZunoCreditsAccountStore &store, const QColor &accentColor, ZunoLanguage language,
        QWidget *parent = nullptr);
    ~ZunoAICreditsSection() override;

    ZunoLanguage language() const { return m_language; }
    void setLanguage(ZunoLanguage language);

    bool showBudgetEditor() const { return m_showBudgetEditor; }
    void setShowBudgetEditor(bool show);

    // The parts, for hosts' tests and galleries. Account parts are null without an account and the
    // offer's without one; the editor is null while closed.
    ZunoCreditsHealthDot *healthDot() const { return m_dot; }
    QLabel *titleLabel() const { return m_title; }
    ZunoButton *refreshButton() const { return m_refresh; }
    ZunoCapsuleLabel *notConnectedBadge() const { return m_badge; }
    bool showsAccount() const { return m_account != nullptr; }
    ZunoTabularLabel *creditsLabel() const;
    ZunoTabularLabel *dollarsLabel() const;
    QLabel *emailLabel() const;
    ZunoButton *topUpButton() const;
    ZunoButton *spendingButton() const;
    ZunoButton *signOutButton() const;
    QWidget *summaryDivider() const;
    ZunoAppBudgetSummaryBlock *summaryBlock() const;
    ZunoCreditsDisclosureButton *disclosureRow() const;
    ZunoAppBudgetEditorBlock *editorBlock() const;
    QLabel *offerText() const;
    ZunoCreditsAuthBlock *authBlock() const;
    ZunoCreditsErrorBanner *errorBanner() const { return m_banner; }

signals:
    void showBudgetEditorChanged(bool show);

private:
    struct Account;
    struct Offer;

    QString t(const QString &en, const QString &tr) const;
    void follow();
    void updateTexts();
    void buildAccount();
    void buildOffer();
    void placeEditor();

    ZunoCreditsAccountStore &m_store;
    QColor m_accent;
    ZunoLanguage m_language;
    bool m_showBudgetEditor = false;
    ZunoCreditsHealthDot *m_dot;
    QLabel *m_title;
    ZunoButton *m_refresh;
    ZunoCapsuleLabel *m_badge;
    QWidget *m_partHost;
    QWidget *m_part = nullptr;
    Account *m_account = nullptr;
    Offer *m_offer = nullptr;
    ZunoCreditsErrorBanner *m_banner;
};

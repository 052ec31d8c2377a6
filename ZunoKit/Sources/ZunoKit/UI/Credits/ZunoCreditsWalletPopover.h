#pragma once

#include "ZunoCreditsErrorBanner.h"
#include "ZunoCreditsHealthDot.h"
#include "ZunoLanguage.h"

#include <QColor>
#include <QWidget>

#include <optional>

class QLabel;
class ZunoActivityIndicator;
class ZunoAppBudgetEditorBlock;
class ZunoAppBudgetSummaryBlock;
class ZunoButton;
class ZunoCreditsAccountStore;
class ZunoCreditsAuthBlock;
class ZunoCreditsWalletPopoverUIState;
class ZunoSymbolButton;
class ZunoTabularLabel;

// The shared credits wallet in a dark panel 352 wide: a header with the health dot and a refresh button,
// then either the account (balance in credits and dollars, held amount, this application's spending and
// caps, portal links, sign-out, switching account) or the connect section with the sign-in routes, and
// the store's last error. Everything follows the store; the embedded blocks start afresh when the
// section changes. Without a fixed language it follows the application's. Showing it refreshes a store
// synchronised five minutes ago or more. Main thread only.
class ZunoCreditsWalletPopover : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 352;
    static constexpr int kPadding = 14;
    // The panel's rounded corners; it is edged with the glass's subtle border.
    static constexpr qreal kCornerRadius = 12;
    static constexpr int kSpacing = 12;
    static QColor background();

    ZunoCreditsWalletPopover(ZunoCreditsAccountStore &store, const QColor &accentColor,
        std::optional<ZunoLanguage> language, QWidget *parent = nullptr);
    ~ZunoCreditsWalletPopover() override;

    // The fixed language, else the application's.
    ZunoLanguage language() const;

    // The parts, for hosts' tests and galleries. Section parts are null in the other section.
    QWidget *healthDot() const { return m_dot; }
    QLabel *titleLabel() const { return m_title; }
    ZunoSymbolButton *headerRefreshButton() const { return m_refreshSymbol; }
    ZunoActivityIndicator *headerSpinner() const { return m_refreshSpinner; }
    bool showsAccount() const { return m_account != nullptr; }
    ZunoTabularLabel *creditsLabel() const;
    ZunoTabularLabel *dollarsLabel() const;
    QLabel *emailLabel() const;
    ZunoTabularLabel *heldLabel() const;
    ZunoAppBudgetSummaryBlock *summaryBlock() const;
    ZunoAppBudgetEditorBlock *editorBlock() const;
    ZunoCreditsAuthBlock *authBlock() const;
    QLabel *connectSentence() const;
    ZunoButton *topUpButton() const;
    ZunoButton *portalButton() const;
    ZunoButton *refreshButton() const;
    ZunoButton *signOutButton() const;
    QWidget *errorBanner() const { return m_banner; }
    QLabel *errorText() const { return m_bannerText; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    struct Account;
    struct Connect;

    QString t(const QString &en, const QString &tr) const;
    void follow();
    void updateTexts();
    void buildAccount();
    void buildConnect();

    ZunoCreditsAccountStore &m_store;
    QColor m_accent;
    std::optional<ZunoLanguage> m_override;
    ZunoCreditsWalletPopoverUIState *m_state;
    ZunoCreditsHealthDot *m_dot;
    QLabel *m_title;
    ZunoSymbolButton *m_refreshSymbol;
    ZunoActivityIndicator *m_refreshSpinner;
    QWidget *m_sectionHost;
    Account *m_account = nullptr;
    Connect *m_connect = nullptr;
    QWidget *m_section = nullptr;
    ZunoCreditsErrorBanner *m_banner;
    QLabel *m_bannerText;
};

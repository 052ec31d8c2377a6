#pragma once

#include "ZunoLanguage.h"

#include <QColor>
#include <QUrl>
#include <QWidget>

#include <optional>

class QLabel;
class QLineEdit;
class ZunoActivityIndicator;
class ZunoButton;
class ZunoCreditsAccountStore;
class ZunoCreditsAuthUIState;
class ZunoCreditsDisclosureButton;

// The three sign-in routes of the credits store: browser sign-in, device code (shown to copy, with its
// verification page) and a pasted connection code, with the progress the store publishes. While signed in
// it is one "Switch Account" row that reveals the same controls. It only calls the store, copies the code
// and opens web addresses (http or https; anything else from the gateway is never opened). Errors are the
// store's `lastError`, shown by the host. `compact` is accepted for the hosts and changes nothing. Main
// thread only.
class ZunoCreditsAuthBlock : public QWidget {
    Q_OBJECT
public:
    ZunoCreditsAuthBlock(ZunoCreditsAccountStore &store, const QColor &accentColor, ZunoLanguage language,
        bool compact, QWidget *parent = nullptr);

    ZunoLanguage language() const { return m_language; }
    // Resolves every text again; the disclosures and the typed code stay.
    void setLanguage(ZunoLanguage language);
    ZunoCreditsAuthUIState *uiState() const { return m_state; }

    // "Paste quarnwell.com connection code (vrk_…)…" in the block's language.
    QString connectionCodePlaceholder() const;

    // The parts, for hosts' tests and galleries.
    ZunoCreditsDisclosureButton *switchAccountRow() const { return m_switch; }
    ZunoButton *browserButton() const { return m_browser; }
    QWidget *pendingRow() const { return m_pending; }
    QLabel *pendingMessage() const { return m_pendingMessage; }
    ZunoButton *openBrowserButton() const { return m_openBrowser; }
    ZunoButton *cancelButton() const { return m_cancel; }
    QWidget *deviceCodeRow() const { return m_deviceRow; }
    QLabel *deviceCodeLabel() const { return m_code; }
    ZunoButton *copyButton() const { return m_copy; }
    ZunoButton *openVerificationButton() const { return m_openDevice; }
    ZunoCreditsDisclosureButton *otherOptionsRow() const { return m_other; }
    ZunoButton *deviceCodeButton() const { return m_deviceCode; }
    ZunoButton *connectionCodeButton() const { return m_connectionCode; }
    QLineEdit *connectionCodeField() const { return m_token; }
    ZunoButton *saveCodeButton() const { return m_saveToken; }

private:
    QString t(const QString &en, const QString &tr) const;
    void saveConnectionCode();
    void updateTexts();
    void follow();

    ZunoCreditsAccountStore &m_store;
    QColor m_accent;
    ZunoLanguage m_language;
    ZunoCreditsAuthUIState *m_state;
    std::optional<QString> m_shownUserCode;
    std::optional<QUrl> m_connectURL;
    std::optional<QUrl> m_verificationURL;

    ZunoCreditsDisclosureButton *m_switch;
    QWidget *m_buttons;
    ZunoButton *m_browser;
    QWidget *m_pending;
    ZunoActivityIndicator *m_pendingSpinner;
    QLabel *m_pendingMessage;
    ZunoButton *m_openBrowser;
    ZunoButton *m_cancel;
    QWidget *m_deviceRow;
    QLabel *m_code;
    ZunoButton *m_copy;
    ZunoButton *m_openDevice;
    ZunoCreditsDisclosureButton *m_other;
    QWidget *m_options;
    ZunoButton *m_deviceCode;
    ZunoButton *m_connectionCode;
    QWidget *m_entry;
    QLineEdit *m_token;
    ZunoButton *m_saveToken;
};

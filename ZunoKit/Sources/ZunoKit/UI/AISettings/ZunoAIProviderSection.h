#pragma once

#include "ZunoAIConfig.h"
#include "ZunoAIKeyHooks.h"
#include "ZunoLanguage.h"

#include <QColor>
#include <QList>
#include <QWidget>

#include <optional>

class QLabel;
class QLineEdit;
class ZunoAIProviderTile;
class ZunoButton;
class ZunoCreditsAccountStore;
class ZunoSymbolIcon;

// The AI settings card's provider section: three provider tiles (credits gateway, own API key, local
// Ollama), the credits hint, and for the own-key provider the key entry. Keys are kept per endpoint
// origin: the badge, the placeholder and Clear follow the origin of the current endpoint, and a
// confirmation shows only when the host's hook reports that the key really was stored or removed.
// The key hooks run on a worker (a locked keyring may block); their results come back here. Main thread.
class ZunoAIProviderSection : public QWidget {
    Q_OBJECT
public:
    ZunoAIProviderSection(ZunoAIKeyHooks hooks, const QColor &accent, ZunoCreditsAccountStore *creditsStore,
        QWidget *parent = nullptr);
    ~ZunoAIProviderSection() override;

    // Brings the card's config and language in; a new endpoint origin asks the hooks again and clears
    // the key feedback, which spoke of the previous origin's key.
    void resync(const ZunoAIConfig &config, ZunoLanguage language);
    // Writes the provider's default endpoint and model, also for the provider already chosen, and
    // removes the key feedback.
    void selectProvider(ZunoAIProvider provider);

    // Where keys of the current endpoint are kept, for the own-key provider: the endpoint's origin, or
    // the provider default's. Empty for the other providers.
    QString origin() const { return m_origin; }
    bool hasSavedKey() const { return m_hasSavedKey; }
    // A key call or a saved-key query is running.
    bool isKeyBusy() const { return m_keyCallRunning || m_pendingQueries > 0; }
    std::optional<QString> feedback() const { return m_feedback; }
    bool feedbackIsFailure() const { return m_feedbackFailed; }

    QList<ZunoAIProviderTile *> tiles() const { return m_tiles; }
    QLabel *headerText() const { return m_headerText; }
    ZunoButton *connectButton() const { return m_connect; }
    QWidget *keyBlock() const { return m_keyBlock; }
    QWidget *creditsHint() const { return m_creditsHint; }
    QLabel *creditsHintText() const { return m_hintText; }
    QLabel *keyLabel() const { return m_keyLabel; }
    QLabel *hostLabel() const { return m_hostLabel; }
    QWidget *savedBadge() const { return m_savedBadge; }
    QLineEdit *keyField() const { return m_keyField; }
    ZunoButton *saveButton() const { return m_save; }
    ZunoButton *clearButton() const { return m_clear; }
    QLabel *feedbackLabel() const { return m_feedbackLabel; }

public slots:
    // The host says that keys changed elsewhere: the saved state is asked again.
    void savedKeysChanged();

signals:
    void configEdited(const ZunoAIConfig &config);
    // After `configEdited` of a tile, so that the card can open the model list on the provider's models.
    void providerSelected(ZunoAIProvider provider);
    // The saved state, the feedback or the busy state changed.
    void keyStateChanged();

private:
    QString t(const char *en, const char *tr) const;
    void saveKey();
    void clearKey();
    void finishKeyCall(bool stored, const QString &origin, const QString &sentText, const char *doneEn,
        const char *doneTr, const char *failedEn, const char *failedTr);
    void setFeedback(std::optional<QString> text, bool failed);
    void refreshTexts();
    void refreshKeyBlock();

    ZunoAIKeyHooks m_hooks;
    QColor m_accent;
    ZunoCreditsAccountStore *m_creditsStore;
    ZunoAIConfig m_config { ZunoAIProvider::quarnwellCredits };
    ZunoLanguage m_language = ZunoLanguage::en;
    QString m_origin;
    bool m_hasSavedKey = false;
    // Only the answer to the latest saved-key query counts.
    quint64 m_savedQuery = 0;
    int m_pendingQueries = 0;
    // A save or clear runs; another waits for it.
    bool m_keyCallRunning = false;
    std::optional<QString> m_feedback;
    bool m_feedbackFailed = false;

    QLabel *m_headerText;
    ZunoButton *m_connect = nullptr;
    QList<ZunoAIProviderTile *> m_tiles;
    QWidget *m_divider;
    QWidget *m_keyBlock;
    QLabel *m_keyLabel;
    QLabel *m_hostLabel;
    QWidget *m_savedBadge;
    QLabel *m_savedText;
    QLineEdit *m_keyField;
    ZunoButton *m_save;
    ZunoButton *m_clear;
    QLabel *m_feedbackLabel;
    QWidget *m_creditsHint;
    ZunoSymbolIcon *m_hintIcon;
    QLabel *m_hintText;
};

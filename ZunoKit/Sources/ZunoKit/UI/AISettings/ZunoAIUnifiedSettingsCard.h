#pragma once

#include "ZunoAIConfig.h"
#include "ZunoAIKeyHooks.h"
#include "ZunoLanguage.h"
#include "ZunoUnifiedModelRowItem.h"

#include <QColor>
#include <QList>
#include <QWidget>

#include <functional>
#include <optional>

class QGridLayout;
class QLabel;
class ZunoAIAdvancedSettingsSection;
class ZunoAIAllModelsSection;
class ZunoAICreditsSection;
class ZunoAIProviderSection;
class ZunoAIModelCatalogStore;
class ZunoAIUnifiedSettingsUIState;
class ZunoCreditsAccountStore;
class ZunoDisclosureCard;
class ZunoQuickPickTile;

// The settings card where the user chooses how AI requests are served: the credits account, four quick
// picks, every known model in a searchable list, an own API key and advanced settings. It edits one
// `ZunoAIConfig` owned by the host: `setConfig` brings the host's value in (no echo), and every change
// the card makes goes out whole through `configEdited`. The stores are observed, never owned. Showing
// the card refreshes the credits account if stale, then the catalog with local discovery. Main thread.
class ZunoAIUnifiedSettingsCard : public QWidget {
    Q_OBJECT
public:
    // How the host keeps API keys, per service origin (scheme, host and port of the endpoint).
    using KeyHooks = ZunoAIKeyHooks;
    // The quick picks' header shares its width between the title and hint and the active chip.
    static constexpr int kHintShare = 3;
    static constexpr int kChipShare = 2;

    ZunoAIUnifiedSettingsCard(const ZunoAIConfig &config, KeyHooks keyHooks, const QColor &accent,
        std::optional<ZunoLanguage> language, ZunoCreditsAccountStore *creditsStore,
        ZunoAIModelCatalogStore *catalogStore, QWidget *parent = nullptr);
    ~ZunoAIUnifiedSettingsCard() override;

    const ZunoAIConfig &config() const { return m_config; }
    void setConfig(const ZunoAIConfig &config);

    // The language in use: the host's, else the interface language.
    ZunoLanguage language() const;
    ZunoAIUnifiedSettingsUIState *uiState() const { return m_state; }
    const QList<ZunoUnifiedModelRowItem> &rows() const { return m_rows; }

    // What a tile or a row of the list does when clicked.
    void applyModelSelection(const ZunoUnifiedModelRowItem &row);
    bool isRowSelected(const ZunoUnifiedModelRowItem &row) const;

    // The parts, for hosts' tests and the gallery.
    QList<ZunoQuickPickTile *> quickPickTiles() const { return m_tiles; }
    QLabel *activeChip() const { return m_activeChip; }
    ZunoDisclosureCard *allModelsDisclosure() const { return m_allModels; }
    ZunoAIAllModelsSection *allModelsSection() const { return m_allModelsSection; }
    ZunoDisclosureCard *ownKeyDisclosure() const { return m_ownKey; }
    ZunoDisclosureCard *advancedDisclosure() const { return m_advanced; }
    // Null without a credits store.
    ZunoAICreditsSection *creditsSection() const { return m_creditsSection; }
    ZunoAIProviderSection *providerSection() const { return m_providerSection; }
    ZunoAIAdvancedSettingsSection *advancedSection() const { return m_advancedSection; }
    // Rebuilds rows and texts now (the card does so itself on every change of its inputs).
    void resync();

public slots:
    // The host says that keys changed elsewhere: the saved state is asked again.
    void savedKeysChanged();

signals:
    void configEdited(const ZunoAIConfig &config);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    QWidget *buildQuickPicksCard();
    void updateQuickPicks();
    void writeConfig(const ZunoAIConfig &config);
    void showProviderModels(ZunoAIProvider provider);
    QString t(const char *en, const char *tr) const;

    ZunoAIConfig m_config;
    QColor m_accent;
    std::optional<ZunoLanguage> m_languageOverride;
    ZunoCreditsAccountStore *m_creditsStore;
    ZunoAIModelCatalogStore *m_catalogStore;
    ZunoAIUnifiedSettingsUIState *m_state;
    QList<ZunoUnifiedModelRowItem> m_rows;
    // Raised on every show and hide, so that a refresh chain started by an earlier showing stops.
    quint64 m_appearance = 0;

    QWidget *m_creditsSlot;
    QLabel *m_quickTitle = nullptr;
    QLabel *m_quickHint = nullptr;
    QLabel *m_activeChip = nullptr;
    QGridLayout *m_tileGrid = nullptr;
    QList<ZunoQuickPickTile *> m_tiles;
    QList<std::optional<ZunoUnifiedModelRowItem>> m_tilePicks;
    ZunoDisclosureCard *m_allModels;
    ZunoAIAllModelsSection *m_allModelsSection;
    ZunoDisclosureCard *m_ownKey;
    ZunoDisclosureCard *m_advanced;
    ZunoAICreditsSection *m_creditsSection = nullptr;
    ZunoAIProviderSection *m_providerSection;
    ZunoAIAdvancedSettingsSection *m_advancedSection;
};

#include "ZunoAIUnifiedSettingsCard.h"

#include "ZunoAIAdvancedSettingsSection.h"
#include "ZunoAIAllModelsSection.h"
#include "ZunoAICreditsSection.h"
#include "ZunoAIModelCatalogStore.h"
#include "ZunoAIModelSelection.h"
#include "ZunoAIProviderSection.h"
#include "ZunoAIUnifiedSettingsUIState.h"
#include "ZunoColumn.h"
#include "ZunoContinuousShape.h"
#include "ZunoCreditsAccountStore.h"
#include "ZunoCreditsViewText.h"
#include "ZunoDisclosureCard.h"
#include "ZunoFonts.h"
#include "ZunoGlassCard.h"
#include "ZunoGlassTokens.h"
#include "ZunoPlainLabel.h"
#include "ZunoQuickPickTile.h"
#include "ZunoText.h"
#include "ZunoUnifiedCatalogBuilder.h"
#include "ZunoWhileAlive.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

namespace {

// "Active: <name>": 11 semibold in the accent, padded 9 × 4 on an accent capsule at 0.14 edged at 0.35.
// A name wider than the chip's slot is cut short with an ellipsis; the tooltip keeps it whole.
class ActiveChip : public QLabel {
public:
    explicit ActiveChip(const QColor &accent)
        : m_accent(accent)
    {
        setFont(ZunoFonts::system(11, QFont::DemiBold));
        QPalette palette = this->palette();
        palette.setColor(QPalette::WindowText, accent);
        setPalette(palette);
        setContentsMargins(9, 4, 9, 4);
        setTextFormat(Qt::PlainText);
        setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    }

    QSize minimumSizeHint() const override
    {
        const QMargins margins = contentsMargins();
        return QSize(margins.left() + margins.right() + QFontMetrics(font()).horizontalAdvance(QChar(0x2026)),
            sizeHint().height());
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.fillPath(
            ZunoContinuousShape::capsule(rect()), ZunoCreditsViewText::withOpacity(m_accent, 0.14));
        ZunoContinuousShape::strokeBorder(
            painter, rect(), -1, ZunoCreditsViewText::withOpacity(m_accent, 0.35));
        const QRect box = contentsRect();
        painter.setFont(font());
        painter.setPen(m_accent);
        painter.drawText(box, Qt::AlignCenter | Qt::TextSingleLine,
            QFontMetrics(font()).elidedText(text(), Qt::ElideRight, box.width() + 1));
    }

private:
    QColor m_accent;
};

} // namespace

ZunoAIUnifiedSettingsCard::ZunoAIUnifiedSettingsCard(const ZunoAIConfig &config, KeyHooks keyHooks,
    const QColor &accent, std::optional<ZunoLanguage> language, ZunoCreditsAccountStore *creditsStore,
    ZunoAIModelCatalogStore *catalogStore, QWidget *parent)
    : QWidget(parent)
    , m_config(config)
    , m_accent(accent)
    , m_languageOverride(language)
    , m_creditsStore(creditsStore)
    , m_catalogStore(catalogStore)
    , m_state(new ZunoAIUnifiedSettingsUIState(this))
    , m_creditsSlot(new QWidget)
    , m_allModels(new ZunoDisclosureCard(QString()))
    , m_allModelsSection(new ZunoAIAllModelsSection(m_state, accent))
    , m_ownKey(new ZunoDisclosureCard(QString()))
    , m_advanced(new ZunoDisclosureCard(QString()))
    , m_providerSection(new ZunoAIProviderSection(std::move(keyHooks), accent, creditsStore))
    , m_advancedSection(new ZunoAIAdvancedSettingsSection(catalogStore))
{
    QVBoxLayout *column = zunoColumn(this, 12);
    QVBoxLayout *slotColumn = zunoColumn(m_creditsSlot, 0);
    if (m_creditsStore) {
        m_creditsSection = new ZunoAICreditsSection(*m_creditsStore, accent, this->language());
        m_creditsSection->setShowBudgetEditor(m_state->showBudgetEditor);
        slotColumn->addWidget(m_creditsSection);
        connect(m_creditsSection, &ZunoAICreditsSection::showBudgetEditorChanged, this,
            [this](bool show) { m_state->showBudgetEditor = show; });
    } else {
        m_creditsSlot->hide();
    }
    column->addWidget(m_creditsSlot);
    column->addWidget(buildQuickPicksCard());

    m_allModels->setBody(m_allModelsSection);
    column->addWidget(m_allModels);
    m_ownKey->setBody(m_providerSection);
    column->addWidget(m_ownKey);
    m_advanced->setBody(m_advancedSection);
    column->addWidget(m_advanced);
    column->addStretch(1);

    connect(m_allModels, &ZunoDisclosureCard::toggled, this, [this](bool expanded) {
        m_state->showAllModels = expanded;
        resync();
    });
    connect(m_ownKey, &ZunoDisclosureCard::toggled, this,
        [this](bool expanded) { m_state->showOwnKeySection = expanded; });
    connect(m_advanced, &ZunoDisclosureCard::toggled, this,
        [this](bool expanded) { m_state->showAdvancedSettings = expanded; });
    connect(m_providerSection, &ZunoAIProviderSection::configEdited, this,
        &ZunoAIUnifiedSettingsCard::writeConfig);
    connect(m_providerSection, &ZunoAIProviderSection::providerSelected, this,
        &ZunoAIUnifiedSettingsCard::showProviderModels);
    connect(m_advancedSection, &ZunoAIAdvancedSettingsSection::configEdited, this,
        &ZunoAIUnifiedSettingsCard::writeConfig);
    connect(m_allModelsSection, &ZunoAIAllModelsSection::rowChosen, this,
        [this](const ZunoUnifiedModelRowItem &row) { applyModelSelection(row); });

    connect(m_state, &ZunoLanguageAwareUIState::languageRevisionChanged, this, [this] {
        // A fixed language does not follow the interface.
        if (!m_languageOverride)
            resync();
    });
    if (m_catalogStore)
        connect(
            m_catalogStore, &ZunoAIModelCatalogStore::stateChanged, this, &ZunoAIUnifiedSettingsCard::resync);
    if (m_creditsStore)
        connect(
            m_creditsStore, &ZunoCreditsAccountStore::stateChanged, this, &ZunoAIUnifiedSettingsCard::resync);
    resync();
}

ZunoAIUnifiedSettingsCard::~ZunoAIUnifiedSettingsCard() = default;

ZunoLanguage ZunoAIUnifiedSettingsCard::language() const
{
    return m_languageOverride.value_or(ZunoLanguages::current());
}

QString ZunoAIUnifiedSettingsCard::t(const char *en, const char *tr) const
{
    return zunoText(QString::fromUtf8(en), QString::fromUtf8(tr), language());
}

void ZunoAIUnifiedSettingsCard::setConfig(const ZunoAIConfig &config)
{
    if (config == m_config)
        return;
    m_config = config;
    resync();
}

void ZunoAIUnifiedSettingsCard::writeConfig(const ZunoAIConfig &config)
{
    m_config = config;
    resync();
    emit configEdited(m_config);
}

void ZunoAIUnifiedSettingsCard::showProviderModels(ZunoAIProvider provider)
{
    switch (provider) {
    case ZunoAIProvider::openAI:
        m_state->selectedCategory = ZunoAIModelFilterCategory::cloud;
        break;
    case ZunoAIProvider::quarnwellCredits:
        m_state->selectedCategory = ZunoAIModelFilterCategory::quarnwell;
        break;
    case ZunoAIProvider::ollamaLocal: {
        const bool discovered = m_catalogStore && !m_catalogStore->discoveredLocalModels().isEmpty();
        m_state->selectedCategory
            = discovered ? ZunoAIModelFilterCategory::installed : ZunoAIModelFilterCategory::local;
        break;
    }
    }
    resync();
}

void ZunoAIUnifiedSettingsCard::savedKeysChanged()
{
    m_providerSection->savedKeysChanged();
}

bool ZunoAIUnifiedSettingsCard::isRowSelected(const ZunoUnifiedModelRowItem &row) const
{
    return ZunoAIModelSelection::isRowSelected(row, m_config);
}

void ZunoAIUnifiedSettingsCard::applyModelSelection(const ZunoUnifiedModelRowItem &row)
{
    const ZunoAIModelCatalogDocument empty;
    writeConfig(ZunoAIModelSelection::applyModelSelection(
        row, m_config, m_catalogStore ? m_catalogStore->document() : empty));
}

QWidget *ZunoAIUnifiedSettingsCard::buildQuickPicksCard()
{
    auto *content = new QWidget;
    QVBoxLayout *column = zunoColumn(content, 11);

    auto *header = new QHBoxLayout;
    header->setSpacing(8);
    auto *texts = new QVBoxLayout;
    texts->setSpacing(2);
    m_quickTitle
        = zunoPlainLabel(QString(), ZunoFonts::system(13.5, QFont::Bold), ZunoGlassTokens::textPrimary());
    m_quickHint = zunoPlainLabel(QString(), ZunoFonts::system(11.5), ZunoGlassTokens::textSecondary(), true);
    texts->addWidget(m_quickTitle);
    texts->addWidget(m_quickHint);
    // The chip stands in a slot of a fixed share of the header, so that the hint wraps the same way
    // whichever model is active and nothing below moves when the choice changes.
    auto *slot = new QWidget;
    slot->setObjectName(QStringLiteral("activeChipSlot"));
    slot->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto *slotRow = new QHBoxLayout(slot);
    slotRow->setContentsMargins(0, 0, 0, 0);
    slotRow->addStretch(1);
    m_activeChip = new ActiveChip(m_accent);
    slotRow->addWidget(m_activeChip, 0, Qt::AlignTop);
    auto *textsBox = new QWidget;
    textsBox->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    textsBox->setLayout(texts);
    texts->setContentsMargins(0, 0, 0, 0);
    header->addWidget(textsBox, kHintShare);
    header->addWidget(slot, kChipShare);
    column->addLayout(header);

    m_tileGrid = new QGridLayout;
    m_tileGrid->setHorizontalSpacing(8);
    m_tileGrid->setVerticalSpacing(8);
    m_tileGrid->setColumnStretch(0, 1);
    m_tileGrid->setColumnStretch(1, 1);
    for (int i = 0; i < 4; ++i) {
        auto *tile = new ZunoQuickPickTile(m_accent);
        m_tiles.append(tile);
        m_tilePicks.append(std::nullopt);
        connect(tile, &QAbstractButton::clicked, this, [this, i] {
            if (const auto pick = m_tilePicks.value(i))
                applyModelSelection(*pick);
        });
    }
    column->addLayout(m_tileGrid);
    return new ZunoGlassCard(16, 14, content, nullptr);
}

void ZunoAIUnifiedSettingsCard::updateQuickPicks()
{
    m_quickTitle->setText(t("2. Quick Model Selection", "2. Hızlı Model Seçimi"));
    m_quickHint->setText(t("Not sure which to pick? Auto selects the best model for each task.",
        "Emin değilseniz Otomatik seçeneği sizin için en uygun modeli seçer."));
    m_activeChip->setText(
        t("Active", "Aktif") + QStringLiteral(": ") + ZunoAIModelSelection::activeName(m_rows, m_config));
    m_activeChip->setToolTip(m_activeChip->text());

    const ZunoAIModelSelection::QuickPicks picks = ZunoAIModelSelection::quickPicks(m_rows);
    const QString selected = t("Selected", "Seçili");
    const bool localReady = picks.localPick && picks.localPick->isInstalledLocally;
    struct Tile {
        const std::optional<ZunoUnifiedModelRowItem> &pick;
        QString title, badge;
        QColor tint;
        QString hint;
    };
    const Tile tiles[] = {
        { picks.autoPick, t("Auto", "Otomatik"), t("Recommended", "Önerilen"), ZunoGlassTokens::success(),
            t("Picks fast models for simple tasks and strong models for complex ones.",
                "Basit işlerde hızlı, zor işlerde güçlü modeli sizin yerinize kendi seçer.") },
        { picks.fastPick, t("Fast & Economical", "Hızlı & Ekonomik"), t("Everyday", "Günlük"),
            ZunoGlassTokens::accentCyan(),
            t("Great for summaries, quick answers, and everyday tasks.",
                "Özetleme, hızlı yanıtlar ve günlük kullanım için ideal.") },
        { picks.capablePick, t("Most Capable", "En Güçlü"), t("Detailed", "Detaylı"), m_accent,
            t("Best for deep analysis, coding, and complex multi-step work.",
                "Detaylı analiz, kodlama ve karmaşık görevler için.") },
        { picks.localPick, t("Free (Local)", "Ücretsiz (Yerel)"),
            localReady ? t("Ready on this computer", "Bu bilgisayarda hazır") : t("Offline", "Çevrimdışı"),
            ZunoGlassTokens::success(),
            localReady ? t("Runs right on your computer with zero credits.",
                "Kredi harcamadan doğrudan bilgisayarınızda çalışır.")
                       : t("Runs free on your computer when Ollama is open.",
                           "Ollama kuruluysa kredi harcamadan bilgisayarınızda ücretsiz çalışır.") },
    };

    // Present tiles fill the two columns in order; an absent pick leaves no hole.
    for (ZunoQuickPickTile *tile : m_tiles)
        m_tileGrid->removeWidget(tile);
    int place = 0;
    for (int i = 0; i < 4; ++i) {
        const Tile &tile = tiles[i];
        ZunoQuickPickTile *widget = m_tiles.at(i);
        m_tilePicks[i] = tile.pick;
        if (!tile.pick) {
            widget->hide();
            continue;
        }
        widget->setContent({ tile.title, tile.badge, tile.tint, tile.hint, tile.pick->displayName, selected },
            isRowSelected(*tile.pick));
        m_tileGrid->addWidget(widget, place / 2, place % 2);
        widget->show();
        ++place;
    }
}

void ZunoAIUnifiedSettingsCard::resync()
{
    const ZunoLanguage current = language();
    const ZunoAIModelCatalogDocument empty;
    m_rows = m_catalogStore ? ZunoUnifiedCatalogBuilder::buildRows(
                 m_catalogStore->document(), m_catalogStore->discoveredLocalModels(), current)
                            : ZunoUnifiedCatalogBuilder::buildRows(empty, {}, current);
    updateQuickPicks();

    m_allModels->setTitle(
        zunoText(QStringLiteral("Browse & search all models (%1 models)").arg(m_rows.size()),
            QStringLiteral("Tüm modelleri gör ve ara (%1 model)").arg(m_rows.size()), current));
    m_allModels->setExpanded(m_state->showAllModels);
    // The list is filled only while it shows; opening the section re-syncs.
    if (m_state->showAllModels) {
        QList<bool> selected;
        selected.reserve(m_rows.size());
        for (const ZunoUnifiedModelRowItem &row : m_rows)
            selected.append(isRowSelected(row));
        m_allModelsSection->setRows(m_rows, selected, current);
    }
    m_ownKey->setTitle(t("Use my own API key / provider (Optional)",
        "Kendi API anahtarımı kullanmak istiyorum (İsteğe bağlı)"));
    m_ownKey->setExpanded(m_state->showOwnKeySection);
    m_advanced->setTitle(t("Advanced settings (Catalog sync & manual endpoint)",
        "Gelişmiş ayarlar (Katalog güncelleme ve özel uç nokta)"));
    m_advanced->setExpanded(m_state->showAdvancedSettings);

    if (m_creditsSection)
        m_creditsSection->setLanguage(current);
    m_providerSection->resync(m_config, current);
    m_advancedSection->resync(m_config, int(m_rows.size()), current);
}

void ZunoAIUnifiedSettingsCard::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    const quint64 appearance = ++m_appearance;
    // Hiding stops only the waiting: the stores are shared, so their refreshes run on.
    const auto refreshCatalog = [this, appearance] {
        if (appearance == m_appearance && m_catalogStore)
            m_catalogStore->refresh(false, true);
    };
    if (m_creditsStore)
        zunoThenWhileAlive(m_creditsStore->refreshIfStale(300), this, refreshCatalog);
    else
        refreshCatalog();
}

void ZunoAIUnifiedSettingsCard::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    ++m_appearance;
}

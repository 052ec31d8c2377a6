#include "ZunoAIProviderSection.h"

#include "ZunoAIKeyRing.h"
#include "ZunoAIProviderTile.h"
#include "ZunoButton.h"
#include "ZunoCreditsAccountStore.h"
#include "ZunoCreditsViewText.h"
#include "ZunoFonts.h"
#include "ZunoGlassButtonStyle.h"
#include "ZunoGlassInputField.h"
#include "ZunoGlassTokens.h"
#include "ZunoPrimaryButtonStyle.h"
#include "ZunoSymbolIcon.h"
#include "ZunoText.h"
#include "ZunoWhileAlive.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QUrl>
#include <QVBoxLayout>
#include <QtConcurrent>

namespace {

struct TileContents {
    ZunoAIProvider provider;
    const char *symbol;
};

constexpr TileContents kTiles[] = {
    { ZunoAIProvider::quarnwellCredits, "sparkles" },
    { ZunoAIProvider::openAI, "key.fill" },
    { ZunoAIProvider::ollamaLocal, "desktopcomputer" },
};

} // namespace

ZunoAIProviderSection::ZunoAIProviderSection(
    ZunoAIKeyHooks hooks, const QColor &accent, ZunoCreditsAccountStore *creditsStore, QWidget *parent)
    : QWidget(parent)
    , m_hooks(std::move(hooks))
    , m_accent(accent)
    , m_creditsStore(creditsStore)
{
    using ZunoCreditsViewText::label;
    const auto glass = [] { return std::make_shared<ZunoGlassButtonStyle>(false); };
    auto *stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(11);

    auto *header = new QHBoxLayout;
    m_headerText = label(QString(), ZunoFonts::system(11.5), ZunoGlassTokens::textSecondary(), this);
    m_headerText->setWordWrap(true);
    header->addWidget(m_headerText, 1);
    if (m_hooks.connectZunoMind) {
        m_connect = new ZunoButton(QString(), glass(), this);
        m_connect->setSymbol(QStringLiteral("bolt.fill"));
        m_connect->setFont(ZunoFonts::system(11.5, QFont::DemiBold));
        connect(m_connect, &QAbstractButton::clicked, this, [this] { m_hooks.connectZunoMind(); });
        header->addWidget(m_connect, 0, Qt::AlignVCenter);
    }
    stack->addLayout(header);

    auto *tileRow = new QHBoxLayout;
    tileRow->setSpacing(8);
    for (const TileContents &contents : kTiles) {
        auto *tile
            = new ZunoAIProviderTile(contents.provider, QString::fromLatin1(contents.symbol), accent, this);
        connect(tile, &QAbstractButton::clicked, this,
            [this, provider = contents.provider] { selectProvider(provider); });
        tileRow->addWidget(tile, 1);
        m_tiles.append(tile);
    }
    stack->addLayout(tileRow);

    // The own-key part: a divider, then the key block.
    m_divider = ZunoCreditsViewText::divider(this);
    stack->addWidget(m_divider);
    m_keyBlock = new QWidget(this);
    auto *keyRows = new QVBoxLayout(m_keyBlock);
    keyRows->setContentsMargins(0, 0, 0, 0);
    keyRows->setSpacing(6);
    auto *labelRow = new QHBoxLayout;
    m_keyLabel = label(
        QString(), ZunoFonts::system(11.5, QFont::DemiBold), ZunoGlassTokens::textSecondary(), m_keyBlock);
    m_hostLabel = label(QString(), ZunoFonts::system(11), ZunoGlassTokens::textMuted(), m_keyBlock);
    m_savedBadge = new QWidget(m_keyBlock);
    auto *badgeRow = new QHBoxLayout(m_savedBadge);
    badgeRow->setContentsMargins(0, 0, 0, 0);
    badgeRow->setSpacing(4);
    const QFont badgeFont = ZunoFonts::system(11, QFont::Medium);
    badgeRow->addWidget(new ZunoSymbolIcon(
        QStringLiteral("checkmark.shield.fill"), badgeFont, ZunoGlassTokens::success(), m_savedBadge));
    m_savedText = label(QString(), badgeFont, ZunoGlassTokens::success(), m_savedBadge);
    badgeRow->addWidget(m_savedText);
    labelRow->addWidget(m_keyLabel);
    labelRow->addWidget(m_hostLabel);
    labelRow->addStretch();
    labelRow->addWidget(m_savedBadge);
    keyRows->addLayout(labelRow);

    auto *entryRow = new QHBoxLayout;
    entryRow->setSpacing(8);
    m_keyField = zunoGlassInputField(new QLineEdit(m_keyBlock), 9, 10, 7);
    m_keyField->setEchoMode(QLineEdit::Password);
    m_save = new ZunoButton(QString(), std::make_shared<ZunoPrimaryButtonStyle>(), m_keyBlock);
    m_clear = new ZunoButton(QString(), glass(), m_keyBlock);
    entryRow->addWidget(m_keyField, 1);
    entryRow->addWidget(m_save);
    entryRow->addWidget(m_clear);
    keyRows->addLayout(entryRow);
    m_feedbackLabel = label(QString(), ZunoFonts::system(11), ZunoGlassTokens::success(), m_keyBlock);
    m_feedbackLabel->setWordWrap(true);
    keyRows->addWidget(m_feedbackLabel);
    stack->addWidget(m_keyBlock);

    m_creditsHint = new QWidget(this);
    auto *hintRow = new QHBoxLayout(m_creditsHint);
    hintRow->setContentsMargins(0, 0, 0, 0);
    hintRow->setSpacing(6);
    m_hintIcon = new ZunoSymbolIcon(QString(), ZunoFonts::system(12), accent, m_creditsHint);
    m_hintText = label(QString(), ZunoFonts::system(11.5), ZunoGlassTokens::textSecondary(), m_creditsHint);
    m_hintText->setWordWrap(true);
    hintRow->addWidget(m_hintIcon, 0, Qt::AlignVCenter);
    hintRow->addWidget(m_hintText, 1);
    stack->addWidget(m_creditsHint);

    connect(m_keyField, &QLineEdit::textChanged, this, &ZunoAIProviderSection::refreshKeyBlock);
    connect(m_keyField, &QLineEdit::returnPressed, this, &ZunoAIProviderSection::saveKey);
    connect(m_save, &QAbstractButton::clicked, this, &ZunoAIProviderSection::saveKey);
    connect(m_clear, &QAbstractButton::clicked, this, &ZunoAIProviderSection::clearKey);
    if (m_creditsStore)
        connect(m_creditsStore, &ZunoCreditsAccountStore::stateChanged, this,
            &ZunoAIProviderSection::refreshTexts);

    setFeedback(std::nullopt, false);
    refreshTexts();
    savedKeysChanged();
}

ZunoAIProviderSection::~ZunoAIProviderSection() = default;

QString ZunoAIProviderSection::t(const char *en, const char *tr) const
{
    return zunoText(QString::fromUtf8(en), QString::fromUtf8(tr), m_language);
}

void ZunoAIProviderSection::resync(const ZunoAIConfig &config, ZunoLanguage language)
{
    m_config = config;
    m_language = language;
    // Keys matter only for the own-key provider; the keyring is not asked about other services.
    const QString origin
        = config.provider == ZunoAIProvider::openAI ? ZunoAIKeyRing::originFor(config) : QString();
    const bool originChanged = origin != m_origin;
    m_origin = origin;
    if (originChanged && m_feedback)
        setFeedback(std::nullopt, false);
    refreshTexts();
    if (originChanged)
        savedKeysChanged();
}

void ZunoAIProviderSection::selectProvider(ZunoAIProvider provider)
{
    const ZunoAIConfig config(provider, defaultEndpoint(provider), defaultModel(provider));
    setFeedback(std::nullopt, false);
    resync(config, m_language);
    emit configEdited(config);
    emit providerSelected(provider);
}

void ZunoAIProviderSection::savedKeysChanged()
{
    const quint64 query = ++m_savedQuery;
    // Until the answer comes, no badge claims a key for an origin not yet asked about.
    m_hasSavedKey = false;
    refreshKeyBlock();
    if (!m_hooks.hasSavedKey || m_origin.isEmpty())
        return;
    ++m_pendingQueries;
    zunoThenWhileAlive(
        QtConcurrent::run([hook = m_hooks.hasSavedKey, origin = m_origin] { return hook(origin); }), this,
        [this, query](bool saved) {
            --m_pendingQueries;
            if (query == m_savedQuery)
                m_hasSavedKey = saved;
            refreshKeyBlock();
            emit keyStateChanged();
        });
    emit keyStateChanged();
}

void ZunoAIProviderSection::saveKey()
{
    const QString sentText = m_keyField->text();
    const QString key = sentText.trimmed();
    if (key.isEmpty() || m_keyCallRunning || m_origin.isEmpty())
        return;
    m_keyCallRunning = true;
    refreshKeyBlock();
    zunoThenWhileAlive(QtConcurrent::run([hook = m_hooks.saveKey, origin = m_origin, key] {
        return hook && hook(origin, key);
    }),
        this, [this, origin = m_origin, sentText](bool stored) {
            finishKeyCall(stored, origin, sentText, "API key saved.", "API anahtarı kaydedildi.",
                "API key could not be saved.", "API anahtarı kaydedilemedi.");
        });
    emit keyStateChanged();
}

void ZunoAIProviderSection::clearKey()
{
    if (!m_hooks.clearKey || m_keyCallRunning || m_origin.isEmpty())
        return;
    m_keyCallRunning = true;
    refreshKeyBlock();
    zunoThenWhileAlive(
        QtConcurrent::run([hook = m_hooks.clearKey, origin = m_origin] { return hook(origin); }), this,
        [this, origin = m_origin, sentText = m_keyField->text()](bool removed) {
            finishKeyCall(removed, origin, sentText, "API key removed.", "API anahtarı silindi.",
                "API key could not be removed.", "API anahtarı silinemedi.");
        });
    emit keyStateChanged();
}

void ZunoAIProviderSection::finishKeyCall(bool done, const QString &origin, const QString &sentText,
    const char *doneEn, const char *doneTr, const char *failedEn, const char *failedTr)
{
    m_keyCallRunning = false;
    // The endpoint moved to another origin while the call ran: its outcome says nothing about the key
    // of the origin shown now, whose saved state is asked for again.
    if (origin != m_origin) {
        savedKeysChanged();
        return;
    }
    // The typed key leaves the card once it is handed over; a failure keeps it for another try. Text
    // typed while the call ran is left alone.
    if (done && m_keyField->text() == sentText)
        m_keyField->clear();
    // Resolved now, so that a later language change does not translate a confirmation already shown.
    setFeedback(done ? t(doneEn, doneTr) : t(failedEn, failedTr), !done);
    savedKeysChanged();
}

void ZunoAIProviderSection::setFeedback(std::optional<QString> text, bool failed)
{
    m_feedback = std::move(text);
    m_feedbackFailed = failed;
    m_feedbackLabel->setText(m_feedback.value_or(QString()));
    ZunoCreditsViewText::setColor(
        m_feedbackLabel, failed ? ZunoGlassTokens::danger() : ZunoGlassTokens::success());
    m_feedbackLabel->setVisible(m_feedback.has_value());
    emit keyStateChanged();
}

void ZunoAIProviderSection::refreshTexts()
{
    m_headerText->setText(t("Choose whether to use Quarnwell Credits, your own API key, or local Ollama.",
        "Quarnwell kredisi yerine kendi API anahtarınızı veya yerel Ollama motorunu seçebilirsiniz."));
    if (m_connect)
        m_connect->setText(t("Connect ZunoMind", "ZunoMind Bağla"));
    for (ZunoAIProviderTile *tile : m_tiles) {
        switch (tile->provider()) {
        case ZunoAIProvider::quarnwellCredits:
            tile->setTexts(t("Quarnwell Credits", "Quarnwell Kredisi"), ZunoCreditsViewText::portalHost());
            break;
        case ZunoAIProvider::openAI:
            tile->setTexts(t("Own API Key", "Kendi Anahtarım"), t("OpenAI / Compatible", "OpenAI / Uyumlu"));
            break;
        case ZunoAIProvider::ollamaLocal:
            tile->setTexts(t("Local Ollama", "Yerel Ollama"), t("Free · Offline", "Ücretsiz · Çevrimdışı"));
            break;
        }
        tile->setSelected(tile->provider() == m_config.provider);
    }

    const bool ownKey = m_config.provider == ZunoAIProvider::openAI;
    m_divider->setVisible(ownKey);
    m_keyBlock->setVisible(ownKey);
    m_keyLabel->setText(t("API Key (system keyring)", "API Anahtarı (sistem anahtarlığı)"));
    m_hostLabel->setText(QUrl(m_origin).host());
    m_savedText->setText(t("Saved securely", "Güvenle kayıtlı"));
    m_save->setText(t("Save Key", "Kaydet"));
    m_clear->setText(t("Clear", "Temizle"));

    const bool credits = m_config.provider == ZunoAIProvider::quarnwellCredits;
    m_creditsHint->setVisible(credits);
    const bool signedIn = m_creditsStore && m_creditsStore->isSignedIn();
    m_hintIcon->setSymbol(signedIn ? QStringLiteral("checkmark.seal.fill") : QStringLiteral("info.circle"));
    m_hintIcon->setColor(signedIn ? ZunoGlassTokens::success() : m_accent);
    m_hintText->setText(signedIn
            ? t("Connected automatically with your Quarnwell account.",
                "Quarnwell hesabınızla otomatik olarak çalışır.")
            : t("Sign in to Quarnwell above — no separate API key needed.",
                "Yukarıdan Quarnwell hesabınıza giriş yapın — ayrıca API anahtarı gerekmez."));
    refreshKeyBlock();
}

void ZunoAIProviderSection::refreshKeyBlock()
{
    m_savedBadge->setVisible(m_hasSavedKey);
    m_keyField->setPlaceholderText(m_hasSavedKey ? t("Saved in the keyring — enter a new key to replace…",
                                       "Anahtarlıkta kayıtlı — değiştirmek için yeni anahtar girin…")
                                                 : QStringLiteral("sk-…"));
    const bool idle = !m_keyCallRunning;
    m_save->setEnabled(idle && !m_keyField->text().trimmed().isEmpty());
    m_clear->setVisible(m_hasSavedKey && bool(m_hooks.clearKey));
    m_clear->setEnabled(idle);
}

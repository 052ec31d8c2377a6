#include "ZunoAIProviderSection.h"

#include "CreditsViewsFixture.h"
#include "ZunoAIProviderTile.h"
#include "ZunoButton.h"
#include "ZunoCreditsViewText.h"
#include "ZunoGlassTokens.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <map>
#include <mutex>

namespace {

constexpr int kWaitMs = 20000;
const QString kOpenAIOrigin = QStringLiteral("https://api.openai.com");

// Keys in memory, called from the section's workers; records what it was asked.
struct FakeKeys {
    std::mutex mutex;
    std::map<QString, QString> keys;
    std::vector<QString> asked;
    std::vector<std::pair<QString, QString>> saved;
    bool refuse = false;

    ZunoAIKeyHooks hooks(bool withClear = true)
    {
        ZunoAIKeyHooks hooks;
        hooks.hasSavedKey = [this](const QString &origin) {
            std::lock_guard lock(mutex);
            asked.push_back(origin);
            return keys.count(origin) > 0;
        };
        hooks.saveKey = [this](const QString &origin, const QString &key) {
            std::lock_guard lock(mutex);
            saved.emplace_back(origin, key);
            if (refuse)
                return false;
            keys[origin] = key;
            return true;
        };
        if (withClear)
            hooks.clearKey = [this](const QString &origin) {
                std::lock_guard lock(mutex);
                if (refuse)
                    return false;
                keys.erase(origin);
                return true;
            };
        return hooks;
    }
    QString lastAsked()
    {
        std::lock_guard lock(mutex);
        return asked.empty() ? QString() : asked.back();
    }
};

bool settles(const ZunoAIProviderSection &section)
{
    return QTest::qWaitFor([&] { return !section.isKeyBusy(); }, kWaitMs);
}

ZunoAIProviderTile *tileOf(const ZunoAIProviderSection &section, ZunoAIProvider provider)
{
    for (ZunoAIProviderTile *tile : section.tiles())
        if (tile->provider() == provider)
            return tile;
    return nullptr;
}

// An own-key section on OpenAI's default endpoint, settled.
struct OwnKeySection {
    explicit OwnKeySection(FakeKeys &keys, bool withClear = true)
        : section(keys.hooks(withClear), QColor(Qt::magenta), nullptr)
    {
        section.resync(ZunoAIConfig(ZunoAIProvider::openAI), ZunoLanguage::en);
        EXPECT_TRUE(settles(section));
    }
    void save(const QString &typed)
    {
        section.keyField()->setText(typed);
        EXPECT_TRUE(section.saveButton()->isEnabled());
        QTest::mouseClick(section.saveButton(), Qt::LeftButton);
        EXPECT_TRUE(settles(section));
    }
    ZunoAIProviderSection section;
};

TEST(ZunoAIProviderSection, SelectProviderWritesTheDefaultsAlsoForTheSelectedTile)
{
    for (const ZunoAIProvider provider : ZunoAIProviders::allCases()) {
        SCOPED_TRACE(rawValue(provider).toStdString());
        FakeKeys keys;
        ZunoAIProviderSection section(keys.hooks(), QColor(Qt::magenta), nullptr);
        const ZunoAIConfig typed(
            provider, QStringLiteral("https://custom.test/v1"), QStringLiteral("custom"));
        section.resync(typed, ZunoLanguage::en);
        ASSERT_TRUE(tileOf(section, provider)->isSelected());
        std::vector<ZunoAIConfig> edited;
        std::vector<ZunoAIProvider> selected;
        QObject::connect(&section, &ZunoAIProviderSection::configEdited,
            [&](const ZunoAIConfig &config) { edited.push_back(config); });
        QObject::connect(&section, &ZunoAIProviderSection::providerSelected,
            [&](ZunoAIProvider chosen) { selected.push_back(chosen); });

        QTest::mouseClick(tileOf(section, provider), Qt::LeftButton);
        ASSERT_EQ(edited.size(), 1u);
        EXPECT_EQ(edited[0].provider, provider);
        EXPECT_EQ(edited[0].endpointURL, defaultEndpoint(provider));
        EXPECT_EQ(edited[0].model, defaultModel(provider));
        EXPECT_EQ(selected, std::vector { provider });
        for (ZunoAIProviderTile *tile : section.tiles())
            EXPECT_EQ(tile->isSelected(), tile->provider() == provider);
        ASSERT_TRUE(settles(section));
    }
}

TEST(ZunoAIProviderSection, TilesAndWhatShowsBelowThem)
{
    FakeKeys keys;
    ZunoAIProviderSection section(keys.hooks(), QColor(Qt::magenta), nullptr);
    // No ZunoMind hook: the header is its text alone.
    EXPECT_EQ(section.connectButton(), nullptr);
    const auto tile = [&](ZunoAIProvider provider) { return tileOf(section, provider); };
    EXPECT_EQ(tile(ZunoAIProvider::quarnwellCredits)->subtitle(), QStringLiteral("quarnwell.com"));
    EXPECT_EQ(tile(ZunoAIProvider::openAI)->title(), QStringLiteral("Own API Key"));
    EXPECT_EQ(tile(ZunoAIProvider::ollamaLocal)->subtitle(), QStringLiteral("Free · Offline"));

    section.resync(ZunoAIConfig(ZunoAIProvider::quarnwellCredits), ZunoLanguage::en);
    EXPECT_TRUE(section.creditsHint()->isVisibleTo(&section));
    EXPECT_FALSE(section.keyBlock()->isVisibleTo(&section));
    EXPECT_EQ(section.creditsHintText()->text(),
        QStringLiteral("Sign in to Quarnwell above — no separate API key needed."));

    section.resync(ZunoAIConfig(ZunoAIProvider::ollamaLocal), ZunoLanguage::tr);
    EXPECT_FALSE(section.creditsHint()->isVisibleTo(&section));
    EXPECT_FALSE(section.keyBlock()->isVisibleTo(&section));
    EXPECT_EQ(tile(ZunoAIProvider::ollamaLocal)->title(), QStringLiteral("Yerel Ollama"));

    section.resync(ZunoAIConfig(ZunoAIProvider::openAI), ZunoLanguage::en);
    EXPECT_TRUE(section.keyBlock()->isVisibleTo(&section));
    EXPECT_FALSE(section.creditsHint()->isVisibleTo(&section));
    ASSERT_TRUE(settles(section));

    bool connected = false;
    ZunoAIKeyHooks withConnect = keys.hooks();
    withConnect.connectZunoMind = [&] { connected = true; };
    ZunoAIProviderSection withButton(withConnect, QColor(Qt::magenta), nullptr);
    ASSERT_NE(withButton.connectButton(), nullptr);
    EXPECT_EQ(withButton.connectButton()->text(), QStringLiteral("Connect ZunoMind"));
    EXPECT_EQ(withButton.connectButton()->symbol(), QStringLiteral("bolt.fill"));
    withButton.connectButton()->click();
    EXPECT_TRUE(connected);
    ASSERT_TRUE(settles(withButton));
}

class SignedInProviderSection : public CreditsViews::Fixture { };

TEST_F(SignedInProviderSection, CreditsHintFollowsTheAccount)
{
    FakeKeys keys;
    ZunoAIProviderSection section(keys.hooks(), QColor(Qt::magenta), store.get());
    section.resync(ZunoAIConfig(ZunoAIProvider::quarnwellCredits), ZunoLanguage::en);
    signIn();
    EXPECT_EQ(section.creditsHintText()->text(),
        QStringLiteral("Connected automatically with your Quarnwell account."));
    ASSERT_TRUE(settles(section));
}

TEST(ZunoAIProviderSection, SavesTheTrimmedKeyForTheEndpointOrigin)
{
    FakeKeys keys;
    OwnKeySection own(keys);
    ZunoAIProviderSection &section = own.section;
    EXPECT_EQ(keys.lastAsked(), kOpenAIOrigin);
    EXPECT_EQ(section.hostLabel()->text(), QStringLiteral("api.openai.com"));
    EXPECT_EQ(section.keyField()->echoMode(), QLineEdit::Password);
    EXPECT_EQ(section.keyField()->placeholderText(), QStringLiteral("sk-…"));
    EXPECT_FALSE(section.savedBadge()->isVisibleTo(&section));

    section.keyField()->setText(QStringLiteral(" \t "));
    EXPECT_FALSE(section.saveButton()->isEnabled());

    own.save(QStringLiteral("  sk-abc \n"));
    ASSERT_EQ(keys.saved.size(), 1u);
    EXPECT_EQ(keys.saved[0], std::pair(kOpenAIOrigin, QStringLiteral("sk-abc")));
    EXPECT_TRUE(section.keyField()->text().isEmpty());
    EXPECT_EQ(section.feedback(), QStringLiteral("API key saved."));
    EXPECT_FALSE(section.feedbackIsFailure());
    EXPECT_TRUE(section.savedBadge()->isVisibleTo(&section));
    EXPECT_TRUE(section.clearButton()->isVisibleTo(&section));
    EXPECT_EQ(section.keyField()->placeholderText(),
        QStringLiteral("Saved in the keyring — enter a new key to replace…"));

    // Another provider's model moves the endpoint: that service's key is asked for, and OpenAI's key is
    // neither shown as saved nor offered for clearing there, nor said to be saved.
    section.resync(ZunoAIConfig(ZunoAIProvider::openAI,
                       QStringLiteral("https://API.acme.test/v1/chat/completions"), QStringLiteral("acme-1")),
        ZunoLanguage::en);
    ASSERT_TRUE(settles(section));
    EXPECT_EQ(keys.lastAsked(), QStringLiteral("https://api.acme.test"));
    EXPECT_EQ(section.hostLabel()->text(), QStringLiteral("api.acme.test"));
    EXPECT_FALSE(section.savedBadge()->isVisibleTo(&section));
    EXPECT_FALSE(section.clearButton()->isVisibleTo(&section));
    EXPECT_EQ(section.keyField()->placeholderText(), QStringLiteral("sk-…"));
    EXPECT_EQ(section.feedback(), std::nullopt);
    EXPECT_FALSE(section.feedbackLabel()->isVisibleTo(&section));
    QTest::mouseClick(tileOf(section, ZunoAIProvider::openAI), Qt::LeftButton);
    EXPECT_EQ(section.feedback(), std::nullopt);
    EXPECT_FALSE(section.feedbackLabel()->isVisibleTo(&section));
    ASSERT_TRUE(settles(section));
    EXPECT_TRUE(section.savedBadge()->isVisibleTo(&section));
}

TEST(ZunoAIProviderSection, RefusedSaveAndClearSayTheyFailed)
{
    FakeKeys keys;
    keys.refuse = true;
    OwnKeySection own(keys);
    ZunoAIProviderSection &section = own.section;
    own.save(QStringLiteral("sk-abc"));
    EXPECT_EQ(section.feedback(), QStringLiteral("API key could not be saved."));
    EXPECT_TRUE(section.feedbackIsFailure());
    EXPECT_EQ(ZunoCreditsViewText::color(section.feedbackLabel()), ZunoGlassTokens::danger());
    EXPECT_EQ(section.keyField()->text(), QStringLiteral("sk-abc"));
    EXPECT_FALSE(section.savedBadge()->isVisibleTo(&section));

    // A key saved elsewhere that the keyring then refuses to remove.
    keys.keys[kOpenAIOrigin] = QStringLiteral("sk-old");
    section.savedKeysChanged();
    ASSERT_TRUE(settles(section));
    ASSERT_TRUE(section.clearButton()->isVisibleTo(&section));
    QTest::mouseClick(section.clearButton(), Qt::LeftButton);
    ASSERT_TRUE(settles(section));
    EXPECT_EQ(section.feedback(), QStringLiteral("API key could not be removed."));
    EXPECT_TRUE(section.savedBadge()->isVisibleTo(&section));

    keys.refuse = false;
    QTest::mouseClick(section.clearButton(), Qt::LeftButton);
    ASSERT_TRUE(settles(section));
    EXPECT_EQ(section.feedback(), QStringLiteral("API key removed."));
    EXPECT_EQ(ZunoCreditsViewText::color(section.feedbackLabel()), ZunoGlassTokens::success());
    EXPECT_FALSE(section.savedBadge()->isVisibleTo(&section));
    EXPECT_FALSE(section.clearButton()->isVisibleTo(&section));
}

TEST(ZunoAIProviderSection, ClearOnlyWithItsHookAndASavedKey)
{
    FakeKeys keys;
    keys.keys[kOpenAIOrigin] = QStringLiteral("sk-old");
    OwnKeySection withoutHook(keys, false);
    EXPECT_TRUE(withoutHook.section.savedBadge()->isVisibleTo(&withoutHook.section));
    EXPECT_FALSE(withoutHook.section.clearButton()->isVisibleTo(&withoutHook.section));

    FakeKeys none;
    OwnKeySection withoutKey(none, true);
    EXPECT_FALSE(withoutKey.section.clearButton()->isVisibleTo(&withoutKey.section));
}

TEST(ZunoAIProviderSection, TurkishTextsAndNoForeignKeychainWords)
{
    FakeKeys keys;
    keys.keys[kOpenAIOrigin] = QStringLiteral("sk-old");
    OwnKeySection own(keys);
    ZunoAIProviderSection &section = own.section;
    for (const ZunoLanguage language : { ZunoLanguage::en, ZunoLanguage::tr }) {
        section.resync(ZunoAIConfig(ZunoAIProvider::openAI), language);
        QStringList texts;
        for (const QLabel *label : section.findChildren<QLabel *>())
            texts << label->text();
        for (const ZunoButton *button : section.findChildren<ZunoButton *>())
            texts << button->text();
        texts << section.keyField()->placeholderText();
        for (const QString &text : texts) {
            EXPECT_FALSE(text.contains(QStringLiteral("macOS"))) << text.toStdString();
            EXPECT_FALSE(text.contains(QStringLiteral("Keychain"), Qt::CaseInsensitive))
                << text.toStdString();
        }
    }
    EXPECT_EQ(section.keyLabel()->text(), QStringLiteral("API Anahtarı (sistem anahtarlığı)"));
    EXPECT_EQ(section.keyField()->placeholderText(),
        QStringLiteral("Anahtarlıkta kayıtlı — değiştirmek için yeni anahtar girin…"));
    EXPECT_EQ(section.saveButton()->text(), QStringLiteral("Kaydet"));
    own.save(QStringLiteral("sk-new"));
    EXPECT_EQ(section.feedback(), QStringLiteral("API anahtarı kaydedildi."));
}

} // namespace

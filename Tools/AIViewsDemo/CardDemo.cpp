// The AI settings card in a window. Nothing leaves the machine unless asked: the credits account runs
// against the loopback fake gateway in a scratch account folder, the catalog is a loopback test catalog
// unless --catalog-url names one (cached in a scratch folder), and the local servers probed are the
// local Ollama and LM Studio ports unless others are given.

#include "ZunoAIKeyRing.h"
#include "ZunoAIModelCatalogStore.h"
#include "ZunoAIModelRegistry.h"
#include "ZunoAIUnifiedSettingsCard.h"
#include "ZunoCreditsAccountManager.h"
#include "ZunoCreditsAccountStore.h"
#include "ZunoDemoSignalQuit.h"
#include "ZunoFakeAIServers.h"
#include "ZunoFakeGateway.h"
#include "ZunoFonts.h"
#include "ZunoGlassScrollArea.h"
#include "ZunoGroundBackground.h"
#include "ZunoProductPalette.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QHash>
#include <QMutex>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include <cstdio>
#include <memory>

namespace {

const QColor kAccent(0x8B, 0x7C, 0xFF);
constexpr int kCardWidth = 560;

void print(const QString &line)
{
    std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

QString configLine(const ZunoAIConfig &config)
{
    return QStringLiteral("config: %1 %2 %3")
        .arg(rawValue(config.provider), config.endpointURL, config.model);
}

} // namespace

// Keys kept in memory only; the hooks may run on worker threads.
ZunoAIKeyHooks memoryKeys()
{
    struct Store {
        QMutex mutex;
        QHash<QString, QString> keys;
    };
    const auto store = std::make_shared<Store>();
    ZunoAIKeyHooks hooks;
    hooks.hasSavedKey = [store](const QString &origin) {
        const QMutexLocker lock(&store->mutex);
        return store->keys.contains(origin);
    };
    hooks.saveKey = [store](const QString &origin, const QString &key) {
        const QMutexLocker lock(&store->mutex);
        store->keys.insert(origin, key);
        print(QStringLiteral("key saved for %1").arg(origin));
        return true;
    };
    hooks.clearKey = [store](const QString &origin) {
        const QMutexLocker lock(&store->mutex);
        store->keys.remove(origin);
        print(QStringLiteral("key removed for %1").arg(origin));
        return true;
    };
    return hooks;
}

// A keyring that refuses every change, as a locked one does.
ZunoAIKeyHooks failingKeys()
{
    ZunoAIKeyHooks hooks;
    hooks.hasSavedKey = [](const QString &) { return false; };
    hooks.saveKey = [](const QString &origin, const QString &) {
        print(QStringLiteral("key refused for %1").arg(origin));
        return false;
    };
    hooks.clearKey = [](const QString &origin) {
        print(QStringLiteral("removal refused for %1").arg(origin));
        return false;
    };
    return hooks;
}

int runCardDemo(int argc, char **argv)
{
    QApplication app(argc, argv);
    ZunoDemoSignalQuit quitOnSignal; // Ctrl+C still removes the temporary folders
    ZunoFonts::applyApplicationFont();
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("AIViewsDemo --view card: the AI settings card."));
    parser.addHelpOption();
    const QCommandLineOption provider(QStringLiteral("provider"),
        QStringLiteral("Start from this provider's default configuration (credits, openai, ollama)."),
        QStringLiteral("NAME"), QStringLiteral("credits"));
    const QCommandLineOption catalogURL(
        QStringLiteral("catalog-url"), QStringLiteral("Catalog address."), QStringLiteral("URL"));
    const QCommandLineOption ollama(QStringLiteral("ollama"), QStringLiteral("Ollama server."),
        QStringLiteral("URL"), QString::fromLatin1(ZunoAIModelCatalogStore::kOllamaBaseURL));
    const QCommandLineOption lmStudio(QStringLiteral("lmstudio"), QStringLiteral("LM Studio server."),
        QStringLiteral("URL"), QString::fromLatin1(ZunoAIModelCatalogStore::kLMStudioBaseURL));
    const QCommandLineOption language(
        QStringLiteral("language"), QStringLiteral("Fixed language (en, tr)."), QStringLiteral("CODE"));
    const QCommandLineOption keys(QStringLiteral("keys"),
        QStringLiteral("Where API keys go: keyring (the desktop's), memory, failing."),
        QStringLiteral("STORE"), QStringLiteral("memory"));
    parser.addOptions({ provider, catalogURL, ollama, lmStudio, language, keys });
    parser.process(app);

    const QString providerName = parser.value(provider);
    ZunoAIProvider startProvider = ZunoAIProvider::quarnwellCredits;
    if (providerName == QLatin1String("openai"))
        startProvider = ZunoAIProvider::openAI;
    else if (providerName == QLatin1String("ollama"))
        startProvider = ZunoAIProvider::ollamaLocal;
    else if (providerName != QLatin1String("credits")) {
        print(QStringLiteral("unknown provider %1").arg(providerName));
        return 2;
    }
    ZunoAIKeyHooks hooks;
    if (parser.value(keys) == QLatin1String("keyring"))
        hooks = ZunoAIKeyRing::cardHooks();
    else if (parser.value(keys) == QLatin1String("memory"))
        hooks = memoryKeys();
    else if (parser.value(keys) == QLatin1String("failing"))
        hooks = failingKeys();
    else {
        print(QStringLiteral("unknown key store %1").arg(parser.value(keys)));
        return 2;
    }
    std::optional<ZunoLanguage> fixedLanguage;
    if (parser.isSet(language)) {
        fixedLanguage = ZunoLanguages::fromRawValue(parser.value(language));
        if (!fixedLanguage) {
            print(QStringLiteral("unknown language %1").arg(parser.value(language)));
            return 2;
        }
    }

    // The gateway the card writes into configurations is the fake one, too.
    ZunoFakeGateway gateway;
    qputenv(ZunoCreditsAccountManager::kGatewayURLEnvironmentVariable, gateway.baseURL().toUtf8());
    QTemporaryDir accountFolder;
    if (!accountFolder.isValid()) {
        print(QStringLiteral("cannot make a scratch account folder"));
        return 1;
    }
    ZunoCreditsAccountStore credits(
        std::make_shared<ZunoCreditsAccountManager>(accountFolder.path(), std::nullopt, gateway.baseURL()));
    ZunoFakeAIServers testCatalog;
    QTemporaryDir catalogCache;
    if (!catalogCache.isValid()) {
        print(QStringLiteral("cannot make a scratch catalog folder"));
        return 1;
    }
    const auto registry = std::make_shared<ZunoAIModelRegistry>(
        catalogCache.path(), parser.isSet(catalogURL) ? parser.value(catalogURL) : testCatalog.catalogURL());
    ZunoAIModelCatalogStore catalog(registry, parser.value(ollama), parser.value(lmStudio));

    ZunoGroundBackground ground(ZunoProductPalette::deepCoral);
    auto *layout = new QVBoxLayout(&ground);
    layout->setContentsMargins(24, 24, 24, 24);
    auto *card = new ZunoAIUnifiedSettingsCard(
        ZunoAIConfig(startProvider), std::move(hooks), kAccent, fixedLanguage, &credits, &catalog);
    QObject::connect(card, &ZunoAIUnifiedSettingsCard::configEdited,
        [](const ZunoAIConfig &config) { print(configLine(config)); });
    // Open sections grow the card past the window: it scrolls inside it.
    auto *page = new QWidget;
    auto *pageLayout = new QVBoxLayout(page);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->addWidget(card);
    layout->addWidget(zunoGlassScrollArea(page));
    ground.resize(kCardWidth + 48, 760);
    ground.setWindowTitle(QStringLiteral("AI settings card"));
    print(configLine(card->config()));
    ground.show();
    return app.exec();
}

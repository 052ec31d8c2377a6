#include "AISettingsCardScenes.h"

#include "GallerySupport.h"
#include "ZunoAIAdvancedSettingsSection.h"
#include "ZunoAIAllModelsSection.h"
#include "ZunoAIModelCatalogStore.h"
#include "ZunoAIModelRegistry.h"
#include "ZunoAIProviderSection.h"
#include "ZunoAIProviderTile.h"
#include "ZunoAIUnifiedSettingsCard.h"
#include "ZunoAIUnifiedSettingsUIState.h"
#include "ZunoButton.h"
#include "ZunoCreditsAccountManager.h"
#include "ZunoCreditsAccountStore.h"
#include "ZunoFakeAIServers.h"
#include "ZunoFakeGateway.h"
#include "ZunoGroundBackground.h"
#include "ZunoProductPalette.h"
#include "ZunoQuickPickTile.h"
#include "ZunoUnifiedCatalogBuilder.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLayout>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QTemporaryDir>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

const QColor kAccent(0x8B, 0x7C, 0xFF);
constexpr ZunoProductPalette kGround = ZunoProductPalette::deepCoral;
constexpr int kCardWidth = 560;
constexpr int kMargin = 24;

void print(const QString &line)
{
    std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

ZunoAIUnifiedSettingsCard::KeyHooks noKeys()
{
    ZunoAIUnifiedSettingsCard::KeyHooks hooks;
    hooks.hasSavedKey = [](const QString &) { return false; };
    hooks.saveKey = [](const QString &, const QString &) { return false; };
    return hooks;
}

// The card on the ground, at the card's width and the height its layout asks for.
// With `focus`, the card is shown as an active window and `focus` gives one of its controls the
// keyboard's focus before the picture, so that it shows the focus ring.
QImage render(ZunoAIUnifiedSettingsCard &card, const std::function<void()> &focus = {})
{
    if (!focus)
        card.setAttribute(Qt::WA_DontShowOnScreen);
    card.resize(kCardWidth, 400);
    card.show();
    // The list's height depends on its width, which the first layout pass gives it.
    for (int pass = 0; pass < 3; ++pass) {
        card.layout()->activate();
        QApplication::processEvents();
        const int height = card.layout()->totalHeightForWidth(kCardWidth);
        card.resize(kCardWidth, height > 0 ? height : card.sizeHint().height());
    }
    if (focus) {
        card.activateWindow();
        if (!Gallery::waitFor([&] { return card.isActiveWindow(); }))
            print(QStringLiteral("the card did not become the active window"));
        focus();
    }
    QApplication::processEvents();
    QImage image((card.size() + QSize(2 * kMargin, 2 * kMargin)) * 2, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(2);
    QPainter painter(&image);
    ZunoGroundBackground::paint(
        painter, QRectF(0, 0, card.width() + 2 * kMargin, card.height() + 2 * kMargin), kGround);
    painter.end();
    card.render(&image, QPoint(kMargin, kMargin), QRegion(), QWidget::DrawChildren);
    return image;
}

struct Scene {
    const char *name;
    // Without it, the card has no catalog at all.
    bool testCatalog;
    bool listOpen;
    const char *query;
    ZunoAIModelFilterCategory category;
};

// 500 catalog models (built-in ones repeated) and 50 discovered models, every tenth one matched.
void benchmarkInputs(ZunoAIModelCatalogDocument &document, QList<ZunoAIDiscoveredLocalModel> &discovered)
{
    const ZunoAIModelCatalogDocument builtIn = ZunoAIModelRegistry::loadBundledFallback();
    document = builtIn;
    document.models.clear();
    for (int i = 0; i < 500; ++i) {
        ZunoAIModelSpec model = builtIn.models.at(3 + i % (builtIn.models.size() - 3));
        model.apiModelId = QStringLiteral("bench-%1").arg(i);
        model.id = model.providerId + QLatin1Char('/') + model.apiModelId;
        model.aliases.clear();
        model.displayName = QStringLiteral("Bench Model %1").arg(499 - i);
        model.sortOrder = i % 50;
        document.models.append(model);
    }
    for (int i = 0; i < 50; ++i) {
        ZunoAIDiscoveredLocalModel model;
        model.providerId = i % 5 == 0 ? QStringLiteral("lmstudio") : QStringLiteral("ollama");
        model.apiModelId = QStringLiteral("local-%1").arg(i);
        model.id = model.providerId + QLatin1Char('/') + model.apiModelId;
        model.displayName = model.apiModelId;
        model.sizeBytes = 1000000000LL + i;
        if (i % 10 == 0)
            model.catalogMatch = document.models.at(i);
        discovered.append(model);
    }
}

double medianMs(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

ZunoAIUnifiedSettingsCard::KeyHooks savedKeys()
{
    ZunoAIUnifiedSettingsCard::KeyHooks hooks;
    hooks.hasSavedKey = [](const QString &) { return true; };
    hooks.saveKey = [](const QString &, const QString &) { return true; };
    hooks.clearKey = [](const QString &) { return true; };
    return hooks;
}

struct SectionScene {
    const char *name;
    bool signedIn;
    ZunoAIProvider provider;
    bool savedKey;
    // A key typed and saved into a keyring that refuses it.
    bool failedSave;
    bool syncing;
};

} // namespace

bool renderSettingsCardSections(const QString &folder, ZunoLanguage language)
{
    using P = ZunoAIProvider;
    const SectionScene scenes[] = {
        { "card-signed-out", false, P::quarnwellCredits, false, false, false },
        { "card-signed-in", true, P::quarnwellCredits, false, false, false },
        { "card-own-key-saved", true, P::openAI, true, false, false },
        { "card-own-key-failed", false, P::openAI, false, true, false },
        { "card-ollama-syncing", false, P::ollamaLocal, false, false, true },
    };
    for (const SectionScene &scene : scenes) {
        const QString name = QString::fromLatin1(scene.name);
        QTemporaryDir scratch;
        ZunoFakeGateway gateway;
        const auto manager = std::make_shared<ZunoCreditsAccountManager>(
            scratch.filePath(QStringLiteral("account")), std::nullopt, gateway.baseURL());
        ZunoCreditsAccountStore credits(manager);
        if (scene.signedIn) {
            gateway.setProfile({ { "user_id", "user-1" }, { "email", "ayse.yilmaz@example.com" },
                { "name", "Ayşe" }, { "available_micros", 12'500'000 }, { "held_micros", 0 },
                { "credit_unit_micros", 1000 } });
            manager->saveToken(QString::fromLatin1(ZunoFakeGateway::kToken));
        }
        credits.refresh();
        ZunoFakeAIServers servers;
        if (!servers.load() || !Gallery::waitFor([&] { return !credits.isRefreshing(); })) {
            print(QStringLiteral("%1: the account or the test catalog did not load").arg(name));
            return false;
        }
        ZunoAIUnifiedSettingsCard card(ZunoAIConfig(scene.provider), scene.savedKey ? savedKeys() : noKeys(),
            kAccent, language, &credits, servers.store());
        card.uiState()->showOwnKeySection = true;
        card.uiState()->showAdvancedSettings = true;
        card.resync();
        ZunoAIProviderSection *provider = card.providerSection();
        if (scene.failedSave) {
            provider->keyField()->setText(QStringLiteral("sk-refused-key"));
            provider->saveButton()->click();
            if (!Gallery::waitFor([&] { return provider->feedback().has_value(); })) {
                print(QStringLiteral("%1: the save did not answer").arg(name));
                return false;
            }
        } else if (!Gallery::waitFor([&] { return !provider->isKeyBusy(); })) {
            print(QStringLiteral("%1: the saved-key query did not answer").arg(name));
            return false;
        }
        if (scene.syncing) {
            // The catalog answers late, so the picture catches the card while it syncs.
            servers.server().route("GET", "/models.json",
                ZunoFakeHttpServer::Reply::text(200, "{}").delayed(std::chrono::milliseconds(1500)));
            servers.store()->refresh(true, true);
        }
        const QString path
            = QDir(folder).filePath(name + QLatin1Char('-') + rawValue(language) + QStringLiteral(".png"));
        const QImage image = render(card);
        if (!image.save(path)) {
            print(QStringLiteral("cannot write %1").arg(path));
            return false;
        }
        print(QStringLiteral("%1 (%2x%3)").arg(path).arg(image.width()).arg(image.height()));
        Gallery::waitFor([&] { return !servers.store()->isSyncing(); });
    }
    return true;
}

bool renderSettingsCards(const QString &folder, ZunoLanguage language)
{
    using C = ZunoAIModelFilterCategory;
    const Scene scenes[] = {
        { "card-empty", false, false, "", C::all },
        { "card-empty-installed", false, true, "", C::installed },
        { "card-test", true, true, "", C::all },
        { "card-test-pro", true, true, "pro", C::all },
        { "card-test-installed", true, true, "", C::installed },
    };
    for (const Scene &scene : scenes) {
        ZunoFakeAIServers servers;
        if (scene.testCatalog && !servers.load()) {
            print(QStringLiteral("%1: the test catalog did not load").arg(QString::fromLatin1(scene.name)));
            return false;
        }
        // One selected row: the router without a catalog, the installed Llama on the test catalog.
        const ZunoAIConfig config(
            scene.testCatalog ? ZunoAIProvider::ollamaLocal : ZunoAIProvider::quarnwellCredits, std::nullopt,
            scene.testCatalog ? QStringLiteral("llama3.2") : QStringLiteral("quarnwell-auto"));
        ZunoAIUnifiedSettingsCard card(
            config, noKeys(), kAccent, language, nullptr, scene.testCatalog ? servers.store() : nullptr);
        card.uiState()->showAllModels = scene.listOpen;
        card.uiState()->searchQuery = QString::fromLatin1(scene.query);
        card.uiState()->selectedCategory = scene.category;
        card.resync();
        const QString path = QDir(folder).filePath(
            QString::fromLatin1(scene.name) + QLatin1Char('-') + rawValue(language) + QStringLiteral(".png"));
        const QImage image = render(card);
        if (!image.save(path)) {
            print(QStringLiteral("cannot write %1").arg(path));
            return false;
        }
        print(QStringLiteral("%1 (%2x%3)").arg(path).arg(image.width()).arg(image.height()));
    }
    return true;
}

bool renderKeyboardFocusScenes(const QString &folder, ZunoLanguage language)
{
    struct FocusScene {
        const char *name;
        std::function<QWidget *(ZunoAIUnifiedSettingsCard &)> target;
    };
    const FocusScene scenes[] = {
        { "focus-quick-pick",
            [](ZunoAIUnifiedSettingsCard &card) -> QWidget * { return card.quickPickTiles().at(1); } },
        { "focus-model-list",
            [](ZunoAIUnifiedSettingsCard &card) -> QWidget * {
                QListView *list = card.allModelsSection()->listView();
                list->setCurrentIndex(list->model()->index(1, 0));
                return list;
            } },
        { "focus-category-chip",
            [](ZunoAIUnifiedSettingsCard &card) -> QWidget * {
                return card.allModelsSection()->categoryChips().at(2);
            } },
        { "focus-provider-tile",
            [](ZunoAIUnifiedSettingsCard &card) -> QWidget * {
                return card.providerSection()->tiles().at(2);
            } },
        { "focus-model-field",
            [](ZunoAIUnifiedSettingsCard &card) -> QWidget * {
                return card.advancedSection()->modelField();
            } },
    };
    for (const FocusScene &scene : scenes) {
        ZunoFakeAIServers servers;
        if (!servers.load()) {
            print(QStringLiteral("%1: the test catalog did not load").arg(QString::fromLatin1(scene.name)));
            return false;
        }
        ZunoAIUnifiedSettingsCard card(
            ZunoAIConfig(ZunoAIProvider::ollamaLocal, std::nullopt, QStringLiteral("llama3.2")), noKeys(),
            kAccent, language, nullptr, servers.store());
        card.uiState()->showAllModels = true;
        card.uiState()->showOwnKeySection = true;
        card.uiState()->showAdvancedSettings = true;
        card.resync();
        const QString path = QDir(folder).filePath(
            QString::fromLatin1(scene.name) + QLatin1Char('-') + rawValue(language) + QStringLiteral(".png"));
        // Tab focus, as the keyboard gives it: the ring shows.
        const QImage image = render(card, [&] { scene.target(card)->setFocus(Qt::TabFocusReason); });
        if (!image.save(path)) {
            print(QStringLiteral("cannot write %1").arg(path));
            return false;
        }
        print(QStringLiteral("%1 (%2x%3)").arg(path).arg(image.width()).arg(image.height()));
    }
    return true;
}

int benchmarkSettingsCard()
{
    ZunoAIModelCatalogDocument document;
    QList<ZunoAIDiscoveredLocalModel> discovered;
    benchmarkInputs(document, discovered);

    std::vector<double> build;
    qsizetype rows = 0;
    for (int i = 0; i < 51; ++i) {
        QElapsedTimer timer;
        timer.start();
        rows = ZunoUnifiedCatalogBuilder::buildRows(document, discovered, ZunoLanguage::en).size();
        build.push_back(timer.nsecsElapsed() / 1e6);
    }
    print(QStringLiteral("buildRows, 500 models + 50 discovered (%1 rows): median %2 ms")
              .arg(rows)
              .arg(medianMs(build), 0, 'f', 3));

    // The card on a store that serves the same catalog from the loopback server.
    ZunoFakeAIServers servers;
    servers.server().route("GET", "/models.json", ZunoFakeHttpServer::Reply::text(200, document.encoded()));
    if (!servers.load()) {
        print(QStringLiteral("the benchmark catalog did not load"));
        return 1;
    }
    ZunoAIUnifiedSettingsCard card(ZunoAIConfig(ZunoAIProvider::quarnwellCredits), noKeys(), kAccent,
        ZunoLanguage::en, nullptr, servers.store());
    card.uiState()->showAllModels = true;
    card.setAttribute(Qt::WA_DontShowOnScreen);
    card.resize(kCardWidth, 900);
    card.show();
    QApplication::processEvents();
    std::vector<double> resync;
    for (int i = 0; i < 51; ++i) {
        QElapsedTimer timer;
        timer.start();
        card.resync();
        card.layout()->activate();
        // The list's own layout measures every row it holds.
        card.allModelsSection()->listView()->doItemsLayout();
        resync.push_back(timer.nsecsElapsed() / 1e6);
    }
    print(QStringLiteral("card re-sync with the list open (%1 rows): median %2 ms")
              .arg(card.rows().size())
              .arg(medianMs(resync), 0, 'f', 3));
    return 0;
}

// The AI settings card on its own: a window on real or loopback stores, PNG scenes, and timings.

#include "ZunoAIAllModelsSection.h"
#include "ZunoAIModelCatalogStore.h"
#include "ZunoAIModelRegistry.h"
#include "ZunoAIUnifiedSettingsCard.h"
#include "ZunoAIUnifiedSettingsUIState.h"
#include "ZunoDisclosureCard.h"
#include "ZunoFakeAIServers.h"
#include "ZunoFonts.h"
#include "ZunoGroundBackground.h"
#include "ZunoProductPalette.h"
#include "ZunoUnifiedCatalogBuilder.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QTextStream>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const QColor kAccent(0x8B, 0x7C, 0xFF);
constexpr ZunoProductPalette kGround = ZunoProductPalette::deepCoral;
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

ZunoAIUnifiedSettingsCard::KeyHooks printingHooks()
{
    ZunoAIUnifiedSettingsCard::KeyHooks hooks;
    hooks.hasSavedKey = [](const QString &) { return false; };
    hooks.saveKey = [](const QString &origin, const QString &) {
        print(QStringLiteral("key saved for %1").arg(origin));
        return true;
    };
    return hooks;
}

// The card on the ground, at the card's width and its laid-out height.
QImage render(ZunoAIUnifiedSettingsCard &card)
{
    card.setAttribute(Qt::WA_DontShowOnScreen);
    card.show();
    for (int i = 0; i < 3; ++i) {
        card.resize(kCardWidth, std::max(100, card.heightForWidth(kCardWidth)));
        card.layout()->activate();
        QApplication::processEvents();
        card.resize(kCardWidth,
            card.layout()->totalHeightForWidth(kCardWidth) > 0
                ? card.layout()->totalHeightForWidth(kCardWidth)
                : card.sizeHint().height());
    }
    QApplication::processEvents();
    constexpr int kMargin = 24;
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
    QString file;
    // Without it, the card has no catalog at all.
    bool testCatalog;
    ZunoLanguage language;
    bool listOpen;
    QString query;
    ZunoAIModelFilterCategory category;
};

int shots(const QString &directory)
{
    if (!QDir().mkpath(directory)) {
        print(QStringLiteral("cannot create %1").arg(directory));
        return 1;
    }
    using C = ZunoAIModelFilterCategory;
    const Scene scenes[] = {
        { "card-empty-en", false, ZunoLanguage::en, false, {}, C::all },
        { "card-empty-installed-tr", false, ZunoLanguage::tr, true, {}, C::installed },
        { "card-test-en", true, ZunoLanguage::en, true, {}, C::all },
        { "card-test-tr", true, ZunoLanguage::tr, true, {}, C::all },
        { "card-test-pro-en", true, ZunoLanguage::en, true, QStringLiteral("pro"), C::all },
        { "card-test-installed-en", true, ZunoLanguage::en, true, {}, C::installed },
        { "card-test-installed-tr", true, ZunoLanguage::tr, true, {}, C::installed },
    };
    int failures = 0;
    for (const Scene &scene : scenes) {
        ZunoFakeAIServers servers;
        if (scene.testCatalog && !servers.load()) {
            print(QStringLiteral("%1: the fake catalog did not load").arg(scene.file));
            ++failures;
            continue;
        }
        // One selected row: the router on the empty catalog, the installed Ollama model otherwise.
        const ZunoAIConfig config(
            scene.testCatalog ? ZunoAIProvider::ollamaLocal : ZunoAIProvider::quarnwellCredits, std::nullopt,
            scene.testCatalog ? QStringLiteral("llama3.2") : QStringLiteral("quarnwell-auto"));
        ZunoAIUnifiedSettingsCard card(config, printingHooks(), kAccent, scene.language, nullptr,
            scene.testCatalog ? servers.store() : nullptr);
        card.uiState()->showAllModels = scene.listOpen;
        card.uiState()->searchQuery = scene.query;
        card.uiState()->selectedCategory = scene.category;
        card.resync();
        const QString path = QDir(directory).filePath(scene.file + QStringLiteral(".png"));
        if (!render(card).save(path)) {
            print(QStringLiteral("cannot write %1").arg(path));
            ++failures;
            continue;
        }
        print(path);
    }
    return failures == 0 ? 0 : 1;
}

// 500 catalog models (a third of them local) and 50 discovered models, every tenth one matched.
void benchmarkInputs(ZunoAIModelCatalogDocument &document, QList<ZunoAIDiscoveredLocalModel> &discovered)
{
    const ZunoAIModelCatalogDocument builtIn = ZunoAIModelRegistry::loadBundledFallback();
    document = builtIn;
    document.models.clear();
    for (int i = 0; i < 500; ++i) {
        ZunoAIModelSpec model = builtIn.models.at(3 + i % (builtIn.models.size() - 3));
        model.apiModelId = QStringLiteral("bench-%1").arg(i);
        model.id = model.providerId + QLatin1Char('/') + model.apiModelId;
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

int benchmark()
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

    // The card on a store that serves the same catalog from a loopback server.
    ZunoFakeAIServers servers;
    servers.server().route("GET", "/models.json", ZunoFakeHttpServer::Reply::text(200, document.encoded()));
    if (!servers.load()) {
        print(QStringLiteral("the benchmark catalog did not load"));
        return 1;
    }
    ZunoAIUnifiedSettingsCard card(ZunoAIConfig(ZunoAIProvider::quarnwellCredits), printingHooks(), kAccent,
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

std::optional<QString> optionalValue(const QCommandLineParser &parser, const QCommandLineOption &option)
{
    return parser.isSet(option) ? std::optional<QString>(parser.value(option)) : std::nullopt;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    ZunoFonts::applyApplicationFont();
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption view(QStringLiteral("view"), QStringLiteral("The view to show (card)."),
        QStringLiteral("NAME"), QStringLiteral("card"));
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
    const QCommandLineOption shotsOption(
        QStringLiteral("shots"), QStringLiteral("Render the scenes to PNGs in DIR."), QStringLiteral("DIR"));
    const QCommandLineOption benchmarkOption(
        QStringLiteral("benchmark"), QStringLiteral("Time rows and re-syncs."));
    parser.addOptions(
        { view, provider, catalogURL, ollama, lmStudio, language, shotsOption, benchmarkOption });
    parser.process(app);

    if (parser.isSet(shotsOption))
        return shots(parser.value(shotsOption));
    if (parser.isSet(benchmarkOption))
        return benchmark();
    if (parser.value(view) != QLatin1String("card")) {
        print(QStringLiteral("unknown view %1").arg(parser.value(view)));
        return 2;
    }

    ZunoAIProvider startProvider = ZunoAIProvider::quarnwellCredits;
    if (parser.value(provider) == QLatin1String("openai"))
        startProvider = ZunoAIProvider::openAI;
    else if (parser.value(provider) == QLatin1String("ollama"))
        startProvider = ZunoAIProvider::ollamaLocal;
    else if (parser.value(provider) != QLatin1String("credits")) {
        print(QStringLiteral("unknown provider %1").arg(parser.value(provider)));
        return 2;
    }
    std::optional<ZunoLanguage> fixedLanguage;
    if (parser.isSet(language))
        fixedLanguage = ZunoLanguages::fromRawValue(parser.value(language));

    const auto registry = parser.isSet(catalogURL)
        ? std::make_shared<ZunoAIModelRegistry>(std::nullopt, optionalValue(parser, catalogURL))
        : ZunoAIModelRegistry::shared();
    ZunoAIModelCatalogStore catalog(registry, parser.value(ollama), parser.value(lmStudio));

    auto *ground = new ZunoGroundBackground(kGround);
    auto *layout = new QVBoxLayout(ground);
    layout->setContentsMargins(24, 24, 24, 24);
    auto *card = new ZunoAIUnifiedSettingsCard(
        ZunoAIConfig(startProvider), printingHooks(), kAccent, fixedLanguage, nullptr, &catalog);
    QObject::connect(card, &ZunoAIUnifiedSettingsCard::configEdited,
        [](const ZunoAIConfig &config) { print(configLine(config)); });
    layout->addWidget(card);
    ground->resize(kCardWidth + 48, 760);
    ground->setWindowTitle(QStringLiteral("AI settings card"));
    ground->show();
    print(configLine(card->config()));
    const int result = app.exec();
    delete ground;
    return result;
}

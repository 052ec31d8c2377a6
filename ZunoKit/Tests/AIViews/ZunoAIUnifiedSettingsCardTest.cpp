#include "ZunoAIUnifiedSettingsCard.h"
#include "DesignProbe.h"
#include "ZunoAIAdvancedSettingsSection.h"
#include "ZunoAIAllModelsSection.h"
#include "ZunoAICreditsSection.h"
#include "ZunoAIModelSelection.h"
#include "ZunoAIProviderSection.h"
#include "ZunoAIUnifiedSettingsUIState.h"
#include "ZunoCreditsAccountManager.h"
#include "ZunoCreditsAccountStore.h"
#include "ZunoDisclosureCard.h"
#include "ZunoFakeAIServers.h"
#include "ZunoFakeGateway.h"
#include "ZunoFocusRing.h"
#include "ZunoGlassScrollArea.h"
#include "ZunoModelRowDelegate.h"
#include "ZunoModelRowListModel.h"
#include "ZunoQuickPickTile.h"
#include "ZunoScopedEnvironment.h"
#include "ZunoTestHome.h"
#include "ZunoTestWheel.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

const QColor kAccent(0x40, 0x80, 0xFF);
constexpr int kWait = 20000;

ZunoAIUnifiedSettingsCard::KeyHooks noKeys()
{
    ZunoAIUnifiedSettingsCard::KeyHooks hooks;
    hooks.hasSavedKey = [](const QString &) { return false; };
    hooks.saveKey = [](const QString &, const QString &) { return true; };
    return hooks;
}

std::unique_ptr<ZunoAIUnifiedSettingsCard> card(
    const ZunoAIConfig &config, ZunoAIModelCatalogStore *store, ZunoLanguage language = ZunoLanguage::en)
{
    auto result
        = std::make_unique<ZunoAIUnifiedSettingsCard>(config, noKeys(), kAccent, language, nullptr, store);
    result->resize(560, 900);
    return result;
}

ZunoQuickPickTile *visibleTile(const ZunoAIUnifiedSettingsCard &card, const QString &title)
{
    for (ZunoQuickPickTile *tile : card.quickPickTiles()) {
        if (!tile->isHidden() && tile->content().title == title)
            return tile;
    }
    return nullptr;
}

QStringList visibleTileTitles(const ZunoAIUnifiedSettingsCard &card)
{
    QStringList titles;
    for (ZunoQuickPickTile *tile : card.quickPickTiles()) {
        if (!tile->isHidden())
            titles.append(tile->content().title);
    }
    return titles;
}

QStringList listedIds(const ZunoAIAllModelsSection &section)
{
    QStringList ids;
    for (int row = 0; row < section.listModel()->rowCount(); ++row)
        ids.append(section.listModel()->item(row).id);
    return ids;
}

// Every configuration the card sends out.
struct EditRecorder {
    explicit EditRecorder(ZunoAIUnifiedSettingsCard &card)
    {
        QObject::connect(&card, &ZunoAIUnifiedSettingsCard::configEdited,
            [this](const ZunoAIConfig &config) { configs.push_back(config); });
    }
    std::vector<ZunoAIConfig> configs;
};

// A catalog with one unknown Ollama model among others, loaded from loopback fakes.
struct LoadedCatalog {
    LoadedCatalog() { EXPECT_TRUE(servers.load()) << "the fake catalog did not load"; }
    ZunoFakeAIServers servers;
};

} // namespace

TEST(ZunoAIUnifiedSettingsCard, QuickPicksOnAnEmptyCatalog)
{
    const auto english = card(ZunoAIConfig(ZunoAIProvider::openAI, std::nullopt, QString()), nullptr);
    EXPECT_EQ(visibleTileTitles(*english), QStringList({ QStringLiteral("Auto") }));
    EXPECT_EQ(english->activeChip()->text(), QStringLiteral("Active: Quarnwell Auto"));
    ZunoQuickPickTile *autoTile = visibleTile(*english, QStringLiteral("Auto"));
    ASSERT_TRUE(autoTile);
    EXPECT_FALSE(autoTile->isSelected());
    EXPECT_EQ(autoTile->badgeText(), QStringLiteral("Recommended"));
    EXPECT_EQ(autoTile->content().modelName, QStringLiteral("Quarnwell Auto (Smart Cost Router)"));
    EXPECT_GE(autoTile->heightForWidth(100), 84);

    const auto turkish
        = card(ZunoAIConfig(ZunoAIProvider::openAI, std::nullopt, QString()), nullptr, ZunoLanguage::tr);
    EXPECT_EQ(turkish->activeChip()->text(), QStringLiteral("Aktif: Quarnwell Auto"));

    // Blanks and letter case do not matter; the tile shows it is the current one and the chip names it.
    const auto chosen = card(
        ZunoAIConfig(ZunoAIProvider::quarnwellCredits, std::nullopt, QStringLiteral("  QUARNWELL-AUTO ")),
        nullptr);
    ZunoQuickPickTile *selected = visibleTile(*chosen, QStringLiteral("Auto"));
    ASSERT_TRUE(selected);
    EXPECT_TRUE(selected->isSelected());
    EXPECT_EQ(selected->badgeText(), QStringLiteral("Selected"));
    EXPECT_EQ(chosen->activeChip()->text(), QStringLiteral("Active: Quarnwell Auto (Smart Cost Router)"));
}

TEST(ZunoAIUnifiedSettingsCard, LocalTileOfAnInstalledUnknownOllamaModelWritesOllama)
{
    LoadedCatalog catalog;
    const auto view = card(ZunoAIConfig(ZunoAIProvider::quarnwellCredits), catalog.servers.store());
    view->show();
    ZunoQuickPickTile *local = visibleTile(*view, QStringLiteral("Free (Local)"));
    ASSERT_TRUE(local);
    EXPECT_EQ(local->badgeText(), QStringLiteral("Ready on this computer"));
    EXPECT_EQ(local->content().hint, QStringLiteral("Runs right on your computer with zero credits."));
    EXPECT_EQ(local->content().modelName, QStringLiteral("phi4-mini:latest (Ollama)"));
    EXPECT_EQ(visibleTileTitles(*view),
        QStringList({ QStringLiteral("Auto"), QStringLiteral("Fast & Economical"),
            QStringLiteral("Most Capable"), QStringLiteral("Free (Local)") }));

    EditRecorder edited(*view);
    QTest::mouseClick(local, Qt::LeftButton, {}, QPoint(20, 20));
    ASSERT_EQ(edited.configs.size(), 1u);
    const auto written = edited.configs.at(0);
    EXPECT_EQ(written,
        ZunoAIConfig(ZunoAIProvider::ollamaLocal, QStringLiteral("http://127.0.0.1:11434/api/chat"),
            QStringLiteral("phi4-mini:latest")));
    EXPECT_EQ(view->config(), written);
    EXPECT_TRUE(visibleTile(*view, QStringLiteral("Free (Local)"))->isSelected());

    // The host's value comes in without an echo.
    view->setConfig(ZunoAIConfig(ZunoAIProvider::openAI, std::nullopt, QStringLiteral("gpt-5")));
    EXPECT_EQ(edited.configs.size(), 1u);
    EXPECT_TRUE(visibleTile(*view, QStringLiteral("Most Capable"))->isSelected());
    EXPECT_EQ(view->activeChip()->text(), QStringLiteral("Active: GPT-5"));
}

TEST(ZunoAIUnifiedSettingsCard, AllModelsListFiltersAndChoosesRows)
{
    LoadedCatalog catalog;
    const auto view = card(ZunoAIConfig(ZunoAIProvider::quarnwellCredits), catalog.servers.store());
    view->show();
    ZunoDisclosureCard *disclosure = view->allModelsDisclosure();
    const QString title
        = QStringLiteral("Browse & search all models (%1 models)").arg(ZunoFakeAIServers::kTestRowCount);
    EXPECT_EQ(disclosure->title(), title);
    EXPECT_FALSE(disclosure->isExpanded());
    EXPECT_FALSE(view->allModelsSection()->isVisibleTo(view.get()));

    QTest::mouseClick(disclosure->headerButton(), Qt::LeftButton);
    ASSERT_TRUE(disclosure->isExpanded());
    EXPECT_TRUE(view->uiState()->showAllModels);
    ZunoAIAllModelsSection *section = view->allModelsSection();
    EXPECT_EQ(section->listModel()->rowCount(), ZunoFakeAIServers::kTestRowCount);
    EXPECT_TRUE(section->clearButton()->isHidden());

    // Typing filters at once; the title keeps counting every row.
    QTest::keyClicks(section->searchField(), QStringLiteral("pro"));
    const QStringList pro = listedIds(*section);
    EXPECT_TRUE(pro.contains(QStringLiteral("quarnwell/quarnwell-agent-pro")));
    EXPECT_LT(pro.size(), ZunoFakeAIServers::kTestRowCount);
    EXPECT_FALSE(section->clearButton()->isHidden());
    EXPECT_EQ(disclosure->title(), title);

    // Chip and query together; clicking the selected chip keeps it.
    QAbstractButton *reasoning = section->categoryChips().at(5);
    QTest::mouseClick(reasoning, Qt::LeftButton);
    QTest::mouseClick(reasoning, Qt::LeftButton);
    EXPECT_EQ(view->uiState()->selectedCategory, ZunoAIModelFilterCategory::reasoning);
    EXPECT_TRUE(reasoning->isChecked());
    for (const QString &id : listedIds(*section))
        EXPECT_TRUE(pro.contains(id)) << id.toStdString();
    for (int row = 0; row < section->listModel()->rowCount(); ++row)
        EXPECT_TRUE(section->listModel()->item(row).supportsReasoning);

    // Blanks show every row of the category, and the clear button stays because the text is not empty.
    section->searchField()->setText(QStringLiteral("   "));
    QTest::mouseClick(section->categoryChips().at(0), Qt::LeftButton);
    EXPECT_EQ(section->listModel()->rowCount(), ZunoFakeAIServers::kTestRowCount);
    EXPECT_FALSE(section->clearButton()->isHidden());
    QTest::mouseClick(section->clearButton(), Qt::LeftButton);
    EXPECT_TRUE(section->searchField()->text().isEmpty());
    EXPECT_TRUE(section->clearButton()->isHidden());

    // Query and category survive collapsing.
    section->searchField()->setText(QStringLiteral("gpt"));
    QTest::mouseClick(disclosure->headerButton(), Qt::LeftButton);
    QTest::mouseClick(disclosure->headerButton(), Qt::LeftButton);
    EXPECT_EQ(section->searchField()->text(), QStringLiteral("gpt"));
    EXPECT_EQ(view->uiState()->searchQuery, QStringLiteral("gpt"));

    // A click on a row writes its choice; with credits, a cloud row keeps the gateway.
    ZunoScopedEnvironment gateway(
        ZunoCreditsAccountManager::kGatewayURLEnvironmentVariable, QByteArrayLiteral("http://127.0.0.1:9"));
    QListView *list = section->listView();
    list->doItemsLayout();
    ASSERT_GT(section->listModel()->rowCount(), 0);
    const ZunoUnifiedModelRowItem first = section->listModel()->item(0);
    EditRecorder edited(*view);
    QTest::mouseClick(
        list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(0, 0)).center());
    ASSERT_EQ(edited.configs.size(), 1u);
    EXPECT_EQ(edited.configs.at(0),
        ZunoAIConfig(ZunoAIProvider::quarnwellCredits,
            QStringLiteral("http://127.0.0.1:9/v1/ai/chat/completions"), first.id));
    EXPECT_TRUE(section->listModel()->isSelected(0));
}

TEST(ZunoAIUnifiedSettingsCard, EmptyFilterTextAndListHeight)
{
    // No local server answered: nothing is installed.
    const auto view = card(ZunoAIConfig(ZunoAIProvider::quarnwellCredits), nullptr);
    view->uiState()->showAllModels = true;
    view->uiState()->selectedCategory = ZunoAIModelFilterCategory::installed;
    view->show();
    view->resync();
    ZunoAIAllModelsSection *section = view->allModelsSection();
    EXPECT_EQ(section->listModel()->rowCount(), 0);
    EXPECT_TRUE(section->listView()->isHidden());
    EXPECT_FALSE(section->emptyLabel()->isHidden());
    EXPECT_EQ(section->emptyLabel()->text(), QStringLiteral("No models match this filter."));

    // One row is shorter than the minimum; forty rows are cut at the maximum.
    view->uiState()->selectedCategory = ZunoAIModelFilterCategory::all;
    section->searchField()->setText(QStringLiteral("doc fast"));
    ASSERT_EQ(section->listModel()->rowCount(), 1);
    EXPECT_EQ(section->listView()->height(), ZunoAIAllModelsSection::kMinimumListHeight);

    LoadedCatalog catalog;
    const auto full = card(ZunoAIConfig(ZunoAIProvider::quarnwellCredits), catalog.servers.store());
    full->uiState()->showAllModels = true;
    full->show();
    full->resync();
    EXPECT_EQ(full->allModelsSection()->listView()->height(), ZunoAIAllModelsSection::kMaximumListHeight);
}

TEST(ZunoAIUnifiedSettingsCard, RowPaintsSelectionInTheAccent)
{
    DesignProbe::Host host(Qt::black);
    // The host owns the card.
    ZunoAIUnifiedSettingsCard *view = host.place(
        card(ZunoAIConfig(ZunoAIProvider::quarnwellCredits, std::nullopt, QStringLiteral("quarnwell-auto")),
            nullptr)
            .release(),
        QSize(560, 1000));
    view->uiState()->showAllModels = true;
    view->resync();
    QApplication::processEvents();
    QListView *list = view->allModelsSection()->listView();
    list->doItemsLayout();
    QApplication::processEvents();
    const QImage image = host.grab();
    const auto probe = [&](int row, int dx, int dy) {
        const QRect rect = list->visualRect(list->model()->index(row, 0));
        const QPoint inView = list->viewport()->mapTo(view, rect.topLeft() + QPoint(dx, dy));
        return DesignProbe::at(image, inView.x(), inView.y());
    };
    // Row 0 (the router) is selected: an accent border at 0.8 and a surface3 fill; row 1 is glass.
    ASSERT_TRUE(view->allModelsSection()->listModel()->isSelected(0));
    const int card1Top = ZunoModelRowDelegate::kListPadding;
    const QColor border = probe(0, 40, card1Top);
    EXPECT_NEAR(border.blue(), 0.8 * 255, 40) << border.name().toStdString();
    EXPECT_LT(border.red(), border.blue());
    const QColor fill = probe(0, 200, card1Top + 30);
    const QColor plainFill = probe(1, 200, 30);
    EXPECT_GT(fill.green(), plainFill.green()) << "surface3 is lighter than surface1";
    const QColor plainBorder = probe(1, 40, 0);
    EXPECT_NEAR(plainBorder.red(), plainBorder.blue(), 3) << "an unselected border is white glass";
}

TEST(ZunoAIUnifiedSettingsCard, TurkishCardSaysComputerNotMac)
{
    LoadedCatalog catalog;
    const auto view
        = card(ZunoAIConfig(ZunoAIProvider::ollamaLocal), catalog.servers.store(), ZunoLanguage::tr);
    view->uiState()->showAllModels = true;
    view->resync();
    QStringList texts;
    for (const QLabel *label : view->findChildren<QLabel *>())
        texts.append(label->text());
    for (const ZunoQuickPickTile *tile : view->quickPickTiles())
        texts << tile->content().title << tile->badgeText() << tile->content().hint
              << tile->content().modelName;
    for (const ZunoUnifiedModelRowItem &row : view->rows())
        texts << row.summaryText << row.displayName;
    texts << view->allModelsDisclosure()->title() << view->ownKeyDisclosure()->title()
          << view->advancedDisclosure()->title()
          << view->allModelsSection()->searchField()->placeholderText();
    const QString all = texts.join(QLatin1Char('\n'));
    EXPECT_FALSE(all.contains(QStringLiteral("Mac"))) << all.toStdString();
    EXPECT_TRUE(all.contains(QStringLiteral("Bu bilgisayarda hazır")));
    EXPECT_TRUE(
        all.contains(QStringLiteral("Bu bilgisayarda yerel olarak kurulu (ollama). %100 çevrimdışı.")));
}

TEST(ZunoAIUnifiedSettingsCard, ShowingRefreshesTheAccountThenTheCatalog)
{
    ZunoTestHome home;
    ZunoFakeGateway gateway;
    const auto manager = std::make_shared<ZunoCreditsAccountManager>(
        home.filePath("account"), std::nullopt, gateway.baseURL());
    ZunoCreditsAccountStore credits(manager);
    ZunoFakeAIServers servers;
    ZunoAIModelCatalogStore *catalog = servers.store();

    // Starts and ends of each store's refresh, in the order they happen.
    QStringList events;
    bool refreshing = false;
    bool syncing = false;
    QObject::connect(&credits, &ZunoCreditsAccountStore::stateChanged, [&] {
        if (credits.isRefreshing() != refreshing)
            events.append(
                credits.isRefreshing() ? QStringLiteral("credits…") : QStringLiteral("credits done"));
        refreshing = credits.isRefreshing();
    });
    QObject::connect(catalog, &ZunoAIModelCatalogStore::stateChanged, [&] {
        if (catalog->isSyncing() != syncing)
            events.append(catalog->isSyncing() ? QStringLiteral("catalog…") : QStringLiteral("catalog done"));
        syncing = catalog->isSyncing();
    });

    ZunoAIUnifiedSettingsCard view(ZunoAIConfig(ZunoAIProvider::quarnwellCredits), noKeys(), kAccent,
        ZunoLanguage::en, &credits, catalog);
    EXPECT_TRUE(events.isEmpty()) << "nothing runs before the card shows";
    view.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return events.size() >= 4 && !syncing; }, kWait))
        << events.join(", ").toStdString();
    EXPECT_EQ(events,
        QStringList({ QStringLiteral("credits…"), QStringLiteral("credits done"), QStringLiteral("catalog…"),
            QStringLiteral("catalog done") }));
    EXPECT_EQ(view.rows().size(), ZunoFakeAIServers::kTestRowCount) << "the card follows the store";

    // Hidden before the account refresh ends, the card starts no catalog refresh: the gateway holds its
    // answers, so the refresh that the show waits for is surely in flight when the card hides.
    view.hide();
    manager->saveToken(QString::fromLatin1(ZunoFakeGateway::kToken));
    gateway.holdAnswers(true);
    credits.refresh();
    ASSERT_TRUE(credits.isRefreshing());
    events.clear();
    ZunoAIUnifiedSettingsCard second(ZunoAIConfig(ZunoAIProvider::quarnwellCredits), noKeys(), kAccent,
        ZunoLanguage::en, &credits, catalog);
    second.show();
    QApplication::processEvents();
    second.hide();
    gateway.holdAnswers(false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !credits.isRefreshing(); }, kWait));
    QApplication::processEvents();
    QApplication::processEvents();
    EXPECT_EQ(events, QStringList { QStringLiteral("credits done") });

    // Shown while that refresh runs, the card refreshes the catalog once it has ended.
    gateway.holdAnswers(true);
    credits.refresh();
    events.clear();
    second.show();
    QApplication::processEvents();
    EXPECT_TRUE(events.isEmpty()) << events.join(", ").toStdString();
    gateway.holdAnswers(false);
    ASSERT_TRUE(QTest::qWaitFor([&] { return events.size() >= 3 && !syncing; }, kWait))
        << events.join(", ").toStdString();
    EXPECT_EQ(events,
        QStringList(
            { QStringLiteral("credits done"), QStringLiteral("catalog…"), QStringLiteral("catalog done") }));
}

TEST(ZunoAIUnifiedSettingsCard, ProviderTileSetsTheModelListCategory)
{
    LoadedCatalog catalog;
    const auto loaded = card(ZunoAIConfig(ZunoAIProvider::quarnwellCredits), catalog.servers.store());
    const auto empty = card(ZunoAIConfig(ZunoAIProvider::quarnwellCredits), nullptr);
    struct Case {
        ZunoAIUnifiedSettingsCard *view;
        ZunoAIProvider provider;
        ZunoAIModelFilterCategory category;
    };
    const Case cases[] = {
        { loaded.get(), ZunoAIProvider::openAI, ZunoAIModelFilterCategory::cloud },
        { loaded.get(), ZunoAIProvider::quarnwellCredits, ZunoAIModelFilterCategory::quarnwell },
        { loaded.get(), ZunoAIProvider::ollamaLocal, ZunoAIModelFilterCategory::installed },
        { empty.get(), ZunoAIProvider::ollamaLocal, ZunoAIModelFilterCategory::local },
        { empty.get(), ZunoAIProvider::openAI, ZunoAIModelFilterCategory::cloud },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(rawValue(c.category).toStdString());
        QObject context;
        std::vector<ZunoAIConfig> edits;
        QObject::connect(c.view, &ZunoAIUnifiedSettingsCard::configEdited, &context,
            [&edits](const ZunoAIConfig &config) { edits.push_back(config); });
        c.view->uiState()->selectedCategory = ZunoAIModelFilterCategory::vision;
        c.view->providerSection()->selectProvider(c.provider);
        EXPECT_EQ(c.view->uiState()->selectedCategory, c.category);
        ASSERT_EQ(edits.size(), 1u);
        EXPECT_EQ(edits.back().provider, c.provider);
        EXPECT_EQ(c.view->config(), edits.back());
    }
}

TEST(ZunoAIUnifiedSettingsCard, SectionsEditTheCardsConfigAndFollowIt)
{
    LoadedCatalog catalog;
    const auto view = card(ZunoAIConfig(ZunoAIProvider::openAI), catalog.servers.store());
    EditRecorder edits(*view);
    QLineEdit *endpoint = view->advancedSection()->endpointField();
    endpoint->setText(QStringLiteral("https://api.acme.test/v1"));
    emit endpoint->textEdited(endpoint->text());
    ASSERT_EQ(edits.configs.size(), 1u);
    EXPECT_EQ(view->config().endpointURL, QStringLiteral("https://api.acme.test/v1"));
    // The provider section follows the card's config: the key is now kept for the new origin.
    EXPECT_EQ(view->providerSection()->origin(), QStringLiteral("https://api.acme.test"));
    EXPECT_TRUE(view->advancedSection()->catalogLine()->text().contains(
        QStringLiteral("%1 models").arg(ZunoFakeAIServers::kTestRowCount)));
}

TEST(ZunoAIUnifiedSettingsCard, CreditsSectionOnlyWithAStoreAndNoForeignKeychainWords)
{
    EXPECT_FALSE(card(ZunoAIConfig(ZunoAIProvider::openAI), nullptr)->creditsSection());
    ZunoTestHome home;
    ZunoFakeGateway gateway;
    const auto manager = std::make_shared<ZunoCreditsAccountManager>(
        home.filePath("account"), std::nullopt, gateway.baseURL());
    ZunoCreditsAccountStore credits(manager);
    for (const ZunoLanguage language : { ZunoLanguage::en, ZunoLanguage::tr }) {
        ZunoAIUnifiedSettingsCard view(
            ZunoAIConfig(ZunoAIProvider::openAI), noKeys(), kAccent, language, &credits, nullptr);
        ASSERT_TRUE(view.creditsSection());
        EXPECT_TRUE(view.creditsSection()->isVisibleTo(&view));
        EXPECT_TRUE(view.creditsSection()->notConnectedBadge()) << "signed out";
        view.uiState()->showOwnKeySection = true;
        view.uiState()->showAdvancedSettings = true;
        view.resync();
        EXPECT_TRUE(view.providerSection()->isVisibleTo(&view));
        EXPECT_TRUE(view.advancedSection()->isVisibleTo(&view));
        QStringList texts;
        for (const QLabel *label : view.findChildren<QLabel *>())
            texts << label->text();
        for (const QAbstractButton *button : view.findChildren<QAbstractButton *>())
            texts << button->text();
        for (const QLineEdit *field : view.findChildren<QLineEdit *>())
            texts << field->placeholderText();
        texts << view.ownKeyDisclosure()->title() << view.advancedDisclosure()->title();
        const QString all = texts.join(QLatin1Char('\n'));
        EXPECT_FALSE(all.contains(QStringLiteral("macOS"))) << all.toStdString();
        EXPECT_FALSE(all.contains(QStringLiteral("Keychain"), Qt::CaseInsensitive)) << all.toStdString();
    }
}

TEST(ZunoAIUnifiedSettingsCard, TheKeyboardOpensTheListAndChoosesTheSecondModel)
{
    LoadedCatalog catalog;
    const auto view = card(ZunoAIConfig(ZunoAIProvider::quarnwellCredits), catalog.servers.store());
    view->show();
    view->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
    EditRecorder edited(*view);
    ZunoDisclosureCard *disclosure = view->allModelsDisclosure();
    QListView *list = view->allModelsSection()->listView();

    // Tab in reading order: the disclosure's header opens with Space, and the list comes after it.
    int presses = 0;
    for (; presses < 60 && QApplication::focusWidget() != list; ++presses) {
        QWidget *from = QApplication::focusWidget() ? QApplication::focusWidget() : view.get();
        QTest::keyClick(from, Qt::Key_Tab);
        QWidget *focused = QApplication::focusWidget();
        ASSERT_TRUE(focused);
        if (focused == disclosure->headerButton() && !disclosure->isExpanded())
            QTest::keyClick(focused, Qt::Key_Space);
    }
    ASSERT_EQ(QApplication::focusWidget(), list) << "after " << presses << " presses of Tab";
    EXPECT_TRUE(disclosure->isExpanded());
    EXPECT_TRUE(ZunoFocusRing::isVisible(list));
    ASSERT_GE(list->model()->rowCount(), 2);
    EXPECT_EQ(list->currentIndex().row(), 0);

    QTest::keyClick(list, Qt::Key_Down);
    const ZunoUnifiedModelRowItem second = view->allModelsSection()->listModel()->item(1);
    ASSERT_FALSE(view->isRowSelected(second));
    EXPECT_TRUE(edited.configs.empty());
    QTest::keyClick(list, Qt::Key_Return);
    ASSERT_EQ(edited.configs.size(), 1u);
    EXPECT_TRUE(ZunoAIModelSelection::isRowSelected(second, edited.configs.back()));
    EXPECT_EQ(view->config(), edited.configs.back());
    // The list shows the choice, and the keyboard stays on the same row.
    EXPECT_TRUE(view->allModelsSection()->listModel()->isSelected(1));
    EXPECT_EQ(list->currentIndex().row(), 1);
    EXPECT_EQ(list->model()->index(1, 0).data(Qt::AccessibleTextRole).toString(), second.displayName);
    EXPECT_TRUE(list->model()
                    ->index(1, 0)
                    .data(Qt::AccessibleDescriptionRole)
                    .toString()
                    .endsWith(QStringLiteral("Chosen")));

    // Space chooses too.
    QTest::keyClick(list, Qt::Key_Up);
    QTest::keyClick(list, Qt::Key_Space);
    ASSERT_EQ(edited.configs.size(), 2u);
    EXPECT_TRUE(view->allModelsSection()->listModel()->isSelected(0));
}

TEST(ZunoAIUnifiedSettingsCard, RowsKeepTheirPlacesWhenTheActiveNameChanges)
{
    LoadedCatalog catalog;
    const auto view = card(
        ZunoAIConfig(ZunoAIProvider::openAI, std::nullopt, QStringLiteral("gpt-5")), catalog.servers.store());
    view->show();
    const auto places = [&] {
        for (int pass = 0; pass < 4; ++pass)
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QList<int> tops;
        for (ZunoQuickPickTile *tile : view->quickPickTiles()) {
            if (!tile->isHidden())
                tops.append(tile->mapTo(view.get(), QPoint()).y());
        }
        tops.append(view->allModelsDisclosure()->mapTo(view.get(), QPoint()).y());
        tops.append(view->ownKeyDisclosure()->mapTo(view.get(), QPoint()).y());
        return tops;
    };
    const QList<int> shortName = places();
    EXPECT_EQ(view->activeChip()->text(), QStringLiteral("Active: GPT-5"));

    view->setConfig(
        ZunoAIConfig(ZunoAIProvider::quarnwellCredits, std::nullopt, QStringLiteral("quarnwell-auto")));
    EXPECT_EQ(view->activeChip()->text(), QStringLiteral("Active: Quarnwell Auto (Smart Cost Router)"));
    EXPECT_EQ(places(), shortName);
    // A name too long for its slot is cut short inside the card, and the tooltip keeps it whole.
    view->setConfig(ZunoAIConfig(ZunoAIProvider::ollamaLocal, std::nullopt,
        QStringLiteral("an-unusually-long-local-model-name-that-no-chip-could-hold:latest")));
    EXPECT_EQ(places(), shortName);
    const QRect chip(view->activeChip()->mapTo(view.get(), QPoint()), view->activeChip()->size());
    EXPECT_TRUE(view->rect().contains(chip));
    EXPECT_EQ(view->activeChip()->toolTip(),
        QStringLiteral("Active: an-unusually-long-local-model-name-that-no-chip-could-hold:latest"));
}

TEST(ZunoAIUnifiedSettingsCard, TheModelListTakesTheWheelInsideTheScrollingPage)
{
    LoadedCatalog catalog;
    // As the settings window holds it: the card on a page that scrolls, in a window shorter than both.
    QWidget window;
    auto *page = new QWidget;
    auto *pageLayout = new QVBoxLayout(page);
    auto *view = new ZunoAIUnifiedSettingsCard(ZunoAIConfig(ZunoAIProvider::quarnwellCredits), noKeys(),
        kAccent, ZunoLanguage::en, nullptr, catalog.servers.store());
    pageLayout->addWidget(view);
    // More settings below the card.
    pageLayout->addSpacing(400);
    QScrollArea *area = zunoGlassScrollArea(page);
    auto *windowLayout = new QVBoxLayout(&window);
    windowLayout->addWidget(area);
    window.resize(600, 450);
    window.show();
    QTest::mouseClick(view->allModelsDisclosure()->headerButton(), Qt::LeftButton);
    QApplication::processEvents();
    QListView *list = view->allModelsSection()->listView();
    QScrollBar *rows = list->verticalScrollBar();
    QScrollBar *pageBar = area->verticalScrollBar();
    // The page scrolled down until the list's top meets the window's.
    pageBar->setValue(list->mapTo(page, QPoint()).y());
    QApplication::processEvents();
    ASSERT_GT(rows->maximum(), 0) << "the list has more rows than it shows";
    ASSERT_GT(pageBar->maximum(), pageBar->value()) << "the page can scroll down too";
    const QImage before = list->viewport()->grab().toImage();

    // Down over the list moves its rows, not the page.
    const int pageAt = pageBar->value();
    zunoWheelOver(list, -1);
    EXPECT_GT(rows->value(), 0);
    EXPECT_EQ(pageBar->value(), pageAt);
    EXPECT_NE(list->viewport()->grab().toImage(), before) << "the rows on screen changed";
    // Back up to its top, then one more turn up: the list has nowhere to go, so the page moves.
    zunoWheelOver(list, 1);
    ASSERT_EQ(rows->value(), 0);
    ASSERT_GT(pageBar->value(), 0) << "the page is not at its top";
    zunoWheelOver(list, 1);
    EXPECT_EQ(rows->value(), 0);
    EXPECT_LT(pageBar->value(), pageAt);
}

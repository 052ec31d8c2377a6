// Renders the credits views for a visual check, one PNG per state in English and Turkish, on the deepCoral
// ground inside a glass card as a popover shows them:
//   summary: no budget; 80 of 100; 250 of 100 (cap reached); 1 of 1000; uncapped with an account ratio;
//            critical and normal warnings;
//   editor:  collapsed; expanded with 250 and 2.50; the validation message; the saved notice; saving.
// The editor works on the real credits store over the loopback fake gateway, with its account file in a
// scratch folder.
//
//   AIViewsGallery FOLDER     (offscreen unless QT_QPA_PLATFORM says otherwise)

#include "AISettingsCardScenes.h"
#include "GallerySupport.h"
#include "WalletGallery.h"
#include "ZunoAppBudgetEditorBlock.h"
#include "ZunoAppBudgetSummaryBlock.h"
#include "ZunoBudgetEditorUIState.h"
#include "ZunoButton.h"
#include "ZunoCreditsAccountManager.h"
#include "ZunoCreditsAccountStore.h"
#include "ZunoFakeGateway.h"
#include "ZunoFonts.h"
#include "ZunoGlassCard.h"
#include "ZunoGroundBackground.h"
#include "ZunoSymbolRegistry.h"
#include "ZunoToolCommandLine.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <QVBoxLayout>

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>

using namespace std::chrono_literals;

namespace {

ZunoAppBudgetStatus budget(
    std::optional<double> dailyCap, double spentToday, std::optional<double> monthlyCap, double spentMonth)
{
    ZunoAppBudgetStatus status;
    status.app = QStringLiteral("ZunoCam");
    status.dailyLimitCredits = dailyCap;
    status.spentTodayCredits = spentToday;
    status.monthlyLimitCredits = monthlyCap;
    status.spentMonthCredits = spentMonth;
    return status;
}

bool renderSummaries(const QString &folder, ZunoLanguage language)
{
    const QString app = QStringLiteral("ZunoCam");
    struct Scene {
        const char *name;
        std::optional<ZunoAppBudgetStatus> budget;
        QList<ZunoBudgetWarning> warnings;
    };
    ZunoAppBudgetStatus near = budget(100, 80, 2000, 1234.4);
    near.nearLimit = true;
    ZunoAppBudgetStatus reached = budget(100, 250, 2000, 1240);
    reached.exceeded = true;
    reached.nearLimit = true;
    ZunoAppBudgetStatus uncapped = budget(std::nullopt, 3.2, 0, 12.5);
    uncapped.dailyRatio = 0.5; // ignored: the row has no cap
    ZunoAppBudgetStatus accountRatio = budget(50, 12.5, std::nullopt, 48);
    accountRatio.dailyRatio = 0.9;
    const QList<ZunoBudgetWarning> warnings = {
        { QStringLiteral("app_cap"), QStringLiteral("CRITICAL"), app,
            QStringLiteral("ZunoCam reached its daily cap. Requests are paused "
                           "until midnight UTC.") },
        { QStringLiteral("low_balance"), QStringLiteral("warning"), std::nullopt,
            QStringLiteral("Your balance is below 5 credits.") },
    };
    const Scene scenes[] = {
        { "summary-no-budget", std::nullopt, {} },
        { "summary-80-of-100", near, {} },
        { "summary-250-of-100", reached, {} },
        { "summary-1-of-1000", budget(1000, 1, 100000, 99.99), {} },
        { "summary-uncapped-ratio", uncapped, {} },
        { "summary-warnings", accountRatio, warnings },
    };
    for (const Scene &scene : scenes) {
        auto *block = new ZunoAppBudgetSummaryBlock(app, scene.budget, scene.warnings, language);
        const bool saved = Gallery::save(block, folder, QString::fromLatin1(scene.name), language);
        delete block;
        if (!saved)
            return false;
    }
    return true;
}

bool renderEditor(const QString &folder, ZunoLanguage language)
{
    QTemporaryDir scratch;
    ZunoFakeGateway gateway;
    auto manager = std::make_shared<ZunoCreditsAccountManager>(
        scratch.filePath(QStringLiteral("account")), std::nullopt, gateway.baseURL());
    manager->saveToken(QString::fromLatin1(ZunoFakeGateway::kToken));
    ZunoCreditsAccountStore store(manager);
    store.refresh();
    if (!Gallery::waitFor([&] { return store.isSignedIn() && !store.isRefreshing(); })) {
        std::fprintf(stderr, "the fake gateway did not sign in: %s\n",
            qPrintable(store.lastError().value_or(QString())));
        return false;
    }
    QFuture<bool> caps = store.saveAppBudget(std::nullopt, 250, 2.5, std::nullopt);
    if (!Gallery::waitFor([&] { return caps.isFinished(); }) || !caps.result())
        return false;

    const auto render
        = [&](const char *name, const std::function<void(ZunoAppBudgetEditorBlock &)> &prepare) {
              auto *block = new ZunoAppBudgetEditorBlock(store, language);
              prepare(*block);
              Gallery::settle();
              const bool saved = Gallery::save(block, folder, QString::fromLatin1(name), language);
              delete block;
              return saved;
          };
    const auto typed = [](QLineEdit *field, const QString &text) {
        field->setText(text);
        emit field->textEdited(text);
    };
    bool ok = render("editor-collapsed", [](ZunoAppBudgetEditorBlock &) {});
    ok = ok && render("editor-expanded", [](ZunoAppBudgetEditorBlock &block) { block.toggleExpanded(); });
    ok = ok && render("editor-invalid", [&](ZunoAppBudgetEditorBlock &block) {
        block.toggleExpanded();
        typed(block.dailyField(), QStringLiteral("-5"));
        block.saveCaps();
    });
    ok = ok && render("editor-saved", [&](ZunoAppBudgetEditorBlock &block) {
        block.toggleExpanded();
        typed(block.monthlyField(),
            language == ZunoLanguage::tr ? QStringLiteral("1.234") : QStringLiteral("1,234"));
        block.saveCaps();
        Gallery::waitFor([&] { return block.uiState()->savedNotice().has_value(); });
    });
    // A save the gateway answers only after the picture is taken.
    gateway.script("PUT", "/v1/app-budgets",
        { ZunoFakeHttpServer::Reply::text(
            200, R"({"budget":{"app":"ZunoCam"}})", { { "Content-Type", "application/json" } })
                .delayed(1500ms) });
    ok = ok && render("editor-saving", [&](ZunoAppBudgetEditorBlock &block) {
        block.toggleExpanded();
        block.saveCaps();
    });
    Gallery::waitFor([&] { return !store.isSavingBudget(); });
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ZunoFonts::applyApplicationFont();
    const char *usage = "usage: AIViewsGallery FOLDER | --benchmark\n"
                        "  FOLDER        writes one PNG per view and state, in English and Turkish\n"
                        "  --benchmark   median times of the AI settings card's rows and re-sync\n";
    if (const auto exitCode = zunoCheckToolArguments(argc, argv, usage, { "--benchmark" }))
        return *exitCode;
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() == 2 && arguments.at(1) == QLatin1String("--benchmark"))
        return benchmarkSettingsCard();
    if (arguments.size() != 2) {
        std::fputs(usage, stderr);
        return 2;
    }
    const QString folder = arguments.at(1);
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "cannot make %s\n", qPrintable(folder));
        return 1;
    }
    for (ZunoLanguage language : { ZunoLanguage::en, ZunoLanguage::tr }) {
        if (!renderSummaries(folder, language) || !renderEditor(folder, language)
            || !renderWallet(folder, language) || !renderSettingsCards(folder, language)
            || !renderSettingsCardSections(folder, language) || !renderKeyboardFocusScenes(folder, language))
            return 1;
    }
    const QStringList unknown = ZunoSymbolRegistry::unknownNamesRequested();
    if (!unknown.isEmpty()) {
        std::fprintf(stderr, "symbols without an icon: %s\n", qPrintable(unknown.join(QStringLiteral(", "))));
        return 1;
    }
    return 0;
}

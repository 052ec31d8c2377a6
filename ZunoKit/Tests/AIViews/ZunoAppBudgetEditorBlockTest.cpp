// The cap editor on the real credits store over the loopback fake gateway: hydration, the save and clear
// flows with what reaches the gateway, validation, the saving state, failures, Turkish, and a tiny cap that
// must stay a cap.
#include "ZunoAppBudgetEditorBlock.h"

#include "ZunoBudgetEditorUIState.h"
#include "ZunoButton.h"
#include "ZunoCreditsAccountManager.h"
#include "ZunoCreditsAccountStore.h"
#include "ZunoCreditsDisclosureButton.h"
#include "ZunoFakeGateway.h"
#include "ZunoGlassTokens.h"
#include "ZunoScopedEnvironment.h"
#include "ZunoSymbolRegistry.h"
#include "ZunoTestHome.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <memory>

using namespace std::chrono_literals;
using Json = nlohmann::json;
using Reply = ZunoFakeHttpServer::Reply;

namespace {

// Generous: the machine may be loaded.
constexpr int kWaitMs = 20000;

template <typename T> T await(QFuture<T> future)
{
    EXPECT_TRUE(QTest::qWaitFor([&] { return future.isFinished(); }, kWaitMs));
    if constexpr (!std::is_void_v<T>)
        return future.result();
}

class ZunoAppBudgetEditorBlockTest : public ::testing::Test {
protected:
    ZunoAppBudgetEditorBlockTest()
    {
        for (const char *name : { "QUARNWELL_ACCOUNT_DIR", "DEZEVEVEZU_ACCOUNT_DIR", "QUARNWELL_API_URL" })
            environment.set(name, QByteArray());
        manager->saveToken(QString::fromLatin1(ZunoFakeGateway::kToken));
        await(store->refresh());
        EXPECT_TRUE(store->isSignedIn());
    }

    // This application's caps as the gateway keeps them, set through the store.
    void setCaps(std::optional<double> daily, std::optional<double> monthly)
    {
        ASSERT_TRUE(await(store->saveAppBudget(std::nullopt, daily, monthly, std::nullopt)));
    }

    std::unique_ptr<ZunoAppBudgetEditorBlock> openBlock(ZunoLanguage language = ZunoLanguage::en)
    {
        auto block = std::make_unique<ZunoAppBudgetEditorBlock>(*store, language);
        block->resize(420, 200);
        block->show();
        block->headerButton()->click();
        EXPECT_TRUE(block->uiState()->isExpanded());
        return block;
    }

    // Replaces the field's text as an edit by the user (a tab too, which a key press would not type).
    static void type(QLineEdit *field, const QString &text)
    {
        field->selectAll();
        field->del();
        field->insert(text);
    }

    int budgetRequests() const
    {
        int count = 0;
        for (const auto &request : gateway.requests())
            count += request.target.startsWith("/v1/app-budgets") ? 1 : 0;
        return count;
    }

    Json lastBudgetBody() const
    {
        const auto requests = gateway.requests();
        for (auto it = requests.rbegin(); it != requests.rend(); ++it) {
            if (it->method == "PUT" && it->target == "/v1/app-budgets")
                return Json::parse(it->body.toStdString());
        }
        return Json();
    }

    // Presses Save and waits for the store to finish the call.
    void save(ZunoAppBudgetEditorBlock &block)
    {
        const int before = budgetRequests();
        block.saveButton()->click();
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return budgetRequests() > before && !store->isSavingBudget(); }, kWaitMs));
        QCoreApplication::processEvents();
    }

    ZunoTestHome home;
    ZunoScopedEnvironment environment;
    ZunoFakeGateway gateway;
    std::shared_ptr<ZunoCreditsAccountManager> manager = std::make_shared<ZunoCreditsAccountManager>(
        home.filePath("account"), std::nullopt, gateway.baseURL());
    std::unique_ptr<ZunoCreditsAccountStore> store = std::make_unique<ZunoCreditsAccountStore>(manager);
};

} // namespace

TEST_F(ZunoAppBudgetEditorBlockTest, HeaderOpensAndHydratesTheFields)
{
    ZunoAppBudgetEditorBlock block(*store, ZunoLanguage::en);
    block.show();
    EXPECT_FALSE(block.panel()->isVisible());
    const auto *action = block.headerButton()->findChildren<QLabel *>().last();
    EXPECT_EQ(action->text(), QStringLiteral("Edit"));
    // The header's texts draw in their own colours, not in the button's text colour.
    const QList<QLabel *> header = block.headerButton()->findChildren<QLabel *>();
    ASSERT_EQ(header.size(), 2);
    EXPECT_EQ(header[0]->palette().color(header[0]->foregroundRole()), ZunoGlassTokens::textPrimary());
    EXPECT_EQ(action->palette().color(action->foregroundRole()), ZunoGlassTokens::textSecondary());

    // No budget: empty fields with the placeholder, no Clear.
    block.headerButton()->click();
    EXPECT_TRUE(block.panel()->isVisible());
    EXPECT_EQ(action->text(), QStringLiteral("Hide"));
    EXPECT_EQ(block.dailyField()->text(), QString());
    EXPECT_EQ(block.dailyField()->placeholderText(), QStringLiteral("Unlimited"));
    EXPECT_FALSE(block.clearButton()->isVisible());

    // Typed but unsaved text is dropped on reopening; the budget's caps come in.
    QTest::keyClicks(block.dailyField(), QStringLiteral("77"));
    EXPECT_EQ(block.uiState()->dailyLimitText(), QStringLiteral("77"));
    setCaps(250, 2.5);
    block.headerButton()->click();
    EXPECT_FALSE(block.panel()->isVisible());
    EXPECT_EQ(block.dailyField()->text(), QStringLiteral("77"));
    block.headerButton()->click();
    EXPECT_EQ(block.dailyField()->text(), QStringLiteral("250"));
    EXPECT_EQ(block.monthlyField()->text(), QStringLiteral("2.50"));
    EXPECT_TRUE(block.clearButton()->isVisible());

    // The header takes a click anywhere across its width.
    QTest::mouseClick(block.headerButton(), Qt::LeftButton, {},
        QPoint(block.headerButton()->width() / 2, block.headerButton()->height() / 2));
    EXPECT_FALSE(block.uiState()->isExpanded());
    EXPECT_TRUE(ZunoSymbolRegistry::unknownNamesRequested().isEmpty());
}

TEST_F(ZunoAppBudgetEditorBlockTest, ClearIsAbsentForCapsOfZero)
{
    setCaps(0, 0);
    ASSERT_TRUE(store->currentAppBudget());
    auto block = openBlock();
    type(block->dailyField(), QStringLiteral("12"));
    EXPECT_FALSE(block->clearButton()->isVisible());
}

TEST_F(ZunoAppBudgetEditorBlockTest, SaveSendsWhatTheFieldsMean)
{
    struct Case {
        const char *daily, *monthly;
        Json sentDaily, sentMonthly;
    };
    const Case cases[] = {
        { "", "", nullptr, nullptr },
        { "0", " 0 ", nullptr, nullptr },
        { "1 000", "12,5", 1000.0, 12.5 },
        { "1,234", "1,234.5", 1234.0, 1234.5 },
        { "1.234", "", 1.234, nullptr },
    };
    auto block = openBlock();
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.daily) + " | " + c.monthly);
        type(block->dailyField(), QString::fromUtf8(c.daily));
        type(block->monthlyField(), QString::fromUtf8(c.monthly));
        save(*block);
        const Json body = lastBudgetBody();
        EXPECT_EQ(body["daily_limit_credits"], c.sentDaily);
        EXPECT_EQ(body["monthly_limit_credits"], c.sentMonthly);
        EXPECT_TRUE(QTest::qWaitFor([&] { return block->uiState()->savedNotice().has_value(); }, kWaitMs));
        EXPECT_EQ(block->statusLabel()->text(), QStringLiteral("App limits updated."));
        EXPECT_EQ(block->statusLabel()->palette().color(QPalette::WindowText), ZunoGlassTokens::success());
        // The fields keep what was typed.
        EXPECT_EQ(block->dailyField()->text(), QString::fromUtf8(c.daily));
    }
}

TEST_F(ZunoAppBudgetEditorBlockTest, InvalidTextShowsTheMessageAndSendsNothing)
{
    auto block = openBlock();
    const int before = budgetRequests();
    for (const char *daily : { "-5", "abc", "1\t2", "inf", "5 cr" }) {
        type(block->dailyField(), QString::fromUtf8(daily));
        type(block->monthlyField(), QStringLiteral("100"));
        block->saveButton()->click();
        EXPECT_TRUE(block->statusLabel()->isVisible()) << daily;
        EXPECT_EQ(block->statusLabel()->text(),
            QStringLiteral("Enter valid non-negative numbers (or leave blank "
                           "for unlimited)."));
        EXPECT_EQ(block->statusLabel()->palette().color(QPalette::WindowText), ZunoGlassTokens::danger());
        EXPECT_EQ(block->dailyField()->text(), QString::fromUtf8(daily));
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(budgetRequests(), before);
    EXPECT_FALSE(store->isSavingBudget());

    // A later valid save clears it.
    type(block->dailyField(), QStringLiteral("5"));
    save(*block);
    EXPECT_FALSE(block->uiState()->validationError());
    EXPECT_EQ(lastBudgetBody()["daily_limit_credits"], 5.0);
}

TEST_F(ZunoAppBudgetEditorBlockTest, WhileSavingBothButtonsWaitAndTheSpinnerShows)
{
    setCaps(250, 2.5);
    auto block = openBlock();
    EXPECT_FALSE(block->saveButton()->isBusy());
    gateway.script("PUT", "/v1/app-budgets",
        { Reply::text(200, R"({"budget":{"app":"x"}})", { { "Content-Type", "application/json" } })
                .delayed(1500ms) });
    block->saveButton()->click();
    ASSERT_TRUE(store->isSavingBudget());
    EXPECT_FALSE(block->saveButton()->isEnabled());
    EXPECT_FALSE(block->clearButton()->isEnabled());
    EXPECT_TRUE(block->saveButton()->isBusy());
    // The fields stay editable.
    EXPECT_TRUE(block->dailyField()->isEnabled());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !store->isSavingBudget(); }, kWaitMs));
    EXPECT_TRUE(block->saveButton()->isEnabled());
    EXPECT_TRUE(block->clearButton()->isEnabled());
    EXPECT_FALSE(block->saveButton()->isBusy());
}

TEST_F(ZunoAppBudgetEditorBlockTest, AFailureLeavesNoMessageInTheBlock)
{
    setCaps(250, 2.5);
    auto block = openBlock();
    gateway.script("PUT", "/v1/app-budgets", { Reply::text(500, "no") });
    gateway.script("DELETE", "/v1/app-budgets/" + QUrl::toPercentEncoding(store->currentAppName()),
        { Reply::text(500, "no") });
    save(*block);
    EXPECT_EQ(store->lastError(), QStringLiteral("HTTP 500: no"));
    block->clearButton()->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !store->isSavingBudget(); }, kWaitMs));
    QCoreApplication::processEvents();
    EXPECT_FALSE(block->uiState()->savedNotice());
    EXPECT_FALSE(block->uiState()->validationError());
    EXPECT_FALSE(block->statusLabel()->isVisible());
    EXPECT_EQ(block->dailyField()->text(), QStringLiteral("250"));
}

TEST_F(ZunoAppBudgetEditorBlockTest, ClearRemovesTheCapsAndEmptiesTheFields)
{
    setCaps(250, 2.5);
    auto block = openBlock();
    ASSERT_TRUE(block->clearButton()->isVisible());
    block->clearButton()->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return block->uiState()->savedNotice().has_value(); }, kWaitMs));
    EXPECT_EQ(block->statusLabel()->text(), QStringLiteral("Caps removed."));
    EXPECT_EQ(block->dailyField()->text(), QString());
    EXPECT_EQ(block->monthlyField()->text(), QString());
    EXPECT_TRUE(gateway.budgets().empty());
    EXPECT_FALSE(block->clearButton()->isVisible());
}

TEST_F(ZunoAppBudgetEditorBlockTest, ATinyCapStaysACap)
{
    setCaps(0.004, std::nullopt);
    auto block = openBlock();
    EXPECT_EQ(block->dailyField()->text(), QStringLiteral("0.004"));
    save(*block);
    EXPECT_EQ(lastBudgetBody()["daily_limit_credits"], 0.004);
    EXPECT_EQ(lastBudgetBody()["monthly_limit_credits"], nullptr);
}

TEST_F(ZunoAppBudgetEditorBlockTest, TurkishTextsAndGrouping)
{
    auto block = openBlock(ZunoLanguage::tr);
    const QList<QLabel *> labels = block->findChildren<QLabel *>();
    QStringList texts;
    for (const QLabel *label : labels)
        texts << label->text();
    for (const char *expected :
        { "Uygulama Harcama Limitleri", "Gizle", "Günlük Limit (kr)", "Aylık Limit (kr)" })
        EXPECT_TRUE(texts.contains(QString::fromUtf8(expected))) << expected;
    EXPECT_EQ(block->dailyField()->placeholderText(), QStringLiteral("Limitsiz"));
    EXPECT_EQ(block->saveButton()->text(), QStringLiteral("Limitleri Kaydet"));
    EXPECT_EQ(block->clearButton()->text(), QStringLiteral("Kaldır"));

    type(block->dailyField(), QStringLiteral("-1"));
    block->saveButton()->click();
    EXPECT_EQ(block->statusLabel()->text(),
        QStringLiteral("Geçerli, negatif olmayan sayılar girin (limitsiz "
                       "için boş bırakın)."));

    // "1.234" is one thousand two hundred thirty-four in Turkish.
    type(block->dailyField(), QStringLiteral("1.234"));
    type(block->monthlyField(), QStringLiteral("1,5"));
    save(*block);
    EXPECT_EQ(lastBudgetBody()["daily_limit_credits"], 1234.0);
    EXPECT_EQ(lastBudgetBody()["monthly_limit_credits"], 1.5);
    EXPECT_TRUE(QTest::qWaitFor([&] { return block->uiState()->savedNotice().has_value(); }, kWaitMs));
    EXPECT_EQ(block->statusLabel()->text(), QStringLiteral("Uygulama limitleri güncellendi."));
    EXPECT_TRUE(block->clearButton()->isVisible());
}

TEST_F(ZunoAppBudgetEditorBlockTest, ANewLanguageKeepsTheState)
{
    auto block = openBlock();
    type(block->dailyField(), QStringLiteral("x"));
    block->saveButton()->click();
    block->setLanguage(ZunoLanguage::tr);
    EXPECT_TRUE(block->uiState()->isExpanded());
    EXPECT_EQ(block->dailyField()->text(), QStringLiteral("x"));
    EXPECT_EQ(block->statusLabel()->text(),
        QStringLiteral("Geçerli, negatif olmayan sayılar girin (limitsiz "
                       "için boş bırakın)."));
    EXPECT_EQ(block->saveButton()->text(), QStringLiteral("Limitleri Kaydet"));
}

TEST_F(ZunoAppBudgetEditorBlockTest, ALateResultStillSetsTheNoticeAndAGoneBlockIsSkipped)
{
    gateway.script("PUT", "/v1/app-budgets",
        { Reply::text(200, R"({"budget":{"app":"x"}})", { { "Content-Type", "application/json" } })
                .delayed(500ms) });
    auto block = openBlock();
    block->saveButton()->click();
    block->headerButton()->click(); // collapsed while the save runs
    EXPECT_FALSE(block->uiState()->isExpanded());
    EXPECT_TRUE(QTest::qWaitFor([&] { return block->uiState()->savedNotice().has_value(); }, kWaitMs));

    block->headerButton()->click();
    block->saveButton()->click();
    ASSERT_TRUE(store->isSavingBudget());
    block.reset();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !store->isSavingBudget(); }, kWaitMs));
    QCoreApplication::processEvents();
}

// The wallet popover on the real store over the fake gateway: its two sections, the balance figures,
// the health dot, the error banner, the portal pages, following the language, and refreshing.
#include "ZunoCreditsWalletPopover.h"

#include "CreditsViewsFixture.h"
#include "DesignProbe.h"
#include "ZunoActivityIndicator.h"
#include "ZunoAppBudgetEditorBlock.h"
#include "ZunoAppBudgetSummaryBlock.h"
#include "ZunoBudgetEditorUIState.h"
#include "ZunoButton.h"
#include "ZunoCreditsAuthBlock.h"
#include "ZunoGlassTokens.h"
#include "ZunoPrimaryButtonStyle.h"
#include "ZunoSymbolButton.h"
#include "ZunoSymbolRegistry.h"
#include "ZunoTabularLabel.h"

#include <QLabel>
#include <QPointer>

#include <chrono>

using namespace CreditsViews;
using namespace std::chrono_literals;

namespace {

const QColor kAccent(0x38, 0xE8, 0xFF);

class ZunoCreditsWalletPopoverTest : public Fixture {
protected:
    std::unique_ptr<ZunoCreditsWalletPopover> popover(std::optional<ZunoLanguage> language = ZunoLanguage::en)
    {
        auto made = std::make_unique<ZunoCreditsWalletPopover>(*store, kAccent, language);
        made->show();
        return made;
    }

    // The health dot's centre over the popover's own background.
    QColor dotColour(ZunoCreditsWalletPopover &p)
    {
        const QImage image = p.grab().toImage();
        const QPoint centre = p.healthDot()->geometry().center();
        return image.pixelColor(centre);
    }

    static bool near(const QColor &a, const QColor &b, int tolerance = 4)
    {
        return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
            && std::abs(a.blue() - b.blue()) <= tolerance;
    }
};

} // namespace

TEST_F(ZunoCreditsWalletPopoverTest, SignedOutShowsTheConnectSection)
{
    auto p = popover();
    EXPECT_EQ(p->width(), ZunoCreditsWalletPopover::kWidth);
    EXPECT_FALSE(p->showsAccount());
    EXPECT_EQ(p->titleLabel()->text(), QStringLiteral("Quarnwell Credits"));
    EXPECT_EQ(p->connectSentence()->text(),
        QStringLiteral(
            "Connect your quarnwell.com account once to share Quarnwell AI credits and per-app spending "
            "limits across all Quarnwell apps."));
    EXPECT_NE(p->authBlock(), nullptr);
    EXPECT_EQ(p->creditsLabel(), nullptr);
    // Both portal buttons are glass here.
    EXPECT_EQ(dynamic_cast<const ZunoPrimaryButtonStyle *>(&p->topUpButton()->buttonStyle()), nullptr);
    EXPECT_TRUE(near(dotColour(*p), ZunoGlassTokens::textMuted().toRgb(), 255));
    EXPECT_FALSE(p->errorBanner()->isVisible());
    EXPECT_TRUE(ZunoSymbolRegistry::unknownNamesRequested().isEmpty());
}

TEST_F(ZunoCreditsWalletPopoverTest, BalanceFiguresFollowTheUnit)
{
    struct Case {
        qint64 available, unit, held;
        ZunoLanguage language;
        const char *credits, *dollars, *held_;
    };
    const Case cases[] = {
        { 12'500'000, 1000, 0, ZunoLanguage::en, "12,500 cr", "\u2248 $12.50", nullptr },
        { 4200, 0, 0, ZunoLanguage::en, "4,200 cr", "\u2248 $0.00", nullptr },
        { 4200, 1, 0, ZunoLanguage::en, "4,200 cr", "\u2248 $0.00", nullptr },
        { -5'000'000, 1000, 0, ZunoLanguage::en, "0 cr", "\u2248 $0.00", nullptr },
        { 12'500'000, 1000, 500'000, ZunoLanguage::en, "12,500 cr", "\u2248 $12.50", "\u00B7 Held: 500" },
        { 12'500'000, 1000, 500'000, ZunoLanguage::tr, "12.500 kr", "\u2248 $12.50", "\u00B7 Bloke: 500" },
        // A hold too small to show with two decimals still shows as something held.
        { 3'000'000, 1000, 1, ZunoLanguage::tr, "3.000 kr", "\u2248 $3.00", "\u00B7 Bloke: <0,01" },
    };
    signIn();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.credits);
        Json body = profile(c.available, c.unit);
        body["held_micros"] = c.held;
        gateway.setProfile(body);
        refreshNow();
        auto p = popover(c.language);
        ASSERT_TRUE(p->showsAccount());
        EXPECT_EQ(p->creditsLabel()->text(), QString::fromUtf8(c.credits));
        EXPECT_EQ(p->dollarsLabel()->text(), QString::fromUtf8(c.dollars));
        EXPECT_EQ(p->emailLabel()->text(), QStringLiteral("user@example.com"));
        EXPECT_EQ(p->heldLabel()->isVisible(), c.held_ != nullptr);
        if (c.held_) {
            EXPECT_EQ(p->heldLabel()->text(), QString::fromUtf8(c.held_));
        }
    }
}

TEST_F(ZunoCreditsWalletPopoverTest, TheHealthDotTurnsRedOverBudgetOrWithoutBalance)
{
    signIn();
    auto p = popover();
    EXPECT_TRUE(near(dotColour(*p), ZunoGlassTokens::success()));
    Json over = profile(12'500'000);
    over["current_app_budget"] = { { "app", "ZunoCam" }, { "daily_limit_credits", 10 },
        { "spent_today_credits", 12 }, { "exceeded", true } };
    for (const Json &body : { over, profile(0), profile(-1) }) {
        gateway.setProfile(body);
        refreshNow();
        QCoreApplication::processEvents();
        EXPECT_TRUE(near(dotColour(*p), ZunoGlassTokens::danger())) << qPrintable(dotColour(*p).name());
    }
}

TEST_F(ZunoCreditsWalletPopoverTest, TheStoresErrorShowsInTheBannerInBothSections)
{
    auto p = popover();
    gateway.script("GET", "/v1/me", { Reply::text(503, "down") });
    manager->saveToken(QString::fromLatin1(ZunoFakeGateway::kToken));
    refreshNow();
    ASSERT_TRUE(store->lastError());
    EXPECT_FALSE(p->showsAccount());
    EXPECT_TRUE(p->errorBanner()->isVisible());
    EXPECT_EQ(p->errorText()->text(), QStringLiteral("HTTP 503: down"));
    EXPECT_GT(p->errorBanner()->y(), p->authBlock()->mapTo(p.get(), QPoint(0, 0)).y());

    gateway.script("GET", "/v1/me", {});
    refreshNow();
    EXPECT_TRUE(p->showsAccount());
    EXPECT_FALSE(p->errorBanner()->isVisible());
}

TEST_F(ZunoCreditsWalletPopoverTest, PortalButtonsOpenThePagesOfTheLanguage)
{
    for (ZunoLanguage language : { ZunoLanguage::en, ZunoLanguage::tr }) {
        auto p = popover(language);
        desktop->opened.clear();
        p->topUpButton()->click();
        p->portalButton()->click();
        ASSERT_EQ(desktop->opened.size(), 2);
        const bool turkish = language == ZunoLanguage::tr;
        EXPECT_EQ(
            desktop->opened[0].path(), turkish ? QStringLiteral("/kredi") : QStringLiteral("/en/credits"));
        EXPECT_EQ(
            desktop->opened[1].path(), turkish ? QStringLiteral("/kullanim") : QStringLiteral("/en/usage"));
    }
    signIn();
    auto p = popover(ZunoLanguage::en);
    ASSERT_TRUE(p->showsAccount());
    EXPECT_NE(dynamic_cast<const ZunoPrimaryButtonStyle *>(&p->topUpButton()->buttonStyle()), nullptr);
    desktop->opened.clear();
    p->topUpButton()->click();
    ASSERT_EQ(desktop->opened.size(), 1);
    EXPECT_EQ(desktop->opened[0].path(), QStringLiteral("/en/credits"));
}

TEST_F(ZunoCreditsWalletPopoverTest, FollowsTheApplicationLanguageUnlessFixed)
{
    signIn();
    auto following = popover(std::nullopt);
    auto fixed = popover(ZunoLanguage::en);
    ZunoLanguages::setCurrent(ZunoLanguage::tr);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return following->titleLabel()->text() == QStringLiteral("Quarnwell Kredisi"); }, kWaitMs));
    EXPECT_EQ(following->creditsLabel()->text(), QStringLiteral("12.500 kr"));
    EXPECT_EQ(following->signOutButton()->text(), QStringLiteral("Çıkış"));
    EXPECT_EQ(fixed->titleLabel()->text(), QStringLiteral("Quarnwell Credits"));
    ZunoLanguages::setCurrent(ZunoLanguage::en);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return following->titleLabel()->text() == QStringLiteral("Quarnwell Credits"); }, kWaitMs));
}

TEST_F(ZunoCreditsWalletPopoverTest, WhileRefreshingBothRefreshButtonsWait)
{
    signIn();
    auto p = popover();
    EXPECT_TRUE(p->headerRefreshButton()->isVisible());
    EXPECT_FALSE(p->headerSpinner()->isVisible());
    gateway.script("GET", "/v1/me", { jsonReply(200, profile(12'500'000)).delayed(1500ms) });
    p->refreshButton()->click();
    ASSERT_TRUE(store->isRefreshing());
    EXPECT_FALSE(p->headerRefreshButton()->isVisible());
    EXPECT_FALSE(p->headerRefreshButton()->isEnabled());
    EXPECT_TRUE(p->headerSpinner()->isVisible());
    EXPECT_FALSE(p->refreshButton()->isEnabled());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !store->isRefreshing(); }, kWaitMs));
    EXPECT_TRUE(p->headerRefreshButton()->isEnabled());
    EXPECT_TRUE(p->refreshButton()->isEnabled());
}

TEST_F(ZunoCreditsWalletPopoverTest, EmbeddedBlocksStartAfreshOnlyWithANewSection)
{
    signIn();
    auto p = popover();
    QPointer<ZunoAppBudgetEditorBlock> editor = p->editorBlock();
    editor->toggleExpanded();
    refreshNow();
    EXPECT_EQ(p->editorBlock(), editor.data());
    EXPECT_EQ(p->summaryBlock()->appName(), store->currentAppName());

    p->signOutButton()->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !p->showsAccount(); }, kWaitMs));
    EXPECT_TRUE(editor.isNull());
    signIn();
    ASSERT_TRUE(p->showsAccount());
    EXPECT_FALSE(p->editorBlock()->uiState()->isExpanded());
}

// The settings card's credits section on the real store over the fake gateway: signed out and signed in, the
// summary's presence, the health dot, the editor disclosure and the error banner.
#include "ZunoAICreditsSection.h"

#include "CreditsViewsFixture.h"
#include "ZunoAppBudgetEditorBlock.h"
#include "ZunoAppBudgetSummaryBlock.h"
#include "ZunoButton.h"
#include "ZunoCapsuleLabel.h"
#include "ZunoCreditsAuthBlock.h"
#include "ZunoCreditsDisclosureButton.h"
#include "ZunoCreditsErrorBanner.h"
#include "ZunoCreditsHealthDot.h"
#include "ZunoFonts.h"
#include "ZunoGlassTokens.h"
#include "ZunoPrimaryButtonStyle.h"
#include "ZunoSymbolIcon.h"
#include "ZunoTabularLabel.h"

#include <QLabel>
#include <QPointer>

using namespace CreditsViews;

namespace {

const QColor kAccent(0x38, 0xE8, 0xFF);

class ZunoAICreditsSectionTest : public Fixture {
protected:
    std::unique_ptr<ZunoAICreditsSection> section(ZunoLanguage language = ZunoLanguage::en)
    {
        auto made = std::make_unique<ZunoAICreditsSection>(*store, kAccent, language);
        made->resize(560, made->sizeHint().height());
        made->show();
        return made;
    }
    static bool shown(QWidget *part, QWidget *in) { return part && part->isVisibleTo(in); }
};

} // namespace

TEST_F(ZunoAICreditsSectionTest, SignedOutShowsTheBadgeTheOfferAndTheSignInBlock)
{
    auto s = section();
    EXPECT_EQ(s->padding(), 16);
    EXPECT_EQ(s->cornerRadius(), 14);
    EXPECT_EQ(s->titleLabel()->text(), QStringLiteral("1. Quarnwell Account (Easiest Way)"));
    EXPECT_EQ(s->healthDot()->color(), ZunoGlassTokens::textMuted());
    EXPECT_EQ(s->healthDot()->width(), 9);
    EXPECT_TRUE(shown(s->notConnectedBadge(), s.get()));
    EXPECT_EQ(s->notConnectedBadge()->text(), QStringLiteral("Not connected"));
    EXPECT_FALSE(shown(s->refreshButton(), s.get()));
    EXPECT_FALSE(s->showsAccount());
    EXPECT_EQ(s->offerText()->text(),
        QStringLiteral(
            "Use all AI models right away with one account — no API keys or technical setup needed."));
    EXPECT_TRUE(s->offerText()->wordWrap());
    ASSERT_NE(s->authBlock(), nullptr);
    EXPECT_FALSE(shown(s->errorBanner(), s.get()));

    s->setLanguage(ZunoLanguage::tr);
    EXPECT_EQ(s->titleLabel()->text(), QStringLiteral("1. Quarnwell Hesabı (En Kolay Yol)"));
    EXPECT_EQ(s->notConnectedBadge()->text(), QStringLiteral("Bağlı değil"));
    EXPECT_EQ(s->authBlock()->language(), ZunoLanguage::tr);
}

TEST_F(ZunoAICreditsSectionTest, ErrorBannerAndTheHeaderRefresh)
{
    auto s = section();
    gateway.script("GET", "/v1/me", { Reply::text(503, "down") });
    manager->saveToken(QString::fromLatin1(ZunoFakeGateway::kToken));
    refreshNow();
    EXPECT_FALSE(s->showsAccount());
    EXPECT_NE(s->offerText(), nullptr);
    // The store's error, verbatim, below the offer.
    EXPECT_TRUE(shown(s->errorBanner(), s.get()));
    EXPECT_EQ(s->errorBanner()->textLabel()->text(), QStringLiteral("HTTP 503: down"));
    EXPECT_EQ(s->errorBanner()->textLabel()->font().pointSizeF(), ZunoFonts::system(11.5).pointSizeF());
    EXPECT_GT(s->errorBanner()->y(), s->authBlock()->mapTo(s->errorBanner()->parentWidget(), QPoint()).y());

    gateway.script(
        "GET", "/v1/me", { jsonReply(200, profile(12'500'000)).delayed(std::chrono::milliseconds(800)) });
    signIn();
    ASSERT_TRUE(s->showsAccount());
    EXPECT_TRUE(shown(s->refreshButton(), s.get()));
    EXPECT_FALSE(shown(s->notConnectedBadge(), s.get()));
    EXPECT_EQ(s->refreshButton()->text(), QStringLiteral("Refresh"));
    EXPECT_EQ(s->refreshButton()->symbol(), QStringLiteral("arrow.clockwise"));
    // An error the store cleared (a good refresh) takes the banner away.
    EXPECT_FALSE(shown(s->errorBanner(), s.get()));

    QTest::mouseClick(s->refreshButton(), Qt::LeftButton);
    EXPECT_TRUE(s->refreshButton()->isBusy());
    EXPECT_FALSE(s->refreshButton()->isEnabled());
    refreshNow();
    EXPECT_FALSE(s->refreshButton()->isBusy());
    EXPECT_TRUE(s->refreshButton()->isEnabled());
}

TEST_F(ZunoAICreditsSectionTest, AccountFiguresButtonsAndPortalPages)
{
    auto s = section();
    signIn(profile(12'500'000, 1000));
    ASSERT_TRUE(s->showsAccount());
    EXPECT_EQ(s->creditsLabel()->text(), QStringLiteral("12,500 cr"));
    EXPECT_EQ(s->dollarsLabel()->text(), QStringLiteral("≈ $12.50"));
    EXPECT_EQ(s->emailLabel()->text(), QStringLiteral("user@example.com"));
    EXPECT_EQ(s->healthDot()->color(), ZunoGlassTokens::success());
    EXPECT_NE(dynamic_cast<const ZunoPrimaryButtonStyle *>(&s->topUpButton()->buttonStyle()), nullptr);
    EXPECT_EQ(s->spendingButton()->text(), QStringLiteral("Spending ↗"));

    desktop->opened.clear();
    s->topUpButton()->click();
    s->spendingButton()->click();
    ASSERT_EQ(desktop->opened.size(), 2);
    EXPECT_EQ(desktop->opened[0].path(), QStringLiteral("/en/credits"));
    EXPECT_EQ(desktop->opened[1].path(), QStringLiteral("/en/usage"));
    s->setLanguage(ZunoLanguage::tr);
    EXPECT_EQ(s->creditsLabel()->text().right(2), QStringLiteral("kr"));
    EXPECT_EQ(s->signOutButton()->text(), QStringLiteral("Çıkış"));
    s->spendingButton()->click();
    ASSERT_EQ(desktop->opened.size(), 3);
    EXPECT_EQ(desktop->opened[2].path(), QStringLiteral("/kullanim"));
}

TEST_F(ZunoAICreditsSectionTest, SummaryOnlyWithABudgetOrAWarningAndTheDotFollowsTheBudget)
{
    auto s = section();
    signIn();
    // Neither: the disclosure row follows the balance row directly.
    EXPECT_FALSE(shown(s->summaryDivider(), s.get()));
    EXPECT_FALSE(shown(s->summaryBlock(), s.get()));

    Json warned = profile(12'500'000);
    warned["budget_warnings"] = Json::array(
        { { { "kind", "low_balance" }, { "severity", "warning" }, { "message", "Low balance" } } });
    gateway.setProfile(warned);
    refreshNow();
    EXPECT_TRUE(shown(s->summaryDivider(), s.get()));
    EXPECT_TRUE(shown(s->summaryBlock(), s.get()));

    Json over = profile(12'500'000);
    over["current_app_budget"] = { { "app", "ZunoCam" }, { "daily_limit_credits", 10 },
        { "spent_today_credits", 12 }, { "exceeded", true } };
    gateway.setProfile(over);
    refreshNow();
    EXPECT_EQ(s->healthDot()->color(), ZunoGlassTokens::danger());
    EXPECT_TRUE(shown(s->summaryBlock(), s.get()));
}

TEST_F(ZunoAICreditsSectionTest, DisclosureOpensAFreshEditorAndSurvivesSigningOut)
{
    auto s = section();
    signIn();
    EXPECT_EQ(s->editorBlock(), nullptr);
    EXPECT_EQ(s->disclosureRow()->title(), QStringLiteral("Spending limits & low-balance alerts"));
    EXPECT_EQ(s->disclosureRow()->chevron()->symbol(), QStringLiteral("chevron.right"));
    // A click at the row's far end counts.
    QTest::mouseClick(s->disclosureRow(), Qt::LeftButton, {}, QPoint(s->disclosureRow()->width() - 3, 5));
    EXPECT_TRUE(s->showBudgetEditor());
    EXPECT_EQ(s->disclosureRow()->chevron()->symbol(), QStringLiteral("chevron.down"));
    QPointer<ZunoAppBudgetEditorBlock> first = s->editorBlock();
    ASSERT_TRUE(first);
    EXPECT_TRUE(first->isVisibleTo(s.get()));

    QTest::mouseClick(s->disclosureRow(), Qt::LeftButton);
    EXPECT_FALSE(s->showBudgetEditor());
    EXPECT_TRUE(first.isNull());
    s->disclosureRow()->click();
    ASSERT_NE(s->editorBlock(), nullptr);

    await(store->signOut());
    EXPECT_FALSE(s->showsAccount());
    EXPECT_TRUE(s->showBudgetEditor());
    signIn();
    ASSERT_TRUE(s->showsAccount());
    EXPECT_NE(s->editorBlock(), nullptr);
}

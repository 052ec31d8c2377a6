#include "ZunoCreditAccountProfile.h"
#include "ZunoCreditsAccountManager.h"
#include "ZunoDeviceSignInStart.h"
#include "ZunoEncodingError.h"
#include "ZunoGatewayAIModelsResponse.h"
#include "ZunoStrictJson.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using Json = nlohmann::json;

template <typename T> T decode(const char *text)
{
    return Json::parse(text).get<T>();
}

ZunoCreditAccountProfile profile(const char *text)
{
    return decode<ZunoCreditAccountProfile>(text);
}

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

} // namespace

TEST(ZunoCreditAccountProfile, EmptyBodyTakesEveryDefault)
{
    const ZunoCreditAccountProfile empty = profile("{}");
    EXPECT_FALSE(empty.userId);
    EXPECT_FALSE(empty.email);
    EXPECT_FALSE(empty.name);
    EXPECT_EQ(empty.balanceMicros, 0);
    EXPECT_EQ(empty.heldMicros, 0);
    EXPECT_EQ(empty.availableMicros, 0);
    EXPECT_EQ(empty.creditUnitMicros, 1000);
    EXPECT_FALSE(empty.lowBalance);
    EXPECT_EQ(empty.portalUrl, QStringLiteral("https://quarnwell.com"));
    EXPECT_FALSE(empty.lowBalanceThresholdCredits);
    EXPECT_FALSE(empty.appBudgets);
    EXPECT_FALSE(empty.currentAppBudget);
    EXPECT_FALSE(empty.budgetWarnings);
    // Null is the same as missing.
    EXPECT_EQ(profile(R"({"email": null, "balance_micros": null, "credit_unit_micros": null,
        "app_budgets": null, "low_balance": null})"),
        empty);
}

TEST(ZunoCreditAccountProfile, BalanceAndUnitRules)
{
    struct Case {
        const char *body;
        qint64 balance;
        qint64 unit;
    };
    const Case cases[] = {
        { R"({"available_micros": 5000000, "held_micros": 1000000})", 6000000, 1000 },
        // The balance's default is computed whatever the key order of the body.
        { R"({"balance_micros": 7, "available_micros": 5, "held_micros": 1})", 7, 1000 },
        { R"({"credit_unit_micros": 0})", 0, 1 },
        { R"({"credit_unit_micros": -250})", 0, 1 },
        { R"({"credit_unit_micros": 250.0})", 0, 250 },
        { R"({"available_micros": 9223372036854775807, "held_micros": -1})", 9223372036854775806, 1000 },
    };
    for (const Case &c : cases) {
        const ZunoCreditAccountProfile decoded = profile(c.body);
        EXPECT_EQ(decoded.balanceMicros, c.balance) << c.body;
        EXPECT_EQ(decoded.creditUnitMicros, c.unit) << c.body;
    }
    const ZunoCreditAccountProfile wallet
        = profile(R"({"available_micros": 2500000, "held_micros": 500000, "credit_unit_micros": 1000})");
    EXPECT_DOUBLE_EQ(wallet.creditsAvailable(), 2500);
    EXPECT_DOUBLE_EQ(wallet.creditsHeld(), 500);
    EXPECT_DOUBLE_EQ(wallet.availableUSD(), 2.5);
    // A memberwise unit of 0 still divides by 1.
    ZunoCreditAccountProfile unitless;
    unitless.creditUnitMicros = 0;
    unitless.availableMicros = 42;
    EXPECT_DOUBLE_EQ(unitless.creditsAvailable(), 42);
}

TEST(ZunoCreditAccountProfile, MalformedBodiesFail)
{
    const char *bodies[] = {
        R"([])",
        R"({"email": 5})",
        R"({"low_balance": "yes"})",
        R"({"low_balance": 1})",
        R"({"available_micros": 5.5})",
        R"({"available_micros": "5"})",
        R"({"held_micros": 9223372036854775808})",
        R"({"credit_unit_micros": 1e30})",
        R"({"low_balance_threshold_credits": "2000"})",
        R"({"portal_url": false})",
        // The default balance would not fit in 64 bits.
        R"({"available_micros": 9223372036854775807, "held_micros": 1})",
        R"({"available_micros": -9223372036854775808, "held_micros": -1})",
        // A nested value that fails fails the profile.
        R"({"current_app_budget": {"spent_today_credits": 1}})",
        R"({"current_app_budget": {"app": "ZunoCam", "near_limit": "no"}})",
        R"({"app_budgets": [{"app": "a"}, {"app": 7}]})",
        R"({"app_budgets": {"app": "a"}})",
        R"({"budget_warnings": [{"kind": "daily", "severity": "warning"}]})",
    };
    for (const char *body : bodies)
        EXPECT_THROW(profile(body), ZunoDecodingError) << body;
    EXPECT_EQ(profile(R"({"available_micros": 5.0})").availableMicros, 5);
}

TEST(ZunoCreditAccountProfile, EncodingLeavesOutAbsentValuesAndRefusesNonFinite)
{
    ZunoCreditAccountProfile value = profile(R"({"email": "a@b.c", "available_micros": 10,
        "current_app_budget": {"app": "ZunoCam", "daily_limit_credits": 5},
        "budget_warnings": [{"kind": "k", "severity": "s", "message": "m"}]})");
    const Json encoded = value;
    EXPECT_FALSE(encoded.contains("user_id"));
    EXPECT_FALSE(encoded.contains("app_budgets"));
    EXPECT_FALSE(encoded["current_app_budget"].contains("monthly_limit_credits"));
    EXPECT_FALSE(encoded["budget_warnings"][0].contains("app"));
    EXPECT_EQ(encoded["balance_micros"], 10);
    EXPECT_EQ(encoded.get<ZunoCreditAccountProfile>(), value);

    value.lowBalanceThresholdCredits = kNaN;
    EXPECT_THROW({ const Json json = value; }, ZunoEncodingError);
    value.lowBalanceThresholdCredits.reset();
    value.currentAppBudget->spentTodayCredits = kInfinity;
    EXPECT_THROW({ const Json json = value; }, ZunoEncodingError);
}

TEST(ZunoCreditAccountProfile, UpdatingBalance)
{
    ZunoCreditAccountProfile base;
    base.email = QStringLiteral("a@b.c");
    base.heldMicros = 1000;
    base.availableMicros = 123;
    base.balanceMicros = 1123;
    base.creditUnitMicros = 1000;
    base.portalUrl = QStringLiteral("https://quarnwell.com");

    struct Case {
        const char *name;
        std::optional<double> usd;
        std::optional<double> credits;
        std::optional<qint64> available; // none: unchanged
        bool lowBalance = false;
    };
    const double tooLarge = 1e13; // USD whose micros pass 2^63
    const Case cases[] = {
        { "half a micro rounds away from zero", 0.0000025, std::nullopt, 3, true },
        { "negative becomes 0 and low", -3, std::nullopt, 0, true },
        { "credits alone, times the unit", std::nullopt, 2.5, 2500, true },
        { "USD wins over credits", 5, 1, 5'000'000, false },
        { "1999 credits are below the default threshold", std::nullopt, 1999, 1'999'000, true },
        { "2000 credits are not", std::nullopt, 2000, 2'000'000, false },
        { "a non-finite USD falls back to credits", kNaN, 3000, 3'000'000, false },
        { "USD beyond 64 bits falls back to credits", tooLarge, 4000, 4'000'000, false },
        { "credits beyond 64 bits do not count", std::nullopt, 1e300, std::nullopt },
        { "both absent", std::nullopt, std::nullopt, std::nullopt },
        { "both non-finite", kInfinity, -kInfinity, std::nullopt },
    };
    for (const Case &c : cases) {
        const ZunoCreditAccountProfile updated = base.updatingBalance(c.usd, c.credits);
        if (!c.available) {
            EXPECT_EQ(updated, base) << c.name;
            continue;
        }
        EXPECT_EQ(updated.availableMicros, *c.available) << c.name;
        EXPECT_EQ(updated.balanceMicros, *c.available + base.heldMicros) << c.name;
        EXPECT_EQ(updated.lowBalance, c.lowBalance) << c.name;
        EXPECT_EQ(updated.heldMicros, base.heldMicros) << c.name;
        EXPECT_EQ(updated.email, base.email) << c.name;
    }

    // A unit below 1 counts as 1 and is stored so; an explicit threshold replaces 2000.
    ZunoCreditAccountProfile odd = base;
    odd.creditUnitMicros = -5;
    odd.lowBalanceThresholdCredits = 10;
    const ZunoCreditAccountProfile updated = odd.updatingBalance(std::nullopt, 12);
    EXPECT_EQ(updated.creditUnitMicros, 1);
    EXPECT_EQ(updated.availableMicros, 12);
    EXPECT_FALSE(updated.lowBalance);
    EXPECT_TRUE(odd.updatingBalance(std::nullopt, 9).lowBalance);
}

TEST(ZunoAppBudgetStatus, DefaultsRatiosAndLimits)
{
    const ZunoAppBudgetStatus bare = decode<ZunoAppBudgetStatus>(R"({"app": "ZunoCam"})");
    EXPECT_EQ(bare.id(), QStringLiteral("ZunoCam"));
    EXPECT_EQ(bare.spentTodayCredits, 0);
    EXPECT_EQ(bare.spentMonthCredits, 0);
    EXPECT_FALSE(bare.nearLimit);
    EXPECT_FALSE(bare.exceeded);
    EXPECT_FALSE(bare.dailyLimitCredits || bare.monthlyLimitCredits || bare.dailyRatio || bare.monthlyRatio
        || bare.lowBalanceThresholdCredits);
    EXPECT_FALSE(bare.effectiveDailyRatio());
    EXPECT_FALSE(bare.hasAnyLimit());

    struct Case {
        const char *body;
        std::optional<double> daily;
        std::optional<double> monthly;
        bool hasAnyLimit;
    };
    const Case cases[] = {
        { R"({"app": "a", "daily_limit_credits": 100, "spent_today_credits": 25})", 0.25, std::nullopt,
            true },
        { R"({"app": "a", "daily_limit_credits": 0, "spent_today_credits": 25})", std::nullopt, std::nullopt,
            false },
        { R"({"app": "a", "daily_limit_credits": -1, "monthly_limit_credits": 0})", std::nullopt,
            std::nullopt, false },
        { R"({"app": "a", "daily_ratio": 0.9, "daily_limit_credits": 100, "spent_today_credits": 25})", 0.9,
            std::nullopt, true },
        { R"({"app": "a", "monthly_limit_credits": 200, "spent_month_credits": 50})", std::nullopt, 0.25,
            true },
        { R"({"app": "a", "monthly_ratio": 1.5})", std::nullopt, 1.5, false },
    };
    for (const Case &c : cases) {
        const ZunoAppBudgetStatus budget = decode<ZunoAppBudgetStatus>(c.body);
        EXPECT_EQ(budget.effectiveDailyRatio(), c.daily) << c.body;
        EXPECT_EQ(budget.effectiveMonthlyRatio(), c.monthly) << c.body;
        EXPECT_EQ(budget.hasAnyLimit(), c.hasAnyLimit) << c.body;
    }
    EXPECT_THROW(decode<ZunoAppBudgetStatus>(R"({"daily_limit_credits": 1})"), ZunoDecodingError);
    EXPECT_THROW(
        decode<ZunoAppBudgetStatus>(R"({"app": "a", "spent_today_credits": "1"})"), ZunoDecodingError);
}

TEST(ZunoBudgetWarning, IdentityAndSeverity)
{
    const auto warning
        = decode<ZunoBudgetWarning>(R"({"kind": "daily", "severity": "CRITICAL", "message": "m"})");
    EXPECT_TRUE(warning.isCritical());
    EXPECT_EQ(warning.id(), QStringLiteral("daily|CRITICAL||m"));
    const auto withApp = decode<ZunoBudgetWarning>(
        R"({"kind": "monthly", "severity": "warning", "app": "ZunoCam", "message": "near"})");
    EXPECT_FALSE(withApp.isCritical());
    EXPECT_EQ(withApp.id(), QStringLiteral("monthly|warning|ZunoCam|near"));
    EXPECT_THROW(
        decode<ZunoBudgetWarning>(R"({"kind": "k", "severity": "s", "message": 1})"), ZunoDecodingError);
}

TEST(ZunoGatewayTypes, RequiredFieldsAreRequired)
{
    const auto start = decode<ZunoDeviceSignInStart>(R"({"device_code": "d", "user_code": "ABCD-EFGH",
        "verification_uri": "https://quarnwell.com/device", "verification_uri_complete": "https://quarnwell.com/device?c=1",
        "expires_in": 600, "interval": 5.0})");
    EXPECT_EQ(start.userCode, QStringLiteral("ABCD-EFGH"));
    EXPECT_EQ(start.interval, 5);
    EXPECT_EQ(Json(start).get<ZunoDeviceSignInStart>(), start);
    EXPECT_THROW(decode<ZunoDeviceSignInStart>(R"({"device_code": "d", "user_code": "u",
        "verification_uri": "v", "verification_uri_complete": "w", "expires_in": 600})"),
        ZunoDecodingError);
    EXPECT_THROW(decode<ZunoDeviceSignInStart>(R"({"device_code": "d", "user_code": "u",
        "verification_uri": "v", "verification_uri_complete": "w", "expires_in": 600, "interval": 0.5})"),
        ZunoDecodingError);

    const char *models = R"({"credit_unit_micros": 1000, "aliases": ["fast"], "providers": [
        {"id": "openai", "name": "OpenAI", "description": "d", "status": "ok", "price_multiplier": 1.2,
         "hold_usd": 0.05, "models": ["gpt"]}]})";
    const auto response = decode<ZunoGatewayAIModelsResponse>(models);
    ASSERT_EQ(response.providers.size(), 1);
    EXPECT_DOUBLE_EQ(response.providers[0].priceMultiplier, 1.2);
    EXPECT_EQ(response.providers[0].models, QStringList { QStringLiteral("gpt") });
    EXPECT_EQ(Json(response).get<ZunoGatewayAIModelsResponse>(), response);
    EXPECT_THROW(decode<ZunoGatewayAIModelsResponse>(R"({"credit_unit_micros": 1000, "providers": []})"),
        ZunoDecodingError);
    EXPECT_THROW(decode<ZunoGatewayAIModelsResponse>(R"({"credit_unit_micros": 1000, "aliases": [],
        "providers": [{"id": "x"}]})"),
        ZunoDecodingError);
}

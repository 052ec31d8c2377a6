#include "ZunoCreditAccountProfile.h"

#include "ZunoCreditsAccountManager.h"
#include "ZunoStrictJson.h"

#include <algorithm>
#include <cmath>
#include <limits>

using namespace ZunoStrictJson;

namespace {

qint64 unitOf(qint64 creditUnitMicros)
{
    return std::max<qint64>(1, creditUnitMicros);
}

// `value` × `scale` rounded half away from zero, when finite and within 64 bits.
std::optional<qint64> micros(const std::optional<double> &value, double scale)
{
    if (!value || !std::isfinite(*value))
        return std::nullopt;
    const double rounded = std::round(*value * scale);
    constexpr double kLimit = 9223372036854775808.0; // 2^63
    if (!std::isfinite(rounded) || rounded < -kLimit || rounded >= kLimit)
        return std::nullopt;
    return static_cast<qint64>(rounded);
}

} // namespace

double ZunoCreditAccountProfile::creditsAvailable() const
{
    return static_cast<double>(availableMicros) / static_cast<double>(unitOf(creditUnitMicros));
}

double ZunoCreditAccountProfile::creditsHeld() const
{
    return static_cast<double>(heldMicros) / static_cast<double>(unitOf(creditUnitMicros));
}

double ZunoCreditAccountProfile::availableUSD() const
{
    return static_cast<double>(availableMicros) / 1'000'000.0;
}

ZunoCreditAccountProfile ZunoCreditAccountProfile::updatingBalance(
    std::optional<double> usd, std::optional<double> credits) const
{
    ZunoCreditAccountProfile updated = *this;
    const qint64 unit = unitOf(creditUnitMicros);
    std::optional<qint64> available = micros(usd, 1'000'000.0);
    if (!available)
        available = micros(credits, static_cast<double>(unit));
    if (!available)
        return updated;
    const qint64 amount = std::max<qint64>(0, *available);

    updated.availableMicros = amount;
    // A sum beyond 64 bits cannot be a real balance; keep it at the largest value rather than wrap.
    if (__builtin_add_overflow(amount, heldMicros, &updated.balanceMicros))
        updated.balanceMicros
            = heldMicros < 0 ? std::numeric_limits<qint64>::min() : std::numeric_limits<qint64>::max();
    updated.creditUnitMicros = unit;
    updated.lowBalance = amount == 0
        || static_cast<double>(amount) / static_cast<double>(unit)
            < lowBalanceThresholdCredits.value_or(kDefaultLowBalanceThresholdCredits);
    return updated;
}

void from_json(const nlohmann::json &json, ZunoCreditAccountProfile &value)
{
    object(json, "ZunoCreditAccountProfile");
    value.userId = readOptional<QString>(json, "user_id");
    value.email = readOptional<QString>(json, "email");
    value.name = readOptional<QString>(json, "name");
    // Available and held first: the balance defaults to their sum.
    value.availableMicros = readOptional<qint64>(json, "available_micros").value_or(0);
    value.heldMicros = readOptional<qint64>(json, "held_micros").value_or(0);
    if (const std::optional<qint64> balance = readOptional<qint64>(json, "balance_micros")) {
        value.balanceMicros = *balance;
    } else if (__builtin_add_overflow(value.availableMicros, value.heldMicros, &value.balanceMicros)) {
        throw ZunoDecodingError("balance_micros: available_micros + held_micros is out of range");
    }
    value.creditUnitMicros = unitOf(readOptional<qint64>(json, "credit_unit_micros").value_or(1000));
    value.lowBalance = readOptional<bool>(json, "low_balance").value_or(false);
    value.portalUrl = readOptional<QString>(json, "portal_url")
                          .value_or(QString::fromLatin1(ZunoCreditsAccountManager::kDefaultPortalURL));
    value.lowBalanceThresholdCredits = readOptional<double>(json, "low_balance_threshold_credits");
    value.appBudgets = readOptionalList<ZunoAppBudgetStatus>(json, "app_budgets");
    value.currentAppBudget = readOptional<ZunoAppBudgetStatus>(json, "current_app_budget");
    value.budgetWarnings = readOptionalList<ZunoBudgetWarning>(json, "budget_warnings");
}

void to_json(nlohmann::json &json, const ZunoCreditAccountProfile &value)
{
    json = nlohmann::json::object();
    writeOptional(json, "user_id", value.userId);
    writeOptional(json, "email", value.email);
    writeOptional(json, "name", value.name);
    write(json, "balance_micros", value.balanceMicros);
    write(json, "held_micros", value.heldMicros);
    write(json, "available_micros", value.availableMicros);
    write(json, "credit_unit_micros", value.creditUnitMicros);
    write(json, "low_balance", value.lowBalance);
    write(json, "portal_url", value.portalUrl);
    writeOptional(json, "low_balance_threshold_credits", value.lowBalanceThresholdCredits);
    writeOptional(json, "app_budgets", value.appBudgets);
    writeOptional(json, "current_app_budget", value.currentAppBudget);
    writeOptional(json, "budget_warnings", value.budgetWarnings);
}

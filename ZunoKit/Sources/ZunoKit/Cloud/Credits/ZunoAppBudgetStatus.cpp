#include "ZunoAppBudgetStatus.h"

#include "ZunoStrictJson.h"

using namespace ZunoStrictJson;

namespace {

std::optional<double> effectiveRatio(
    const std::optional<double> &ratio, const std::optional<double> &limit, double spent)
{
    if (ratio)
        return ratio;
    if (limit && *limit > 0)
        return spent / *limit;
    return std::nullopt;
}

} // namespace

std::optional<double> ZunoAppBudgetStatus::effectiveDailyRatio() const
{
    return effectiveRatio(dailyRatio, dailyLimitCredits, spentTodayCredits);
}

std::optional<double> ZunoAppBudgetStatus::effectiveMonthlyRatio() const
{
    return effectiveRatio(monthlyRatio, monthlyLimitCredits, spentMonthCredits);
}

bool ZunoAppBudgetStatus::hasAnyLimit() const
{
    return (dailyLimitCredits && *dailyLimitCredits > 0) || (monthlyLimitCredits && *monthlyLimitCredits > 0);
}

void from_json(const nlohmann::json &json, ZunoAppBudgetStatus &value)
{
    object(json, "ZunoAppBudgetStatus");
    value.app = read<QString>(json, "app");
    value.dailyLimitCredits = readOptional<double>(json, "daily_limit_credits");
    value.monthlyLimitCredits = readOptional<double>(json, "monthly_limit_credits");
    value.spentTodayCredits = readOptional<double>(json, "spent_today_credits").value_or(0);
    value.spentMonthCredits = readOptional<double>(json, "spent_month_credits").value_or(0);
    value.dailyRatio = readOptional<double>(json, "daily_ratio");
    value.monthlyRatio = readOptional<double>(json, "monthly_ratio");
    value.nearLimit = readOptional<bool>(json, "near_limit").value_or(false);
    value.exceeded = readOptional<bool>(json, "exceeded").value_or(false);
    value.lowBalanceThresholdCredits = readOptional<double>(json, "low_balance_threshold_credits");
}

void to_json(nlohmann::json &json, const ZunoAppBudgetStatus &value)
{
    json = nlohmann::json::object();
    write(json, "app", value.app);
    writeOptional(json, "daily_limit_credits", value.dailyLimitCredits);
    writeOptional(json, "monthly_limit_credits", value.monthlyLimitCredits);
    write(json, "spent_today_credits", value.spentTodayCredits);
    write(json, "spent_month_credits", value.spentMonthCredits);
    writeOptional(json, "daily_ratio", value.dailyRatio);
    writeOptional(json, "monthly_ratio", value.monthlyRatio);
    write(json, "near_limit", value.nearLimit);
    write(json, "exceeded", value.exceeded);
    writeOptional(json, "low_balance_threshold_credits", value.lowBalanceThresholdCredits);
}

#pragma once

#include <QString>

#include <nlohmann/json_fwd.hpp>

#include <optional>

// One application's spending caps and spending, in credits. Identified by `app`.
struct ZunoAppBudgetStatus {
    QString app;
    std::optional<double> dailyLimitCredits;
    std::optional<double> monthlyLimitCredits;
    double spentTodayCredits = 0;
    double spentMonthCredits = 0;
    std::optional<double> dailyRatio;
    std::optional<double> monthlyRatio;
    bool nearLimit = false;
    bool exceeded = false;
    std::optional<double> lowBalanceThresholdCredits;

    QString id() const { return app; }
    // The gateway's ratio, else spent / limit for a limit above 0, else none.
    std::optional<double> effectiveDailyRatio() const;
    std::optional<double> effectiveMonthlyRatio() const;
    // A daily or monthly limit above 0.
    bool hasAnyLimit() const;

    friend bool operator==(const ZunoAppBudgetStatus &, const ZunoAppBudgetStatus &) = default;
};

// "app" is required; the rest take their defaults when missing or null. Throw `ZunoDecodingError` /
// `ZunoEncodingError`.
void from_json(const nlohmann::json &json, ZunoAppBudgetStatus &value);
void to_json(nlohmann::json &json, const ZunoAppBudgetStatus &value);

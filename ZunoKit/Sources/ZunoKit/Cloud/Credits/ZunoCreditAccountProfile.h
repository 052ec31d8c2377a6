#pragma once

#include "ZunoAppBudgetStatus.h"
#include "ZunoBudgetWarning.h"

#include <QList>
#include <QString>

#include <nlohmann/json_fwd.hpp>

#include <optional>

// The account, its prepaid wallet (micro-USD) and its spending caps: the body of the profile call.
struct ZunoCreditAccountProfile {
    std::optional<QString> userId;
    std::optional<QString> email;
    std::optional<QString> name;
    qint64 balanceMicros = 0;
    qint64 heldMicros = 0;
    qint64 availableMicros = 0;
    qint64 creditUnitMicros = 1000;
    bool lowBalance = false;
    QString portalUrl;
    std::optional<double> lowBalanceThresholdCredits;
    std::optional<QList<ZunoAppBudgetStatus>> appBudgets;
    std::optional<ZunoAppBudgetStatus> currentAppBudget;
    std::optional<QList<ZunoBudgetWarning>> budgetWarnings;

    static constexpr double kDefaultLowBalanceThresholdCredits = 2000;

    double creditsAvailable() const;
    double creditsHeld() const;
    double availableUSD() const;

    // A copy with the live available amount: from USD when that is finite and fits in 64-bit micros,
    // else from credits likewise; negative becomes 0. Unchanged when neither value counts.
    ZunoCreditAccountProfile updatingBalance(
        std::optional<double> availableUSD, std::optional<double> creditsAvailable) const;

    friend bool operator==(const ZunoCreditAccountProfile &, const ZunoCreditAccountProfile &) = default;
};

// Lenient: every field has a default. A balance that is missing defaults to available + held (a sum
// beyond 64 bits is malformed and fails); a credit unit below 1 becomes 1. Throw `ZunoDecodingError` /
// `ZunoEncodingError`.
void from_json(const nlohmann::json &json, ZunoCreditAccountProfile &value);
void to_json(nlohmann::json &json, const ZunoCreditAccountProfile &value);

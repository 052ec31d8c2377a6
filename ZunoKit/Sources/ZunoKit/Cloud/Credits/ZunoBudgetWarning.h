#pragma once

#include <QString>

#include <nlohmann/json_fwd.hpp>

#include <optional>

// A warning the gateway raises about spending.
struct ZunoBudgetWarning {
    QString kind;
    QString severity;
    std::optional<QString> app;
    QString message;

    // kind|severity|app|message, with an empty app when absent.
    QString id() const;
    // Severity "critical" in any letter case.
    bool isCritical() const;

    friend bool operator==(const ZunoBudgetWarning &, const ZunoBudgetWarning &) = default;
};

void from_json(const nlohmann::json &json, ZunoBudgetWarning &value);
void to_json(nlohmann::json &json, const ZunoBudgetWarning &value);

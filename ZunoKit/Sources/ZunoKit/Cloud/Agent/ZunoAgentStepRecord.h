#pragma once

#include "AnySendableValue.h"

#include <QDateTime>
#include <QString>
#include <QUuid>

#include <nlohmann/json_fwd.hpp>

#include <string>

// One executed tool call, as the loop reports it.
// JSON: "id" (upper-case UUID; either case read), "toolName", "summary", "ok", "timestamp" (a number of
// seconds since 2001-01-01T00:00:00Z with the fraction, the form hosts store conversations in), all required.
struct ZunoAgentStepRecord {
    QUuid id;
    QString toolName;
    QString summary;
    bool ok = false;
    QDateTime timestamp;

    nlohmann::json toJson() const;
    // Throws `ZunoDecodingError`.
    static ZunoAgentStepRecord fromJson(const nlohmann::json &json, const std::string &codingPath = {});

    friend bool operator==(const ZunoAgentStepRecord &a, const ZunoAgentStepRecord &b)
    {
        return a.id == b.id && canonicallyEqual(a.toolName, b.toolName)
            && canonicallyEqual(a.summary, b.summary) && a.ok == b.ok && a.timestamp == b.timestamp;
    }
};

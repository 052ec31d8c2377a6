#pragma once

#include "ZunoAgentStepRecord.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QUuid>

#include <nlohmann/json_fwd.hpp>

#include <optional>
#include <string>

// One message of an agent conversation, as hosts keep and store it. JSON: "id", "role", "text", "steps",
// "isError", "timestamp" (as in the step record), all required; an unknown role fails.
struct ZunoAgentChatMessage {
    enum class Role { user, assistant };

    // Exact raw values only ("user", "assistant").
    static std::optional<Role> roleFromRawValue(const QString &raw);
    static QString rawValue(Role role);

    QUuid id;
    Role role = Role::user;
    QString text;
    QList<ZunoAgentStepRecord> steps;
    // A failure report; the loop leaves such messages out of the history it sends.
    bool isError = false;
    QDateTime timestamp;

    nlohmann::json toJson() const;
    // Throws `ZunoDecodingError`.
    static ZunoAgentChatMessage fromJson(const nlohmann::json &json, const std::string &codingPath = {});

    friend bool operator==(const ZunoAgentChatMessage &a, const ZunoAgentChatMessage &b)
    {
        return a.id == b.id && a.role == b.role && canonicallyEqual(a.text, b.text) && a.steps == b.steps
            && a.isError == b.isError && a.timestamp == b.timestamp;
    }
};

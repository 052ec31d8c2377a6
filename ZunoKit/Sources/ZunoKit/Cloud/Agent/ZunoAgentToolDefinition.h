#pragma once

#include "AnySendableValue.h"

#include <QString>

#include <nlohmann/json_fwd.hpp>

// A tool the model may call: its name, what it does, and the JSON-Schema object of its arguments.
struct ZunoAgentToolDefinition {
    QString name;
    QString description;
    AnySendableValue::Object parametersJSON;

    // {"type":"function","function":{"name","description","parameters"}}, nothing added or dropped.
    nlohmann::json toOpenAIDictionary() const;

    friend bool operator==(const ZunoAgentToolDefinition &a, const ZunoAgentToolDefinition &b)
    {
        return canonicallyEqual(a.name, b.name) && canonicallyEqual(a.description, b.description)
            && a.parametersJSON == b.parametersJSON;
    }
};

#pragma once

#include "AnySendableValue.h"

#include <QString>

// One call the model asked for: the id it gave (or one the loop made), the tool and its arguments.
struct ZunoAgentToolCall {
    QString id;
    QString name;
    AnySendableValue::Object arguments;

    friend bool operator==(const ZunoAgentToolCall &a, const ZunoAgentToolCall &b)
    {
        return canonicallyEqual(a.id, b.id) && canonicallyEqual(a.name, b.name) && a.arguments == b.arguments;
    }
};

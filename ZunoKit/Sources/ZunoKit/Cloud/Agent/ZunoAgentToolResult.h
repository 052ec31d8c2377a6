#pragma once

#include "AnySendableValue.h"

#include <QString>

// What running a tool gave: success, the text for the model, and whether the user must act before the
// agent may go on (the turn then ends with `output`).
struct ZunoAgentToolResult {
    bool ok = false;
    QString output;
    bool requiresHumanAction = false;

    friend bool operator==(const ZunoAgentToolResult &a, const ZunoAgentToolResult &b)
    {
        return a.ok == b.ok && canonicallyEqual(a.output, b.output)
            && a.requiresHumanAction == b.requiresHumanAction;
    }
};

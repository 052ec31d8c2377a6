#pragma once

#include "TeleprompterHTTPResponse.h"
#include "TeleprompterRemoteCommand.h"

#include <optional>

// What routing decided: the response, and the command to apply first for an accepted
// POST /api/command.
struct TeleprompterRemoteRouteResult {
    TeleprompterHTTPResponse response;
    std::optional<TeleprompterRemoteCommand> command;

    friend bool operator==(const TeleprompterRemoteRouteResult &, const TeleprompterRemoteRouteResult &)
        = default;
};

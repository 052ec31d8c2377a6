#pragma once

#include "ZunoSuiteCommandTransport.h"

#include <QString>

#include <cstdint>

// The outcome of one suite command. `summary` is one line for the user: the bus's own texts in the
// current language, or a tool's own summary as the tool gave it.
struct ZunoSuiteCommandResult {
    bool succeeded = false;
    std::int32_t exitCode = 0;
    QString stdout;
    QString stderr;
    ZunoSuiteCommandTransport transport;
    QString summary;

    bool operator==(const ZunoSuiteCommandResult &) const = default;
};

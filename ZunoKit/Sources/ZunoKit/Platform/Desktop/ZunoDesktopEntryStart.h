#pragma once

#include "ZunoDetachedProcess.h"

#include <QString>

#include <memory>

// What came of starting a desktop entry.
struct ZunoDesktopEntryStart {
    // The program runs (its exec succeeded), or the start was handed on (D-Bus activation, a terminal).
    bool started = false;
    // Why it did not start, for the user ("/opt/zunomail/run: Permission denied").
    QString failure;
    // The running program, watched for an early end while kept; null when the start was handed on.
    std::shared_ptr<ZunoDetachedProcess> program;
};

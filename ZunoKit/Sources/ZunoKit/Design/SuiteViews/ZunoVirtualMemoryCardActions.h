#pragma once

#include "ZunoSuiteApp.h"
#include "ZunoSuiteCommandKind.h"
#include "ZunoSuiteCommandResult.h"

#include <functional>

class QObject;

// What the memory card's buttons ask of the RAM application, through the shared command bus.
namespace ZunoVirtualMemoryCardActions {

// Runs `kind` from `from` to the RAM application (no target, no launch, not brought forward, 45 s) and
// hands the result to `done` on the main thread, unless `context` is gone by then (the command still
// completes). Main thread.
void runRAMCommand(ZunoSuiteCommandKind kind, ZunoSuiteApp from, QObject *context,
    std::function<void(const ZunoSuiteCommandResult &)> done);

// Leaves an "open the disk lab" command for the RAM application and wakes it when it runs, else
// starts its installed entry (the bus's `send`); a failure is only logged. Main thread.
void openRAMDiskLab(ZunoSuiteApp from);

} // namespace ZunoVirtualMemoryCardActions

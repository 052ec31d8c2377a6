#pragma once

#include <QString>

// Security-scoped access on Linux, where no sandbox hands out access: starting checks that this process
// can reach the item now (it exists and may be read) and counts the start per path; stopping counts it
// down. The counts let an owner (and its tests) see that starts and stops are balanced. Thread-safe.
namespace ZunoScopedAccess {

// True, and counted, when the item at `path` exists and is readable.
bool start(const QString &path);
// Ends one counted start of `path`; nothing when none is counted.
void stop(const QString &path);
// Starts of `path` not yet stopped.
int activeCount(const QString &path);

} // namespace ZunoScopedAccess

#pragma once

#include "ZunoDesktopEntryStart.h"

#include <QString>

// Starts the application of a desktop entry. An Exec line is run here and counts as started only
// once its program runs (its exec succeeded), and the program is handed back to be watched; entries
// started over the bus or in a terminal go through GIO, whose answer is that the request was made.
// `activates`: the start carries a startup token, so the window may come forward. Failures are
// logged and said in words. Main thread (the token asks X).
namespace ZunoDesktopEntryLauncher {

ZunoDesktopEntryStart open(const QString &path, bool activates);

} // namespace ZunoDesktopEntryLauncher

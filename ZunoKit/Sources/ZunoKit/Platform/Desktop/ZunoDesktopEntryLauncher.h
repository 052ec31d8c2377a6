#pragma once

#include <QString>

// Starts the application of a desktop entry. An Exec line is run here and counts as started only
// once its program runs (its exec succeeded); entries started over the bus or in a terminal go
// through GIO, whose answer is that the request was made. `activates`: the start carries a startup
// token, so the window may come forward. Failures are logged. Main thread (the token asks X).
namespace ZunoDesktopEntryLauncher {

bool open(const QString &path, bool activates);

} // namespace ZunoDesktopEntryLauncher

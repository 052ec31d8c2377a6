#pragma once

#include <QString>

// Starting the application when the user logs in, through an XDG autostart entry:
// $XDG_CONFIG_HOME/autostart/<bundle identifier>.desktop, which runs this executable. Nothing is
// cached; every call reads or writes the file. Any thread.
namespace ZunoLaunchAtLogin {

// True when the entry exists, runs something, and is neither hidden nor switched off
// ("Hidden=true", "X-GNOME-Autostart-enabled=false").
bool isEnabled();
// Writes the entry (true) or removes it (false). True when the file system did what was asked;
// callers read `isEnabled()` afterwards for the resulting state.
bool setEnabled(bool enabled);

// Where the entry lives.
QString entryPath();
// A program path as a desktop entry's Exec value: quoted where needed, '%' doubled.
QString execValue(const QString &program);

} // namespace ZunoLaunchAtLogin

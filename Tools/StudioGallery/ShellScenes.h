#pragma once

#include <QString>

// The studio window on each tab, with a toast, with the teleprompter shown, and the tray popover in
// both states, in English and Turkish; one PNG each in `folder`. False when a file could not be written.
bool writeShellScenes(const QString &folder);

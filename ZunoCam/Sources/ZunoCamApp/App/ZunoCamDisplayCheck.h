#pragma once

#include <QString>

// Whether Qt will find a display. QApplication aborts without one; the studio says so in one line
// and exits instead. Returns the reason when there is none, else an empty string.
QString zunoMissingDisplayReason();

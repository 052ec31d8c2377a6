#pragma once

#include "ZunoCreditsHealthStatus.h"

#include <QColor>

// The status dot's colour of a health: muted, success, warning or danger.
QColor zunoCreditsHealthColor(ZunoCreditsHealthStatus status);

#pragma once

#include "ZunoLanguage.h"

#include <QString>

// The header pill, the wallet popover and the sign-in block in their states, each on the real credits
// store over the loopback fake gateway. Under X11 also the real popup opened from the pill.
bool renderWallet(const QString &folder, ZunoLanguage language);

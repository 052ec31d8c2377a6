#pragma once

#include "ZunoLanguageAwareUIState.h"

// The wallet popover's state: only the language revision, so that a popover without a fixed language
// follows the application's.
class ZunoCreditsWalletPopoverUIState : public ZunoLanguageAwareUIState {
    Q_OBJECT
public:
    using ZunoLanguageAwareUIState::ZunoLanguageAwareUIState;
};

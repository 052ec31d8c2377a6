#pragma once

#include <functional>

// Runs `work` on a thread of its own whose file access follows the files' modes as an ordinary user's
// does, also under root: that thread gives up for good the powers to read, write and search past the
// modes (CAP_DAC_OVERRIDE and CAP_DAC_READ_SEARCH, from its effective and permitted sets, so that
// access() is refused too). Capabilities belong to a thread, so the rest of the process keeps them.
// False, with `work` not run, when they could not be given up.
bool zunoRunWithoutFileOverride(const std::function<void()> &work);

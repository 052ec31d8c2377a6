#pragma once

#include <functional>

// The client's own handling of the Edit commands; a missing one leaves that command to the focused
// text input.
struct ZunoEditMenuOverrides {
    std::function<void()> undo;
    std::function<bool()> canUndo;
    std::function<void()> redo;
    std::function<bool()> canRedo;
    std::function<void()> cut;
    std::function<void()> copy;
    std::function<void()> paste;
    std::function<void()> duplicate;
    std::function<void()> selectAll;
};

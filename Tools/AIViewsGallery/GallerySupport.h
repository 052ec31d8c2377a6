#pragma once

#include "ZunoLanguage.h"

#include <QString>

#include <functional>

class QWidget;

namespace Gallery {

enum class Mount {
    card, // inside a glass card 360 wide, as the popover holds the blocks
    bare, // on the ground as it is (the popover, the pill)
};

// Runs the event loop for a while.
void settle(int ms = 50);
// Runs the event loop until done() (false after ms).
bool waitFor(const std::function<bool()> &done, int ms = 20000);
// Renders the view on the deepCoral ground to FOLDER/NAME-LANGUAGE.png; the view is taken back out.
bool save(QWidget *view, const QString &folder, const QString &name, ZunoLanguage language,
    Mount mount = Mount::card);

} // namespace Gallery

#pragma once

#include "ZunoLanguage.h"

#include <QString>
#include <Qt>

#include <functional>
#include <variant>
#include <vector>

struct ZunoMenuElement;

// One entry of a declarative menu. Every closure runs on the main thread, each time it is needed:
// titles and checks when a menu is about to open, submenu items on every opening.
struct ZunoMenuItemElement {
    std::function<QString()> title;
    // Lower-case character ("," or "n"); empty for no shortcut.
    QString keyEquivalent;
    // The shortcut's modifiers; the suite's command key is Control here.
    Qt::KeyboardModifiers modifiers;
    std::function<bool()> isEnabled;
    std::function<bool()> isHidden;
    // Disabled while a text input has the keyboard focus.
    bool skipWhenEditingText = false;
    std::function<void()> action;
};

struct ZunoMenuDividerElement {
    std::function<bool()> isHidden;
};

struct ZunoMenuSubmenuElement {
    std::function<QString()> title;
    // Asked again every time the submenu opens.
    std::function<std::vector<ZunoMenuElement>()> items;
};

struct ZunoMenuElement {
    std::variant<ZunoMenuItemElement, ZunoMenuDividerElement, ZunoMenuSubmenuElement> value;

    static ZunoMenuElement item(std::function<QString()> title, QString keyEquivalent,
        Qt::KeyboardModifiers modifiers, std::function<bool()> isEnabled, std::function<bool()> isHidden,
        bool skipWhenEditingText, std::function<void()> action);
    static ZunoMenuElement divider(std::function<bool()> isHidden = {});
    static ZunoMenuElement submenu(
        std::function<QString()> title, std::function<std::vector<ZunoMenuElement>()> items);

    // "Language" / "Dil": following the system first, then every language by English name, the chosen
    // one ticked. Choosing writes the preference (following the system keeps "system" stored even when
    // `onSelect` sets the resolved language) and then calls `onSelect`.
    static ZunoMenuElement languageSubmenu(
        std::function<ZunoLanguage()> current, std::function<void(ZunoLanguage)> onSelect);
};

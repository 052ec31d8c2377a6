#pragma once

#include "ZunoMenuElement.h"

#include <QString>

#include <functional>
#include <vector>

// A menu of the client's own in the menu bar.
struct ZunoCustomMenu {
    std::function<QString()> title;
    std::vector<ZunoMenuElement> elements;

    ZunoCustomMenu(std::function<QString()> title, std::vector<ZunoMenuElement> elements)
        : title(std::move(title))
        , elements(std::move(elements))
    {
    }
    ZunoCustomMenu(const QString &fixedTitle, std::vector<ZunoMenuElement> elements)
        : title([fixedTitle] { return fixedTitle; })
        , elements(std::move(elements))
    {
    }
};

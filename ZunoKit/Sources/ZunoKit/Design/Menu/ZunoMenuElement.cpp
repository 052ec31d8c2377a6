#include "ZunoMenuElement.h"

#include "ZunoLanguageChoice.h"

namespace {

const QString kCheckPrefix = QStringLiteral("✓ ");

} // namespace

ZunoMenuElement ZunoMenuElement::item(std::function<QString()> title, QString keyEquivalent,
    Qt::KeyboardModifiers modifiers, std::function<bool()> isEnabled, std::function<bool()> isHidden,
    bool skipWhenEditingText, std::function<void()> action)
{
    return { ZunoMenuItemElement { std::move(title), std::move(keyEquivalent), modifiers,
        std::move(isEnabled), std::move(isHidden), skipWhenEditingText, std::move(action) } };
}

ZunoMenuElement ZunoMenuElement::divider(std::function<bool()> isHidden)
{
    return { ZunoMenuDividerElement { std::move(isHidden) } };
}

ZunoMenuElement ZunoMenuElement::submenu(
    std::function<QString()> title, std::function<std::vector<ZunoMenuElement>()> items)
{
    return { ZunoMenuSubmenuElement { std::move(title), std::move(items) } };
}

ZunoMenuElement ZunoMenuElement::languageSubmenu(
    std::function<ZunoLanguage()> current, std::function<void(ZunoLanguage)> onSelect)
{
    auto title = [current] { return ZunoLanguageChoice::titleText(current()); };
    // The same choices as the language picker, built afresh on every opening.
    auto items = [current, onSelect] {
        const ZunoLanguage language = current();
        const bool followingSystem = ZunoLanguages::isFollowingSystem();
        std::vector<ZunoMenuElement> elements;

        auto systemTitle = [language, followingSystem] {
            return (followingSystem ? kCheckPrefix : QString())
                + ZunoLanguageChoice::systemEntryText(language);
        };
        elements.push_back(item(systemTitle, {}, {}, {}, {}, false, [onSelect] {
            bool isFollowingSystem = false;
            ZunoLanguageChoice::followSystem(isFollowingSystem, onSelect);
        }));

        for (const ZunoLanguage candidate : ZunoLanguages::sortedCases()) {
            const bool ticked = !followingSystem && candidate == language;
            auto languageTitle = [candidate, ticked] {
                return (ticked ? kCheckPrefix : QString()) + displayName(candidate);
            };
            elements.push_back(item(languageTitle, {}, {}, {}, {}, false, [candidate, onSelect] {
                bool isFollowingSystem = false;
                ZunoLanguageChoice::chooseLanguage(candidate, isFollowingSystem, onSelect);
            }));
        }
        return elements;
    };
    return submenu(std::move(title), std::move(items));
}

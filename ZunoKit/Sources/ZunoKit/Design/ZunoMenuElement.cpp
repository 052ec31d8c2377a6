#include "ZunoMenuElement.h"

#include "ZunoText.h"

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
    auto title = [current] { return zunoText(QStringLiteral("Language"), QStringLiteral("Dil"), current()); };
    auto items = [current, onSelect] {
        const ZunoLanguage language = current();
        const bool followingSystem = ZunoLanguages::isFollowingSystem();
        std::vector<ZunoMenuElement> elements;

        auto systemTitle = [language, followingSystem] {
            return (followingSystem ? kCheckPrefix : QString())
                + zunoText(QStringLiteral("System Language"), QStringLiteral("Sistem Dili"), language)
                + QStringLiteral(" (") + nativeName(ZunoLanguages::systemResolved()) + QLatin1Char(')');
        };
        elements.push_back(item(systemTitle, {}, {}, {}, {}, false, [onSelect] {
            ZunoLanguages::applyFollowSystem([&onSelect] {
                if (onSelect)
                    onSelect(ZunoLanguages::systemResolved());
            });
        }));

        for (const ZunoLanguage candidate : ZunoLanguages::sortedCases()) {
            const bool ticked = !followingSystem && candidate == language;
            auto languageTitle = [candidate, ticked] {
                return (ticked ? kCheckPrefix : QString()) + displayName(candidate);
            };
            elements.push_back(item(languageTitle, {}, {}, {}, {}, false, [candidate, onSelect] {
                ZunoLanguages::setCurrent(candidate);
                if (onSelect)
                    onSelect(candidate);
            }));
        }
        return elements;
    };
    return submenu(std::move(title), std::move(items));
}

#include "ZunoLanguageChoice.h"

#include "ZunoText.h"

namespace ZunoLanguageChoice {

QString titleText(ZunoLanguage language)
{
    return zunoText(QStringLiteral("Language"), QStringLiteral("Dil"), language);
}

QString systemEntryText(ZunoLanguage language)
{
    return zunoText(QStringLiteral("System Language"), QStringLiteral("Sistem Dili"), language)
        + QStringLiteral(" (") + nativeName(ZunoLanguages::systemResolved()) + QLatin1Char(')');
}

void followSystem(bool &isFollowingSystem, const OnSelect &onSelect)
{
    isFollowingSystem = true;
    ZunoLanguages::applyFollowSystem([&onSelect] {
        const ZunoLanguage resolved = ZunoLanguages::systemResolved();
        if (onSelect)
            onSelect(resolved);
    });
}

void chooseLanguage(ZunoLanguage language, bool &isFollowingSystem, const OnSelect &onSelect)
{
    ZunoLanguages::setCurrent(language);
    isFollowingSystem = false;
    if (onSelect)
        onSelect(language);
}

bool synchronize(bool &isFollowingSystem)
{
    const bool stored = ZunoLanguages::isFollowingSystem();
    if (stored == isFollowingSystem)
        return false;
    isFollowingSystem = stored;
    return true;
}

} // namespace ZunoLanguageChoice

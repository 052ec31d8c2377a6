#include "ZunoText.h"

#include "ZunoLocalizationStore.h"

QString zunoText(const QString &en, const QString &tr, const std::optional<QString> &key,
                 std::optional<ZunoLanguage> language)
{
    return ZunoLocalizationStore::shared().resolve(key, en, tr,
                                                   language ? *language : ZunoLanguages::current());
}

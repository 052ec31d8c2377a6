#include "ZunoAILocalizedText.h"

#include "ZunoAILocalizedList.h"

namespace {

template <typename T> T pick(const T &tr, const T &en, ZunoLanguage language)
{
    if (language == ZunoLanguage::tr)
        return tr.isEmpty() ? en : tr;
    return en.isEmpty() ? tr : en;
}

} // namespace

QString ZunoAILocalizedText::resolved(ZunoLanguage language) const
{
    return pick(tr, en, language);
}

QStringList ZunoAILocalizedList::resolved(ZunoLanguage language) const
{
    return pick(tr, en, language);
}

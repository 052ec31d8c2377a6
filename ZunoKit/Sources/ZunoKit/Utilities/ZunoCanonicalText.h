#pragma once

#include <QString>

// Strings that compare by Unicode canonical equivalence, so a name typed with a combining accent
// equals the same name typed precomposed.
inline bool zunoCanonicallyEqual(const QString &a, const QString &b)
{
    if (a == b)
        return true;
    return a.normalized(QString::NormalizationForm_D) == b.normalized(QString::NormalizationForm_D);
}

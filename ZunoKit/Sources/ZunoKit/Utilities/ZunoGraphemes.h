#pragma once

#include <QString>

// Lengths as the user sees them: extended grapheme clusters (an emoji family or a letter with its
// combining marks is one).
namespace ZunoGraphemes {

qsizetype count(const QString &text);
// The first `limit` clusters (the whole text when it has no more).
QString prefix(const QString &text, qsizetype limit);

} // namespace ZunoGraphemes

#pragma once

#include "ZunoHttpError.h"
#include "ZunoLanguage.h"

#include <QString>

// The text an HTTP failure shows the user, in a language: the error's English message or its Turkish
// translation, resolved like every text (custom overrides and language packs first).
namespace ZunoHttpErrorText {

QString description(const ZunoHttpError &error, ZunoLanguage language);

} // namespace ZunoHttpErrorText

#pragma once

#include "ZunoLanguage.h"

#include <QString>

#include <array>
#include <optional>

// What a piece of feedback is about; the raw value is the wire value the feedback site expects.
enum class ZunoFeedbackKind { bug, feature, newApp, general };

namespace ZunoFeedbackKinds {

// Every case in order: bug, feature, new app, general.
const std::array<ZunoFeedbackKind, 4> &allCases();
// Exact raw value only ("bug", "feature", "new_app", "general").
std::optional<ZunoFeedbackKind> fromRawValue(const QString &raw);

} // namespace ZunoFeedbackKinds

QString rawValue(ZunoFeedbackKind kind);
inline QString id(ZunoFeedbackKind kind)
{
    return rawValue(kind);
}
// The SF-Symbol name of the kind's icon (resolved through the symbol registry by views).
QString symbolName(ZunoFeedbackKind kind);
// "Bug Report" / "Hata Bildirimi" and so on, in the given language.
QString title(ZunoFeedbackKind kind, ZunoLanguage language);

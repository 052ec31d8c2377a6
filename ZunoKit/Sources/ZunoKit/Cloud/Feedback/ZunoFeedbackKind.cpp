#include "ZunoFeedbackKind.h"

#include "ZunoText.h"

namespace {

struct KindRow {
    ZunoFeedbackKind kind;
    const char *raw;
    const char *symbol;
    const char *english;
    const char *turkish;
};

constexpr KindRow kRows[] = {
    { ZunoFeedbackKind::bug, "bug", "ladybug.fill", "Bug Report", "Hata Bildirimi" },
    { ZunoFeedbackKind::feature, "feature", "sparkles", "Feature & Improvement", "Özellik & İyileştirme" },
    { ZunoFeedbackKind::newApp, "new_app", "lightbulb.fill", "New App Idea", "Yeni Program Fikri" },
    { ZunoFeedbackKind::general, "general", "bubble.left.and.bubble.right.fill", "General Feedback",
        "Genel Görüş" },
};

const KindRow &row(ZunoFeedbackKind kind)
{
    return kRows[static_cast<int>(kind)];
}

} // namespace

const std::array<ZunoFeedbackKind, 4> &ZunoFeedbackKinds::allCases()
{
    static const std::array<ZunoFeedbackKind, 4> cases = { ZunoFeedbackKind::bug, ZunoFeedbackKind::feature,
        ZunoFeedbackKind::newApp, ZunoFeedbackKind::general };
    return cases;
}

std::optional<ZunoFeedbackKind> ZunoFeedbackKinds::fromRawValue(const QString &raw)
{
    for (const KindRow &candidate : kRows) {
        if (raw == QLatin1String(candidate.raw))
            return candidate.kind;
    }
    return std::nullopt;
}

QString rawValue(ZunoFeedbackKind kind)
{
    return QString::fromLatin1(row(kind).raw);
}

QString symbolName(ZunoFeedbackKind kind)
{
    return QString::fromLatin1(row(kind).symbol);
}

QString title(ZunoFeedbackKind kind, ZunoLanguage language)
{
    return zunoText(QString::fromUtf8(row(kind).english), QString::fromUtf8(row(kind).turkish), language);
}

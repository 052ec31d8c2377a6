#include "ZunoSuiteCommandExecutionStyle.h"

namespace {

constexpr ZunoSuiteCommandExecutionStyle kStyles[] = { ZunoSuiteCommandExecutionStyle::headlessFeature,
    ZunoSuiteCommandExecutionStyle::overlayOrMiniUI, ZunoSuiteCommandExecutionStyle::openUI };

} // namespace

QString rawValue(ZunoSuiteCommandExecutionStyle style)
{
    switch (style) {
    case ZunoSuiteCommandExecutionStyle::headlessFeature:
        return QStringLiteral("headlessFeature");
    case ZunoSuiteCommandExecutionStyle::overlayOrMiniUI:
        return QStringLiteral("overlayOrMiniUI");
    case ZunoSuiteCommandExecutionStyle::openUI:
        return QStringLiteral("openUI");
    }
    return {};
}

std::optional<ZunoSuiteCommandExecutionStyle> ZunoSuiteCommandExecutionStyles::fromRawValue(
    const QString &raw)
{
    for (const auto style : kStyles) {
        if (rawValue(style) == raw)
            return style;
    }
    return std::nullopt;
}

#include "CamStudioTab.h"

namespace CamStudioTabs {

const std::array<CamStudioTab, 4> &allCases()
{
    static const std::array<CamStudioTab, 4> cases { CamStudioTab::teleprompter, CamStudioTab::camera,
        CamStudioTab::presenter, CamStudioTab::settings };
    return cases;
}

std::optional<CamStudioTab> fromRawValue(const QString &raw)
{
    for (const CamStudioTab tab : allCases()) {
        if (rawValue(tab) == raw)
            return tab;
    }
    return std::nullopt;
}

} // namespace CamStudioTabs

QString rawValue(CamStudioTab tab)
{
    switch (tab) {
    case CamStudioTab::teleprompter:
        return QStringLiteral("teleprompter");
    case CamStudioTab::camera:
        return QStringLiteral("camera");
    case CamStudioTab::presenter:
        return QStringLiteral("presenter");
    case CamStudioTab::settings:
        return QStringLiteral("settings");
    }
    return {};
}

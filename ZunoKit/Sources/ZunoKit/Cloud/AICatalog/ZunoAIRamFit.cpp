#include "ZunoAIRamFit.h"

namespace {

constexpr const char *kRawValues[] = { "comfortable", "tight", "exceeds", "cloud" };

} // namespace

std::optional<ZunoAIRamFit> ZunoAIRamFits::fromRawValue(const QString &raw)
{
    for (int i = 0; i < 4; ++i) {
        if (raw == QLatin1String(kRawValues[i]))
            return static_cast<ZunoAIRamFit>(i);
    }
    return std::nullopt;
}

QString rawValue(ZunoAIRamFit fit)
{
    return QString::fromLatin1(kRawValues[static_cast<int>(fit)]);
}

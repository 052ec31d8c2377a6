#include "ZunoCreditsHealthColors.h"

#include "ZunoGlassTokens.h"

QColor zunoCreditsHealthColor(ZunoCreditsHealthStatus status)
{
    switch (status) {
    case ZunoCreditsHealthStatus::healthy:
        return ZunoGlassTokens::success();
    case ZunoCreditsHealthStatus::warning:
        return ZunoGlassTokens::warning();
    case ZunoCreditsHealthStatus::critical:
        return ZunoGlassTokens::danger();
    case ZunoCreditsHealthStatus::disconnected:
        break;
    }
    return ZunoGlassTokens::textMuted();
}

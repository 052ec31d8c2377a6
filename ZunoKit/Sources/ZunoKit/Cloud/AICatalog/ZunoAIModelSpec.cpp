#include "ZunoAIModelSpec.h"

bool ZunoAIModelSpec::isLocal() const
{
    return deployment.toLower() == QLatin1String("local");
}

ZunoAIRamFit ZunoAIModelSpec::ramFit(double hostRamGB) const
{
    if (!isLocal() || !localSpecs)
        return ZunoAIRamFit::cloud;
    const double minimum = localSpecs->minRamGb.value_or(ZunoAIRamFits::kDefaultMinimumRamGB);
    const double recommended
        = localSpecs->recommendedRamGb.value_or(ZunoAIRamFits::kRecommendedFactor * minimum);
    // The recommended figure is never compared with the minimum: a catalog entry whose recommended
    // figure is below its minimum is comfortable from the recommended figure on.
    if (hostRamGB >= recommended)
        return ZunoAIRamFit::comfortable;
    if (hostRamGB >= minimum)
        return ZunoAIRamFit::tight;
    return ZunoAIRamFit::exceeds;
}

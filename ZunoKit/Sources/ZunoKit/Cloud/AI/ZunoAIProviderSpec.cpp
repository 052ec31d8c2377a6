#include "ZunoAIProviderSpec.h"

bool ZunoAIProviderSpec::isLocal() const
{
    return deployment.toLower() == QLatin1String("local");
}

#include "ZunoAIModelPricing.h"

bool ZunoAIModelPricing::isFree() const
{
    return inputPer1M.value_or(0.0) == 0.0 && outputPer1M.value_or(0.0) == 0.0;
}

#include "ZunoAgentToolDefinition.h"

#include <nlohmann/json.hpp>

nlohmann::json ZunoAgentToolDefinition::toOpenAIDictionary() const
{
    return { { "type", "function" },
        { "function",
            { { "name", name.toStdString() }, { "description", description.toStdString() },
                { "parameters", AnySendableValue::objectToJson(parametersJSON) } } } };
}

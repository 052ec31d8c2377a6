#include "ZunoAgentChatMessage.h"

#include "ZunoAgentCoding.h"
#include "ZunoDecodingError.h"
#include "ZunoJson.h"

#include <nlohmann/json.hpp>

std::optional<ZunoAgentChatMessage::Role> ZunoAgentChatMessage::roleFromRawValue(const QString &raw)
{
    if (raw == QLatin1String("user"))
        return Role::user;
    if (raw == QLatin1String("assistant"))
        return Role::assistant;
    return std::nullopt;
}

QString ZunoAgentChatMessage::rawValue(Role role)
{
    return role == Role::assistant ? QStringLiteral("assistant") : QStringLiteral("user");
}

nlohmann::json ZunoAgentChatMessage::toJson() const
{
    nlohmann::json stepList = nlohmann::json::array();
    for (const ZunoAgentStepRecord &step : steps)
        stepList.push_back(step.toJson());
    return { { "id", ZunoJson::uuidString(id).toStdString() }, { "role", rawValue(role).toStdString() },
        { "text", text.toStdString() }, { "steps", stepList }, { "isError", isError },
        { "timestamp", ZunoAgentCoding::referenceSeconds(timestamp) } };
}

ZunoAgentChatMessage ZunoAgentChatMessage::fromJson(const nlohmann::json &json, const std::string &codingPath)
{
    using namespace ZunoAgentCoding;
    const nlohmann::json &message = object(json, codingPath);
    ZunoAgentChatMessage decoded;
    decoded.id = uuid(message, "id", codingPath);
    const auto role = roleFromRawValue(string(message, "role", codingPath));
    if (!role)
        throw ZunoDecodingError(
            path(codingPath, "role"), "Cannot initialize Role from invalid String value.");
    decoded.role = *role;
    decoded.text = string(message, "text", codingPath);
    const nlohmann::json &steps = required(message, "steps", codingPath);
    if (!steps.is_array())
        throw ZunoDecodingError(
            path(codingPath, "steps"), "Expected to decode an array but found another value.");
    for (std::size_t i = 0; i < steps.size(); ++i)
        decoded.steps.append(ZunoAgentStepRecord::fromJson(
            steps[i], path(codingPath, "steps") + "[" + std::to_string(i) + "]"));
    decoded.isError = boolean(message, "isError", codingPath);
    decoded.timestamp = date(message, "timestamp", codingPath);
    return decoded;
}

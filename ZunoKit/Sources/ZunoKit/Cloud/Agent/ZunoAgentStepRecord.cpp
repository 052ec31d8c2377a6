#include "ZunoAgentStepRecord.h"

#include "ZunoAgentCoding.h"
#include "ZunoJson.h"

#include <nlohmann/json.hpp>

nlohmann::json ZunoAgentStepRecord::toJson() const
{
    return { { "id", ZunoJson::uuidString(id).toStdString() }, { "toolName", toolName.toStdString() },
        { "summary", summary.toStdString() }, { "ok", ok },
        { "timestamp", ZunoAgentCoding::referenceSeconds(timestamp) } };
}

ZunoAgentStepRecord ZunoAgentStepRecord::fromJson(const nlohmann::json &json, const std::string &codingPath)
{
    using namespace ZunoAgentCoding;
    const nlohmann::json &record = object(json, codingPath);
    return { uuid(record, "id", codingPath), string(record, "toolName", codingPath),
        string(record, "summary", codingPath), boolean(record, "ok", codingPath),
        date(record, "timestamp", codingPath) };
}

#include "TeleprompterRemoteScriptSummary.h"

#include "TeleprompterRemoteJson.h"

nlohmann::json TeleprompterRemoteScriptSummary::toJson() const
{
    return nlohmann::json { { "id", id.toStdString() }, { "title", title.toStdString() },
        { "wordCount", wordCount } };
}

std::optional<TeleprompterRemoteScriptSummary> TeleprompterRemoteScriptSummary::fromJson(
    const nlohmann::json &json)
{
    using namespace TeleprompterRemoteJson;
    if (!json.is_object())
        return std::nullopt;
    const auto id = requiredString(json, "id");
    const auto title = requiredString(json, "title");
    const auto wordCount = requiredInteger(json, "wordCount");
    if (!id || !title || !wordCount)
        return std::nullopt;
    return TeleprompterRemoteScriptSummary { *id, *title, *wordCount };
}

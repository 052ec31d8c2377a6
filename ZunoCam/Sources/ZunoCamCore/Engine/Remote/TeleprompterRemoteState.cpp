#include "TeleprompterRemoteState.h"

#include "TeleprompterRemoteJson.h"

#include <cmath>

TeleprompterRemoteState::TeleprompterRemoteState(bool isPlaying, bool isVisible, qint64 wpm, qint64 fontSize,
    double progress, std::optional<QString> activeScriptId, QString activeScriptTitle,
    QList<TeleprompterRemoteScriptSummary> scripts)
    : isPlaying(isPlaying)
    , isVisible(isVisible)
    , wpm(wpm)
    , fontSize(fontSize)
    , progress(progress <= 0 ? 0.0
              : progress > 1 ? 1.0
                             : progress)
    , activeScriptId(std::move(activeScriptId))
    , activeScriptTitle(std::move(activeScriptTitle))
    , scripts(std::move(scripts))
{
}

TeleprompterRemoteState TeleprompterRemoteState::fallback()
{
    return TeleprompterRemoteState(false, false, 135, 24, 0, std::nullopt, QStringLiteral("ZunoCam"), {});
}

nlohmann::json TeleprompterRemoteState::toJson() const
{
    nlohmann::json list = nlohmann::json::array();
    for (const TeleprompterRemoteScriptSummary &script : scripts)
        list.push_back(script.toJson());
    nlohmann::json json {
        { "isPlaying", isPlaying },
        { "isVisible", isVisible },
        { "wpm", wpm },
        { "fontSize", fontSize },
        // JSON has no NaN; a page showing 0% is better than an empty document.
        { "progress", std::isfinite(progress) ? progress : 0.0 },
        { "activeScriptTitle", activeScriptTitle.toStdString() },
        { "scripts", std::move(list) },
    };
    if (activeScriptId)
        json["activeScriptId"] = activeScriptId->toStdString();
    return json;
}

std::optional<TeleprompterRemoteState> TeleprompterRemoteState::fromJson(const nlohmann::json &json)
{
    using namespace TeleprompterRemoteJson;
    if (!json.is_object())
        return std::nullopt;
    const auto isPlaying = requiredBool(json, "isPlaying");
    const auto isVisible = requiredBool(json, "isVisible");
    const auto wpm = requiredInteger(json, "wpm");
    const auto fontSize = requiredInteger(json, "fontSize");
    const auto progress = requiredDouble(json, "progress");
    const auto title = requiredString(json, "activeScriptTitle");
    bool idValid = true;
    const auto activeScriptId = optionalString(json, "activeScriptId", idValid);
    const auto scriptsIt = json.find("scripts");
    if (!isPlaying || !isVisible || !wpm || !fontSize || !progress || !title || !idValid
        || scriptsIt == json.end() || !scriptsIt->is_array())
        return std::nullopt;
    TeleprompterRemoteState state;
    for (const nlohmann::json &entry : *scriptsIt) {
        auto summary = TeleprompterRemoteScriptSummary::fromJson(entry);
        if (!summary)
            return std::nullopt;
        state.scripts.append(std::move(*summary));
    }
    state.isPlaying = *isPlaying;
    state.isVisible = *isVisible;
    state.wpm = *wpm;
    state.fontSize = *fontSize;
    state.progress = *progress;
    state.activeScriptId = activeScriptId;
    state.activeScriptTitle = *title;
    return state;
}

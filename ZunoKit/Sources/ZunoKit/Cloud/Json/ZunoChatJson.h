#pragma once

#include <nlohmann/json.hpp>

// Reading chat-completion answers, shared by the AI client and the agent's chat turn.
namespace ZunoChatJson {

inline bool isSuccessStatus(int status)
{
    return status >= 200 && status <= 299;
}

// The member under `key` of an object; none for other values or a missing key.
inline const nlohmann::json *member(const nlohmann::json &object, const char *key)
{
    if (!object.is_object())
        return nullptr;
    const auto found = object.find(key);
    return found == object.end() ? nullptr : &*found;
}

} // namespace ZunoChatJson

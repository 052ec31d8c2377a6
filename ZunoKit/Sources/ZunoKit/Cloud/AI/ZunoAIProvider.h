#pragma once

#include <QString>

#include <nlohmann/json_fwd.hpp>

#include <array>
#include <optional>

// The kinds of chat endpoint the AI client speaks to. Raw values are the stored and wire values.
enum class ZunoAIProvider { ollamaLocal, openAI, quarnwellCredits };

namespace ZunoAIProviders {

// Every case in declaration order.
const std::array<ZunoAIProvider, 3> &allCases();
// Exact, case-sensitive raw value only.
std::optional<ZunoAIProvider> fromRawValue(const QString &raw);

} // namespace ZunoAIProviders

QString rawValue(ZunoAIProvider provider);
inline QString id(ZunoAIProvider provider)
{
    return rawValue(provider);
}
// In the current interface language.
QString displayName(ZunoAIProvider provider);
// For the credits gateway, resolved at each call (the gateway address can change at run time).
QString defaultEndpoint(ZunoAIProvider provider);
QString defaultModel(ZunoAIProvider provider);

// Coded as the raw value; an unknown raw value throws `ZunoDecodingError`.
void to_json(nlohmann::json &json, ZunoAIProvider provider);
void from_json(const nlohmann::json &json, ZunoAIProvider &provider);

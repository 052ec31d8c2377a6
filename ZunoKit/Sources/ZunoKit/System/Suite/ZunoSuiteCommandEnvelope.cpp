#include "ZunoSuiteCommandEnvelope.h"

#include "ZunoJson.h"

#include <limits>

namespace {

// Present and not null: an optional key holding null reads as absent, as other writers may put it.
const nlohmann::json *optionalMember(const nlohmann::json &j, const char *key)
{
    const auto it = j.find(key);
    return it == j.end() || it->is_null() ? nullptr : &*it;
}

std::int32_t int32From(const nlohmann::json &value)
{
    // nlohmann would silently turn 1.5 or 2^40 into some integer: only whole numbers in range count.
    constexpr auto kMin = std::numeric_limits<std::int32_t>::min();
    constexpr auto kMax = std::numeric_limits<std::int32_t>::max();
    if (value.is_number_unsigned()) {
        const auto number = value.get<std::uint64_t>();
        if (number <= std::uint64_t(kMax))
            return std::int32_t(number);
    } else if (value.is_number_integer()) {
        const auto number = value.get<std::int64_t>();
        if (number >= kMin && number <= kMax)
            return std::int32_t(number);
    }
    throw nlohmann::json::other_error::create(501, "targetPID is not a 32-bit integer", &value);
}

QUuid uuidFrom(const nlohmann::json &value)
{
    // The canonical 36-character text only; QUuid alone would also take braces.
    const QString text = QString::fromStdString(value.get<std::string>());
    const QUuid uuid = text.size() == 36 ? QUuid::fromString(text) : QUuid();
    if (uuid.isNull())
        throw nlohmann::json::other_error::create(501, "id is not a UUID", &value);
    return uuid;
}

} // namespace

void to_json(nlohmann::json &j, const ZunoSuiteCommandEnvelope &envelope)
{
    j = nlohmann::json::object();
    j["id"] = ZunoJson::uuidString(envelope.id).toStdString();
    j["timestamp"] = ZunoJson::internetDateJson(envelope.timestamp);
    j["sourceApp"] = envelope.sourceApp;
    j["targetApp"] = envelope.targetApp;
    j["kind"] = envelope.kind;
    if (envelope.targetPID)
        j["targetPID"] = *envelope.targetPID;
    if (envelope.targetName)
        j["targetName"] = envelope.targetName->toStdString();
    if (envelope.payload)
        j["payload"] = envelope.payload->toStdString();
}

void from_json(const nlohmann::json &j, ZunoSuiteCommandEnvelope &envelope)
{
    if (!j.is_object())
        throw nlohmann::json::type_error::create(302, "an envelope is a JSON object", &j);
    ZunoSuiteCommandEnvelope decoded;
    decoded.id = uuidFrom(j.at("id"));
    decoded.timestamp = ZunoJson::internetDateFromJson(j.at("timestamp"));
    decoded.sourceApp = j.at("sourceApp").get<ZunoSuiteApp>();
    decoded.targetApp = j.at("targetApp").get<ZunoSuiteApp>();
    decoded.kind = j.at("kind").get<ZunoSuiteCommandKind>();
    if (const auto *pid = optionalMember(j, "targetPID"))
        decoded.targetPID = int32From(*pid);
    if (const auto *name = optionalMember(j, "targetName"))
        decoded.targetName = QString::fromStdString(name->get<std::string>());
    if (const auto *payload = optionalMember(j, "payload"))
        decoded.payload = QString::fromStdString(payload->get<std::string>());
    envelope = std::move(decoded);
}

QByteArray ZunoSuiteCommandEnvelope::encoded() const
{
    return QByteArray::fromStdString(nlohmann::json(*this).dump());
}

std::optional<ZunoSuiteCommandEnvelope> ZunoSuiteCommandEnvelope::decoded(const QByteArray &json)
{
    try {
        return nlohmann::json::parse(json.constBegin(), json.constEnd()).get<ZunoSuiteCommandEnvelope>();
    } catch (const nlohmann::json::exception &) {
        return std::nullopt;
    }
}

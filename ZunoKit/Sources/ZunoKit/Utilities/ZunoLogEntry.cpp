#include "ZunoLogEntry.h"

#include "ZunoJson.h"
#include "ZunoJsonEscape.h"

namespace {

void appendMember(QByteArray &out, const char *key, const QString &value, bool first = false)
{
    if (!first)
        out.append(',');
    out.append('"');
    out.append(key);
    out.append("\":");
    ZunoJsonEscape::appendString(out, value);
}

} // namespace

QByteArray ZunoLogEntry::encoded() const
{
    QByteArray out;
    out.append('{');
    appendMember(out, "build", build, true);
    appendMember(out, "category", category);
    appendMember(out, "id", id);
    appendMember(out, "level", rawValue(level));
    appendMember(out, "message", message);
    appendMember(out, "timestamp", timestamp);
    appendMember(out, "version", version);
    out.append('}');
    return out;
}

std::optional<ZunoLogEntry> ZunoLogEntry::decoded(QByteArrayView json)
{
    const auto object = nlohmann::json::parse(json.begin(), json.end(), nullptr, false);
    if (!object.is_object())
        return std::nullopt;
    try {
        ZunoLogEntry entry;
        entry.id = object.at("id").get<QString>();
        entry.timestamp = object.at("timestamp").get<QString>();
        entry.level = object.at("level").get<ZunoLogLevel>();
        entry.category = object.at("category").get<QString>();
        entry.message = object.at("message").get<QString>();
        entry.version = object.at("version").get<QString>();
        entry.build = object.at("build").get<QString>();
        return entry;
    } catch (const nlohmann::json::exception &) {
        return std::nullopt;
    }
}

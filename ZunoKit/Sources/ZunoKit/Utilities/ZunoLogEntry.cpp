#include "ZunoLogEntry.h"

#include "ZunoJson.h"

namespace {

// The platform encoder's escaping: quotation mark, backslash and solidus get a backslash, the short
// forms for the usual control characters, \u00xx (lower-case hex) for the others; the rest raw.
void appendJsonString(QByteArray &out, const QString &value)
{
    static constexpr char kHex[] = "0123456789abcdef";
    const QByteArray utf8 = value.toUtf8();
    out.reserve(out.size() + utf8.size() + 2);
    out.append('"');
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        switch (byte) {
        case '"':
            out.append("\\\"");
            break;
        case '\\':
            out.append("\\\\");
            break;
        case '/':
            out.append("\\/");
            break;
        case '\b':
            out.append("\\b");
            break;
        case '\f':
            out.append("\\f");
            break;
        case '\n':
            out.append("\\n");
            break;
        case '\r':
            out.append("\\r");
            break;
        case '\t':
            out.append("\\t");
            break;
        default:
            if (byte < 0x20) {
                out.append("\\u00");
                out.append(kHex[byte >> 4]);
                out.append(kHex[byte & 0xF]);
            } else {
                out.append(c);
            }
        }
    }
    out.append('"');
}

void appendMember(QByteArray &out, const char *key, const QString &value, bool first = false)
{
    if (!first)
        out.append(',');
    out.append('"');
    out.append(key);
    out.append("\":");
    appendJsonString(out, value);
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

#include "ZunoBoundedJson.h"

namespace ZunoBoundedJson {

bool withinDepth(QByteArrayView bytes, int maxDepth)
{
    int depth = 0;
    bool inString = false;
    bool escaped = false;
    for (const char c : bytes) {
        if (inString) {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '"')
                inString = false;
            continue;
        }
        if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > maxDepth)
                return false;
        } else if ((c == ']' || c == '}') && depth > 0) {
            --depth;
        }
    }
    return true;
}

nlohmann::json parse(QByteArrayView bytes)
{
    if (!withinDepth(bytes))
        return nlohmann::json(nlohmann::json::value_t::discarded);
    return nlohmann::json::parse(bytes.data(), bytes.data() + bytes.size(), nullptr, false);
}

} // namespace ZunoBoundedJson

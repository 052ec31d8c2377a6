#include "ZunoJsonEscape.h"

namespace ZunoJsonEscape {

void appendString(QByteArray &out, const QString &value)
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

QByteArray quoted(const QString &value)
{
    QByteArray out;
    appendString(out, value);
    return out;
}

} // namespace ZunoJsonEscape

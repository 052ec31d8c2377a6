#include "ZunoHttpErrorBody.h"

#include "ZunoGraphemes.h"
#include "ZunoUtf8.h"

namespace ZunoHttpErrorBody {

QString readableText(const QByteArray &body)
{
    if (!ZunoUtf8::isValid(body))
        return {};
    const QString text = QString::fromUtf8(body).trimmed();
    const QString head = text.left(512).toLower();
    if (head.startsWith(QLatin1String("<!doctype")) || head.contains(QLatin1String("<html"))
        || head.contains(QLatin1String("<body")))
        return {};
    return shortened(text);
}

QString shortened(const QString &text)
{
    return ZunoGraphemes::prefix(text, kMessageCharacters);
}

} // namespace ZunoHttpErrorBody

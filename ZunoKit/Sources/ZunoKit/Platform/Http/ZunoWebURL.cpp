#include "ZunoWebURL.h"

namespace ZunoWebURL {

std::optional<QUrl> parse(const QString &text)
{
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.isRelative())
        return std::nullopt;
    const QString scheme = url.scheme().toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        return std::nullopt;
    if (url.host().isEmpty())
        return std::nullopt;
    return url;
}

} // namespace ZunoWebURL

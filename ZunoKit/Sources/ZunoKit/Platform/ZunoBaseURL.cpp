#include "ZunoBaseURL.h"

namespace ZunoBaseURL {

QString trimmingSlashes(const QString &text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text.at(start) == QLatin1Char('/'))
        ++start;
    while (end > start && text.at(end - 1) == QLatin1Char('/'))
        --end;
    return text.mid(start, end - start);
}

std::optional<QString> usable(const QString &candidate)
{
    const QString text = candidate.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    return trimmingSlashes(text);
}

} // namespace ZunoBaseURL

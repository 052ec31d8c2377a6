#include "ZunoServiceURL.h"

#include "ZunoDefaults.h"

namespace ZunoServiceURL {

QString withoutEdgeSlashes(const QString &text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text.at(start) == QLatin1Char('/'))
        ++start;
    while (end > start && text.at(end - 1) == QLatin1Char('/'))
        --end;
    return text.mid(start, end - start);
}

std::optional<QString> usable(const QString &candidate, Trimming trimming)
{
    const QString text = candidate.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    return trimming == Trimming::whiteSpace ? text : withoutEdgeSlashes(text);
}

QString resolve(const std::optional<QString> &override, const char *environmentVariable,
    const QString &defaultsKey, const QString &builtIn, Trimming trimming)
{
    if (override) {
        if (auto value = usable(*override, trimming))
            return *value;
    }
    if (auto value = usable(qEnvironmentVariable(environmentVariable), trimming))
        return *value;
    if (auto value = usable(ZunoDefaults::standard().string(defaultsKey), trimming))
        return *value;
    return builtIn;
}

} // namespace ZunoServiceURL

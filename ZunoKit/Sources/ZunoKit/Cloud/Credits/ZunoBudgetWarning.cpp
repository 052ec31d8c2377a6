#include "ZunoBudgetWarning.h"

#include "ZunoStrictJson.h"

using namespace ZunoStrictJson;

QString ZunoBudgetWarning::id() const
{
    return kind + QLatin1Char('|') + severity + QLatin1Char('|') + app.value_or(QString()) + QLatin1Char('|')
        + message;
}

bool ZunoBudgetWarning::isCritical() const
{
    return severity.toLower() == QLatin1String("critical");
}

void from_json(const nlohmann::json &json, ZunoBudgetWarning &value)
{
    object(json, "ZunoBudgetWarning");
    value.kind = read<QString>(json, "kind");
    value.severity = read<QString>(json, "severity");
    value.app = readOptional<QString>(json, "app");
    value.message = read<QString>(json, "message");
}

void to_json(nlohmann::json &json, const ZunoBudgetWarning &value)
{
    json = nlohmann::json::object();
    write(json, "kind", value.kind);
    write(json, "severity", value.severity);
    writeOptional(json, "app", value.app);
    write(json, "message", value.message);
}

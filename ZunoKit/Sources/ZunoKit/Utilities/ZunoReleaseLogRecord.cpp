#include "ZunoReleaseLogRecord.h"

#include "ZunoJson.h"

#include <QTextBoundaryFinder>

namespace {

using nlohmann::json;

// The member under `key`, or null when absent.
const json &member(const json &object, const char *key)
{
    static const json null;
    const auto found = object.find(key);
    return found == object.end() ? null : *found;
}

void decodeString(const json &object, const char *key, QString &field)
{
    const json &value = member(object, key);
    if (!value.is_null())
        field = value.get<QString>();
}

QStringList stringList(const json &value)
{
    if (!value.is_array())
        throw json::type_error::create(302, "expected an array of strings", &value);
    QStringList list;
    for (const json &item : value)
        list.append(item.get<QString>());
    return list;
}

void decodeInteger(const json &object, const char *key, std::int64_t &field)
{
    const json &value = member(object, key);
    if (!value.is_null())
        field = ZunoJson::strictInteger(value);
}

json stringListJson(const QStringList &list)
{
    json array = json::array();
    for (const QString &item : list)
        array.push_back(item.toStdString());
    return array;
}

// pt-PT reads pt-BR and zh-Hant reads zh-Hans before falling back to English.
QString parentLanguage(const QString &code)
{
    if (code == QLatin1String("pt-PT"))
        return QStringLiteral("pt-BR");
    if (code == QLatin1String("zh-Hant"))
        return QStringLiteral("zh-Hans");
    return {};
}

template <typename Value, typename Present>
Value localized(
    const QMap<QString, Value> &translations, const QString &code, const Value &base, Present present)
{
    QStringList codes { code };
    if (const QString parent = parentLanguage(code); !parent.isEmpty())
        codes << parent;
    codes << QStringLiteral("en");
    for (const QString &candidate : codes) {
        const auto found = translations.constFind(candidate);
        if (found != translations.constEnd() && present(*found))
            return *found;
    }
    return base;
}

} // namespace

QString ZunoReleaseLogRecord::id() const
{
    return timestamp + QLatin1Char('-') + app + QLatin1Char('-') + toVersion + QLatin1Char('-')
        + QString::number(toBuild);
}

QString ZunoReleaseLogRecord::shortDate() const
{
    // Ten user-perceived characters, not ten UTF-16 units.
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, timestamp);
    int count = 0;
    while (count < 10 && finder.toNextBoundary() != -1)
        ++count;
    return count < 10 ? timestamp : timestamp.left(finder.position());
}

QString ZunoReleaseLogRecord::localizedSummary(const QString &languageCode) const
{
    return localized(summaryI18n, languageCode, summary, [](const QString &text) { return !text.isEmpty(); });
}

QStringList ZunoReleaseLogRecord::localizedDetails(const QString &languageCode) const
{
    return localized(
        detailsI18n, languageCode, details, [](const QStringList &lines) { return !lines.isEmpty(); });
}

QByteArray ZunoReleaseLogRecord::encoded() const
{
    nlohmann::ordered_json object;
    object["timestamp"] = timestamp.toStdString();
    object["app"] = app.toStdString();
    object["fromVersion"] = fromVersion.toStdString();
    object["toVersion"] = toVersion.toStdString();
    object["fromBuild"] = fromBuild;
    object["toBuild"] = toBuild;
    object["bumpKind"] = bumpKind.toStdString();
    object["section"] = section.toStdString();
    object["summary"] = summary.toStdString();
    object["details"] = stringListJson(details);
    object["gitCommit"] = gitCommit.toStdString();
    nlohmann::ordered_json summaries = nlohmann::ordered_json::object();
    for (auto it = summaryI18n.cbegin(); it != summaryI18n.cend(); ++it)
        summaries[it.key().toStdString()] = it.value().toStdString();
    object["summary_i18n"] = summaries;
    nlohmann::ordered_json detailLists = nlohmann::ordered_json::object();
    for (auto it = detailsI18n.cbegin(); it != detailsI18n.cend(); ++it)
        detailLists[it.key().toStdString()] = stringListJson(it.value());
    object["details_i18n"] = detailLists;
    return QByteArray::fromStdString(object.dump());
}

std::optional<ZunoReleaseLogRecord> ZunoReleaseLogRecord::decoded(QByteArrayView text)
{
    const json object = json::parse(text.begin(), text.end(), nullptr, false);
    if (!object.is_object())
        return std::nullopt;
    try {
        ZunoReleaseLogRecord record;
        decodeString(object, "timestamp", record.timestamp);
        decodeString(object, "app", record.app);
        decodeString(object, "fromVersion", record.fromVersion);
        decodeString(object, "toVersion", record.toVersion);
        decodeInteger(object, "fromBuild", record.fromBuild);
        decodeInteger(object, "toBuild", record.toBuild);
        decodeString(object, "bumpKind", record.bumpKind);
        decodeString(object, "section", record.section);
        decodeString(object, "summary", record.summary);
        if (const json &details = member(object, "details"); !details.is_null())
            record.details = stringList(details);
        if (const json &summaries = member(object, "summary_i18n"); !summaries.is_null()) {
            if (!summaries.is_object())
                return std::nullopt;
            for (const auto &[code, summary] : summaries.items())
                record.summaryI18n.insert(QString::fromStdString(code), summary.get<QString>());
        }
        if (const json &detailLists = member(object, "details_i18n"); !detailLists.is_null()) {
            if (!detailLists.is_object())
                return std::nullopt;
            for (const auto &[code, lines] : detailLists.items())
                record.detailsI18n.insert(QString::fromStdString(code), stringList(lines));
        }
        decodeString(object, "gitCommit", record.gitCommit);
        return record;
    } catch (const json::exception &) {
        return std::nullopt;
    }
}

#include "ZunoLocalizationPack.h"

#include "ZunoJson.h"

#include <nlohmann/json.hpp>

namespace {

QMap<QString, QString> stringMap(const nlohmann::json &j, const char *key)
{
    if (!j.is_object())
        throw nlohmann::json::type_error::create(302, std::string(key) + " must be an object", &j);
    QMap<QString, QString> map;
    for (const auto &[name, value] : j.items())
        map.insert(QString::fromStdString(name), value.get<QString>());
    return map;
}

nlohmann::json jsonObject(const QMap<QString, QString> &map)
{
    nlohmann::json object = nlohmann::json::object();
    for (auto it = map.cbegin(); it != map.cend(); ++it)
        object[it.key().toStdString()] = it.value();
    return object;
}

}  // namespace

void to_json(nlohmann::json &j, const ZunoLocalizationPack &pack)
{
    j = nlohmann::json{{"code", pack.code},
                       {"nativeName", pack.nativeName},
                       {"englishName", pack.englishName},
                       {"isRTL", pack.isRTL},
                       {"strings", jsonObject(pack.strings)},
                       {"templates", jsonObject(pack.templates)}};
}

void from_json(const nlohmann::json &j, ZunoLocalizationPack &pack)
{
    if (!j.is_object())
        throw nlohmann::json::type_error::create(302, "a language pack must be an object", &j);
    ZunoLocalizationPack decoded;
    const auto present = [&j](const char *key) { return j.contains(key) && !j.at(key).is_null(); };
    if (present("code"))
        decoded.code = j.at("code").get<QString>();
    if (present("nativeName"))
        decoded.nativeName = j.at("nativeName").get<QString>();
    if (present("englishName"))
        decoded.englishName = j.at("englishName").get<QString>();
    if (present("isRTL"))
        decoded.isRTL = j.at("isRTL").get<bool>();
    if (present("strings"))
        decoded.strings = stringMap(j.at("strings"), "strings");
    if (present("templates"))
        decoded.templates = stringMap(j.at("templates"), "templates");
    pack = std::move(decoded);
}

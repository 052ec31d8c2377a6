#pragma once

#include <QMap>
#include <QString>

#include <nlohmann/json_fwd.hpp>

// A language pack file: a language's identity and its `strings` (English text or key to translation)
// and `templates` (English pattern with {0}, {1}... to translated pattern). On reading, every key is
// optional (null counts as absent) but a key of the wrong type is an error; writing gives all six.
struct ZunoLocalizationPack {
    QString code;
    QString nativeName;
    QString englishName;
    bool isRTL = false;
    QMap<QString, QString> strings;
    QMap<QString, QString> templates;

    bool operator==(const ZunoLocalizationPack &) const = default;
};

// Throws nlohmann::json::exception on a wrong type.
void to_json(nlohmann::json &j, const ZunoLocalizationPack &pack);
void from_json(const nlohmann::json &j, ZunoLocalizationPack &pack);

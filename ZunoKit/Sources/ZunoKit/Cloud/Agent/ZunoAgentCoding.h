#pragma once

#include <QDateTime>
#include <QString>
#include <QUuid>

#include <nlohmann/json_fwd.hpp>

#include <string>

// Reading and writing the agent records' JSON members. Every failure throws `ZunoDecodingError` with the
// member's coding path.
namespace ZunoAgentCoding {

std::string path(const std::string &container, const char *key);
const nlohmann::json &object(const nlohmann::json &json, const std::string &codingPath);
// Present and not null.
const nlohmann::json &required(const nlohmann::json &object, const char *key, const std::string &codingPath);
QString string(const nlohmann::json &object, const char *key, const std::string &codingPath);
bool boolean(const nlohmann::json &object, const char *key, const std::string &codingPath);
// The 36-character form in either letter case.
QUuid uuid(const nlohmann::json &object, const char *key, const std::string &codingPath);
// A number of seconds since 2001-01-01T00:00:00Z, with the fraction.
QDateTime date(const nlohmann::json &object, const char *key, const std::string &codingPath);

double referenceSeconds(const QDateTime &date);
QDateTime dateFromReferenceSeconds(double seconds);

} // namespace ZunoAgentCoding

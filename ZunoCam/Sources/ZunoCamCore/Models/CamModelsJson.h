#pragma once

// JSON coding of the camera model, as the studio document stores it.
//
// Writing puts every key of every object, enumerations as their raw values, script ids as
// upper-case UUIDs and dates as ISO 8601 UTC text with whole seconds; a non-finite number or an
// invalid date cannot be written (CamEncodingError). Reading is tolerant for the settings types (a
// missing or null key takes its default, unknown keys are ignored) and strict for scripts (all four
// keys required); a value of the wrong type, an unknown raw value or a UUID or date in another form
// throws CamDecodingError, never falls back to a default.

#include "CamPersistedPayload.h"
#include "CameraAdjustments.h"
#include "CameraLookPreset.h"
#include "PortraitBackgroundMode.h"
#include "PresentationOverlayMode.h"
#include "TeleprompterScript.h"
#include "TeleprompterSettings.h"

#include <nlohmann/json_fwd.hpp>

#include <optional>
#include <stdexcept>

class CamDecodingError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class CamEncodingError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

namespace CamModelsJson {

// The only date form read and written: "2026-03-01T09:30:00Z" (an offset such as "+02:00" in place
// of "Z" is read too). Invalid QDateTime when the text has any other form.
QDateTime parseDate(const QString &text);
QString dateString(const QDateTime &date); // throws CamEncodingError for a date it cannot write
// The canonical 36-character form, either letter case; none for anything else.
std::optional<QUuid> parseUuid(const QString &text);

} // namespace CamModelsJson

void to_json(nlohmann::json &j, CameraLookPreset value);
void from_json(const nlohmann::json &j, CameraLookPreset &value);
void to_json(nlohmann::json &j, PortraitBackgroundMode value);
void from_json(const nlohmann::json &j, PortraitBackgroundMode &value);
void to_json(nlohmann::json &j, PresentationOverlayMode value);
void from_json(const nlohmann::json &j, PresentationOverlayMode &value);

void to_json(nlohmann::json &j, const CameraAdjustments &value);
void from_json(const nlohmann::json &j, CameraAdjustments &value);
void to_json(nlohmann::json &j, const TeleprompterSettings &value);
void from_json(const nlohmann::json &j, TeleprompterSettings &value);
void to_json(nlohmann::json &j, const CamPersistedPayload &value);
void from_json(const nlohmann::json &j, CamPersistedPayload &value);

// A script has no default to read into, so it is read by value.
NLOHMANN_JSON_NAMESPACE_BEGIN
template <> struct adl_serializer<TeleprompterScript> {
    static TeleprompterScript from_json(const json &j);
    static void to_json(json &j, const TeleprompterScript &value);
};
NLOHMANN_JSON_NAMESPACE_END

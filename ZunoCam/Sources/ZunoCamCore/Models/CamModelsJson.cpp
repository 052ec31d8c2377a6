#include "CamModelsJson.h"

#include <QRegularExpression>

#include <nlohmann/json.hpp>

#include <cmath>
#include <limits>

using nlohmann::json;

namespace {

[[noreturn]] void fail(const char *context, const char *key, const char *problem)
{
    throw CamDecodingError(std::string(context) + "." + key + ": " + problem);
}

template <typename T> struct Reader;

template <> struct Reader<bool> {
    static bool read(const json &value, const char *context, const char *key)
    {
        if (!value.is_boolean())
            fail(context, key, "expected true or false");
        return value.get<bool>();
    }
};

template <> struct Reader<double> {
    static double read(const json &value, const char *context, const char *key)
    {
        if (!value.is_number())
            fail(context, key, "expected a number");
        const double number = value.get<double>();
        // The parser turns an out-of-range literal such as 1e400 into infinity.
        if (!std::isfinite(number))
            fail(context, key, "number out of range");
        return number;
    }
};

template <> struct Reader<qint64> {
    static qint64 read(const json &value, const char *context, const char *key)
    {
        if (value.is_number_integer() && !value.is_number_unsigned())
            return value.get<std::int64_t>();
        if (value.is_number_unsigned()) {
            const std::uint64_t number = value.get<std::uint64_t>();
            if (number > static_cast<std::uint64_t>(std::numeric_limits<qint64>::max()))
                fail(context, key, "integer out of range");
            return static_cast<qint64>(number);
        }
        if (value.is_number_float()) {
            // "3.0" is the integer 3; a fraction or a value beyond 64 bits is not an integer.
            const double number = value.get<double>();
            constexpr double kLimit = 9223372036854775808.0; // 2^63
            if (!std::isfinite(number) || number != std::trunc(number) || number < -kLimit
                || number >= kLimit)
                fail(context, key, "expected an integer");
            return static_cast<qint64>(number);
        }
        fail(context, key, "expected an integer");
    }
};

template <> struct Reader<QString> {
    static QString read(const json &value, const char *context, const char *key)
    {
        if (!value.is_string())
            fail(context, key, "expected a string");
        return QString::fromStdString(value.get_ref<const std::string &>());
    }
};

template <typename Enum>
Enum readEnum(
    const json &value, const char *context, const char *key, std::optional<Enum> (*fromRaw)(const QString &))
{
    const std::optional<Enum> parsed = fromRaw(Reader<QString>::read(value, context, key));
    if (!parsed)
        fail(context, key, "unknown value");
    return *parsed;
}

template <> struct Reader<CameraLookPreset> {
    static CameraLookPreset read(const json &value, const char *context, const char *key)
    {
        return readEnum(value, context, key, &CameraLookPresets::fromRawValue);
    }
};

template <> struct Reader<PortraitBackgroundMode> {
    static PortraitBackgroundMode read(const json &value, const char *context, const char *key)
    {
        return readEnum(value, context, key, &PortraitBackgroundModes::fromRawValue);
    }
};

template <> struct Reader<PresentationOverlayMode> {
    static PresentationOverlayMode read(const json &value, const char *context, const char *key)
    {
        return readEnum(value, context, key, &PresentationOverlayModes::fromRawValue);
    }
};

const json &requireObject(const json &value, const char *context)
{
    if (!value.is_object())
        throw CamDecodingError(std::string(context) + ": expected an object");
    return value;
}

// Tolerant field: absent or null keeps the default already in `field`.
template <typename T> void readOptional(const json &object, const char *context, const char *key, T &field)
{
    const auto it = object.find(key);
    if (it == object.end() || it->is_null())
        return;
    field = Reader<T>::read(*it, context, key);
}

// Strict field: absent or null is an error.
template <typename T> T readRequired(const json &object, const char *context, const char *key)
{
    const auto it = object.find(key);
    if (it == object.end())
        fail(context, key, "missing");
    if (it->is_null())
        fail(context, key, "null");
    return Reader<T>::read(*it, context, key);
}

json number(double value, const char *key)
{
    // JSON has no NaN or infinity; writing null instead would silently change the document.
    if (!std::isfinite(value))
        throw CamEncodingError(std::string(key) + ": cannot write a non-finite number");
    return value;
}

json text(const QString &value)
{
    return value.toStdString();
}

} // namespace

namespace CamModelsJson {

QDateTime parseDate(const QString &text)
{
    static const QRegularExpression pattern(
        QStringLiteral(R"(^(\d{4})-(\d{2})-(\d{2})T(\d{2}):(\d{2}):(\d{2})(?:(Z)|([+-])(\d{2}):(\d{2}))$)"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return {};
    const QDate date(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
    const QTime time(match.captured(4).toInt(), match.captured(5).toInt(), match.captured(6).toInt());
    if (!date.isValid() || !time.isValid())
        return {};
    QDateTime result(date, time, Qt::UTC);
    if (match.captured(7).isEmpty()) {
        const int hours = match.captured(9).toInt();
        const int minutes = match.captured(10).toInt();
        if (hours > 23 || minutes > 59)
            return {};
        const int offset = (hours * 60 + minutes) * 60;
        result = result.addSecs(match.captured(8) == QLatin1String("+") ? -offset : offset);
    }
    return result;
}

QString dateString(const QDateTime &date)
{
    if (!date.isValid())
        throw CamEncodingError("cannot write an invalid date");
    const QDateTime utc = date.toUTC();
    if (utc.date().year() < 1 || utc.date().year() > 9999)
        throw CamEncodingError("cannot write a date outside the years 1 to 9999");
    // Whole seconds: the fraction is dropped, as the stored form has none.
    return utc.toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss'Z'"));
}

std::optional<QUuid> parseUuid(const QString &text)
{
    static const QRegularExpression pattern(
        QStringLiteral("^[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12}$"));
    if (!pattern.match(text).hasMatch())
        return std::nullopt;
    return QUuid::fromString(text);
}

} // namespace CamModelsJson

void to_json(json &j, CameraLookPreset value)
{
    j = rawValue(value).toStdString();
}

void from_json(const json &j, CameraLookPreset &value)
{
    value = Reader<CameraLookPreset>::read(j, "CameraLookPreset", "rawValue");
}

void to_json(json &j, PortraitBackgroundMode value)
{
    j = rawValue(value).toStdString();
}

void from_json(const json &j, PortraitBackgroundMode &value)
{
    value = Reader<PortraitBackgroundMode>::read(j, "PortraitBackgroundMode", "rawValue");
}

void to_json(json &j, PresentationOverlayMode value)
{
    j = rawValue(value).toStdString();
}

void from_json(const json &j, PresentationOverlayMode &value)
{
    value = Reader<PresentationOverlayMode>::read(j, "PresentationOverlayMode", "rawValue");
}

void to_json(json &j, const CameraAdjustments &value)
{
    j = json::object({
        { "lookPreset", rawValue(value.lookPreset).toStdString() },
        { "portraitBackgroundMode", rawValue(value.portraitBackgroundMode).toStdString() },
        { "isMirrored", value.isMirrored },
        { "autoFaceFraming", value.autoFaceFraming },
        { "showFramingGrid", value.showFramingGrid },
        { "showLowerThird", value.showLowerThird },
        { "lowerThirdName", text(value.lowerThirdName) },
        { "lowerThirdTitle", text(value.lowerThirdTitle) },
        { "exposureEV", number(value.exposureEV, "camera.exposureEV") },
        { "warmthShift", number(value.warmthShift, "camera.warmthShift") },
        { "saturation", number(value.saturation, "camera.saturation") },
        { "contrast", number(value.contrast, "camera.contrast") },
        { "vignetteIntensity", number(value.vignetteIntensity, "camera.vignetteIntensity") },
        { "digitalZoom", number(value.digitalZoom, "camera.digitalZoom") },
        { "revealRecordingInFinder", value.revealRecordingInFinder },
    });
}

void from_json(const json &j, CameraAdjustments &value)
{
    constexpr const char *kContext = "camera";
    const auto &object = requireObject(j, kContext);
    CameraAdjustments result;
    readOptional(object, kContext, "lookPreset", result.lookPreset);
    readOptional(object, kContext, "portraitBackgroundMode", result.portraitBackgroundMode);
    readOptional(object, kContext, "isMirrored", result.isMirrored);
    readOptional(object, kContext, "autoFaceFraming", result.autoFaceFraming);
    readOptional(object, kContext, "showFramingGrid", result.showFramingGrid);
    readOptional(object, kContext, "showLowerThird", result.showLowerThird);
    readOptional(object, kContext, "lowerThirdName", result.lowerThirdName);
    readOptional(object, kContext, "lowerThirdTitle", result.lowerThirdTitle);
    readOptional(object, kContext, "exposureEV", result.exposureEV);
    readOptional(object, kContext, "warmthShift", result.warmthShift);
    readOptional(object, kContext, "saturation", result.saturation);
    readOptional(object, kContext, "contrast", result.contrast);
    readOptional(object, kContext, "vignetteIntensity", result.vignetteIntensity);
    readOptional(object, kContext, "digitalZoom", result.digitalZoom);
    readOptional(object, kContext, "revealRecordingInFinder", result.revealRecordingInFinder);
    value = result;
}

void to_json(json &j, const TeleprompterSettings &value)
{
    j = json::object({
        { "wordsPerMinute", number(value.wordsPerMinute, "teleprompter.wordsPerMinute") },
        { "fontSize", number(value.fontSize, "teleprompter.fontSize") },
        { "panelWidth", number(value.panelWidth, "teleprompter.panelWidth") },
        { "panelHeight", number(value.panelHeight, "teleprompter.panelHeight") },
        { "panelOpacity", number(value.panelOpacity, "teleprompter.panelOpacity") },
        { "mirrorTextHorizontally", value.mirrorTextHorizontally },
        { "hideFromScreenShare", value.hideFromScreenShare },
        { "voicePacingEnabled", value.voicePacingEnabled },
        { "voiceThresholdRMS", number(value.voiceThresholdRMS, "teleprompter.voiceThresholdRMS") },
        { "countdownSecondsBeforeStart", static_cast<std::int64_t>(value.countdownSecondsBeforeStart) },
        { "remoteControlPort", static_cast<std::int64_t>(value.remoteControlPort) },
    });
}

void from_json(const json &j, TeleprompterSettings &value)
{
    constexpr const char *kContext = "teleprompter";
    const auto &object = requireObject(j, kContext);
    TeleprompterSettings result;
    readOptional(object, kContext, "wordsPerMinute", result.wordsPerMinute);
    readOptional(object, kContext, "fontSize", result.fontSize);
    readOptional(object, kContext, "panelWidth", result.panelWidth);
    readOptional(object, kContext, "panelHeight", result.panelHeight);
    readOptional(object, kContext, "panelOpacity", result.panelOpacity);
    readOptional(object, kContext, "mirrorTextHorizontally", result.mirrorTextHorizontally);
    readOptional(object, kContext, "hideFromScreenShare", result.hideFromScreenShare);
    readOptional(object, kContext, "voicePacingEnabled", result.voicePacingEnabled);
    readOptional(object, kContext, "voiceThresholdRMS", result.voiceThresholdRMS);
    readOptional(object, kContext, "countdownSecondsBeforeStart", result.countdownSecondsBeforeStart);
    readOptional(object, kContext, "remoteControlPort", result.remoteControlPort);
    value = result;
}

void to_json(json &j, const CamPersistedPayload &value)
{
    nlohmann::json scripts = json::array();
    for (const TeleprompterScript &script : value.scripts)
        scripts.push_back(script);
    j = json::object({
        { "scripts", std::move(scripts) },
        { "teleprompter", value.teleprompter },
        { "camera", value.camera },
        { "overlayMode", rawValue(value.overlayMode).toStdString() },
    });
}

void from_json(const json &j, CamPersistedPayload &value)
{
    constexpr const char *kContext = "document";
    const auto &object = requireObject(j, kContext);
    CamPersistedPayload result;
    if (const auto it = object.find("scripts"); it != object.end() && !it->is_null()) {
        if (!it->is_array())
            fail(kContext, "scripts", "expected an array");
        result.scripts.clear();
        result.scripts.reserve(it->size());
        for (const auto &element : *it)
            result.scripts.push_back(nlohmann::adl_serializer<TeleprompterScript>::from_json(element));
    }
    if (const auto it = object.find("teleprompter"); it != object.end() && !it->is_null())
        from_json(*it, result.teleprompter);
    if (const auto it = object.find("camera"); it != object.end() && !it->is_null())
        from_json(*it, result.camera);
    readOptional(object, kContext, "overlayMode", result.overlayMode);
    value = std::move(result);
}

NLOHMANN_JSON_NAMESPACE_BEGIN

TeleprompterScript adl_serializer<TeleprompterScript>::from_json(const json &j)
{
    constexpr const char *kContext = "script";
    const auto &object = requireObject(j, kContext);
    const std::optional<QUuid> id = CamModelsJson::parseUuid(readRequired<QString>(object, kContext, "id"));
    if (!id)
        fail(kContext, "id", "not a UUID");
    const QString title = readRequired<QString>(object, kContext, "title");
    const QString body = readRequired<QString>(object, kContext, "body");
    const QDateTime updatedAt
        = CamModelsJson::parseDate(readRequired<QString>(object, kContext, "updatedAt"));
    if (!updatedAt.isValid())
        fail(kContext, "updatedAt", "not an ISO 8601 date with whole seconds");
    return TeleprompterScript(*id, title, body, updatedAt);
}

void adl_serializer<TeleprompterScript>::to_json(json &j, const TeleprompterScript &value)
{
    j = json::object({
        { "id", value.id.toString(QUuid::WithoutBraces).toUpper().toStdString() },
        { "title", text(value.title) },
        { "body", text(value.body) },
        { "updatedAt", CamModelsJson::dateString(value.updatedAt).toStdString() },
    });
}

NLOHMANN_JSON_NAMESPACE_END

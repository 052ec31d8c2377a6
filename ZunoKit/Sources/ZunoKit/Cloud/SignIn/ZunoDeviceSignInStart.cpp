#include "ZunoDeviceSignInStart.h"

#include "ZunoStrictJson.h"

using namespace ZunoStrictJson;

void from_json(const nlohmann::json &json, ZunoDeviceSignInStart &value)
{
    object(json, "ZunoDeviceSignInStart");
    value.deviceCode = read<QString>(json, "device_code");
    value.userCode = read<QString>(json, "user_code");
    value.verificationURI = read<QString>(json, "verification_uri");
    value.verificationURIComplete = read<QString>(json, "verification_uri_complete");
    value.expiresIn = read<qint64>(json, "expires_in");
    value.interval = read<qint64>(json, "interval");
}

void to_json(nlohmann::json &json, const ZunoDeviceSignInStart &value)
{
    json = nlohmann::json::object();
    write(json, "device_code", value.deviceCode);
    write(json, "user_code", value.userCode);
    write(json, "verification_uri", value.verificationURI);
    write(json, "verification_uri_complete", value.verificationURIComplete);
    write(json, "expires_in", value.expiresIn);
    write(json, "interval", value.interval);
}

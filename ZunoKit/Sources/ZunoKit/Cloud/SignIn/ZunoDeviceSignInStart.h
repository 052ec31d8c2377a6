#pragma once

#include <QString>

#include <nlohmann/json_fwd.hpp>

// The gateway's answer to starting a device sign-in. Every field is required.
struct ZunoDeviceSignInStart {
    QString deviceCode;
    QString userCode;
    QString verificationURI;
    QString verificationURIComplete;
    qint64 expiresIn = 0; // seconds
    qint64 interval = 0; // seconds

    friend bool operator==(const ZunoDeviceSignInStart &, const ZunoDeviceSignInStart &) = default;
};

// Throw `ZunoDecodingError` / `ZunoEncodingError`.
void from_json(const nlohmann::json &json, ZunoDeviceSignInStart &value);
void to_json(nlohmann::json &json, const ZunoDeviceSignInStart &value);

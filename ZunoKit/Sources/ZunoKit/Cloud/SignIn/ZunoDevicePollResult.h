#pragma once

#include <QString>

// One poll of a device sign-in: approved with the account token, or still waiting, or over.
struct ZunoDevicePollResult {
    enum class Kind { approved, pending, slowDown, denied, expired };

    Kind kind = Kind::pending;
    // The account token (approved only).
    QString token;

    static ZunoDevicePollResult approved(const QString &token) { return { Kind::approved, token }; }
    static ZunoDevicePollResult pending() { return { Kind::pending, {} }; }
    static ZunoDevicePollResult slowDown() { return { Kind::slowDown, {} }; }
    static ZunoDevicePollResult denied() { return { Kind::denied, {} }; }
    static ZunoDevicePollResult expired() { return { Kind::expired, {} }; }

    friend bool operator==(const ZunoDevicePollResult &, const ZunoDevicePollResult &) = default;
};

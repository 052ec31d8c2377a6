#pragma once

#include "ZunoLogLevel.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// One line of an application's runtime log. Its JSON form is the log file's line format: the seven
// keys in ascending order, all values strings, no spaces, "/" written as "\/", control characters
// escaped and everything else as raw UTF-8, so an entry never spans two lines.
struct ZunoLogEntry {
    QString id; // upper-case UUID, 36 characters
    QString timestamp; // ISO 8601 UTC with milliseconds and "Z"
    ZunoLogLevel level = ZunoLogLevel::info;
    QString category;
    QString message; // already redacted
    QString version;
    QString build;

    // The JSON object of the line, without the line feed.
    QByteArray encoded() const;
    // Strict: the text must be one JSON object holding all seven keys as strings, with a known level
    // (other keys are ignored); anything else gives none.
    static std::optional<ZunoLogEntry> decoded(QByteArrayView json);

    friend bool operator==(const ZunoLogEntry &, const ZunoLogEntry &) = default;
};

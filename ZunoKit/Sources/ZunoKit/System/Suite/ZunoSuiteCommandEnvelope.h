#pragma once

#include "ZunoSuiteApp.h"
#include "ZunoSuiteCommandKind.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QUuid>

#include <nlohmann/json_fwd.hpp>

#include <cstdint>
#include <optional>

// One command addressed to one sibling, as it is written to the shared command folder. JSON keys are
// the field names; the three optional fields are left out when absent. Decoding is all or nothing: a
// missing or mistyped key, an unknown application or kind, a date in any form but the internet
// date-time, or a `targetPID` that is not a 32-bit integer fails the whole envelope.
struct ZunoSuiteCommandEnvelope {
    QUuid id;
    QDateTime timestamp;
    ZunoSuiteApp sourceApp = ZunoSuiteApp::zunoKill;
    ZunoSuiteApp targetApp = ZunoSuiteApp::zunoKill;
    ZunoSuiteCommandKind kind = ZunoSuiteCommandKind::ramSmartOffload;
    // A process the command is about (to freeze, to kill).
    std::optional<std::int32_t> targetPID;
    // A named object the command is about (a process, machine, workflow, plan, profile).
    std::optional<QString> targetName;
    // Free argument text (a toggle word, a path, a query, a URL).
    std::optional<QString> payload;

    bool operator==(const ZunoSuiteCommandEnvelope &) const = default;

    // Compact JSON.
    QByteArray encoded() const;
    // None when the bytes are not one valid envelope.
    static std::optional<ZunoSuiteCommandEnvelope> decoded(const QByteArray &json);
};

void to_json(nlohmann::json &j, const ZunoSuiteCommandEnvelope &envelope);
// Throws nlohmann::json exceptions on any of the failures above.
void from_json(const nlohmann::json &j, ZunoSuiteCommandEnvelope &envelope);

#pragma once

#include "ZunoSemVer.h"

#include <QString>

#include <optional>

struct ZunoBundle;

// An application's marketing version and build number, read from its bundle with fallbacks.
struct ZunoAppVersion {
    QString shortVersion;
    QString buildNumber;

    // "v" + shortVersion.
    QString tag() const;
    // "v1.4.2 (100)".
    QString detailedDisplay() const;
    std::optional<ZunoSemVer> semVer() const;

    // Reads "CFBundleShortVersionString" and "CFBundleVersion"; a missing, non-text or blank value
    // takes its fallback. No caching.
    static ZunoAppVersion current(const ZunoBundle &bundle,
        const QString &fallbackVersion = QStringLiteral("1.0.0"),
        const QString &fallbackBuild = QStringLiteral("100"));
    // The running application's version with the suite's fallbacks.
    static ZunoAppVersion current();

    friend bool operator==(const ZunoAppVersion &, const ZunoAppVersion &) = default;
};

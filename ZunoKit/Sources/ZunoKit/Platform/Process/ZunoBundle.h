#pragma once

#include <QString>
#include <QVariantMap>

// An application's identity record and resource folder. `main()` is the running application, built
// from the record that the build generates.
struct ZunoBundle {
    QString bundleIdentifier;
    // The suite's identity keys, shared by all its applications: "CFBundleIdentifier",
    // "CFBundleDisplayName", "CFBundleName", "CFBundleShortVersionString", "CFBundleVersion".
    QVariantMap infoDictionary;
    // Installed resources (share/zunocam); may be empty when none was found.
    QString resourceDirectory;

    // Full path of a resource file, or empty when the bundle has no such file.
    QString resourcePath(const QString &name) const;

    static const ZunoBundle &main();
    // The running executable's file name (the process name).
    static QString processName();
};

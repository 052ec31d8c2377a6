#pragma once

#include "ZunoAppVersion.h"
#include "ZunoBundle.h"
#include "ZunoFeedbackKind.h"
#include "ZunoLanguage.h"

#include <QString>
#include <QUrl>

#include <optional>

// How feedback reaches the maker: the feedback site's base URL and the localized web feedback page.
// Stateless; `openInBrowser` goes through the desktop services and belongs on the main thread.
class ZunoFeedbackService {
public:
    ZunoFeedbackService() = delete;

    static constexpr int kMaxScreenshots = 5;
    static constexpr qint64 kMaxScreenshotBytes = 5 * 1024 * 1024;
    static constexpr char kBaseURLDefaultsKey[] = "com.quarnwell.feedbackBaseURL";
    static constexpr char kBaseURLEnvironmentVariable[] = "QUARNWELL_FEEDBACK_BASE_URL";
    // The maker's site, without a trailing slash.
    static constexpr char kDefaultBaseURL[] = "https://quarnwell.com";

    // The first usable of: the override, $QUARNWELL_FEEDBACK_BASE_URL, the defaults key; each trimmed of
    // white space and then of "/" at both ends. Blank candidates fall through; else the built-in base.
    static QString resolvedBaseURL(const std::optional<QString> &override = std::nullopt);

    // The web feedback page for the language ("/tr/geri-bildirim", else "/<code>/feedback") with the
    // query "type", "source", "os", "app" (when the slug is not empty) and "version" (when not empty).
    // None when base and path do not parse as a URL.
    static std::optional<QUrl> webFeedbackURL(const QString &appName, const ZunoAppVersion &version,
        ZunoFeedbackKind kind, ZunoLanguage language, const std::optional<QString> &baseURL = std::nullopt);

    // Opens the web feedback page with the desktop's browser. Only an absolute http or https address
    // is handed over; anything else opens nothing. Nothing is reported.
    static void openInBrowser(const QString &appName, const ZunoAppVersion &version, ZunoFeedbackKind kind,
        ZunoLanguage language, const std::optional<QString> &baseURL = std::nullopt);

    // The running application's name: the bundle's "CFBundleDisplayName", then "CFBundleName" (only
    // when they are strings), then the process name, each trimmed and taken when not empty; else
    // `fallback` unchanged.
    static QString resolvedCurrentAppName(const ZunoBundle &bundle, const QString &fallback);

    // Lower-cased, keeping only letters, marks and digits of any script: "Zuno Cam!" gives "zunocam".
    static QString normalizedAppSlug(const QString &name);

    // The operating system's name and version and the processor architecture, for example
    // "Debian GNU/Linux 12 (x86_64)".
    static QString currentOSDescription();
};

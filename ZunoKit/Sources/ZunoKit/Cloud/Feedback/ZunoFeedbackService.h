#pragma once

#include "ZunoAppVersion.h"
#include "ZunoBundle.h"
#include "ZunoFeedbackError.h"
#include "ZunoFeedbackKind.h"
#include "ZunoFeedbackReceipt.h"
#include "ZunoFeedbackScreenshot.h"
#include "ZunoHttpSession.h"
#include "ZunoLanguage.h"

#include <QList>
#include <QString>
#include <QUrl>

#include <chrono>
#include <memory>
#include <optional>
#include <stop_token>
#include <utility>

// How feedback reaches the maker: the feedback site's base URL, the localized web feedback page, and
// feedback with screenshots submitted as a multipart form. Stateless. `openInBrowser` and
// `readScreenshotFromPasteboard` belong on the main thread; `submit` blocks and belongs on a worker.
class ZunoFeedbackService {
public:
    ZunoFeedbackService() = delete;

    static constexpr int kMaxScreenshots = 5;
    static constexpr qint64 kMaxScreenshotBytes = 5 * 1024 * 1024;
    static constexpr char kBaseURLDefaultsKey[] = "com.quarnwell.feedbackBaseURL";
    static constexpr char kBaseURLEnvironmentVariable[] = "QUARNWELL_FEEDBACK_BASE_URL";
    // The maker's site, without a trailing slash.
    static constexpr char kDefaultBaseURL[] = "https://quarnwell.com";
    static constexpr char kEndpointPath[] = "/api/v1/feedback";
    static constexpr std::chrono::seconds kSubmitTimeout { 25 };
    // A receipt is a few hundred bytes; anything past this is not an answer of the feedback site.
    static constexpr qint64 kMaxReplyBytes = 1024 * 1024;

    using FormField = std::pair<QString, QString>;

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

    // A screenshot from the clipboard: its PNG data unchanged, else any image it offers that decodes,
    // re-encoded as PNG; none without an image. Named "clipboard-<seconds since 1970>.png".
    static std::optional<ZunoFeedbackScreenshot> readScreenshotFromPasteboard();

    // The form's bytes: each field with a value, then each screenshot as "screenshots[]" (its file name
    // without quotes and line breaks), then the closing boundary; lines end in CRLF.
    static QByteArray buildMultipartBody(const QString &boundary, const QList<FormField> &fields,
        const QList<ZunoFeedbackScreenshot> &screenshots);

    // Checks the input (e-mail, message, screenshot count and sizes, endpoint) before any traffic, then
    // posts the form to resolvedBaseURL(baseURL) + "/api/v1/feedback" and turns the reply into a receipt.
    // Throws `ZunoFeedbackError`; nothing is retried or logged. Blocks until the reply, the 25 s time-out
    // or a stop request.
    static ZunoFeedbackReceipt submit(const QString &appName, const ZunoAppVersion &version,
        ZunoFeedbackKind kind, const QString &email, const QString &senderName, const QString &subject,
        const QString &message, const QList<ZunoFeedbackScreenshot> &screenshots, ZunoLanguage language,
        const std::optional<QString> &baseURL = std::nullopt,
        const std::shared_ptr<ZunoHttpSession> &session = ZunoHttpSession::shared(),
        std::stop_token stop = {});

    // Lower-cased, keeping only letters, marks and digits of any script: "Zuno Cam!" gives "zunocam".
    static QString normalizedAppSlug(const QString &name);

    // The operating system's name and version and the processor architecture, for example
    // "Debian GNU/Linux 12 (x86_64)".
    static QString currentOSDescription();
};

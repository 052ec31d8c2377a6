#include "ZunoFeedbackService.h"

#include "ZunoBoundedJson.h"
#include "ZunoDesktopServices.h"
#include "ZunoGraphemes.h"
#include "ZunoHttpError.h"
#include "ZunoHttpErrorText.h"
#include "ZunoMainThread.h"
#include "ZunoServiceURL.h"
#include "ZunoText.h"
#include "ZunoWebURL.h"

#include <QBuffer>
#include <QClipboard>
#include <QDateTime>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QSysInfo>
#include <QUrlQuery>

#include <nlohmann/json.hpp>

#include <limits>

namespace {

// One value of an os-release file, unquoted.
QString osReleaseValue(const QByteArray &contents, const QByteArray &key)
{
    for (const QByteArray &rawLine : contents.split('\n')) {
        const QByteArray line = rawLine.trimmed();
        if (!line.startsWith(key + '='))
            continue;
        QByteArray value = line.mid(key.size() + 1).trimmed();
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'')
            && value.back() == value.front())
            value = value.mid(1, value.size() - 2);
        return QString::fromUtf8(value).trimmed();
    }
    return {};
}

std::optional<QByteArray> encodedPNG(const QImage &image)
{
    if (image.isNull())
        return std::nullopt;
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG"))
        return std::nullopt;
    return png;
}

// The clipboard's image as PNG bytes: PNG data as it is, else any image Qt can decode.
std::optional<QByteArray> clipboardPNG(const QMimeData &mime)
{
    const QByteArray png = mime.data(QStringLiteral("image/png"));
    if (!png.isEmpty())
        return png;
    if (mime.hasImage()) {
        if (auto encoded = encodedPNG(qvariant_cast<QImage>(mime.imageData())))
            return encoded;
    }
    for (const QString &format : mime.formats()) {
        if (!format.startsWith(QLatin1String("image/")))
            continue;
        if (auto encoded = encodedPNG(QImage::fromData(mime.data(format))))
            return encoded;
    }
    return std::nullopt;
}

QByteArray formPartHeader(const QString &boundary, const QByteArray &disposition)
{
    return "--" + boundary.toUtf8() + "\r\nContent-Disposition: form-data; " + disposition + "\r\n";
}

// A reply field of the expected type, else none.
std::optional<QString> stringField(const nlohmann::json &object, const char *key)
{
    const auto found = object.find(key);
    if (found == object.end() || !found->is_string())
        return std::nullopt;
    return QString::fromStdString(found->get<std::string>());
}

std::optional<int> integerField(const nlohmann::json &object, const char *key)
{
    const auto found = object.find(key);
    if (found == object.end() || !found->is_number_integer())
        return std::nullopt;
    if (found->is_number_unsigned()) {
        const auto value = found->get<std::uint64_t>();
        if (value > std::uint64_t(std::numeric_limits<int>::max()))
            return std::nullopt;
        return int(value);
    }
    const auto value = found->get<std::int64_t>();
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(value);
}

nlohmann::json parsedObject(const QByteArray &body)
{
    nlohmann::json json = ZunoBoundedJson::parse(body);
    return json.is_object() ? json : nlohmann::json();
}

} // namespace

QString ZunoFeedbackService::resolvedBaseURL(const std::optional<QString> &override)
{
    return ZunoServiceURL::resolve(override, kBaseURLEnvironmentVariable,
        QString::fromLatin1(kBaseURLDefaultsKey), QString::fromLatin1(kDefaultBaseURL),
        ZunoServiceURL::Trimming::whiteSpaceAndSlashes);
}

QString ZunoFeedbackService::resolvedCurrentAppName(const ZunoBundle &bundle, const QString &fallback)
{
    for (const char *key : { "CFBundleDisplayName", "CFBundleName" }) {
        const QVariant value = bundle.infoDictionary.value(QLatin1String(key));
        if (value.typeId() != QMetaType::QString)
            continue;
        const QString name = value.toString().trimmed();
        if (!name.isEmpty())
            return name;
    }
    const QString process = ZunoBundle::processName().trimmed();
    return process.isEmpty() ? fallback : process;
}

std::optional<QUrl> ZunoFeedbackService::webFeedbackURL(const QString &appName, const ZunoAppVersion &version,
    ZunoFeedbackKind kind, ZunoLanguage language, const std::optional<QString> &baseURL)
{
    const QString path = language == ZunoLanguage::tr
        ? QStringLiteral("/tr/geri-bildirim")
        : QStringLiteral("/") + rawValue(language) + QStringLiteral("/feedback");
    QUrl url(resolvedBaseURL(baseURL) + path, QUrl::StrictMode);
    if (!url.isValid())
        return std::nullopt;

    QUrlQuery query;
    query.addQueryItem(QStringLiteral("type"), rawValue(kind));
    query.addQueryItem(QStringLiteral("source"), QStringLiteral("desktop_app"));
    query.addQueryItem(QStringLiteral("os"), currentOSDescription());
    const QString slug = normalizedAppSlug(appName);
    if (!slug.isEmpty())
        query.addQueryItem(QStringLiteral("app"), slug);
    if (!version.shortVersion.isEmpty())
        query.addQueryItem(QStringLiteral("version"), version.shortVersion);
    // Encode what a query value cannot carry literally ("&", "+", "=", "#", spaces).
    QUrlQuery encoded;
    for (const auto &[key, value] : query.queryItems(QUrl::FullyDecoded)) {
        QString safe = value;
        safe.replace(QLatin1Char('%'), QStringLiteral("%25"))
            .replace(QLatin1Char('&'), QStringLiteral("%26"))
            .replace(QLatin1Char('+'), QStringLiteral("%2B"))
            .replace(QLatin1Char('='), QStringLiteral("%3D"))
            .replace(QLatin1Char('#'), QStringLiteral("%23"));
        encoded.addQueryItem(key, safe);
    }
    url.setQuery(encoded);
    if (!url.isValid())
        return std::nullopt;
    return url;
}

void ZunoFeedbackService::openInBrowser(const QString &appName, const ZunoAppVersion &version,
    ZunoFeedbackKind kind, ZunoLanguage language, const std::optional<QString> &baseURL)
{
    const auto url = webFeedbackURL(appName, version, kind, language, baseURL);
    if (!url)
        return;
    // A base from the environment or the defaults could name any scheme; only a web page is opened.
    const QString scheme = url->scheme().toLower();
    if ((scheme != QLatin1String("https") && scheme != QLatin1String("http")) || url->host().isEmpty())
        return;
    ZunoDesktopServices::shared()->openUrl(*url);
}

QString ZunoFeedbackService::normalizedAppSlug(const QString &name)
{
    QString slug;
    for (const char32_t scalar : name.toLower().toUcs4()) {
        if (QChar::isLetterOrNumber(scalar) || QChar::isMark(scalar))
            slug.append(QString::fromUcs4(&scalar, 1));
    }
    return slug;
}

QString ZunoFeedbackService::currentOSDescription()
{
    QString system;
    for (const char *path : { "/etc/os-release", "/usr/lib/os-release" }) {
        QFile file(QString::fromLatin1(path));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray contents = file.readAll();
        const QString name = osReleaseValue(contents, "NAME");
        const QString versionId = osReleaseValue(contents, "VERSION_ID");
        system = versionId.isEmpty() ? name : name + QLatin1Char(' ') + versionId;
        break;
    }
    if (system.trimmed().isEmpty())
        system = QStringLiteral("Linux ") + QSysInfo::kernelVersion();
    return system.trimmed() + QStringLiteral(" (") + QSysInfo::currentCpuArchitecture() + QLatin1Char(')');
}

std::optional<ZunoFeedbackScreenshot> ZunoFeedbackService::readScreenshotFromPasteboard()
{
    Q_ASSERT(ZunoMainThread::isMainThread());
    const QMimeData *mime = QGuiApplication::clipboard()->mimeData();
    if (!mime)
        return std::nullopt;
    const auto png = clipboardPNG(*mime);
    if (!png)
        return std::nullopt;
    ZunoFeedbackScreenshot screenshot;
    screenshot.id = QUuid::createUuid();
    screenshot.filename = QStringLiteral("clipboard-") + QString::number(QDateTime::currentSecsSinceEpoch())
        + QStringLiteral(".png");
    screenshot.mimeType = QStringLiteral("image/png");
    screenshot.data = *png;
    return screenshot;
}

QByteArray ZunoFeedbackService::buildMultipartBody(
    const QString &boundary, const QList<FormField> &fields, const QList<ZunoFeedbackScreenshot> &screenshots)
{
    QByteArray body;
    for (const auto &[name, value] : fields) {
        if (value.isEmpty())
            continue;
        body += formPartHeader(boundary, "name=\"" + name.toUtf8() + "\"");
        body += "\r\n" + value.toUtf8() + "\r\n";
    }
    for (const ZunoFeedbackScreenshot &screenshot : screenshots) {
        QString filename = screenshot.filename;
        filename.remove(QLatin1Char('"')).remove(QLatin1Char('\r')).remove(QLatin1Char('\n'));
        body += formPartHeader(boundary, "name=\"screenshots[]\"; filename=\"" + filename.toUtf8() + "\"");
        body += "Content-Type: " + screenshot.mimeType.toUtf8() + "\r\n\r\n";
        body += screenshot.data;
        body += "\r\n";
    }
    body += "--" + boundary.toUtf8() + "--\r\n";
    return body;
}

ZunoFeedbackReceipt ZunoFeedbackService::submit(const QString &appName, const ZunoAppVersion &version,
    ZunoFeedbackKind kind, const QString &email, const QString &senderName, const QString &subject,
    const QString &message, const QList<ZunoFeedbackScreenshot> &screenshots, ZunoLanguage language,
    const std::optional<QString> &baseURL, const std::shared_ptr<ZunoHttpSession> &session,
    std::stop_token stop)
{
    const QString trimmedEmail = email.trimmed();
    if (!trimmedEmail.contains(QLatin1Char('@')) || !trimmedEmail.contains(QLatin1Char('.'))
        || ZunoGraphemes::count(trimmedEmail) <= 4)
        throw ZunoFeedbackError::invalidEmail();
    const QString trimmedMessage = message.trimmed();
    if (ZunoGraphemes::count(trimmedMessage) <= 9)
        throw ZunoFeedbackError::messageTooShort();
    if (screenshots.size() > kMaxScreenshots)
        throw ZunoFeedbackError::tooManyScreenshots(kMaxScreenshots);
    for (const ZunoFeedbackScreenshot &screenshot : screenshots) {
        if (screenshot.data.size() > kMaxScreenshotBytes)
            throw ZunoFeedbackError::screenshotTooLarge(int(kMaxScreenshotBytes / (1024 * 1024)));
    }
    // Only a web address is an endpoint: a base from the environment or the defaults could name any scheme.
    const auto endpoint = ZunoWebURL::parse(resolvedBaseURL(baseURL) + QLatin1String(kEndpointPath));
    if (!endpoint)
        throw ZunoFeedbackError::invalidEndpoint();

    const QString boundary
        = QStringLiteral("ZunoFeedback-") + QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    QString shownSubject = subject.trimmed();
    if (ZunoGraphemes::count(shownSubject) < 3)
        shownSubject = appName + QStringLiteral(" — ") + title(kind, language);
    const QList<FormField> fields {
        { QStringLiteral("type"), rawValue(kind) },
        { QStringLiteral("program_slug"),
            kind == ZunoFeedbackKind::newApp ? QStringLiteral("new_app") : normalizedAppSlug(appName) },
        { QStringLiteral("program_name"), appName },
        { QStringLiteral("email"), trimmedEmail },
        { QStringLiteral("sender_name"), senderName.trimmed() },
        { QStringLiteral("subject"), shownSubject },
        { QStringLiteral("message"), trimmedMessage },
        { QStringLiteral("app_version"), version.shortVersion },
        { QStringLiteral("os_info"), currentOSDescription() },
        { QStringLiteral("locale"), rawValue(language) },
        { QStringLiteral("source"), QStringLiteral("desktop_app") },
    };

    ZunoHttpRequest request;
    request.method = "POST";
    request.url = *endpoint;
    request.timeout = kSubmitTimeout;
    request.maxBodyBytes = kMaxReplyBytes;
    request.body = buildMultipartBody(boundary, fields, screenshots);
    request.setHeader("Content-Type", "multipart/form-data; boundary=" + boundary.toUtf8())
        .setHeader("Accept", "application/json")
        .setHeader("User-Agent", "Quarnwell/" + appName.toUtf8() + " ZunoKit");

    ZunoHttpResponse response;
    try {
        response = session->send(request, stop);
    } catch (const ZunoHttpError &error) {
        // The server actually contacted, with its port when the address names one.
        QString host = endpoint->host();
        if (host.contains(QLatin1Char(':')))
            host = QLatin1Char('[') + host + QLatin1Char(']');
        if (endpoint->port() != -1)
            host += QLatin1Char(':') + QString::number(endpoint->port());
        throw ZunoFeedbackError::networkFailure(host,
            error.kind() == ZunoHttpError::Kind::badServerResponse
                ? QStringLiteral("Invalid HTTP response")
                : ZunoHttpErrorText::description(error, ZunoLanguages::current()));
    }

    const nlohmann::json reply = parsedObject(response.body);
    if (response.statusCode >= 200 && response.statusCode <= 299) {
        ZunoFeedbackReceipt receipt;
        receipt.referenceCode = stringField(reply, "reference_code").value_or(QStringLiteral("ZUNO-FB-OK"));
        receipt.attachmentsCount = integerField(reply, "attachments_count").value_or(int(screenshots.size()));
        receipt.message
            = stringField(reply, "message")
                  .value_or(zunoText(QStringLiteral("Thank you! Your feedback has been received."),
                      QStringLiteral("Teşekkürler! Geri bildiriminiz bize ulaştı."), language));
        return receipt;
    }
    const QString rejection = stringField(reply, "message").value_or(QString());
    throw ZunoFeedbackError::serverRejected(
        rejection.isEmpty() ? QStringLiteral("HTTP ") + QString::number(response.statusCode) : rejection);
}

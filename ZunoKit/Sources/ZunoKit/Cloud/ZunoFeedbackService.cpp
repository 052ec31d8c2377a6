#include "ZunoFeedbackService.h"

#include "ZunoDesktopServices.h"
#include "ZunoServiceURL.h"

#include <QFile>
#include <QSysInfo>
#include <QUrlQuery>

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

#include "TeleprompterRemoteRequestGuard.h"

namespace {

bool isPort(QStringView text)
{
    if (text.isEmpty() || text.size() > 5)
        return false;
    for (const QChar c : text)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

} // namespace

QString TeleprompterRemoteRequestGuard::hostName(const QString &hostHeader)
{
    const QString value = hostHeader.trimmed().toLower();
    QString host;
    if (value.startsWith(u'[')) {
        const qsizetype end = value.indexOf(u']');
        if (end < 0)
            return {};
        const QStringView rest = QStringView(value).mid(end + 1);
        if (!rest.isEmpty() && !(rest.startsWith(u':') && isPort(rest.mid(1))))
            return {};
        return value.left(end + 1);
    }
    const qsizetype colon = value.indexOf(u':');
    if (colon >= 0) {
        if (!isPort(QStringView(value).mid(colon + 1)))
            return {};
        host = value.left(colon);
    } else {
        host = value;
    }
    if (host.endsWith(u'.'))
        host.chop(1);
    if (host.isEmpty() || host.contains(u' ') || host.contains(u'/') || host.contains(u'@'))
        return {};
    return host;
}

bool TeleprompterRemoteRequestGuard::hasAllowedHost(
    const TeleprompterHTTPRequest &request, const QSet<QString> &localNames)
{
    const auto header = request.headers.constFind(QStringLiteral("host"));
    if (header == request.headers.constEnd())
        return true;
    const QString host = hostName(*header);
    if (host.isEmpty())
        return false;
    return host == u"127.0.0.1" || host == u"localhost" || host == u"[::1]" || localNames.contains(host);
}

bool TeleprompterRemoteRequestGuard::hasForeignOrigin(const TeleprompterHTTPRequest &request)
{
    if (request.method != u"POST")
        return false;
    const auto origin = request.headers.constFind(QStringLiteral("origin"));
    if (origin == request.headers.constEnd())
        return false;
    const auto host = request.headers.constFind(QStringLiteral("host"));
    if (host == request.headers.constEnd() || host->isEmpty())
        return true;
    return origin->compare(QStringLiteral("http://") + *host, Qt::CaseInsensitive) != 0;
}

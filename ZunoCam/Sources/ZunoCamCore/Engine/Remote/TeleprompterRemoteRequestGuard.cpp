#include "TeleprompterRemoteRequestGuard.h"

#include <arpa/inet.h>

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

// "[addr]" in canonical text, or empty when `literal` is no IPv6 address.
QString bracketedIPv6(const QString &literal)
{
    in6_addr address {};
    if (inet_pton(AF_INET6, literal.toLatin1().constData(), &address) != 1)
        return {};
    char text[INET6_ADDRSTRLEN] = {};
    if (!inet_ntop(AF_INET6, &address, text, sizeof(text)))
        return {};
    return u'[' + QString::fromLatin1(text) + u']';
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
        return bracketedIPv6(value.mid(1, end - 1));
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
    const TeleprompterHTTPRequest &request, const std::function<bool(const QString &host)> &isLocalName)
{
    const auto header = request.headers.constFind(QStringLiteral("host"));
    if (header == request.headers.constEnd())
        return true;
    const QString host = hostName(*header);
    if (host.isEmpty())
        return false;
    return host == u"127.0.0.1" || host == u"localhost" || host == u"[::1]" || isLocalName(host);
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

QSet<QString> TeleprompterRemoteRequestGuard::localNames(const QString &machineHostName,
    const QString &shownHost, const QList<QString> &ipv4Addresses, const QList<QString> &ipv6Addresses)
{
    QSet<QString> names;
    QString machine = machineHostName.trimmed().toLower();
    if (machine.endsWith(u'.'))
        machine.chop(1);
    if (!machine.isEmpty()) {
        names.insert(machine);
        const QString firstLabel = machine.section(u'.', 0, 0);
        if (!firstLabel.isEmpty())
            names.insert(firstLabel + QStringLiteral(".local"));
    }
    if (const QString shown = hostName(shownHost); !shown.isEmpty())
        names.insert(shown);
    for (const QString &address : ipv4Addresses)
        names.insert(address.toLower());
    for (const QString &address : ipv6Addresses) {
        if (const QString bracketed = bracketedIPv6(address); !bracketed.isEmpty())
            names.insert(bracketed);
    }
    return names;
}

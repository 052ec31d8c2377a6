#include "ZunoHttpError.h"

ZunoHttpError::ZunoHttpError(Kind kind, const QString &detail)
    : m_kind(kind)
    , m_detail(detail)
{
    m_what = message().toStdString();
}

QString ZunoHttpError::message() const
{
    switch (m_kind) {
    case Kind::unsupportedURL:
        return QStringLiteral("The address is not a valid http or https address.");
    case Kind::insecureRedirect:
        return QStringLiteral(
            "The server redirected from a secure https address to an insecure http address; "
            "the redirect was refused.");
    case Kind::invalidHeader:
        return QStringLiteral("A request header contains a line break.");
    case Kind::cannotFindHost:
        return QStringLiteral("A server with the specified host name could not be found.");
    case Kind::cannotConnect:
        return QStringLiteral("Could not connect to the server.");
    case Kind::timedOut:
        return QStringLiteral("The request timed out.");
    case Kind::secureConnectionFailed:
        return QStringLiteral("A secure connection to the server could not be made.");
    case Kind::connectionLost:
        return QStringLiteral("The network connection was lost.");
    case Kind::badServerResponse:
        return QStringLiteral("The server returned a response that could not be read.");
    case Kind::responseTooLarge:
        return QStringLiteral("The server's response is too large.");
    case Kind::cancelled:
        return QStringLiteral("The request was cancelled.");
    case Kind::other:
        return QStringLiteral("A network error occurred: ") + m_detail;
    }
    return {};
}

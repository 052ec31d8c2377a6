#include "ZunoHttpError.h"

#include "ZunoText.h"

ZunoHttpError::ZunoHttpError(Kind kind, const QString &detail)
    : m_kind(kind)
    , m_detail(detail)
{
    m_what = description(ZunoLanguages::current()).toStdString();
}

QString ZunoHttpError::description(ZunoLanguage language) const
{
    switch (m_kind) {
    case Kind::unsupportedURL:
        return zunoText(QStringLiteral("The address is not a valid http or https address."),
            QStringLiteral("Adres geçerli bir http veya https adresi değil."), language);
    case Kind::insecureRedirect:
        return zunoText(
            QStringLiteral("The server redirected from a secure https address to an insecure http "
                           "address; the redirect was refused."),
            QStringLiteral("Sunucu güvenli bir https adresinden güvensiz bir http adresine yönlendirdi; "
                           "yönlendirme reddedildi."),
            language);
    case Kind::invalidHeader:
        return zunoText(QStringLiteral("A request header contains a line break."),
            QStringLiteral("Bir istek başlığı satır sonu içeriyor."), language);
    case Kind::cannotFindHost:
        return zunoText(QStringLiteral("A server with the specified host name could not be found."),
            QStringLiteral("Belirtilen ada sahip bir sunucu bulunamadı."), language);
    case Kind::cannotConnect:
        return zunoText(QStringLiteral("Could not connect to the server."),
            QStringLiteral("Sunucuya bağlanılamadı."), language);
    case Kind::timedOut:
        return zunoText(QStringLiteral("The request timed out."),
            QStringLiteral("İstek zaman aşımına uğradı."), language);
    case Kind::secureConnectionFailed:
        return zunoText(QStringLiteral("A secure connection to the server could not be made."),
            QStringLiteral("Sunucuyla güvenli bağlantı kurulamadı."), language);
    case Kind::connectionLost:
        return zunoText(QStringLiteral("The network connection was lost."),
            QStringLiteral("Ağ bağlantısı kesildi."), language);
    case Kind::badServerResponse:
        return zunoText(QStringLiteral("The server returned a response that could not be read."),
            QStringLiteral("Sunucu okunamayan bir yanıt döndürdü."), language);
    case Kind::responseTooLarge:
        return zunoText(QStringLiteral("The server's response is too large."),
            QStringLiteral("Sunucunun yanıtı çok büyük."), language);
    case Kind::cancelled:
        return zunoText(
            QStringLiteral("The request was cancelled."), QStringLiteral("İstek iptal edildi."), language);
    case Kind::other:
        return zunoText(QStringLiteral("A network error occurred: ") + m_detail,
            QStringLiteral("Bir ağ hatası oluştu: ") + m_detail, language);
    }
    return {};
}

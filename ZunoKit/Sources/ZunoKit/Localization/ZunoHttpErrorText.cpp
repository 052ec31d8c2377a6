#include "ZunoHttpErrorText.h"

#include "ZunoText.h"

namespace {

QString turkish(const ZunoHttpError &error)
{
    using Kind = ZunoHttpError::Kind;
    switch (error.kind()) {
    case Kind::unsupportedURL:
        return QStringLiteral("Adres geçerli bir http veya https adresi değil.");
    case Kind::insecureRedirect:
        return QStringLiteral("Sunucu güvenli bir https adresinden güvensiz bir http adresine yönlendirdi; "
                              "yönlendirme reddedildi.");
    case Kind::invalidHeader:
        return QStringLiteral("Bir istek başlığı satır sonu içeriyor.");
    case Kind::cannotFindHost:
        return QStringLiteral("Belirtilen ada sahip bir sunucu bulunamadı.");
    case Kind::cannotConnect:
        return QStringLiteral("Sunucuya bağlanılamadı.");
    case Kind::timedOut:
        return QStringLiteral("İstek zaman aşımına uğradı.");
    case Kind::secureConnectionFailed:
        return QStringLiteral("Sunucuyla güvenli bağlantı kurulamadı.");
    case Kind::connectionLost:
        return QStringLiteral("Ağ bağlantısı kesildi.");
    case Kind::badServerResponse:
        return QStringLiteral("Sunucu okunamayan bir yanıt döndürdü.");
    case Kind::responseTooLarge:
        return QStringLiteral("Sunucunun yanıtı çok büyük.");
    case Kind::cancelled:
        return QStringLiteral("İstek iptal edildi.");
    case Kind::other:
        return QStringLiteral("Bir ağ hatası oluştu: ") + error.detail();
    }
    return {};
}

} // namespace

QString ZunoHttpErrorText::description(const ZunoHttpError &error, ZunoLanguage language)
{
    return zunoText(error.message(), turkish(error), language);
}

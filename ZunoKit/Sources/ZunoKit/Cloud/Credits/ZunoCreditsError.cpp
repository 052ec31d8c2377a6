#include "ZunoCreditsError.h"

#include "ZunoCreditsAccountManager.h"
#include "ZunoText.h"

#include <QUrl>

namespace {

// The portal's host as users know it, quoted in the sign-in and top-up messages.
QString portalHost()
{
    return QUrl(QString::fromLatin1(ZunoCreditsAccountManager::kDefaultPortalURL)).host();
}

} // namespace

ZunoCreditsError::ZunoCreditsError(Kind kind)
    : m_kind(kind)
{
    m_what = errorDescription().toStdString();
}

ZunoCreditsError ZunoCreditsError::insufficientCredits(std::optional<qint64> availableMicros)
{
    ZunoCreditsError error(Kind::insufficientCredits);
    error.m_availableMicros = availableMicros;
    return error;
}

ZunoCreditsError ZunoCreditsError::serverError(int status, const QString &message)
{
    ZunoCreditsError error(Kind::serverError);
    error.m_status = status;
    error.m_message = message;
    error.m_what = error.errorDescription().toStdString();
    return error;
}

ZunoCreditsError ZunoCreditsError::signInFailed(const QString &message)
{
    ZunoCreditsError error(Kind::signInFailed);
    error.m_message = message;
    error.m_what = message.toStdString();
    return error;
}

ZunoCreditsError ZunoCreditsError::tokenNotSaved(const QString &path)
{
    ZunoCreditsError error(Kind::tokenNotSaved);
    error.m_message = path;
    error.m_what = error.errorDescription().toStdString();
    return error;
}

QString ZunoCreditsError::errorDescription() const
{
    return description(ZunoLanguages::current());
}

QString ZunoCreditsError::description(ZunoLanguage language) const
{
    const QString host = portalHost();
    switch (m_kind) {
    case Kind::insufficientCredits:
        return zunoText(QStringLiteral("Insufficient Quarnwell Credits. Top up at ") + host
                + QStringLiteral(" or switch to your own API key / local Ollama."),
            QStringLiteral("Quarnwell Krediniz yetersiz. ") + host
                + QStringLiteral(
                    " üzerinden kredi yükleyebilir veya kendi API anahtarınıza / yerel Ollama'ya "
                    "geçebilirsiniz."),
            language);
    case Kind::serverError:
        if (m_message.isEmpty())
            return QStringLiteral("HTTP ") + QString::number(m_status);
        return QStringLiteral("HTTP ") + QString::number(m_status) + QStringLiteral(": ") + m_message;
    case Kind::signInFailed:
        return m_message;
    case Kind::invalidGatewayURL:
        return zunoText(QStringLiteral("Invalid Quarnwell API gateway URL."),
            QStringLiteral("Geçersiz Quarnwell API geçit adresi."), language);
    case Kind::notSignedIn:
        return zunoText(QStringLiteral("Connect your ") + host
                + QStringLiteral(" account first to use Quarnwell Credits."),
            QStringLiteral("Quarnwell Kredisi kullanmak için önce ") + host
                + QStringLiteral(" hesabınızı bağlayın."),
            language);
    case Kind::unauthorized:
        return zunoText(QStringLiteral("Your Quarnwell session expired. Please reconnect your ") + host
                + QStringLiteral(" account."),
            QStringLiteral("Quarnwell oturumunuzun süresi doldu. Lütfen ") + host
                + QStringLiteral(" hesabınızı yeniden bağlayın."),
            language);
    case Kind::signInTimedOut:
        return zunoText(QStringLiteral("Browser sign-in timed out. Please try connecting again."),
            QStringLiteral("Tarayıcı bağlantısı zaman aşımına uğradı. Lütfen yeniden bağlanmayı deneyin."),
            language);
    case Kind::signInCancelled:
        return zunoText(QStringLiteral("Sign-in was cancelled."),
            QStringLiteral("Hesap bağlantısı iptal edildi."), language);
    case Kind::tokenNotSaved:
        return zunoText(QStringLiteral("Could not save the sign-in in ") + m_message,
            QStringLiteral("Oturum açma bilgisi ") + m_message + QStringLiteral(" konumuna kaydedilemedi"),
            language);
    }
    return {};
}

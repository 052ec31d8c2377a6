#include "ZunoAIClientError.h"

#include "ZunoCreditsAccountManager.h"
#include "ZunoText.h"

#include <QUrl>

namespace {

QString portalHost()
{
    return QUrl(QString::fromLatin1(ZunoCreditsAccountManager::kDefaultPortalURL)).host();
}

// The trimmed payload, or none when it is absent or blank.
std::optional<QString> counting(const std::optional<QString> &payload)
{
    if (!payload)
        return std::nullopt;
    const QString trimmed = payload->trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    return trimmed;
}

QString withDetail(const QString &base, const std::optional<QString> &detail)
{
    const auto shown = counting(detail);
    return shown ? base + QStringLiteral(" (") + *shown + QLatin1Char(')') : base;
}

} // namespace

ZunoAIClientError::ZunoAIClientError(Kind kind)
    : m_kind(kind)
{
    describe();
}

ZunoAIClientError ZunoAIClientError::appBudgetExceeded(
    const std::optional<QString> &app, const std::optional<QString> &detail)
{
    ZunoAIClientError error(Kind::appBudgetExceeded);
    error.m_app = app;
    error.m_detail = detail;
    error.describe();
    return error;
}

ZunoAIClientError ZunoAIClientError::insufficientCredits(const std::optional<QString> &detail)
{
    ZunoAIClientError error(Kind::insufficientCredits);
    error.m_detail = detail;
    error.describe();
    return error;
}

ZunoAIClientError ZunoAIClientError::httpError(int statusCode, const QString &message)
{
    ZunoAIClientError error(Kind::httpError);
    error.m_statusCode = statusCode;
    error.m_message = message;
    error.describe();
    return error;
}

ZunoAIClientError ZunoAIClientError::streamError(const QString &message)
{
    ZunoAIClientError error(Kind::streamError);
    error.m_message = message;
    error.describe();
    return error;
}

void ZunoAIClientError::describe()
{
    m_what = errorDescription().toStdString();
}

QString ZunoAIClientError::errorDescription() const
{
    return localizedDescription(ZunoLanguages::current());
}

QString ZunoAIClientError::localizedDescription(ZunoLanguage language) const
{
    const QString host = portalHost();
    switch (m_kind) {
    case Kind::invalidEndpoint:
        return zunoText(QStringLiteral("Invalid AI endpoint URL."),
            QStringLiteral("Geçersiz AI uç noktası adresi."), language);
    case Kind::missingAPIKey:
        return zunoText(QStringLiteral("API key or Quarnwell credit token is required for this provider."),
            QStringLiteral("Bu sağlayıcı için API anahtarı veya Quarnwell kredi jetonu gereklidir."),
            language);
    case Kind::emptyResponse:
        return zunoText(QStringLiteral("Provider returned an empty response."),
            QStringLiteral("Sağlayıcı boş yanıt döndürdü."), language);
    case Kind::incompleteResponse:
        return zunoText(QStringLiteral("The answer was cut off before it was complete."),
            QStringLiteral("Yanıt tamamlanmadan kesildi."), language);
    case Kind::httpError:
        // Without a message (an empty body, a gateway's web page) the status says it all.
        if (m_message.isEmpty())
            return QStringLiteral("HTTP %1").arg(m_statusCode);
        return QStringLiteral("HTTP %1: ").arg(m_statusCode) + m_message;
    case Kind::streamError:
        return m_message;
    case Kind::insufficientCredits:
        return withDetail(
            zunoText(QStringLiteral("Insufficient Quarnwell Credits. Top up at ") + host
                    + QStringLiteral("/en/credits or switch to your own API key / local Ollama."),
                QStringLiteral("Quarnwell Krediniz yetersiz. ") + host
                    + QStringLiteral("/kredi üzerinden kredi yükleyebilir veya kendi API anahtarınıza "
                                     "/ yerel Ollama'ya geçebilirsiniz."),
                language),
            m_detail);
    case Kind::appBudgetExceeded: {
        const auto app = counting(m_app);
        const QString english
            = (app ? *app + QStringLiteral(" reached its") : QStringLiteral("This app reached its"))
            + QStringLiteral(
                " Quarnwell credit spending limit. Increase or remove the limit from the Credits menu or ")
            + host + QStringLiteral("/en/usage, or switch to your own API key / local Ollama.");
        const QString turkish = (app ? *app + QStringLiteral(" için belirlediğiniz")
                                     : QStringLiteral("Bu uygulama için belirlediğiniz"))
            + QStringLiteral(
                " Quarnwell kredi harcama limitine ulaşıldı. Üst çubuktaki Kredi menüsünden veya ")
            + host
            + QStringLiteral("/kullanim sayfasından limiti artırabilir ya da kendi API anahtarınıza / yerel "
                             "Ollama'ya geçebilirsiniz.");
        return withDetail(zunoText(english, turkish, language), m_detail);
    }
    }
    return {};
}

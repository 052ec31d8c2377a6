#include "ZunoFeedbackError.h"

#include "ZunoText.h"

ZunoFeedbackError::ZunoFeedbackError(Case errorCase, int limit, const QString &text, const QString &host)
    : m_case(errorCase)
    , m_limit(limit)
    , m_text(text)
    , m_host(host)
    , m_what(description(ZunoLanguage::en).toStdString())
{
}

ZunoFeedbackError ZunoFeedbackError::tooManyScreenshots(int max)
{
    return ZunoFeedbackError(Case::tooManyScreenshots, max);
}

ZunoFeedbackError ZunoFeedbackError::screenshotTooLarge(int maxMB)
{
    return ZunoFeedbackError(Case::screenshotTooLarge, maxMB);
}

ZunoFeedbackError ZunoFeedbackError::serverRejected(const QString &message)
{
    return ZunoFeedbackError(Case::serverRejected, 0, message);
}

ZunoFeedbackError ZunoFeedbackError::networkFailure(const QString &host, const QString &detail)
{
    return ZunoFeedbackError(Case::networkFailure, 0, detail, host);
}

ZunoFeedbackError ZunoFeedbackError::invalidEndpoint()
{
    return ZunoFeedbackError(Case::invalidEndpoint);
}

ZunoFeedbackError ZunoFeedbackError::invalidEmail()
{
    return ZunoFeedbackError(Case::invalidEmail);
}

ZunoFeedbackError ZunoFeedbackError::messageTooShort()
{
    return ZunoFeedbackError(Case::messageTooShort);
}

QString ZunoFeedbackError::description() const
{
    return description(ZunoLanguages::current());
}

QString ZunoFeedbackError::description(ZunoLanguage language) const
{
    const QString limit = QString::number(m_limit);
    switch (m_case) {
    case Case::tooManyScreenshots:
        return zunoText(QStringLiteral("You can attach up to ") + limit + QStringLiteral(" screenshots."),
            QStringLiteral("En fazla ") + limit + QStringLiteral(" ekran görüntüsü ekleyebilirsiniz."),
            language);
    case Case::screenshotTooLarge:
        return zunoText(
            QStringLiteral("Each screenshot must be smaller than ") + limit + QStringLiteral(" MB."),
            QStringLiteral("Her ekran görüntüsü en fazla ") + limit + QStringLiteral(" MB olabilir."),
            language);
    case Case::serverRejected:
        return m_text;
    case Case::networkFailure:
        return zunoText(QStringLiteral("Could not reach ") + m_host + QStringLiteral(" (") + m_text
                + QStringLiteral("). You can open the feedback page in your browser instead."),
            m_host + QStringLiteral(" adresine ulaşılamadı (") + m_text
                + QStringLiteral("). Dilerseniz tarayıcıdan göndermeyi deneyebilirsiniz."),
            language);
    case Case::invalidEndpoint:
        return zunoText(QStringLiteral("Feedback server address could not be resolved."),
            QStringLiteral("Geri bildirim sunucu adresi çözümlenemedi."), language);
    case Case::invalidEmail:
        return zunoText(QStringLiteral("Please enter a valid email address."),
            QStringLiteral("Lütfen geçerli bir e-posta adresi girin."), language);
    case Case::messageTooShort:
        return zunoText(QStringLiteral("Please write a bit more detail (at least 10 characters)."),
            QStringLiteral("Lütfen en az 10 karakterlik kısa bir açıklama yazın."), language);
    }
    return {};
}

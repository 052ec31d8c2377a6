#pragma once

#include "ZunoLanguage.h"

#include <QString>

#include <exception>
#include <string>

// Why a feedback submission failed. The description is English or Turkish, in the interface language
// current when it is asked for.
class ZunoFeedbackError : public std::exception {
public:
    enum class Case {
        tooManyScreenshots,
        screenshotTooLarge,
        serverRejected,
        networkFailure,
        invalidEndpoint,
        invalidEmail,
        messageTooShort
    };

    static ZunoFeedbackError tooManyScreenshots(int max);
    static ZunoFeedbackError screenshotTooLarge(int maxMB);
    // The server's own message, shown as it is in every language.
    static ZunoFeedbackError serverRejected(const QString &message);
    // `host` is the server that could not be reached ("example.com" or "127.0.0.1:8080").
    static ZunoFeedbackError networkFailure(const QString &host, const QString &detail);
    static ZunoFeedbackError invalidEndpoint();
    static ZunoFeedbackError invalidEmail();
    static ZunoFeedbackError messageTooShort();

    Case errorCase() const { return m_case; }
    // The limit of `tooManyScreenshots` and `screenshotTooLarge`; 0 for the others.
    int limit() const { return m_limit; }
    // The server's message, or the network failure's detail.
    QString text() const { return m_text; }
    QString host() const { return m_host; }

    // In `ZunoLanguages::current()`.
    QString description() const;
    QString description(ZunoLanguage language) const;
    // The description in English.
    const char *what() const noexcept override { return m_what.c_str(); }

    friend bool operator==(const ZunoFeedbackError &a, const ZunoFeedbackError &b)
    {
        return a.m_case == b.m_case && a.m_limit == b.m_limit && a.m_text == b.m_text && a.m_host == b.m_host;
    }

private:
    ZunoFeedbackError(Case errorCase, int limit = 0, const QString &text = {}, const QString &host = {});

    Case m_case;
    int m_limit;
    QString m_text;
    QString m_host;
    std::string m_what;
};

#pragma once

#include "ZunoLanguage.h"

#include <QString>

#include <exception>
#include <optional>
#include <string>

// Every failure the AI client reports itself, with its English and Turkish message.
class ZunoAIClientError : public std::exception {
public:
    enum class Kind {
        appBudgetExceeded,
        insufficientCredits,
        httpError,
        invalidEndpoint,
        missingAPIKey,
        emptyResponse,
        // A stream that ended before its end marker: what arrived is only part of the answer.
        incompleteResponse,
        // An error event of a stream that carries no HTTP status: the provider's own words.
        streamError
    };

    static ZunoAIClientError appBudgetExceeded(
        const std::optional<QString> &app, const std::optional<QString> &detail);
    static ZunoAIClientError insufficientCredits(const std::optional<QString> &detail);
    static ZunoAIClientError httpError(int statusCode, const QString &message);
    static ZunoAIClientError invalidEndpoint() { return ZunoAIClientError(Kind::invalidEndpoint); }
    static ZunoAIClientError missingAPIKey() { return ZunoAIClientError(Kind::missingAPIKey); }
    static ZunoAIClientError emptyResponse() { return ZunoAIClientError(Kind::emptyResponse); }
    static ZunoAIClientError incompleteResponse() { return ZunoAIClientError(Kind::incompleteResponse); }
    static ZunoAIClientError streamError(const QString &message);

    Kind kind() const { return m_kind; }
    // appBudgetExceeded
    const std::optional<QString> &app() const { return m_app; }
    // appBudgetExceeded and insufficientCredits
    const std::optional<QString> &detail() const { return m_detail; }
    // httpError
    int statusCode() const { return m_statusCode; }
    // httpError and streamError
    const QString &message() const { return m_message; }

    QString localizedDescription(ZunoLanguage language) const;
    // In `ZunoLanguages::current()`, read at each call.
    QString errorDescription() const;
    // The description in the language current when the error was made.
    const char *what() const noexcept override { return m_what.c_str(); }

    bool operator==(const ZunoAIClientError &other) const
    {
        return m_kind == other.m_kind && m_app == other.m_app && m_detail == other.m_detail
            && m_statusCode == other.m_statusCode && m_message == other.m_message;
    }

private:
    explicit ZunoAIClientError(Kind kind);
    void describe();

    Kind m_kind;
    std::optional<QString> m_app;
    std::optional<QString> m_detail;
    int m_statusCode = 0;
    QString m_message;
    std::string m_what;
};

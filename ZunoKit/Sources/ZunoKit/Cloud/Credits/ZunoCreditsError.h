#pragma once

#include "ZunoLanguage.h"

#include <QString>

#include <exception>
#include <optional>
#include <string>

// The credits account's failures, with their English and Turkish messages.
class ZunoCreditsError : public std::exception {
public:
    enum class Kind {
        insufficientCredits,
        serverError,
        signInFailed,
        invalidGatewayURL,
        notSignedIn,
        unauthorized,
        signInTimedOut,
        signInCancelled,
        tokenNotSaved
    };

    static ZunoCreditsError insufficientCredits(std::optional<qint64> availableMicros);
    static ZunoCreditsError serverError(int status, const QString &message);
    static ZunoCreditsError signInFailed(const QString &message);
    static ZunoCreditsError invalidGatewayURL() { return ZunoCreditsError(Kind::invalidGatewayURL); }
    static ZunoCreditsError notSignedIn() { return ZunoCreditsError(Kind::notSignedIn); }
    static ZunoCreditsError unauthorized() { return ZunoCreditsError(Kind::unauthorized); }
    static ZunoCreditsError signInTimedOut() { return ZunoCreditsError(Kind::signInTimedOut); }
    static ZunoCreditsError signInCancelled() { return ZunoCreditsError(Kind::signInCancelled); }
    // The token could not be written to the account file at `path`.
    static ZunoCreditsError tokenNotSaved(const QString &path);

    Kind kind() const { return m_kind; }
    // insufficientCredits
    std::optional<qint64> availableMicros() const { return m_availableMicros; }
    // serverError
    int status() const { return m_status; }
    // serverError and signInFailed; the file's path for tokenNotSaved
    QString message() const { return m_message; }

    // In `ZunoLanguages::current()`, read at each call.
    QString errorDescription() const;
    QString description(ZunoLanguage language) const;
    // The description in the language current when the error was made.
    const char *what() const noexcept override { return m_what.c_str(); }

    bool operator==(const ZunoCreditsError &other) const
    {
        return m_kind == other.m_kind && m_availableMicros == other.m_availableMicros
            && m_status == other.m_status && m_message == other.m_message;
    }

private:
    explicit ZunoCreditsError(Kind kind);

    Kind m_kind;
    std::optional<qint64> m_availableMicros;
    int m_status = 0;
    QString m_message;
    std::string m_what;
};

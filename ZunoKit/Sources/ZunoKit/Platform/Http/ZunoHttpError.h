#pragma once

#include <QString>

#include <exception>
#include <string>

// Why an HTTP transfer failed. `detail` is the transport's own text (empty where the kind says it all).
// The user's language is not known down here: `ZunoHttpErrorText` gives the localized description.
class ZunoHttpError : public std::exception {
public:
    enum class Kind {
        unsupportedURL,
        // A redirect from https to plain http, refused.
        insecureRedirect,
        invalidHeader,
        cannotFindHost,
        cannotConnect,
        timedOut,
        secureConnectionFailed,
        connectionLost,
        badServerResponse,
        responseTooLarge,
        cancelled,
        other
    };

    explicit ZunoHttpError(Kind kind, const QString &detail = {});

    Kind kind() const { return m_kind; }
    QString detail() const { return m_detail; }
    // The English description, which the localized one translates.
    QString message() const;
    // message(), for logs.
    const char *what() const noexcept override { return m_what.c_str(); }

private:
    Kind m_kind;
    QString m_detail;
    std::string m_what;
};

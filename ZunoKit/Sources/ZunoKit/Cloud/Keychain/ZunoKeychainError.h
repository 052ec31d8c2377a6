#pragma once

#include <QString>

#include <stdexcept>

// A keychain operation the Secret Service refused: the service's error domain and code, as reported,
// and its message.
class ZunoKeychainError : public std::runtime_error {
public:
    ZunoKeychainError(const QString &domain, int code, const QString &message)
        : std::runtime_error(
            (domain + QLatin1Char(' ') + QString::number(code) + QStringLiteral(": ") + message)
                .toStdString())
        , m_domain(domain)
        , m_code(code)
        , m_message(message)
    {
    }

    QString domain() const { return m_domain; }
    int code() const { return m_code; }
    QString message() const { return m_message; }

private:
    QString m_domain;
    int m_code;
    QString m_message;
};

#pragma once

#include <QString>

#include <exception>
#include <string>

// A failure the agent-browser bridge reports itself: the domain "ZunoAgentBrowserBridge", a code (401 no
// token, 400 bad path, 403 port held by another user, 502 no HTTP answer, else the reply's HTTP status) and
// an English description.
class ZunoAgentBrowserBridgeError : public std::exception {
public:
    static constexpr char kDomain[] = "ZunoAgentBrowserBridge";

    ZunoAgentBrowserBridgeError(int code, const QString &description);

    QString domain() const { return QString::fromLatin1(kDomain); }
    int code() const { return m_code; }
    QString description() const { return m_description; }
    const char *what() const noexcept override { return m_what.c_str(); }

private:
    int m_code;
    QString m_description;
    std::string m_what;
};

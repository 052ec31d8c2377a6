#pragma once

#include <QString>

#include <cstdint>
#include <exception>
#include <string>

// The process vocabulary of the suite: a tool that is missing, a run that failed, a cancelled run. The
// runner itself only throws `cancelled`; callers report the other two in the same words.
class ZunoProcessError : public std::exception {
public:
    enum class Kind { binaryNotFound, nonZeroExit, cancelled };

    static ZunoProcessError binaryNotFound(const QString &name);
    static ZunoProcessError nonZeroExit(std::int32_t code, const QString &stderrText);
    static ZunoProcessError cancelled();

    Kind kind() const { return m_kind; }
    // The missing tool's name (binaryNotFound).
    QString name() const { return m_name; }
    // The exit code and standard-error text (nonZeroExit).
    std::int32_t code() const { return m_code; }
    QString stderrText() const { return m_stderr; }

    // In the current interface language, resolved at each call.
    QString localizedDescription() const;
    // The description in the language current when the error was made.
    const char *what() const noexcept override { return m_what.c_str(); }

    bool operator==(const ZunoProcessError &other) const
    {
        return m_kind == other.m_kind && m_name == other.m_name && m_code == other.m_code
            && m_stderr == other.m_stderr;
    }

private:
    ZunoProcessError(Kind kind, const QString &name, std::int32_t code, const QString &stderrText);

    Kind m_kind;
    QString m_name;
    std::int32_t m_code = 0;
    QString m_stderr;
    std::string m_what;
};

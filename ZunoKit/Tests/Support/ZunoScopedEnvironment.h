#pragma once

#include <QByteArray>

#include <map>
#include <optional>

// Sets environment variables for one test; each one's previous value, or its absence, comes back on
// destruction.
class ZunoScopedEnvironment {
public:
    ZunoScopedEnvironment() = default;
    ZunoScopedEnvironment(const char *name, const QByteArray &value) { set(name, value); }
    ~ZunoScopedEnvironment();
    ZunoScopedEnvironment(const ZunoScopedEnvironment &) = delete;
    ZunoScopedEnvironment &operator=(const ZunoScopedEnvironment &) = delete;

    // A null value unsets the variable. Setting one twice still restores the value from before the first.
    void set(const char *name, const QByteArray &value);

private:
    std::map<QByteArray, std::optional<QByteArray>> m_saved;
};

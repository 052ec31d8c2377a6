#pragma once

#include <QByteArray>

#include <map>
#include <optional>

// Sets environment variables for one test; each one's previous value, or its absence, comes back on
// destruction.
class ZunoScopedEnvironment {
public:
    ZunoScopedEnvironment() = default;
    ~ZunoScopedEnvironment();
    ZunoScopedEnvironment(const ZunoScopedEnvironment &) = delete;
    ZunoScopedEnvironment &operator=(const ZunoScopedEnvironment &) = delete;

    void set(const char *name, const char *value);

private:
    std::map<QByteArray, std::optional<QByteArray>> m_saved;
};

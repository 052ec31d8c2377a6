#include "ZunoScopedEnvironment.h"

#include <QtGlobal>

ZunoScopedEnvironment::~ZunoScopedEnvironment()
{
    for (const auto &[name, saved] : m_saved) {
        if (saved)
            qputenv(name.constData(), *saved);
        else
            qunsetenv(name.constData());
    }
}

void ZunoScopedEnvironment::set(const char *name, const QByteArray &value)
{
    if (!m_saved.count(name))
        m_saved[name] = qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt;
    if (value.isNull())
        qunsetenv(name);
    else
        qputenv(name, value);
}

#include "ZunoTestHome.h"

#include <QDir>

namespace {
const char *const kVariables[]
    = { "HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME" };
}

ZunoTestHome::ZunoTestHome()
{
    for (const char *name : kVariables)
        m_saved[name] = { qEnvironmentVariableIsSet(name), qgetenv(name) };
    const QString root = m_dir.path();
    qputenv("HOME", QFile::encodeName(root));
    qputenv("XDG_DATA_HOME", QFile::encodeName(root + QStringLiteral("/.local/share")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(root + QStringLiteral("/.config")));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(root + QStringLiteral("/.cache")));
    qputenv("XDG_STATE_HOME", QFile::encodeName(root + QStringLiteral("/.local/state")));
}

ZunoTestHome::~ZunoTestHome()
{
    for (const auto &[name, saved] : m_saved) {
        if (saved.first)
            qputenv(name.constData(), saved.second);
        else
            qunsetenv(name.constData());
    }
}

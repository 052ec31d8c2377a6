#include "ZunoPaths.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTextStream>

namespace {

QString xdgFolder(const char *variable, const QString &fallbackBelowHome)
{
    const QString value = qEnvironmentVariable(variable);
    // XDG says a relative path is invalid and must be ignored.
    if (!value.isEmpty() && QDir::isAbsolutePath(value))
        return QDir::cleanPath(value);
    return QDir::cleanPath(ZunoPaths::home() + QLatin1Char('/') + fallbackBelowHome);
}

// XDG_VIDEOS_DIR from user-dirs.dirs, with $HOME expanded; empty when not set there.
QString userDirsVideos()
{
    QFile file(ZunoPaths::configuration() + QStringLiteral("/user-dirs.dirs"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    static const QRegularExpression line(QStringLiteral("^\\s*XDG_VIDEOS_DIR\\s*=\\s*\"([^\"]*)\""));
    QTextStream in(&file);
    while (!in.atEnd()) {
        const auto match = line.match(in.readLine());
        if (!match.hasMatch())
            continue;
        QString path = match.captured(1);
        path.replace(QStringLiteral("$HOME"), ZunoPaths::home());
        if (QDir::isAbsolutePath(path) && QDir::cleanPath(path) != QDir::cleanPath(ZunoPaths::home()))
            return QDir::cleanPath(path);
    }
    return {};
}

} // namespace

namespace ZunoPaths {

QString home()
{
    const QString value = qEnvironmentVariable("HOME");
    return value.isEmpty() ? QDir::homePath() : QDir::cleanPath(value);
}

QString applicationSupport()
{
    return xdgFolder("XDG_DATA_HOME", QStringLiteral(".local/share"));
}

QString caches()
{
    return xdgFolder("XDG_CACHE_HOME", QStringLiteral(".cache"));
}

QString configuration()
{
    return xdgFolder("XDG_CONFIG_HOME", QStringLiteral(".config"));
}

QString movies()
{
    const QString configured = userDirsVideos();
    return configured.isEmpty() ? home() + QStringLiteral("/Videos") : configured;
}

} // namespace ZunoPaths

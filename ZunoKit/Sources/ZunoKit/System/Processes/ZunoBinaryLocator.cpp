#include "ZunoBinaryLocator.h"

#include "ZunoPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

namespace {

QString candidate(const QString &directory, const QString &name)
{
    return QFileInfo(QDir(directory).filePath(name)).absoluteFilePath();
}

} // namespace

namespace ZunoBinaryLocator {

bool isExecutableFile(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() && ::access(QFile::encodeName(path).constData(), X_OK) == 0;
}

QStringList fixedDirectories()
{
    return { QStringLiteral("/usr/local/bin"), QStringLiteral("/usr/bin"), QStringLiteral("/bin"),
        ZunoPaths::home() + QStringLiteral("/.local/bin"), QStringLiteral("/snap/bin") };
}

std::optional<QString> locate(
    const QString &name, const ZunoBundle &bundle, const QStringList &extraSearchDirectories)
{
    QStringList candidates;
    if (!bundle.resourceDirectory.isEmpty()) {
        candidates << candidate(bundle.resourceDirectory + QStringLiteral("/bin"), name)
                   << candidate(bundle.resourceDirectory, name);
    }
    for (const QString &directory : extraSearchDirectories)
        candidates << candidate(directory, name);
    for (const QString &directory : fixedDirectories())
        candidates << candidate(directory, name);
    const QStringList searchPath = qEnvironmentVariable("PATH").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString &directory : searchPath)
        candidates << candidate(directory, name);

    for (const QString &path : std::as_const(candidates)) {
        if (isExecutableFile(path))
            return path;
    }
    return std::nullopt;
}

} // namespace ZunoBinaryLocator

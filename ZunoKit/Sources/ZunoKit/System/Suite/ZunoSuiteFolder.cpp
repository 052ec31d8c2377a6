#include "ZunoSuiteFolder.h"

#include "ZunoPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#include <sys/stat.h>

ZunoSuiteFolder::ZunoSuiteFolder(std::optional<QString> baseFolder)
    : m_path(baseFolder ? QDir::cleanPath(*baseFolder)
                        : ZunoPaths::applicationSupport() + QStringLiteral("/Quarnwell/SuiteTelemetry"))
{
}

QString ZunoSuiteFolder::filePath(const QString &name) const
{
    return name.isEmpty() ? m_path : m_path + QLatin1Char('/') + name;
}

std::optional<QString> ZunoSuiteFolder::ensureSubfolder(const QString &name, QString *failure) const
{
    const QString target = QDir::cleanPath(QDir(filePath(name)).absolutePath());
    // The missing folders, outermost first.
    QStringList missing;
    for (QString folder = target; !QFileInfo(folder).isDir();) {
        missing.prepend(folder);
        const QString parent = QFileInfo(folder).path();
        if (parent == folder)
            break;
        folder = parent;
    }
    for (const QString &folder : std::as_const(missing)) {
        const QByteArray native = QFile::encodeName(folder);
        // Another process may make the same folder at the same moment.
        if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) {
            if (failure)
                *failure = QStringLiteral("cannot create %1: %2")
                               .arg(folder, QString::fromLocal8Bit(std::strerror(errno)));
            return std::nullopt;
        }
    }
    if (!QFileInfo(target).isDir()) {
        if (failure)
            *failure = QStringLiteral("%1 is not a folder").arg(target);
        return std::nullopt;
    }
    return target;
}

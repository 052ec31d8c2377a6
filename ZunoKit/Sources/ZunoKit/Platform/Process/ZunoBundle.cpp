#include "ZunoBundle.h"

#include "ZunoAppInfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

QString executableDirectory()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).absolutePath();
}

// The build tree and an installed prefix share one shape: bin/ beside share/zunocam/.
QString findResourceDirectory()
{
    const QString overridden = qEnvironmentVariable("ZUNOCAM_RESOURCE_DIR");
    if (!overridden.isEmpty() && QFileInfo(overridden).isDir())
        return QDir(overridden).absolutePath();
    const QString beside = QDir(executableDirectory()).absoluteFilePath(QStringLiteral("../share/zunocam"));
    if (QFileInfo(beside).isDir())
        return QDir(beside).canonicalPath();
    return {};
}

} // namespace

QString ZunoBundle::processName()
{
    if (QCoreApplication::instance())
        return QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    return QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).fileName();
}

QString ZunoBundle::resourcePath(const QString &name) const
{
    if (resourceDirectory.isEmpty() || name.isEmpty())
        return {};
    const QString path = QDir(resourceDirectory).filePath(name);
    return QFileInfo::exists(path) ? path : QString();
}

const ZunoBundle &ZunoBundle::main()
{
    static const ZunoBundle bundle = [] {
        ZunoBundle b;
        b.bundleIdentifier = QString::fromUtf8(ZunoAppInfo::bundleIdentifier);
        b.infoDictionary = {
            { QStringLiteral("CFBundleIdentifier"), b.bundleIdentifier },
            { QStringLiteral("CFBundleDisplayName"), QString::fromUtf8(ZunoAppInfo::displayName) },
            { QStringLiteral("CFBundleName"), QString::fromUtf8(ZunoAppInfo::bundleName) },
            { QStringLiteral("CFBundleShortVersionString"), QString::fromUtf8(ZunoAppInfo::shortVersion) },
            { QStringLiteral("CFBundleVersion"), QString::fromUtf8(ZunoAppInfo::buildNumber) },
        };
        b.resourceDirectory = findResourceDirectory();
        return b;
    }();
    return bundle;
}

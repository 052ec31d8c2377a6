#include "ZunoPermissionCenter.h"

#include "ZunoPaths.h"
#include "ZunoPulseProbe.h"
#include "ZunoText.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace ZunoPermissionCenter {

namespace {

// Folders below ~/Library that hold other programs' private data (mail, messages, contacts): a walk
// does not list them unless the user chose one as its root.
const std::array<const char *, 20> kLibraryTrapSubpaths {
    "Accounts",
    "Application Support/AddressBook",
    "Application Support/CallHistoryDB",
    "Application Support/MobileSync",
    "Application Support/com.apple.TCC",
    "Biome",
    "Calendars",
    "CloudStorage",
    "Contacts",
    "Containers",
    "Cookies",
    "Group Containers",
    "HomeKit",
    "Mail",
    "Messages",
    "Mobile Documents",
    "PersonalizationPortrait",
    "Reminders",
    "Safari",
    "Suggestions",
};

QString normalizedPath(const QString &path)
{
    QString result = path;
    if (result == QLatin1String("~"))
        result = ZunoPaths::home();
    else if (result.startsWith(QLatin1String("~/")))
        result = ZunoPaths::home() + result.mid(1);
    if (!result.startsWith(QLatin1Char('/')))
        result = QDir::currentPath() + QLatin1Char('/') + result;
    result = QDir::cleanPath(result);
    if (result.size() >= 2 && result.endsWith(QLatin1Char('/')))
        result.chop(1);
    return result;
}

// Everything but "/" itself is inside "/" (a plain prefix test with "/" + "/" would find nothing, so
// a walk from the file-system root would enter the home folder's guarded folders).
bool isInside(const QString &path, const QString &folder)
{
    if (folder == QLatin1String("/"))
        return path.size() > 1 && path.startsWith(QLatin1Char('/'));
    return path.startsWith(folder + QLatin1Char('/'));
}

bool isUnder(const QString &path, const QString &folder)
{
    return path == folder || isInside(path, folder);
}

bool endsWithAny(const QString &text, std::initializer_list<const char *> suffixes)
{
    for (const char *suffix : suffixes) {
        if (text.endsWith(QLatin1String(suffix)))
            return true;
    }
    return false;
}

bool isX11Session()
{
    const QString type = qEnvironmentVariable("XDG_SESSION_TYPE");
    if (type == QLatin1String("x11"))
        return true;
    if (type == QLatin1String("wayland"))
        return false;
    return qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") && !qEnvironmentVariableIsEmpty("DISPLAY");
}

bool opensAsDirectory(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

QString groupName(gid_t gid)
{
    std::vector<char> buffer(4096);
    group entry {};
    group *found = nullptr;
    if (getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &found) == 0 && found)
        return QString::fromLocal8Bit(found->gr_name);
    return {};
}

} // namespace

bool isAccessibilityGranted(bool)
{
    return isX11Session();
}

bool isScreenRecordingGranted()
{
    return isX11Session();
}

bool isFullDiskAccessGranted(const QString &homeDirectory, bool)
{
    const QString home = normalizedPath(homeDirectory);
    for (const char *folder : { "/.config", "/.local/share" }) {
        if (opensAsDirectory(home + QLatin1String(folder)))
            return true;
    }
    return false;
}

ZunoCodeSignatureStatus codeSignatureStatus(const QString &path)
{
    return QFileInfo(path).isFile() ? ZunoCodeSignatureStatus::unsignedCode()
                                    : ZunoCodeSignatureStatus::unknown();
}

ZunoCodeSignatureStatus classifyCodeRequirement(const QString &requirement)
{
    const QString trimmed = requirement.trimmed();
    if (trimmed.isEmpty())
        return ZunoCodeSignatureStatus::unknown();
    const QString lower = trimmed.toLower();
    for (const char *phrase : { "certificate root", "certificate leaf", "anchor apple" }) {
        if (lower.contains(QLatin1String(phrase)))
            return ZunoCodeSignatureStatus::stableCertificate(trimmed);
    }
    if (lower.contains(QLatin1String("cdhash")))
        return ZunoCodeSignatureStatus::adHocCDHash(trimmed);
    return ZunoCodeSignatureStatus::unknown();
}

std::optional<ZunoProtectedFolderCategory> classifyProtectedFolder(
    const QString &path, const QString &homeDirectory)
{
    const QString p = normalizedPath(path);
    const QString home = normalizedPath(homeDirectory);
    const QString library = home + QLatin1String("/Library");
    const QString lower = p.toLower();

    if (lower.endsWith(QLatin1String(".photoslibrary")) || lower.contains(QLatin1String(".photoslibrary/")))
        return ZunoProtectedFolderCategory::photosLibrary;
    if (lower.endsWith(QLatin1String(".musiclibrary")) || lower.contains(QLatin1String(".musiclibrary/"))
        || lower.endsWith(QLatin1String(".tvlibrary")) || lower.contains(QLatin1String(".tvlibrary/")))
        return ZunoProtectedFolderCategory::mediaLibrary;
    if (isUnder(p, home + QLatin1String("/Desktop")))
        return ZunoProtectedFolderCategory::desktop;
    if (isUnder(p, home + QLatin1String("/Documents")))
        return ZunoProtectedFolderCategory::documents;
    if (isUnder(p, home + QLatin1String("/Downloads")))
        return ZunoProtectedFolderCategory::downloads;
    if (!isUnder(p, library))
        return std::nullopt;
    for (const char *subpath : kLibraryTrapSubpaths) {
        if (isUnder(p, library + QLatin1Char('/') + QLatin1String(subpath)))
            return ZunoProtectedFolderCategory::libraryAppData;
    }
    return std::nullopt;
}

bool shouldSkipSubdirectoryToAvoidTCCPrompts(const QString &path, const QString &explicitRootPath,
    bool hasFullDiskAccess, const QString &homeDirectory)
{
    if (hasFullDiskAccess)
        return false;
    const QString p = normalizedPath(path);
    const QString root = normalizedPath(explicitRootPath);
    const QString home = normalizedPath(homeDirectory);
    const QString library = home + QLatin1String("/Library");

    // The folder itself is the chosen root or lies on the way to it.
    if (p == root || isInside(root, p))
        return false;
    if (endsWithAny(p.toLower(), { ".photoslibrary", ".musiclibrary", ".tvlibrary" }))
        return true;
    if (!isUnder(root, library) && p == library)
        return true;
    if (root == home || isInside(home, root)) {
        for (const char *folder : { "/Desktop", "/Documents", "/Downloads", "/.Trash" }) {
            if (p == home + QLatin1String(folder))
                return true;
        }
    }
    if (!isUnder(p, library))
        return false;
    for (const char *subpath : kLibraryTrapSubpaths) {
        const QString trap = library + QLatin1Char('/') + QLatin1String(subpath);
        if (p == trap && !isUnder(root, trap))
            return true;
    }
    return false;
}

void openSystemSettings(ZunoSystemPermissionKind kind)
{
    const auto command
        = ZunoSystemPermissionKinds::settingsCommand(kind, qEnvironmentVariable("XDG_CURRENT_DESKTOP"));
    if (!command || command->isEmpty())
        return;
    const QString program = QStandardPaths::findExecutable(command->first());
    if (program.isEmpty())
        return;
    QProcess::startDetached(program, command->mid(1));
}

ZunoCameraAccess cameraAccess(const QString &deviceDirectory)
{
    ZunoCameraAccess access;
    const QDir dir(deviceDirectory);
    const QStringList nodes
        = dir.entryList({ QStringLiteral("video*") }, QDir::System | QDir::Files, QDir::Name);
    bool usable = false;
    for (const QString &node : nodes) {
        const QString path = dir.filePath(node);
        const QByteArray native = QFile::encodeName(path);
        // A permission check, not an open: opening a capture node powers many cameras up (and lights
        // their LED). The effective ids are the ones an open would be checked against.
        if (::faccessat(AT_FDCWD, native.constData(), R_OK | W_OK, AT_EACCESS) == 0) {
            usable = true;
            continue;
        }
        const int error = errno;
        if (error == EACCES || error == EPERM) {
            access.deniedDevices.append(path);
            struct stat info { };
            if (access.deviceGroup.isEmpty() && ::stat(native.constData(), &info) == 0)
                access.deviceGroup = groupName(info.st_gid);
        }
    }
    if (!usable && !access.deniedDevices.isEmpty()) {
        access.status = ZunoMediaAuthorizationStatus::denied;
        if (access.deviceGroup.isEmpty())
            access.deviceGroup = QStringLiteral("video");
    } else {
        access.deniedDevices.clear();
        access.deviceGroup.clear();
    }
    return access;
}

ZunoMediaAuthorizationStatus cameraAuthorizationStatus()
{
    return cameraAccess().status;
}

QString cameraAccessHint(const ZunoCameraAccess &access, std::optional<ZunoLanguage> language)
{
    if (access.status != ZunoMediaAuthorizationStatus::denied)
        return {};
    const QString group = access.deviceGroup.isEmpty() ? QStringLiteral("video") : access.deviceGroup;
    return zunoText(QStringLiteral("Camera access is denied. Add your user to the “%1” group "
                                   "(sudo usermod -aG %1 $USER), then log out and back in."),
        QStringLiteral("Kamera erişimi reddedildi. Kullanıcınızı “%1” grubuna ekleyin "
                       "(sudo usermod -aG %1 $USER), ardından oturumu kapatıp yeniden açın."),
        QStringLiteral("permissions.camera.deviceGroupHint"), language)
        .arg(group);
}

ZunoMediaAuthorizationStatus microphoneAuthorizationStatus()
{
    switch (ZunoPulseProbe::connect()) {
    case ZunoPulseProbe::Result::connected:
        return ZunoMediaAuthorizationStatus::authorized;
    case ZunoPulseProbe::Result::accessDenied:
        return ZunoMediaAuthorizationStatus::denied;
    case ZunoPulseProbe::Result::unavailable:
        break;
    }
    return ZunoMediaAuthorizationStatus::restricted;
}

} // namespace ZunoPermissionCenter

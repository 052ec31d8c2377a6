#include "ZunoPermissionCenter.h"
#include "ZunoScopedEnvironment.h"
#include "ZunoTestHome.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/fsuid.h>
#include <sys/inotify.h>
#include <unistd.h>

using Category = ZunoProtectedFolderCategory;
using Status = ZunoMediaAuthorizationStatus;

namespace {

// Takes away this thread's file-access privileges while it lives, so that a test run as root
// meets the permission checks an ordinary user meets.
class OrdinaryUserFileAccess {
public:
    OrdinaryUserFileAccess()
    {
        if (geteuid() == 0) {
            setfsuid(65534);
            m_dropped = true;
        }
    }
    ~OrdinaryUserFileAccess()
    {
        if (m_dropped)
            setfsuid(0);
    }

private:
    bool m_dropped = false;
};

QString createFile(const QString &path, QFile::Permissions permissions)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.close();
    file.setPermissions(permissions);
    return path;
}

const QFile::Permissions kEveryone = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup
    | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther;
const QFile::Permissions kOpenFolder = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
    | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;

} // namespace

TEST(ZunoPermissionCenter, ClassifiesProtectedFolders)
{
    ZunoTestHome home;
    struct Case {
        const char *path;
        std::optional<Category> category;
    };
    const Case cases[] = {
        { "~/Desktop/", Category::desktop },
        { "~/Desktop/notes/a.txt", Category::desktop },
        { "~/desktop", std::nullopt },
        { "~/Documents", Category::documents },
        { "~/Downloads/x/../y", Category::downloads },
        { "~/DesktopOld", std::nullopt },
        { "~/Pictures/Photos Library.PhotosLibrary", Category::photosLibrary },
        { "/Volumes/Ext/Lib.photoslibrary/originals", Category::photosLibrary },
        { "~/Music/Music Library.musiclibrary", Category::mediaLibrary },
        { "~/Movies/TV Library.tvlibrary/x", Category::mediaLibrary },
        { "~/Library/Containers/x", Category::libraryAppData },
        { "~/Library/Group Containers", Category::libraryAppData },
        { "~/Library/Application Support/AddressBook/db", Category::libraryAppData },
        { "~/Library/Caches", std::nullopt },
        { "~/Library", std::nullopt },
        { "~/Library/Mailbox", std::nullopt },
        { "/tmp/Desktop", std::nullopt },
        { "~/./Documents/../Desktop", Category::desktop },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(
            ZunoPermissionCenter::classifyProtectedFolder(QString::fromUtf8(c.path), QStringLiteral("~")),
            c.category);
    }
    // The home folder may be given with a trailing slash, or in full.
    EXPECT_EQ(ZunoPermissionCenter::classifyProtectedFolder(
                  home.filePath(QStringLiteral("Documents/a")), home.path() + '/'),
        Category::documents);
    EXPECT_EQ(rawValue(Category::libraryAppData), QStringLiteral("libraryAppData"));
    EXPECT_EQ(rawValue(Category::networkVolume), QStringLiteral("networkVolume"));
}

TEST(ZunoPermissionCenter, SkipRuleKeepsWalksOutOfGuardedFolders)
{
    ZunoTestHome home;
    struct Case {
        const char *path;
        const char *root;
        bool fullDiskAccess;
        bool skip;
    };
    const Case cases[] = {
        { "~/Library", "~", false, true },
        { "~/Documents", "~", false, true },
        { "~/Desktop", "~", false, true },
        { "~/Downloads/", "~", false, true },
        { "~/.Trash", "~", false, true },
        { "~/Projects", "~", false, false },
        { "~/Documents/Work", "~", false, false }, // only the folder itself
        { "~/Documents", "/", false, true }, // the root contains the home folder
        { "~/Library/Mail", "~/Library", false, true },
        { "~/Library/Caches", "~/Library", false, false },
        { "~/Library/Mail/V10", "~/Library/Mail", false, false },
        { "~/Library", "~/Library/Mail", false, false }, // on the way to the root
        { "~/Library/Mail", "~/Library/Mail", false, false },
        { "~/Documents", "/Volumes/Other", false, false },
        { "/Volumes/Other/Lib.photoslibrary", "/Volumes/Other", false, true },
        { "/Volumes/Other/Songs.MusicLibrary", "/Volumes/Other", false, true },
        { "~/Library/Group Containers", "~", false, true },
        { "~/Library/Group Containers/x", "~/Library", false, false },
        { "~/Library", "~", true, false },
        { "~/Documents", "~", true, false },
        { "~/Library/Mail", "~/Library", true, false },
        { "/Volumes/Other/Lib.photoslibrary", "/Volumes/Other", true, false },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(
            std::string(c.path) + " under root " + c.root + (c.fullDiskAccess ? " with full access" : ""));
        EXPECT_EQ(ZunoPermissionCenter::shouldSkipSubdirectoryToAvoidTCCPrompts(QString::fromUtf8(c.path),
                      QString::fromUtf8(c.root), c.fullDiskAccess, QStringLiteral("~")),
            c.skip);
    }
}

TEST(ZunoPermissionCenter, ClassifiesRequirementTexts)
{
    using Sig = ZunoCodeSignatureStatus;
    const std::pair<QString, Sig> cases[] = {
        { QStringLiteral("   \n\t "), Sig::unknown() },
        { QString(), Sig::unknown() },
        { QStringLiteral("  identifier \"x\" and ANCHOR Apple generic \n"),
            Sig::stableCertificate(QStringLiteral("identifier \"x\" and ANCHOR Apple generic")) },
        { QStringLiteral("certificate leaf = H\"ab\""),
            Sig::stableCertificate(QStringLiteral("certificate leaf = H\"ab\"")) },
        { QStringLiteral("cdhash H\"12\" or certificate root = H\"cd\""),
            Sig::stableCertificate(QStringLiteral("cdhash H\"12\" or certificate root = H\"cd\"")) },
        { QStringLiteral("CDHash H\"12\""), Sig::adHocCDHash(QStringLiteral("CDHash H\"12\"")) },
        { QStringLiteral("identifier \"x\""), Sig::unknown() },
    };
    for (const auto &[text, expected] : cases) {
        SCOPED_TRACE(text.toStdString());
        EXPECT_EQ(ZunoPermissionCenter::classifyCodeRequirement(text), expected);
    }
    EXPECT_TRUE(Sig::stableCertificate(QStringLiteral("r")).isStableForTCC());
    EXPECT_FALSE(Sig::adHocCDHash(QStringLiteral("r")).isStableForTCC());
    EXPECT_EQ(Sig::adHocCDHash(QStringLiteral("cdhash x")).requirementSummary(), QStringLiteral("cdhash x"));
    EXPECT_EQ(Sig::unsignedCode().requirementSummary(), QStringLiteral("unsigned"));
    EXPECT_EQ(Sig::unknown().requirementSummary(), QStringLiteral("unknown"));
    EXPECT_NE(Sig::adHocCDHash(QStringLiteral("a")), Sig::adHocCDHash(QStringLiteral("b")));

    // Linux executables carry no signature.
    EXPECT_EQ(ZunoPermissionCenter::codeSignatureStatus(QCoreApplication::applicationFilePath()),
        Sig::unsignedCode());
    EXPECT_EQ(
        ZunoPermissionCenter::codeSignatureStatus(QStringLiteral("/nonexistent/zunocam")), Sig::unknown());
}

TEST(ZunoPermissionCenter, PermissionKindsAndTheirSettingsPages)
{
    const auto &kinds = ZunoSystemPermissionKinds::allCases();
    QStringList raw;
    for (ZunoSystemPermissionKind kind : kinds) {
        raw << rawValue(kind);
        EXPECT_EQ(ZunoSystemPermissionKinds::fromRawValue(id(kind)), kind);
    }
    EXPECT_EQ(raw.join(','),
        QStringLiteral("accessibility,screenRecording,systemAudio,fullDiskAccess,"
                       "filesAndFolders,automation,camera,microphone,localNetwork"));
    EXPECT_EQ(ZunoSystemPermissionKinds::fromRawValue(QStringLiteral("Camera")), std::nullopt);

    using K = ZunoSystemPermissionKind;
    struct Case {
        K kind;
        const char *desktop;
        QStringList command;
    };
    const Case cases[] = {
        { K::camera, "GNOME", { "gnome-control-center", "camera" } },
        { K::microphone, "ubuntu:GNOME", { "gnome-control-center", "microphone" } },
        { K::accessibility, "gnome", { "gnome-control-center", "universal-access" } },
        { K::localNetwork, "GNOME", { "gnome-control-center", "network" } },
        { K::fullDiskAccess, "GNOME", { "gnome-control-center", "applications" } },
        { K::screenRecording, "GNOME", {} },
        { K::microphone, "KDE", { "systemsettings", "kcm_pulseaudio" } },
        { K::accessibility, "KDE", { "systemsettings", "kcm_access" } },
        { K::camera, "KDE", {} },
        { K::automation, "KDE", {} },
        { K::camera, "XFCE", {} },
        { K::camera, "", {} },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(rawValue(c.kind).toStdString() + " on " + c.desktop);
        const auto command = ZunoSystemPermissionKinds::settingsCommand(c.kind, QString::fromUtf8(c.desktop));
        EXPECT_EQ(command.value_or(QStringList()), c.command);
    }
}

TEST(ZunoPermissionCenter, CameraProbeOnDeviceNodes)
{
    QTemporaryDir dir;
    QFile::setPermissions(dir.path(), kOpenFolder);
    // No camera at all: nothing denies, the capture service reports the missing device.
    EXPECT_EQ(ZunoPermissionCenter::cameraAccess(dir.path()).status, Status::authorized);

    const QString locked
        = createFile(dir.filePath(QStringLiteral("video0")), QFile::ReadOwner | QFile::WriteOwner);
    createFile(dir.filePath(QStringLiteral("audio0")), kEveryone); // not a camera node
    {
        OrdinaryUserFileAccess ordinary;
        const ZunoCameraAccess access = ZunoPermissionCenter::cameraAccess(dir.path());
        const bool stillOwner = QFileInfo(locked).ownerId() == geteuid() && geteuid() != 0;
        if (stillOwner)
            GTEST_SKIP() << "the node belongs to this user";
        EXPECT_EQ(access.status, Status::denied);
        EXPECT_EQ(access.deniedDevices, QStringList { locked });
        EXPECT_EQ(access.deviceGroup, QFileInfo(locked).group());
        const QString english = ZunoPermissionCenter::cameraAccessHint(access, ZunoLanguage::en);
        EXPECT_TRUE(english.contains(QStringLiteral("“%1” group").arg(access.deviceGroup)))
            << english.toStdString();
        EXPECT_TRUE(english.contains(QStringLiteral("usermod -aG %1 $USER").arg(access.deviceGroup)));
        const QString turkish = ZunoPermissionCenter::cameraAccessHint(access, ZunoLanguage::tr);
        EXPECT_TRUE(turkish.startsWith(QStringLiteral("Kamera erişimi reddedildi.")))
            << turkish.toStdString();
    }

    // One permitted node is enough.
    createFile(dir.filePath(QStringLiteral("video1")), kEveryone);
    {
        OrdinaryUserFileAccess ordinary;
        const ZunoCameraAccess access = ZunoPermissionCenter::cameraAccess(dir.path());
        EXPECT_EQ(access.status, Status::authorized);
        EXPECT_TRUE(access.deniedDevices.isEmpty());
        EXPECT_TRUE(ZunoPermissionCenter::cameraAccessHint(access).isEmpty());
    }
}

TEST(ZunoPermissionCenter, CameraProbeOpensNoDeviceNode)
{
    QTemporaryDir dir;
    createFile(dir.filePath(QStringLiteral("video0")), kEveryone);
    createFile(dir.filePath(QStringLiteral("video1")), QFile::ReadOwner | QFile::WriteOwner);
    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(inotify_add_watch(watch, QFile::encodeName(dir.path()).constData(), IN_OPEN), 0);

    EXPECT_EQ(ZunoPermissionCenter::cameraAccess(dir.path()).status, Status::authorized);

    // Listing the folder opens the folder itself (an event without a name); no node may be opened.
    QStringList opened;
    alignas(inotify_event) char buffer[4096];
    for (ssize_t n; (n = read(watch, buffer, sizeof buffer)) > 0;) {
        for (ssize_t offset = 0; offset < n;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + offset);
            if (event->len > 0)
                opened.append(QString::fromUtf8(event->name));
            offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    close(watch);
    EXPECT_TRUE(opened.isEmpty()) << opened.join(QLatin1Char(' ')).toStdString();
}

TEST(ZunoPermissionCenter, FullDiskAccessFollowsThePrivateFolders)
{
    ZunoTestHome home;
    QFile::setPermissions(home.path(), kOpenFolder);
    EXPECT_FALSE(ZunoPermissionCenter::isFullDiskAccessGranted(home.path(), true));

    ASSERT_TRUE(QDir().mkpath(home.filePath(QStringLiteral(".local/share"))));
    EXPECT_TRUE(ZunoPermissionCenter::isFullDiskAccessGranted(home.path(), false));
    ASSERT_TRUE(QDir().mkpath(home.filePath(QStringLiteral(".config"))));

    // Both folders closed to this user, as a sandbox leaves them.
    QFile::setPermissions(home.filePath(QStringLiteral(".config")), {});
    QFile::setPermissions(home.filePath(QStringLiteral(".local/share")), {});
    {
        OrdinaryUserFileAccess ordinary;
        EXPECT_FALSE(ZunoPermissionCenter::isFullDiskAccessGranted(home.path(), true));
    }
    QFile::setPermissions(home.filePath(QStringLiteral(".config")), kOpenFolder);
    QFile::setPermissions(home.filePath(QStringLiteral(".local/share")), kOpenFolder);
}

TEST(ZunoPermissionCenter, ScreenAndInputAccessFollowTheSessionType)
{
    struct Case {
        const char *sessionType;
        const char *display;
        const char *waylandDisplay;
        bool granted;
    };
    const Case cases[] = {
        { "x11", ":0", nullptr, true },
        { "x11", ":0", "wayland-0", true },
        { "wayland", ":0", "wayland-0", false },
        { nullptr, ":0", nullptr, true },
        { nullptr, ":0", "wayland-0", false },
        { nullptr, nullptr, nullptr, false },
        { "tty", nullptr, nullptr, false },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.sessionType ? c.sessionType : "-") + " " + (c.display ? c.display : "-")
            + " " + (c.waylandDisplay ? c.waylandDisplay : "-"));
        ZunoScopedEnvironment env;
        env.set("XDG_SESSION_TYPE", c.sessionType);
        env.set("DISPLAY", c.display);
        env.set("WAYLAND_DISPLAY", c.waylandDisplay);
        EXPECT_EQ(ZunoPermissionCenter::isScreenRecordingGranted(), c.granted);
        EXPECT_EQ(ZunoPermissionCenter::isAccessibilityGranted(true), c.granted);
        EXPECT_EQ(ZunoPermissionCenter::isAccessibilityGranted(false), c.granted);
    }
}

TEST(ZunoPermissionCenter, MicrophoneThroughTheSoundServer)
{
    {
        ZunoScopedEnvironment env;
        env.set("PULSE_SERVER", "unix:/nonexistent/zuno-pulse-socket");
        EXPECT_EQ(ZunoPermissionCenter::microphoneAuthorizationStatus(), Status::restricted);
    }
    if (qEnvironmentVariableIsEmpty("ZUNO_TEST_SESSION"))
        GTEST_SKIP() << "no PulseAudio server started for the tests";
    EXPECT_EQ(ZunoPermissionCenter::microphoneAuthorizationStatus(), Status::authorized);
}

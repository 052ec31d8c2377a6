#include "CameraV4L2Discovery.h"
#include "CameraSystemDevices.h"
#include "CameraV4L2Source.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <linux/videodev2.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

void touch(const QString &path, const QByteArray &content = {})
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

} // namespace

// A /dev, /dev/v4l/by-id and sysfs of our own, with a query that answers per node as a driver would.
TEST(CameraV4L2DiscoveryTest, ListsCaptureNodesInNodeOrderWithIdsAndNames)
{
    QTemporaryDir root;
    QDir(root.path()).mkpath(QStringLiteral("dev/v4l/by-id"));
    const QString dev = root.filePath(QStringLiteral("dev"));
    for (const char *name : { "video0", "video1", "video2", "video3", "video4", "video10", "videoX", "vbi0" })
        touch(dev + QLatin1Char('/') + QLatin1String(name));
    QFile::link(dev + QStringLiteral("/video0"),
        dev + QStringLiteral("/v4l/by-id/usb-Acme_HD_Cam_1234-video-index0"));
    QFile::link(dev + QStringLiteral("/video1"),
        dev + QStringLiteral("/v4l/by-id/usb-Acme_HD_Cam_1234-video-index1"));
    const QString sysfs = root.filePath(QStringLiteral("sys"));
    for (const auto &[node, name, index] :
        { std::tuple { "video10", "Locked Cam", "0" }, std::tuple { "video3", "Locked Cam", "1" } }) {
        QDir(sysfs).mkpath(QLatin1String(node));
        touch(sysfs + QLatin1Char('/') + node + QStringLiteral("/name"), QByteArray(name) + "\n");
        touch(sysfs + QLatin1Char('/') + node + QStringLiteral("/index"), QByteArray(index) + "\n");
    }

    QStringList asked;
    CameraV4L2Discovery::Environment environment;
    environment.deviceDirectory = dev;
    environment.byIdDirectory = dev + QStringLiteral("/v4l/by-id");
    environment.sysfsDirectory = sysfs;
    environment.query = [&](const QString &nodePath) {
        const QString node = QFileInfo(nodePath).fileName();
        asked << node;
        CameraV4L2Discovery::NodeQuery query;
        const auto capture = V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_STREAMING;
        if (node == "video0")
            query.capabilities = { "Acme HD Cam", "usb-0000:00:14.0-1", capture };
        else if (node == "video1") // the same camera's metadata node
            query.capabilities
                = { "Acme HD Cam", "usb-0000:00:14.0-1", V4L2_CAP_META_CAPTURE | V4L2_CAP_STREAMING };
        else if (node == "video2")
            query.capabilities = { "Desk Cam", "usb-0000:00:14.0-2", capture };
        else if (node == "video3" || node == "video10")
            query.error = EACCES;
        else
            query.error = ENOTTY; // not a V4L2 device
        return query;
    };

    const auto cameras = CameraV4L2Discovery::cameras(environment);
    ASSERT_EQ(cameras.size(), 3);
    EXPECT_EQ(cameras[0].descriptor,
        (CameraDeviceDescriptor { "usb-Acme_HD_Cam_1234-video-index0", "Acme HD Cam" }));
    EXPECT_EQ(cameras[0].nodePath, dev + QStringLiteral("/video0"));
    EXPECT_EQ(cameras[1].descriptor, (CameraDeviceDescriptor { "usb-0000:00:14.0-2", "Desk Cam" }));
    // Not openable: listed from sysfs (first node of the device only), so starting it reports a denial.
    EXPECT_EQ(cameras[2].descriptor, (CameraDeviceDescriptor { dev + "/video10", "Locked Cam" }));
    EXPECT_FALSE(asked.contains(QStringLiteral("videoX")));
    EXPECT_FALSE(asked.contains(QStringLiteral("vbi0")));
}

TEST(CameraV4L2DiscoveryTest, MissingDeviceFolderListsNothing)
{
    CameraV4L2Discovery::Environment environment;
    environment.deviceDirectory = QStringLiteral("/nonexistent/dev");
    environment.byIdDirectory = QStringLiteral("/nonexistent/by-id");
    EXPECT_TRUE(CameraV4L2Discovery::cameras(environment).isEmpty());
}

TEST(CameraV4L2DiscoveryTest, CaptureNodeTest)
{
    EXPECT_TRUE(CameraV4L2Discovery::isVideoCaptureNode(V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_STREAMING));
    EXPECT_FALSE(CameraV4L2Discovery::isVideoCaptureNode(V4L2_CAP_META_CAPTURE | V4L2_CAP_STREAMING));
    EXPECT_FALSE(CameraV4L2Discovery::isVideoCaptureNode(V4L2_CAP_VIDEO_OUTPUT));
    EXPECT_FALSE(
        CameraV4L2Discovery::isVideoCaptureNode(V4L2_CAP_VIDEO_CAPTURE_MPLANE)); // not read by libavdevice
}

TEST(CameraV4L2SourceTest, PrefersMjpegThenYuyvAt720p30)
{
    using Options = CameraV4L2Source::Options;
    const Options mjpeg720 { { "input_format", "mjpeg" }, { "video_size", "1280x720" },
        { "framerate", "30" } };
    const Options yuyv720 { { "input_format", "yuyv422" }, { "video_size", "1280x720" },
        { "framerate", "30" } };
    const Options mjpeg { { "input_format", "mjpeg" } };
    const Options yuyv { { "input_format", "yuyv422" } };

    const auto all720 = [](const QString &) { return true; };
    EXPECT_EQ(CameraV4L2Source::openAttempts({ "YUYV", "MJPG" }, all720),
        (std::vector<Options> { mjpeg720, yuyv720, mjpeg, yuyv, {} }));
    // MJPEG without 1280x720 loses to YUYV with it.
    EXPECT_EQ(
        CameraV4L2Source::openAttempts({ "YUYV", "MJPG" }, [](const QString &f) { return f == "YUYV"; }),
        (std::vector<Options> { yuyv720, mjpeg, yuyv, {} }));
    EXPECT_EQ(CameraV4L2Source::openAttempts({ "NV12" }, all720), (std::vector<Options> { {} }));
}

TEST(CameraV4L2DiscoveryTest, AccessDeniedOnlyForEacces)
{
    EXPECT_EQ(CameraSystemDevices::statusForAccessError(EACCES), CameraAuthorizationStatus::denied);
    EXPECT_EQ(CameraSystemDevices::statusForAccessError(0), CameraAuthorizationStatus::authorized);
    EXPECT_EQ(CameraSystemDevices::statusForAccessError(EBUSY), CameraAuthorizationStatus::authorized);
    EXPECT_EQ(CameraV4L2Discovery::probeAccess(QStringLiteral("/nonexistent/video0")), ENOENT);

    // A node this user may not open: probed by an unprivileged child, since root opens anything.
    QTemporaryDir dir;
    const QString node = dir.filePath(QStringLiteral("video0"));
    touch(node);
    ASSERT_EQ(::chmod(QFile::encodeName(node).constData(), 0600), 0);
    ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
    if (::geteuid() != 0) {
        EXPECT_EQ(CameraV4L2Discovery::probeAccess(node), 0); // our own file
        GTEST_SKIP() << "an unprivileged user cannot take another identity to probe a foreign node";
    }
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(100);
        ::_exit(CameraV4L2Discovery::probeAccess(node) == EACCES ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

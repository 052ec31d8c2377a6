#include "CameraV4L2Discovery.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>

#include <cerrno>
#include <fcntl.h>
#include <linux/videodev2.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace CameraV4L2Discovery {

namespace {

int openNode(const QString &nodePath)
{
    int fd;
    do {
        fd = ::open(QFile::encodeName(nodePath).constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

int xioctl(int fd, unsigned long request, void *argument)
{
    int result;
    do {
        result = ::ioctl(fd, request, argument);
    } while (result < 0 && errno == EINTR);
    return result;
}

QString fixedString(const __u8 *text, size_t size)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(text),
        static_cast<qsizetype>(strnlen(reinterpret_cast<const char *>(text), size)))
        .trimmed();
}

NodeQuery queryNode(const QString &nodePath)
{
    NodeQuery query;
    const int fd = openNode(nodePath);
    if (fd < 0) {
        query.error = errno;
        return query;
    }
    v4l2_capability capability {};
    if (xioctl(fd, VIDIOC_QUERYCAP, &capability) < 0) {
        query.error = errno;
    } else {
        Capabilities caps;
        caps.card = fixedString(capability.card, sizeof capability.card);
        caps.busInfo = fixedString(capability.bus_info, sizeof capability.bus_info);
        caps.deviceCaps = (capability.capabilities & V4L2_CAP_DEVICE_CAPS) ? capability.device_caps
                                                                           : capability.capabilities;
        query.capabilities = caps;
    }
    ::close(fd);
    return query;
}

QString readSysfs(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).trimmed();
}

QString fourCCText(std::uint32_t code)
{
    QString text;
    for (int i = 0; i < 4; ++i)
        text += QChar(static_cast<char>((code >> (8 * i)) & 0xff));
    return text.trimmed();
}

std::uint32_t fourCCCode(const QString &text)
{
    const QByteArray bytes = text.toLatin1().leftJustified(4, ' ', true);
    return v4l2_fourcc(bytes[0], bytes[1], bytes[2], bytes[3]);
}

} // namespace

bool isVideoCaptureNode(std::uint32_t deviceCaps)
{
    return (deviceCaps & V4L2_CAP_VIDEO_CAPTURE) != 0;
}

QList<Camera> cameras(const Environment &environment)
{
    const auto query = environment.query ? environment.query : queryNode;

    // /dev/videoN in the order of N.
    static const QRegularExpression nodeName(QStringLiteral("^video(\\d+)$"));
    QList<std::pair<int, QString>> nodes;
    const QDir devices(environment.deviceDirectory);
    for (const QString &name : devices.entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot)) {
        const auto match = nodeName.match(name);
        if (match.hasMatch())
            nodes.append({ match.captured(1).toInt(), name });
    }
    std::sort(nodes.begin(), nodes.end());

    // by-id links name the node they point to.
    QHash<QString, QString> byId;
    const QDir links(environment.byIdDirectory);
    for (const QFileInfo &link : links.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot)) {
        const QString target = link.canonicalFilePath();
        if (!target.isEmpty() && !byId.contains(target))
            byId.insert(target, link.fileName());
    }

    QList<Camera> found;
    for (const auto &[number, name] : nodes) {
        const QString nodePath = devices.filePath(name);
        const QString canonical = QFileInfo(nodePath).canonicalFilePath();
        const NodeQuery result = query(nodePath);
        QString cardName;
        QString bus;
        if (result.capabilities) {
            if (!isVideoCaptureNode(result.capabilities->deviceCaps))
                continue;
            cardName = result.capabilities->card;
            bus = result.capabilities->busInfo;
        } else if (result.error == EACCES || result.error == EPERM) {
            // A camera the user may not open is still listed, so that starting it reports the denial.
            // Without its capabilities, only a device's first node (its capture node) is taken.
            const QString sysfs = environment.sysfsDirectory + QLatin1Char('/') + name;
            const QString index = readSysfs(sysfs + QStringLiteral("/index"));
            if (!index.isEmpty() && index != QLatin1String("0"))
                continue;
            cardName = readSysfs(sysfs + QStringLiteral("/name"));
        } else {
            continue;
        }
        QString id = byId.value(canonical.isEmpty() ? nodePath : canonical);
        if (id.isEmpty())
            id = bus;
        if (id.isEmpty())
            id = nodePath;
        if (cardName.isEmpty())
            cardName = name;
        found.append({ CameraDeviceDescriptor { id, cardName }, nodePath });
    }
    return found;
}

QList<QString> pixelFormats(const QString &nodePath)
{
    QList<QString> formats;
    const int fd = openNode(nodePath);
    if (fd < 0)
        return formats;
    for (__u32 index = 0;; ++index) {
        v4l2_fmtdesc description {};
        description.index = index;
        description.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        if (xioctl(fd, VIDIOC_ENUM_FMT, &description) < 0)
            break;
        formats.append(fourCCText(description.pixelformat));
    }
    ::close(fd);
    return formats;
}

bool supportsFrameSize(const QString &nodePath, const QString &fourCC, int width, int height)
{
    const int fd = openNode(nodePath);
    if (fd < 0)
        return false;
    bool supported = false;
    for (__u32 index = 0; !supported; ++index) {
        v4l2_frmsizeenum size {};
        size.index = index;
        size.pixel_format = fourCCCode(fourCC);
        if (xioctl(fd, VIDIOC_ENUM_FRAMESIZES, &size) < 0)
            break;
        if (size.type == V4L2_FRMSIZE_TYPE_DISCRETE) {
            supported = static_cast<int>(size.discrete.width) == width
                && static_cast<int>(size.discrete.height) == height;
        } else {
            const auto &s = size.stepwise;
            const auto fits = [](int value, __u32 min, __u32 max, __u32 step) {
                return value >= static_cast<int>(min) && value <= static_cast<int>(max)
                    && (step == 0 || (value - static_cast<int>(min)) % static_cast<int>(step) == 0);
            };
            supported = fits(width, s.min_width, s.max_width, s.step_width)
                && fits(height, s.min_height, s.max_height, s.step_height);
            break; // stepwise and continuous sizes come as a single entry
        }
    }
    ::close(fd);
    return supported;
}

int probeAccess(const QString &nodePath)
{
    const int fd = openNode(nodePath);
    if (fd < 0)
        return errno;
    ::close(fd);
    return 0;
}

} // namespace CameraV4L2Discovery

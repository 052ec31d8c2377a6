#pragma once

#include "CameraDeviceDescriptor.h"

#include <QList>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

// Camera discovery over V4L2: the /dev/video* nodes that capture video (metadata nodes are skipped),
// in node order. A camera's id is its /dev/v4l/by-id name when it has one, else its bus; its name is
// the driver's card name.
namespace CameraV4L2Discovery {

struct Capabilities {
    QString card;
    QString busInfo;
    std::uint32_t deviceCaps = 0; // V4L2_CAP_* of this node
};

// What opening and querying a node gave: capabilities, or the errno of the failure.
struct NodeQuery {
    std::optional<Capabilities> capabilities;
    int error = 0;
};

struct Camera {
    CameraDeviceDescriptor descriptor;
    QString nodePath; // /dev/videoN
};

// Where to look and how to ask a node; tests point these at a folder of their own.
struct Environment {
    QString deviceDirectory = QStringLiteral("/dev");
    QString byIdDirectory = QStringLiteral("/dev/v4l/by-id");
    QString sysfsDirectory = QStringLiteral("/sys/class/video4linux");
    std::function<NodeQuery(const QString &nodePath)> query; // empty: VIDIOC_QUERYCAP on the node
};

QList<Camera> cameras(const Environment &environment = {});

// True for a node that captures single-planar video (what libavdevice reads), false for metadata,
// output and other nodes.
bool isVideoCaptureNode(std::uint32_t deviceCaps);

// The node's pixel formats as four-character codes ("MJPG", "YUYV"), empty when it cannot be asked.
QList<QString> pixelFormats(const QString &nodePath);
// True when the node offers that format at that size (discrete or stepwise sizes).
bool supportsFrameSize(const QString &nodePath, const QString &fourCC, int width, int height);

// Opens the node for reading and writing and closes it again; the errno, 0 when it opened.
int probeAccess(const QString &nodePath);

} // namespace CameraV4L2Discovery

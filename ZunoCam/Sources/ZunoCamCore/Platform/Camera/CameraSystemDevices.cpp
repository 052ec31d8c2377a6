#include "CameraSystemDevices.h"

#include "CameraFileSource.h"
#include "CameraSyntheticSource.h"
#include "CameraV4L2Discovery.h"
#include "CameraV4L2Source.h"

#include <QFileInfo>

#include <cerrno>

std::optional<CameraDeviceDescriptor> CameraSystemDevices::virtualCamera()
{
    const QString value = qEnvironmentVariable(kVirtualCameraVariable).trimmed();
    if (value.isEmpty())
        return std::nullopt;
    if (value == QLatin1String("pattern"))
        return CameraDeviceDescriptor { kPatternId, QStringLiteral("ZunoCam Test Pattern") };
    const QFileInfo file(value);
    return CameraDeviceDescriptor { kFileIdPrefix + file.absoluteFilePath(),
        QStringLiteral("ZunoCam Video File (%1)").arg(file.fileName()) };
}

CameraAuthorizationStatus CameraSystemDevices::statusForAccessError(int error)
{
    return error == EACCES ? CameraAuthorizationStatus::denied : CameraAuthorizationStatus::authorized;
}

QList<CameraDeviceDescriptor> CameraSystemDevices::devices()
{
    QList<CameraDeviceDescriptor> list;
    if (const auto virtualDevice = virtualCamera())
        list.append(*virtualDevice);
    for (const auto &camera : CameraV4L2Discovery::cameras())
        list.append(camera.descriptor);
    return list;
}

CameraAuthorizationStatus CameraSystemDevices::authorizationStatus(const std::optional<QString> &deviceID)
{
    const auto virtualDevice = virtualCamera();
    if (virtualDevice && (!deviceID || *deviceID == virtualDevice->id))
        return CameraAuthorizationStatus::authorized;
    const auto cameras = CameraV4L2Discovery::cameras();
    for (const auto &camera : cameras) {
        if (!deviceID || camera.descriptor.id == *deviceID)
            return statusForAccessError(CameraV4L2Discovery::probeAccess(camera.nodePath));
    }
    // No such camera: nothing to deny; starting reports the missing device.
    return CameraAuthorizationStatus::authorized;
}

std::shared_ptr<CameraFrameSource> CameraSystemDevices::makeSource(const CameraDeviceDescriptor &device)
{
    if (device.id == kPatternId)
        return std::make_shared<CameraSyntheticSource>(device);
    if (device.id.startsWith(kFileIdPrefix))
        return std::make_shared<CameraFileSource>(device, device.id.mid(kFileIdPrefix.size()));
    for (const auto &camera : CameraV4L2Discovery::cameras()) {
        if (camera.descriptor.id == device.id)
            return std::make_shared<CameraV4L2Source>(device, camera.nodePath);
    }
    return nullptr;
}

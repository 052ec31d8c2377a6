#pragma once

#include "CameraAuthorizationStatus.h"
#include "CameraDeviceDescriptor.h"
#include "CameraFrameSource.h"

#include <QList>

#include <memory>
#include <optional>

// The cameras the capture service can open and how to open them. The system directory lists V4L2
// cameras (and the virtual camera the environment names); tests give one of push sources.
class CameraDeviceDirectory {
public:
    virtual ~CameraDeviceDirectory() = default;

    // In the platform's order; the first is the default camera.
    virtual QList<CameraDeviceDescriptor> devices() = 0;
    // For that camera (the default one when `deviceID` is empty), whether the user may open it.
    virtual CameraAuthorizationStatus authorizationStatus(const std::optional<QString> &deviceID) = 0;
    // A source for a listed camera, not yet open.
    virtual std::shared_ptr<CameraFrameSource> makeSource(const CameraDeviceDescriptor &device) = 0;
};

#pragma once

#include "CameraDeviceDirectory.h"

#include <QString>

// The machine's cameras: V4L2 capture nodes, preceded (and so made the default) by a virtual camera
// when ZUNOCAM_VIRTUAL_CAMERA names one: "pattern" for the moving test picture, or the path of a
// video file to loop. Lets tests and demos run the real frame road without a camera.
class CameraSystemDevices : public CameraDeviceDirectory {
public:
    static constexpr const char *kVirtualCameraVariable = "ZUNOCAM_VIRTUAL_CAMERA";
    static inline const QString kPatternId = QStringLiteral("virtual:pattern");
    static inline const QString kFileIdPrefix = QStringLiteral("virtual:file:");

    QList<CameraDeviceDescriptor> devices() override;
    CameraAuthorizationStatus authorizationStatus(const std::optional<QString> &deviceID) override;
    std::shared_ptr<CameraFrameSource> makeSource(const CameraDeviceDescriptor &device) override;

    // The virtual camera ZUNOCAM_VIRTUAL_CAMERA names, if any.
    static std::optional<CameraDeviceDescriptor> virtualCamera();
    // The status an open() failure with this errno means: EACCES is a denial.
    static CameraAuthorizationStatus statusForAccessError(int error);
};

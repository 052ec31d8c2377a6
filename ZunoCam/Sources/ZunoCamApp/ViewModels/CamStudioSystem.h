#pragma once

#include "ZunoLanguage.h"
#include "ZunoMediaAuthorizationStatus.h"

#include <QString>

#include <functional>
#include <optional>

// The desktop's answers the studio asks for: microphone and camera permission, launch at login and
// the snapshot's file. The real one asks ZunoPermissionCenter, ZunoLaunchAtLogin and a file dialog;
// tests give a fake.
class CamStudioSystem {
public:
    virtual ~CamStudioSystem() = default;

    // Blocks (up to two seconds on Linux): call it on a worker, never on the main thread.
    virtual ZunoMediaAuthorizationStatus microphoneAuthorizationStatus() = 0;
    // Asks the user for microphone access; `completion` runs once, on any thread. Linux never asks:
    // the real one answers whether the sound server accepts the studio. Blocks like the probe.
    virtual void requestMicrophoneAccess(std::function<void(bool granted)> completion) = 0;

    // Asks the user for camera access; `completion` runs once, on any thread. Linux never asks: the
    // real one answers whether the camera devices open.
    virtual void requestCameraAccess(std::function<void(bool granted)> completion) = 0;
    // What to tell a user whose camera access is denied, in `language`.
    virtual QString cameraAccessHint(ZunoLanguage language) = 0;

    // A modal save dialog over the studio window proposing `proposedName`, PNG only; the chosen path,
    // or none when cancelled.
    virtual std::optional<QString> chooseSnapshotFile(const QString &proposedName) = 0;

    virtual bool isLaunchAtLoginEnabled() = 0;
    // True when the request was carried out.
    virtual bool setLaunchAtLoginEnabled(bool enabled) = 0;
};

#pragma once

#include "ZunoMediaAuthorizationStatus.h"

#include <functional>

// The desktop's answers the studio asks for: microphone permission and launch at login. The real
// one asks ZunoPermissionCenter and ZunoLaunchAtLogin; tests give a fake.
class CamStudioSystem {
public:
    virtual ~CamStudioSystem() = default;

    // Blocks (up to two seconds on Linux): call it on a worker, never on the main thread.
    virtual ZunoMediaAuthorizationStatus microphoneAuthorizationStatus() = 0;
    // Asks the user for microphone access; `completion` runs once, on any thread. Linux never asks:
    // the real one answers whether the sound server accepts the studio. Blocks like the probe.
    virtual void requestMicrophoneAccess(std::function<void(bool granted)> completion) = 0;

    virtual bool isLaunchAtLoginEnabled() = 0;
    // True when the request was carried out.
    virtual bool setLaunchAtLoginEnabled(bool enabled) = 0;
};

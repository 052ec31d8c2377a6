#pragma once

#include "CamStudioSystem.h"

#include <condition_variable>
#include <mutex>

// The desktop's answers as the test sets them. The microphone probe can be held until released, to
// let the studio change its mind while the probe runs.
class FakeStudioSystem : public CamStudioSystem {
public:
    ZunoMediaAuthorizationStatus microphoneAuthorizationStatus() override;
    void requestMicrophoneAccess(std::function<void(bool granted)> completion) override;
    void requestCameraAccess(std::function<void(bool granted)> completion) override;
    QString cameraAccessHint(ZunoLanguage language) override;
    std::optional<QString> chooseSnapshotFile(const QString &proposedName) override;
    bool isLaunchAtLoginEnabled() override;
    bool setLaunchAtLoginEnabled(bool enabled) override;

    void setMicrophoneStatus(ZunoMediaAuthorizationStatus status);
    void setMicrophoneRequestGrants(bool grants);
    // While held, the probe waits (bounded) until released.
    void holdMicrophoneProbe();
    void releaseMicrophoneProbe();
    int microphoneProbes() const;

    void setCameraRequestGrants(bool grants);
    // The dialog's answer: a path, or none for a cancelled dialog.
    void setSnapshotFile(const std::optional<QString> &path);
    QString proposedSnapshotName() const;

    void setLaunchAtLoginState(bool enabled);
    // When false, setLaunchAtLoginEnabled changes nothing and answers false.
    void setLaunchAtLoginWritable(bool writable);

private:
    mutable std::mutex m_lock;
    std::condition_variable m_released;
    ZunoMediaAuthorizationStatus m_microphoneStatus = ZunoMediaAuthorizationStatus::authorized;
    bool m_requestGrants = true;
    bool m_probeHeld = false;
    int m_probes = 0;
    bool m_cameraRequestGrants = true;
    std::optional<QString> m_snapshotFile;
    QString m_proposedSnapshotName;
    bool m_launchAtLogin = false;
    bool m_launchAtLoginWritable = true;
};

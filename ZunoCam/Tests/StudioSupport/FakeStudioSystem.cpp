#include "FakeStudioSystem.h"

#include <chrono>

ZunoMediaAuthorizationStatus FakeStudioSystem::microphoneAuthorizationStatus()
{
    std::unique_lock lock(m_lock);
    ++m_probes;
    m_released.wait_for(lock, std::chrono::seconds(30), [this] { return !m_probeHeld; });
    return m_microphoneStatus;
}

void FakeStudioSystem::requestMicrophoneAccess(std::function<void(bool granted)> completion)
{
    bool grants = false;
    {
        std::lock_guard lock(m_lock);
        grants = m_requestGrants;
    }
    completion(grants);
}

bool FakeStudioSystem::isLaunchAtLoginEnabled()
{
    std::lock_guard lock(m_lock);
    return m_launchAtLogin;
}

bool FakeStudioSystem::setLaunchAtLoginEnabled(bool enabled)
{
    std::lock_guard lock(m_lock);
    if (!m_launchAtLoginWritable)
        return false;
    m_launchAtLogin = enabled;
    return true;
}

void FakeStudioSystem::setMicrophoneStatus(ZunoMediaAuthorizationStatus status)
{
    std::lock_guard lock(m_lock);
    m_microphoneStatus = status;
}

void FakeStudioSystem::setMicrophoneRequestGrants(bool grants)
{
    std::lock_guard lock(m_lock);
    m_requestGrants = grants;
}

void FakeStudioSystem::holdMicrophoneProbe()
{
    std::lock_guard lock(m_lock);
    m_probeHeld = true;
}

void FakeStudioSystem::releaseMicrophoneProbe()
{
    {
        std::lock_guard lock(m_lock);
        m_probeHeld = false;
    }
    m_released.notify_all();
}

int FakeStudioSystem::microphoneProbes() const
{
    std::lock_guard lock(m_lock);
    return m_probes;
}

void FakeStudioSystem::setLaunchAtLoginState(bool enabled)
{
    std::lock_guard lock(m_lock);
    m_launchAtLogin = enabled;
}

void FakeStudioSystem::setLaunchAtLoginWritable(bool writable)
{
    std::lock_guard lock(m_lock);
    m_launchAtLoginWritable = writable;
}

void FakeStudioSystem::requestCameraAccess(std::function<void(bool granted)> completion)
{
    bool grants = false;
    {
        std::lock_guard lock(m_lock);
        grants = m_cameraRequestGrants;
    }
    completion(grants);
}

QString FakeStudioSystem::cameraAccessHint(ZunoLanguage language)
{
    return language == ZunoLanguage::tr ? QStringLiteral("Kamera ipucu") : QStringLiteral("Camera hint");
}

std::optional<QString> FakeStudioSystem::chooseSnapshotFile(const QString &proposedName)
{
    std::lock_guard lock(m_lock);
    m_proposedSnapshotName = proposedName;
    return m_snapshotFile;
}

void FakeStudioSystem::setCameraRequestGrants(bool grants)
{
    std::lock_guard lock(m_lock);
    m_cameraRequestGrants = grants;
}

void FakeStudioSystem::setSnapshotFile(const std::optional<QString> &path)
{
    std::lock_guard lock(m_lock);
    m_snapshotFile = path;
}

QString FakeStudioSystem::proposedSnapshotName() const
{
    std::lock_guard lock(m_lock);
    return m_proposedSnapshotName;
}

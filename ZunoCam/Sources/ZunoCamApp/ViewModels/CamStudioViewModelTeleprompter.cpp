// Scripts and teleprompter playback of the studio view model: the script list, showing and hiding the
// notch teleprompter, the countdown, the scroll loop with its voice gate, and voice monitoring.
#include "CamStudioViewModel.h"

#include "CamSaturating.h"
#include "VoiceActivityMonitorService.h"
#include "ZunoAppLogger.h"
#include "ZunoMainThread.h"
#include "ZunoScreenCaptureExclusion.h"

#include <QDateTime>
#include <QPointer>

#include <algorithm>

void CamStudioViewModel::createNewScript()
{
    TeleprompterScript script(QUuid::createUuid(),
        text(QStringLiteral("Untitled Script"), QStringLiteral("Yeni Senaryo")),
        text(QStringLiteral("Write your talking points here..."),
            QStringLiteral("Konuşma metninizi buraya yazın...")),
        QDateTime::currentDateTimeUtc());
    const QUuid id = script.id;
    std::vector<TeleprompterScript> scripts = m_scripts;
    scripts.insert(scripts.begin(), std::move(script));
    setScripts(std::move(scripts));
    setSelectedScriptID(id);
    persist();
}

void CamStudioViewModel::deleteScript(const TeleprompterScript &script)
{
    // The last script can never be deleted.
    if (m_scripts.size() < 2)
        return;
    const QUuid id = script.id;
    std::vector<TeleprompterScript> scripts = m_scripts;
    std::erase_if(scripts, [&id](const TeleprompterScript &candidate) { return candidate.id == id; });
    setScripts(std::move(scripts));
    if (m_selectedScriptID == id)
        setSelectedScriptID(m_scripts.empty() ? std::nullopt : std::optional<QUuid>(m_scripts.front().id));
    persist();
}

void CamStudioViewModel::updateActiveScript(
    const std::optional<QString> &title, const std::optional<QString> &body)
{
    const std::optional<std::size_t> index = activeScriptIndex();
    if (!index)
        return;
    std::vector<TeleprompterScript> scripts = m_scripts;
    TeleprompterScript &script = scripts[*index];
    if (title)
        script.title = *title;
    if (body)
        script.body = *body;
    script.updatedAt = QDateTime::currentDateTimeUtc();
    setScripts(std::move(scripts));
    persist();
}

void CamStudioViewModel::showTeleprompterOverlay()
{
    if (!m_prompterController && m_services.panels.makeNotchPanel)
        m_prompterController = m_services.panels.makeNotchPanel(*this);
    setPrompterScrollOffset(0);
    if (m_prompterController)
        m_prompterController->show(m_teleprompter);
    setPrompterVisible(true);

    const std::optional<std::size_t> index = activeScriptIndex();
    m_services.logger->info(QStringLiteral("Notch teleprompter launched (script='%1', wpm=%2)")
                                .arg(index ? m_scripts[*index].title : QStringLiteral("Untitled"))
                                .arg(CamSaturating::toInt64(m_teleprompter.wordsPerMinute)),
        kTeleprompterCategory);

    if (m_teleprompter.voicePacingEnabled)
        ensureVoiceMonitoring();

    m_countdownTimer.reset();
    const qint64 countdown = m_teleprompter.countdownSecondsBeforeStart;
    if (countdown < 1) {
        setPrompterCountdown(0);
        setPrompterScrolling(true);
        startScrollLoop();
        return;
    }
    setPrompterScrolling(false);
    setPrompterCountdown(countdown);
    m_countdownTimer = m_services.clock->repeating(1.0, [this] { countdownTick(); });
}

void CamStudioViewModel::countdownTick()
{
    if (m_prompterCountdownRemaining > 0)
        setPrompterCountdown(m_prompterCountdownRemaining - 1);
    if (m_prompterCountdownRemaining > 0)
        return;
    m_countdownTimer.reset();
    if (!m_isTeleprompterVisible)
        return;
    setPrompterScrolling(true);
    startScrollLoop();
}

void CamStudioViewModel::hideTeleprompterOverlay()
{
    m_countdownTimer.reset();
    setPrompterCountdown(0);
    m_scrollTimer.reset();
    stopVoiceMonitor();
    if (m_prompterController)
        m_prompterController->orderOut();
    setPrompterVisible(false);
    setPrompterScrolling(false);
    setVoiceGateOpen(false);
    m_services.logger->info(QStringLiteral("Notch teleprompter closed."), kTeleprompterCategory);
}

void CamStudioViewModel::startScrollLoop()
{
    // The step is the fixed tick, not the time measured since the last one; the clock keeps 60 ticks
    // a second and skips ticks it could not run in time.
    m_scrollTimer = m_services.clock->repeating(
        kScrollTickSeconds, [this] { advancePrompterFrame(kScrollTickSeconds); });
}

void CamStudioViewModel::advancePrompterFrame(double dt)
{
    if (!m_isTeleprompterVisible || !m_isPrompterScrolling)
        return;
    if (m_teleprompter.voicePacingEnabled) {
        const bool open
            = m_pacingEngine.evaluateVoiceGate(m_liveVoiceRMS, m_teleprompter.voiceThresholdRMS, dt);
        setVoiceGateOpen(open);
        if (!open)
            return;
    } else {
        setVoiceGateOpen(true);
    }
    const double velocity = TeleprompterPacingEngine::scrollVelocityPointsPerSecond(
        m_teleprompter.wordsPerMinute, m_teleprompter.fontSize, m_teleprompter.panelWidth);
    setPrompterScrollOffset(m_prompterScrollOffset + dt * velocity);
}

void CamStudioViewModel::nudgePrompterWPM(double delta)
{
    TeleprompterSettings settings = m_teleprompter;
    settings.wordsPerMinute = CamSaturating::clamped(settings.wordsPerMinute + delta, 50, 300);
    setTeleprompter(settings);
    applyTeleprompterSettings();
}

void CamStudioViewModel::applyTeleprompterSettings()
{
    persist();
    if (!m_isTeleprompterVisible)
        return;
    if (m_prompterController)
        m_prompterController->updateLayout(m_teleprompter);
    if (m_teleprompter.voicePacingEnabled)
        ensureVoiceMonitoring();
    else
        stopVoiceMonitor();
}

bool CamStudioViewModel::wantsVoiceMonitoring() const
{
    return m_isTeleprompterVisible && m_teleprompter.voicePacingEnabled;
}

void CamStudioViewModel::ensureVoiceMonitoring()
{
    // The probe blocks up to 2 s: it runs on the microphone worker and its answer hops back here.
    CamStudioSystem *system = m_services.system.get();
    m_microphoneQueue.async([system, guard = QPointer<CamStudioViewModel>(this)] {
        const ZunoMediaAuthorizationStatus status = system->microphoneAuthorizationStatus();
        ZunoMainThread::post(nullptr, [guard, status] {
            if (guard)
                guard->handleMicrophoneStatus(status);
        });
    });
}

void CamStudioViewModel::handleMicrophoneStatus(ZunoMediaAuthorizationStatus status)
{
    // The teleprompter may have been hidden, or voice pacing switched off, while the probe ran.
    if (!wantsVoiceMonitoring())
        return;
    switch (status) {
    case ZunoMediaAuthorizationStatus::authorized:
        startVoiceMonitor();
        return;
    case ZunoMediaAuthorizationStatus::notDetermined: {
        CamStudioSystem *system = m_services.system.get();
        m_microphoneQueue.async([system, guard = QPointer<CamStudioViewModel>(this)] {
            system->requestMicrophoneAccess([guard](bool granted) {
                ZunoMainThread::post(nullptr, [guard, granted] {
                    if (!guard || !guard->wantsVoiceMonitoring())
                        return;
                    if (granted)
                        guard->startVoiceMonitor();
                    else
                        guard->showToast(
                            QStringLiteral("Microphone permission required for voice pacing."), true);
                });
            });
        });
        return;
    }
    case ZunoMediaAuthorizationStatus::denied:
        showToast(
            text(QStringLiteral("Allow microphone access for ZunoCam in your desktop's privacy settings to "
                                "use Voice Pacing."),
                QStringLiteral(
                    "Sesle akış için masaüstünüzün gizlilik ayarlarından ZunoCam’e mikrofon erişimi "
                    "verin.")),
            true);
        return;
    case ZunoMediaAuthorizationStatus::restricted:
        showToast(text(QStringLiteral("Voice Pacing needs a running sound server (PipeWire or PulseAudio)."),
                      QStringLiteral(
                          "Sesle akış için çalışan bir ses sunucusu (PipeWire veya PulseAudio) gerekir.")),
            true);
        return;
    }
}

void CamStudioViewModel::startVoiceMonitor()
{
    VoiceActivityMonitorService *monitor = m_services.voiceMonitor.get();
    m_microphoneQueue.async([monitor] { monitor->start(); });
}

void CamStudioViewModel::stopVoiceMonitor()
{
    VoiceActivityMonitorService *monitor = m_services.voiceMonitor.get();
    m_microphoneQueue.async([monitor] { monitor->stop(); });
}

void CamStudioViewModel::setPrompterVisible(bool visible)
{
    if (m_isTeleprompterVisible != visible) {
        m_isTeleprompterVisible = visible;
        emit prompterStateChanged();
    }
}

void CamStudioViewModel::setPrompterCountdown(qint64 remaining)
{
    if (m_prompterCountdownRemaining != remaining) {
        m_prompterCountdownRemaining = remaining;
        emit prompterStateChanged();
    }
}

void CamStudioViewModel::setVoiceGateOpen(bool open)
{
    if (m_isVoiceGateOpen != open) {
        m_isVoiceGateOpen = open;
        emit prompterStateChanged();
    }
}

bool CamStudioViewModel::canHideFromScreenShare()
{
    return ZunoScreenCaptureExclusion::isSupported();
}

#pragma once

#include "CamMicrophoneInput.h"
#include "CamStudioCallLog.h"
#include "VoiceActivityMonitorService.h"

#include <memory>
#include <mutex>

// The microphone behind a real VoiceActivityMonitorService: each start makes an input bound to this
// hub, and emitLevel() delivers one block of that level, as the audio thread would.
class FakeMicrophone : public std::enable_shared_from_this<FakeMicrophone> {
public:
    explicit FakeMicrophone(std::shared_ptr<CamStudioCallLog> log)
        : m_log(std::move(log))
    {
    }

    VoiceActivityMonitorService::InputFactory inputFactory();

    // A block whose level (as the monitor computes it) is `level`; false when no input runs.
    bool emitLevel(double level);
    bool isRunning() const;
    int starts() const { return m_log->count(QStringLiteral("microphone.start")); }
    int stops() const { return m_log->count(QStringLiteral("microphone.stop")); }

private:
    friend class FakeMicrophoneInput;
    void started(CamMicrophoneInput::BlockHandler handler);
    void stopped();

    std::shared_ptr<CamStudioCallLog> m_log;
    mutable std::mutex m_lock;
    CamMicrophoneInput::BlockHandler m_handler;
};

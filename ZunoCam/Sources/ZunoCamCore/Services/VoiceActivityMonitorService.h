#pragma once

#include "CamMicrophoneInput.h"

#include <functional>
#include <memory>
#include <mutex>

// Listens to the default microphone and reports one loudness level in [0, 1] per audio block through
// onRMSLevel, on the audio thread. start() and stop() are idempotent and called from the owner's
// thread; every failure is silent (the monitor then simply stays off). Destroying the monitor stops
// the input and joins its audio thread.
class VoiceActivityMonitorService {
public:
    using RMSLevelHandler = std::function<void(double)>;
    using InputFactory = std::function<std::unique_ptr<CamMicrophoneInput>()>;

    // The level scale: this factor times the RMS of the first channel, clamped to [0, 1].
    static constexpr double kLevelGain = 2.5;

    VoiceActivityMonitorService();
    // Uses the given factory for each start instead of the PulseAudio microphone.
    explicit VoiceActivityMonitorService(InputFactory inputFactory);
    ~VoiceActivityMonitorService();
    VoiceActivityMonitorService(const VoiceActivityMonitorService &) = delete;
    VoiceActivityMonitorService &operator=(const VoiceActivityMonitorService &) = delete;

    bool isMonitoring() const;
    // Begins monitoring with a fresh input unless already monitoring.
    void start();
    // Ends monitoring; after it returns no further level is reported. Not to be called from onRMSLevel.
    void stop();

    // Set before start(): the running input keeps the handler it was started with, so the audio thread
    // never reads a handler while the owner replaces it.
    RMSLevelHandler onRMSLevel() const;
    void setOnRMSLevel(RMSLevelHandler handler);

    // The level of one block of interleaved samples: only channel 0 counts. Requires frameCount > 0
    // and channelCount > 0.
    static double level(const float *samples, std::size_t frameCount, int channelCount);

private:
    InputFactory m_inputFactory;
    mutable std::mutex m_mutex;
    std::unique_ptr<CamMicrophoneInput> m_input; // set only while monitoring
    bool m_isMonitoringState = false;
    RMSLevelHandler m_onRMSLevel;
};

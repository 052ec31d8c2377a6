#include "VoiceActivityMonitorService.h"

#include "CamPulseMicrophoneInput.h"

#include <algorithm>
#include <cmath>
#include <utility>

VoiceActivityMonitorService::VoiceActivityMonitorService()
    : VoiceActivityMonitorService([] { return std::make_unique<CamPulseMicrophoneInput>(); })
{
}

VoiceActivityMonitorService::VoiceActivityMonitorService(InputFactory inputFactory)
    : m_inputFactory(std::move(inputFactory))
{
}

VoiceActivityMonitorService::~VoiceActivityMonitorService()
{
    stop();
}

bool VoiceActivityMonitorService::isMonitoring() const
{
    std::lock_guard lock(m_mutex);
    return m_isMonitoringState;
}

void VoiceActivityMonitorService::start()
{
    RMSLevelHandler handler;
    {
        std::lock_guard lock(m_mutex);
        if (m_isMonitoringState)
            return;
        handler = m_onRMSLevel;
    }

    std::unique_ptr<CamMicrophoneInput> input = m_inputFactory ? m_inputFactory() : nullptr;
    if (!input)
        return;
    // Runs on the audio thread: one pass over channel 0 and one call, no lock, no allocation.
    auto onBlock
        = [handler = std::move(handler)](const float *samples, std::size_t frameCount, int channelCount) {
              if (!samples || frameCount == 0 || channelCount <= 0 || !handler)
                  return;
              handler(level(samples, frameCount, channelCount));
          };
    if (!input->start(std::move(onBlock)))
        return;

    std::unique_ptr<CamMicrophoneInput> previous;
    {
        std::lock_guard lock(m_mutex);
        previous = std::exchange(m_input, std::move(input));
        m_isMonitoringState = true;
    }
    // An input left over from a racing start() is stopped outside the lock.
    if (previous)
        previous->stop();
}

void VoiceActivityMonitorService::stop()
{
    std::unique_ptr<CamMicrophoneInput> input;
    {
        std::lock_guard lock(m_mutex);
        m_isMonitoringState = false;
        input = std::move(m_input);
    }
    if (input)
        input->stop();
}

VoiceActivityMonitorService::RMSLevelHandler VoiceActivityMonitorService::onRMSLevel() const
{
    std::lock_guard lock(m_mutex);
    return m_onRMSLevel;
}

void VoiceActivityMonitorService::setOnRMSLevel(RMSLevelHandler handler)
{
    std::lock_guard lock(m_mutex);
    m_onRMSLevel = std::move(handler);
}

double VoiceActivityMonitorService::level(const float *samples, std::size_t frameCount, int channelCount)
{
    double sum = 0;
    const std::size_t stride = std::size_t(channelCount);
    for (std::size_t i = 0; i < frameCount; ++i) {
        const double sample = samples[i * stride];
        sum += sample * sample;
    }
    const double value = std::sqrt(sum / double(frameCount)) * kLevelGain;
    // NaN samples fall to 0 as well: !(value > 0) catches them.
    if (!(value > 0))
        return 0;
    return std::min(value, 1.0);
}

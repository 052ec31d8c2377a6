#include "FakeMicrophone.h"

#include <vector>

class FakeMicrophoneInput : public CamMicrophoneInput {
public:
    explicit FakeMicrophoneInput(std::shared_ptr<FakeMicrophone> hub)
        : m_hub(std::move(hub))
    {
    }
    ~FakeMicrophoneInput() override { stop(); }

    bool start(BlockHandler handler) override
    {
        m_running = true;
        m_hub->started(std::move(handler));
        return true;
    }
    void stop() override
    {
        if (!m_running)
            return;
        m_running = false;
        m_hub->stopped();
    }
    CamAudioFormat format() const override
    {
        return m_running ? CamAudioFormat { 1, 48000 } : CamAudioFormat {};
    }

private:
    std::shared_ptr<FakeMicrophone> m_hub;
    bool m_running = false;
};

VoiceActivityMonitorService::InputFactory FakeMicrophone::inputFactory()
{
    return [weak = weak_from_this()]() -> std::unique_ptr<CamMicrophoneInput> {
        const auto hub = weak.lock();
        if (!hub)
            return nullptr;
        return std::make_unique<FakeMicrophoneInput>(hub);
    };
}

bool FakeMicrophone::emitLevel(double level)
{
    std::lock_guard lock(m_lock);
    if (!m_handler)
        return false;
    const std::vector<float> block(1024, static_cast<float>(level / VoiceActivityMonitorService::kLevelGain));
    m_handler(block.data(), 1024, 1);
    return true;
}

bool FakeMicrophone::isRunning() const
{
    std::lock_guard lock(m_lock);
    return static_cast<bool>(m_handler);
}

void FakeMicrophone::started(CamMicrophoneInput::BlockHandler handler)
{
    m_log->add(QStringLiteral("microphone.start"));
    std::lock_guard lock(m_lock);
    m_handler = std::move(handler);
}

void FakeMicrophone::stopped()
{
    m_log->add(QStringLiteral("microphone.stop"));
    std::lock_guard lock(m_lock);
    m_handler = nullptr;
}

#pragma once

#include "CamMicrophoneInput.h"

#include <memory>

// The microphone over PulseAudio (PipeWire serves the same protocol): a record stream on the default
// source (or PULSE_SOURCE, as every PulseAudio client honours it) at the source's own channel count
// and rate, as float32, cut into blocks of kBlockFrames frames on libpulse's threaded main loop.
// start() never spawns a sound server and gives up after a few seconds when the server does not answer.
class CamPulseMicrophoneInput final : public CamMicrophoneInput {
public:
    static constexpr std::size_t kBlockFrames = 1024;

    CamPulseMicrophoneInput();
    ~CamPulseMicrophoneInput() override;
    CamPulseMicrophoneInput(const CamPulseMicrophoneInput &) = delete;
    CamPulseMicrophoneInput &operator=(const CamPulseMicrophoneInput &) = delete;

    bool start(BlockHandler handler) override;
    void stop() override;
    CamAudioFormat format() const override;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

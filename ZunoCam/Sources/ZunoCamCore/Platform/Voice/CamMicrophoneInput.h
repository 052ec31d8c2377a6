#pragma once

#include <cstddef>
#include <functional>

// The sample format a running microphone input delivers: interleaved float32, full scale 1.
struct CamAudioFormat {
    int channelCount = 0;
    double sampleRate = 0;

    friend bool operator==(const CamAudioFormat &, const CamAudioFormat &) = default;
};

// A source of microphone blocks. The platform implementation talks to the sound server; tests put a
// fake behind it. start() and stop() are called from one owner thread; blocks arrive on the input's
// own audio thread, never after stop() has returned.
class CamMicrophoneInput {
public:
    // Interleaved samples of frameCount frames with channelCount channels. The data is valid only for
    // the duration of the call; the handler must not block, allocate or call stop().
    using BlockHandler = std::function<void(const float *samples, std::size_t frameCount, int channelCount)>;

    virtual ~CamMicrophoneInput() = default;

    // Opens the default input and begins delivering blocks to the handler. Returns false, with
    // nothing left running, when there is no server, no input or no usable format.
    virtual bool start(BlockHandler handler) = 0;
    // Ends delivery and joins the audio thread. Harmless when not started.
    virtual void stop() = 0;
    // The format of the running input; zero channels and rate when not started.
    virtual CamAudioFormat format() const = 0;
};

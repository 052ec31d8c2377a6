#include "CamPulseMicrophoneInput.h"

#include "ZunoAppInfo.h"

#include <pulse/pulseaudio.h>

#include <cstring>
#include <vector>

namespace {

// How long start() waits for the server and the stream before it gives up.
constexpr pa_usec_t kStartTimeout = 5 * PA_USEC_PER_SEC;

} // namespace

struct CamPulseMicrophoneInput::Impl {
    pa_threaded_mainloop *loop = nullptr;
    pa_context *context = nullptr;
    pa_stream *stream = nullptr;
    bool timedOut = false;

    // Touched by the audio thread only once the stream is running.
    BlockHandler handler;
    CamAudioFormat format;
    std::vector<float> block;
    std::size_t blockSamples = 0;
    std::size_t blockFill = 0;

    void teardown();
    bool waitUntil(const std::function<bool()> &done);
    void consume(const float *samples, std::size_t count);

    static void onContextState(pa_context *, void *userdata);
    static void onStreamState(pa_stream *stream, void *userdata);
    static void onStreamRead(pa_stream *stream, std::size_t, void *userdata);
    static void onTimeout(pa_mainloop_api *, pa_time_event *, const struct timeval *, void *userdata);
};

void CamPulseMicrophoneInput::Impl::onContextState(pa_context *, void *userdata)
{
    pa_threaded_mainloop_signal(static_cast<Impl *>(userdata)->loop, 0);
}

void CamPulseMicrophoneInput::Impl::onStreamState(pa_stream *stream, void *userdata)
{
    auto *self = static_cast<Impl *>(userdata);
    if (pa_stream_get_state(stream) == PA_STREAM_READY) {
        // The server has fixed the source's own channel count and rate; this runs before any data.
        const pa_sample_spec *sampleSpec = pa_stream_get_sample_spec(stream);
        self->format = { sampleSpec->channels, double(sampleSpec->rate) };
        self->blockSamples = kBlockFrames * sampleSpec->channels;
        self->blockFill = 0;
    }
    pa_threaded_mainloop_signal(self->loop, 0);
}

void CamPulseMicrophoneInput::Impl::onStreamRead(pa_stream *stream, std::size_t, void *userdata)
{
    auto *self = static_cast<Impl *>(userdata);
    while (pa_stream_readable_size(stream) > 0) {
        const void *data = nullptr;
        std::size_t bytes = 0;
        if (pa_stream_peek(stream, &data, &bytes) < 0 || bytes == 0)
            return;
        // A hole (data lost by the server) carries no samples and is skipped.
        if (data)
            self->consume(static_cast<const float *>(data), bytes / sizeof(float));
        pa_stream_drop(stream);
    }
}

void CamPulseMicrophoneInput::Impl::onTimeout(
    pa_mainloop_api *, pa_time_event *, const struct timeval *, void *userdata)
{
    auto *self = static_cast<Impl *>(userdata);
    self->timedOut = true;
    pa_threaded_mainloop_signal(self->loop, 0);
}

// Fills the preallocated block and hands over each full one; no allocation on this path.
void CamPulseMicrophoneInput::Impl::consume(const float *samples, std::size_t count)
{
    if (blockSamples == 0 || blockSamples > block.size())
        return;
    while (count > 0) {
        const std::size_t take = std::min(count, blockSamples - blockFill);
        std::memcpy(block.data() + blockFill, samples, take * sizeof(float));
        blockFill += take;
        samples += take;
        count -= take;
        if (blockFill == blockSamples) {
            blockFill = 0;
            if (handler)
                handler(block.data(), kBlockFrames, format.channelCount);
        }
    }
}

// Waits on the main loop (its lock held) until done() holds or the start time-out fires.
bool CamPulseMicrophoneInput::Impl::waitUntil(const std::function<bool()> &done)
{
    while (!done()) {
        if (timedOut)
            return false;
        pa_threaded_mainloop_wait(loop);
    }
    return true;
}

// Disconnects, stops and joins the audio thread; afterwards no callback runs.
void CamPulseMicrophoneInput::Impl::teardown()
{
    if (!loop)
        return;
    pa_threaded_mainloop_lock(loop);
    if (stream) {
        pa_stream_set_state_callback(stream, nullptr, nullptr);
        pa_stream_set_read_callback(stream, nullptr, nullptr);
        pa_stream_disconnect(stream);
        pa_stream_unref(stream);
        stream = nullptr;
    }
    if (context) {
        pa_context_set_state_callback(context, nullptr, nullptr);
        pa_context_disconnect(context);
        pa_context_unref(context);
        context = nullptr;
    }
    pa_threaded_mainloop_unlock(loop);
    pa_threaded_mainloop_stop(loop);
    pa_threaded_mainloop_free(loop);
    loop = nullptr;
    handler = nullptr;
    format = {};
    blockSamples = 0;
    blockFill = 0;
    timedOut = false;
}

CamPulseMicrophoneInput::CamPulseMicrophoneInput()
    : m_impl(std::make_unique<Impl>())
{
}

CamPulseMicrophoneInput::~CamPulseMicrophoneInput()
{
    stop();
}

bool CamPulseMicrophoneInput::start(BlockHandler handler)
{
    Impl &d = *m_impl;
    if (d.loop)
        return true;

    d.loop = pa_threaded_mainloop_new();
    if (!d.loop)
        return false;
    pa_threaded_mainloop_set_name(d.loop, "zunocam-audio");
    d.handler = std::move(handler);
    // The largest block any source can need, so the audio thread never allocates.
    d.block.assign(kBlockFrames * PA_CHANNELS_MAX, 0.0f);

    pa_proplist *props = pa_proplist_new();
    pa_proplist_sets(props, PA_PROP_APPLICATION_NAME, ZunoAppInfo::displayName);
    pa_proplist_sets(props, PA_PROP_APPLICATION_ID, ZunoAppInfo::bundleIdentifier);
    pa_proplist_sets(props, PA_PROP_MEDIA_ROLE, "production");
    d.context
        = pa_context_new_with_proplist(pa_threaded_mainloop_get_api(d.loop), ZunoAppInfo::displayName, props);
    pa_proplist_free(props);
    if (!d.context) {
        d.teardown();
        return false;
    }
    pa_context_set_state_callback(d.context, &Impl::onContextState, &d);
    if (pa_context_connect(d.context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0
        || pa_threaded_mainloop_start(d.loop) < 0) {
        d.teardown();
        return false;
    }

    pa_threaded_mainloop_lock(d.loop);
    pa_time_event *timeout
        = pa_context_rttime_new(d.context, pa_rtclock_now() + kStartTimeout, &Impl::onTimeout, &d);
    const auto settled = [&d] {
        const pa_context_state_t state = pa_context_get_state(d.context);
        return state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state);
    };
    bool ready = d.waitUntil(settled) && pa_context_get_state(d.context) == PA_CONTEXT_READY;

    if (ready) {
        // A provisional sample format: FIX_CHANNELS and FIX_RATE make the server replace both with the
        // source's.
        const pa_sample_spec request { PA_SAMPLE_FLOAT32NE, 48000, 1 };
        d.stream = pa_stream_new(d.context, "Voice level", &request, nullptr);
        ready = d.stream != nullptr;
    }
    if (ready) {
        pa_stream_set_state_callback(d.stream, &Impl::onStreamState, &d);
        pa_stream_set_read_callback(d.stream, &Impl::onStreamRead, &d);
        pa_buffer_attr attr;
        std::memset(&attr, 0xff, sizeof attr);
        attr.fragsize = uint32_t(kBlockFrames * sizeof(float));
        const auto flags
            = pa_stream_flags_t(PA_STREAM_FIX_CHANNELS | PA_STREAM_FIX_RATE | PA_STREAM_ADJUST_LATENCY);
        ready = pa_stream_connect_record(d.stream, nullptr, &attr, flags) == 0;
    }
    if (ready) {
        const auto streamSettled = [&d] {
            const pa_stream_state_t state = pa_stream_get_state(d.stream);
            return state == PA_STREAM_READY || !PA_STREAM_IS_GOOD(state);
        };
        ready = d.waitUntil(streamSettled) && pa_stream_get_state(d.stream) == PA_STREAM_READY
            && d.format.channelCount > 0 && d.format.channelCount <= int(PA_CHANNELS_MAX)
            && d.format.sampleRate > 0;
    }
    if (ready) {
        // Now that the frame size is known, ask for fragments of one block.
        pa_buffer_attr attr;
        std::memset(&attr, 0xff, sizeof attr);
        attr.fragsize = uint32_t(kBlockFrames * pa_frame_size(pa_stream_get_sample_spec(d.stream)));
        if (pa_operation *op = pa_stream_set_buffer_attr(d.stream, &attr, nullptr, nullptr))
            pa_operation_unref(op);
    }
    if (timeout)
        pa_threaded_mainloop_get_api(d.loop)->time_free(timeout);
    pa_threaded_mainloop_unlock(d.loop);

    if (!ready)
        d.teardown();
    return ready;
}

void CamPulseMicrophoneInput::stop()
{
    m_impl->teardown();
}

CamAudioFormat CamPulseMicrophoneInput::format() const
{
    if (!m_impl->loop)
        return {};
    pa_threaded_mainloop_lock(m_impl->loop);
    const CamAudioFormat format = m_impl->format;
    pa_threaded_mainloop_unlock(m_impl->loop);
    return format;
}

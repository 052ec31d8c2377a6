#include "ZunoPulseProbe.h"

#include <QCoreApplication>

#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/mainloop.h>

#include <chrono>

namespace ZunoPulseProbe {

Result connect(int timeoutMs)
{
    pa_mainloop *loop = pa_mainloop_new();
    if (!loop)
        return Result::unavailable;
    const QByteArray name = QCoreApplication::applicationName().toUtf8();
    pa_context *context
        = pa_context_new(pa_mainloop_get_api(loop), name.isEmpty() ? "ZunoKit" : name.constData());
    Result result = Result::unavailable;
    if (context && pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            const pa_context_state_t state = pa_context_get_state(context);
            if (state == PA_CONTEXT_READY) {
                result = Result::connected;
                break;
            }
            if (!PA_CONTEXT_IS_GOOD(state)) {
                result
                    = pa_context_errno(context) == PA_ERR_ACCESS ? Result::accessDenied : Result::unavailable;
                break;
            }
            const auto left = std::chrono::duration_cast<std::chrono::microseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                break;
            if (pa_mainloop_prepare(loop, static_cast<int>(left.count())) < 0 || pa_mainloop_poll(loop) < 0
                || pa_mainloop_dispatch(loop) < 0)
                break;
        }
        pa_context_disconnect(context);
    } else if (context && pa_context_errno(context) == PA_ERR_ACCESS) {
        result = Result::accessDenied;
    }
    if (context)
        pa_context_unref(context);
    pa_mainloop_free(loop);
    return result;
}

} // namespace ZunoPulseProbe

#pragma once

#include "ZunoLanguage.h"
#include "ZunoLoopbackCallbackHit.h"
#include "ZunoLoopbackCancelSignal.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <utility>

// The browser sign-in's one-shot HTTP listener on 127.0.0.1, over POSIX sockets. It faces any web page
// the browser runs, so it answers only its own callback, bounds every client in time, and never blocks
// where it cannot see the cancel signal or the deadline. Failures throw `ZunoCreditsError`.
namespace ZunoLoopbackHTTP {

// How long one client may take to send its request line.
inline constexpr std::chrono::milliseconds kClientLimit { 5000 };
inline constexpr int kMaxRequestBytes = 8192;

// A listening, non-blocking, close-on-exec socket on 127.0.0.1 with a port of the system's choosing.
std::pair<int, quint16> bindEphemeralLoopback();

// The request target ("/?code=…") of the request line, read within `limit` as a whole; none for
// anything else.
std::optional<QString> readRequestTarget(int clientFD, std::chrono::milliseconds limit = kClientLimit);
// The request target of a whole request line at the start of `bytes`; none when the line is not whole
// or not UTF-8.
std::optional<QString> requestTargetIn(const QByteArray &bytes);
// Writes all of `bytes`, stopping quietly at the first failed write.
void writeRawResponse(int clientFD, const QByteArray &bytes);
// A whole HTTP response carrying the result page: status 200 or 400, the accent colour, the title and
// message (HTML-escaped here).
QByteArray resultResponse(int status, const QString &accent, const QString &title, const QString &message);

struct LoopOptions {
    // accept(2) in place, for tests that provoke its errors.
    std::function<int(int listenFD)> accept;
    std::chrono::milliseconds clientLimit = kClientLimit;
};

// Waits for the callback carrying a code and `expectedState` until `timeoutSeconds` pass or `cancel` is
// signalled. Clients are served concurrently, each within `clientLimit`. Favicon and robots requests,
// unreadable requests, callbacks without a code and errors whose state is not ours are answered and the
// wait goes on; a declined callback with our state, or a code with another state, ends it.
ZunoLoopbackCallbackHit blockingAcceptLoop(int listenFD, const QString &expectedState, double timeoutSeconds,
    ZunoLoopbackCancelSignal &cancel, const LoopOptions &options = {});

} // namespace ZunoLoopbackHTTP

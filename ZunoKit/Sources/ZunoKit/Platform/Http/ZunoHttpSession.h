#pragma once

#include "ZunoHttpRequest.h"
#include "ZunoHttpResponse.h"

#include <QByteArray>
#include <QByteArrayView>

#include <functional>
#include <memory>
#include <stop_token>

// What a streamed transfer reports, on the calling thread: `head` once with the status and headers, then
// `body` with each piece as it arrives. Either returning false ends the transfer quietly.
struct ZunoHttpStreamHandler {
    std::function<bool(const ZunoHttpResponse &head)> head;
    std::function<bool(QByteArrayView bytes)> body;
};

// The framework's HTTP client (libcurl underneath). Every transfer takes http and https only, bounds each
// silence with the request's time-out, ends at once with `cancelled` when its stop token is triggered, and
// does not follow redirects for a request that is not a GET or carries a header that may hold a secret
// (Authorization, Cookie, API keys, tokens: the 3xx is the answer); a transfer that starts on https
// follows https redirects only (`insecureRedirect` otherwise). TLS verification is always on. Loopback
// hosts never go through a proxy. Transfers of one session share DNS answers and TLS sessions, and leave
// their open connections to the session's next transfers, so a call to a host already talked to skips the
// connect and the handshake; a connection serves one transfer at a time, whatever the threads.
// Thread-safe: one transfer per call, run on the calling thread until it ends. Failures throw
// `ZunoHttpError`. The two calls are virtual so that tests can wrap the session. No transfer may outlive
// its session.
class ZunoHttpSession {
public:
    // `certificateAuthorities`: a PEM file of the roots to trust in place of the system's (empty: the
    // system's).
    explicit ZunoHttpSession(const QByteArray &certificateAuthorities = {});
    virtual ~ZunoHttpSession();
    ZunoHttpSession(const ZunoHttpSession &) = delete;
    ZunoHttpSession &operator=(const ZunoHttpSession &) = delete;

    // The process's session.
    static std::shared_ptr<ZunoHttpSession> shared();

    // The whole response; the time-out bounds each silence, `sendTimeLimit()` the whole exchange, and a
    // body over `maxBodyBytes` (decoded) is `responseTooLarge`. Gzip and deflate answers are decoded.
    virtual ZunoHttpResponse send(const ZunoHttpRequest &request, std::stop_token stop = {});
    // Streams the response into `handler` and returns when the transfer ends. The time-out bounds connecting
    // and each silence between arriving bytes; there is no total limit.
    virtual void stream(
        const ZunoHttpRequest &request, const ZunoHttpStreamHandler &handler, std::stop_token stop = {});

    // What the session's transfers share (defined in the .cpp).
    struct Shared;

private:
    std::unique_ptr<Shared> d;
};

#pragma once

// A small HTTPS server on 127.0.0.1 for tests: a fresh self-signed certificate for 127.0.0.1 and localhost
// (written as PEM for the client to trust), one request per connection, each answered with the bytes the
// handler returns for its target. Runs on a thread of its own.

#include <QByteArray>

#include <functional>
#include <memory>

class ZunoFakeTlsServer {
public:
    // The whole HTTP response for a request target (path and query).
    using Handler = std::function<QByteArray(const QByteArray &target)>;

    // `certificateFile`: where the certificate is written, as PEM.
    ZunoFakeTlsServer(const QByteArray &certificateFile, Handler handler);
    ~ZunoFakeTlsServer();
    ZunoFakeTlsServer(const ZunoFakeTlsServer &) = delete;
    ZunoFakeTlsServer &operator=(const ZunoFakeTlsServer &) = delete;

    // False when the certificate or the socket could not be made.
    bool isListening() const;
    // "https://127.0.0.1:<port>" + path.
    QByteArray url(const QByteArray &path = "/") const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

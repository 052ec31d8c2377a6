#pragma once

#include <QByteArray>
#include <QUrl>

#include <chrono>
#include <cstdint>
#include <utility>
#include <vector>

// One HTTP request. Headers are sent in the order given, after the transport's own (Host, Accept,
// Content-Length).
struct ZunoHttpRequest {
    // The framework's cap on a whole response body: larger answers are refused, not buffered.
    static constexpr std::int64_t kDefaultMaxBodyBytes = 16 * 1024 * 1024;

    QByteArray method = "GET";
    QUrl url;
    std::vector<std::pair<QByteArray, QByteArray>> headers;
    QByteArray body;
    // An idle limit: bounds connecting and every silence, in either direction, between bytes. A slow
    // transfer that keeps moving is never cut by it.
    std::chrono::milliseconds timeout = std::chrono::seconds(60);
    // A backstop for `send()` only: the whole exchange, however busy, ends with `timedOut` after this.
    std::chrono::milliseconds totalLimit = std::chrono::minutes(10);
    // Decoded bytes `send()` accepts.
    std::int64_t maxBodyBytes = kDefaultMaxBodyBytes;

    ZunoHttpRequest &setHeader(const QByteArray &name, const QByteArray &value)
    {
        headers.emplace_back(name, value);
        return *this;
    }
};

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
    // A backstop for `send()` only: the whole exchange, however busy, ends with `timedOut` after this
    // plus the body's upload allowance (see `sendTimeLimit()`).
    std::chrono::milliseconds totalLimit = std::chrono::minutes(10);
    // Decoded bytes `send()` accepts.
    std::int64_t maxBodyBytes = kDefaultMaxBodyBytes;

    // The slowest steady upload `send()` waits for: a body gets one second per this many bytes on top of
    // `totalLimit`, so a large submission on a slow line is ended by its idle limit, not by a fixed total.
    static constexpr std::int64_t kUploadFloorBytesPerSecond = 4 * 1024;

    // The whole-exchange limit `send()` applies: `totalLimit` plus the body's time at the floor rate.
    std::chrono::milliseconds sendTimeLimit() const
    {
        return totalLimit + std::chrono::milliseconds(body.size() * 1000 / kUploadFloorBytesPerSecond);
    }

    ZunoHttpRequest &setHeader(const QByteArray &name, const QByteArray &value)
    {
        headers.emplace_back(name, value);
        return *this;
    }
};

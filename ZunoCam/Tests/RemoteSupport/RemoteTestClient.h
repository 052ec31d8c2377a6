#pragma once

// Raw loopback clients for the remote server tests: every call is bounded in time.

#include <QByteArray>

#include <nlohmann/json.hpp>

#include <chrono>
#include <functional>

// A port that was free a moment ago on 127.0.0.1.
quint16 freeLoopbackPort();

// Polls `condition` until it holds or `timeout` passes.
bool waitUntil(const std::function<bool()> &condition,
    std::chrono::milliseconds timeout = std::chrono::milliseconds(5000));

class RawClient {
public:
    explicit RawClient(quint16 port);
    // From another loopback address ("127.0.0.2"): the server sees another device.
    RawClient(quint16 port, const char *sourceAddress);
    ~RawClient();
    RawClient(const RawClient &) = delete;
    RawClient &operator=(const RawClient &) = delete;

    bool isConnected() const { return m_fd >= 0; }
    void send(const QByteArray &bytes);
    // Half-close: no more bytes from this side.
    void finishSending();
    // Whether an answer byte or the end of the stream arrives within `timeout`.
    bool readableWithin(std::chrono::milliseconds timeout);
    // Everything until the server closes (or resets), or until `timeout`; `closed` tells which.
    QByteArray readAll(
        bool *closed = nullptr, std::chrono::milliseconds timeout = std::chrono::milliseconds(5000));
    void close();

private:
    int m_fd = -1;
};

struct HttpAnswer {
    int status = 0;
    QByteArray head;
    QByteArray body;
    bool isEmpty() const { return status == 0; }
    nlohmann::json json() const { return nlohmann::json::parse(body.toStdString(), nullptr, false); }
    QByteArray header(const QByteArray &name) const;
};

HttpAnswer parseAnswer(const QByteArray &bytes);
// Connects, sends `bytes`, reads the whole answer.
HttpAnswer exchange(quint16 port, const QByteArray &bytes);

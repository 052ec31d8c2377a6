#pragma once

// A loopback stand-in for the maker's account gateway, on `ZunoFakeHttpServer`: the eight account
// calls against one user whose profile and budgets it keeps in memory, with scripted answers per call
// where a test needs them (the device poll: pending, pending, approved), and a chat completion that is
// charged to the user's balance. Every request is recorded.

#include "ZunoFakeHttpServer.h"

#include <QByteArray>
#include <QString>

#include <nlohmann/json.hpp>

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <vector>

class ZunoFakeGateway {
public:
    using Reply = ZunoFakeHttpServer::Reply;
    using Request = ZunoFakeHttpServer::Request;

    // The token that the gateway hands out and accepts; any other bearer token gets 401.
    static constexpr char kToken[] = "gateway-token-1";
    static constexpr char kDeviceCode[] = "device-code-1";
    static constexpr char kUserCode[] = "ABCD-EFGH";
    static constexpr char kConnectCode[] = "connect-code-1";

    // What one chat completion costs, and its answer (streamed: one piece per event, 150 ms apart, the
    // balance in the last event and in the headers).
    static constexpr qint64 kChatCostMicros = 12'500;
    static constexpr std::chrono::milliseconds kChatEventPause { 150 };
    static const std::vector<QByteArray> &chatPieces();

    ZunoFakeGateway();
    ~ZunoFakeGateway();
    ZunoFakeGateway(const ZunoFakeGateway &) = delete;
    ZunoFakeGateway &operator=(const ZunoFakeGateway &) = delete;

    // "http://127.0.0.1:<port>", the base the manager is given.
    QString baseURL() const;
    ZunoFakeHttpServer &server() { return m_server; }

    // Answers for `method` + `path` in order, the last one repeated; they replace the built-in behaviour.
    void script(const QByteArray &method, const QByteArray &path, std::vector<Reply> replies);
    // The user's profile body without budgets (they are added from the stored ones).
    void setProfile(nlohmann::json profile);
    // The stored budgets by application name, as the gateway answers them.
    std::map<QString, nlohmann::json> budgets() const;
    std::vector<Request> requests() const { return m_server.requests(); }
    // While held, requests are recorded but answered only once released: a test sees a call in flight
    // however fast the machine.
    void holdAnswers(bool held);

private:
    std::optional<Reply> answer(const Request &request);
    Reply json(int status, const nlohmann::json &body) const;
    bool authorized(const Request &request) const;
    // Charges the chat to the balance; the answer carries the balance left.
    Reply chat(const nlohmann::json &body);

    // Before the server: its thread may wait on them until the server stops.
    std::mutex m_holdMutex;
    std::condition_variable m_holdChanged;
    bool m_held = false;
    ZunoFakeHttpServer m_server;
    mutable std::mutex m_mutex;
    std::map<std::pair<QByteArray, QByteArray>, std::vector<Reply>> m_scripts;
    std::map<std::pair<QByteArray, QByteArray>, std::size_t> m_scriptCalls;
    nlohmann::json m_profile;
    std::map<QString, nlohmann::json> m_budgets;
};

#pragma once

#include "CamStudioCallLog.h"
#include "CamStudioRemote.h"

#include <memory>
#include <mutex>

// A remote server without sockets: it keeps the callbacks the studio installs so a test can call them
// as the server's thread would.
class FakeStudioRemote : public CamStudioRemote {
public:
    explicit FakeStudioRemote(std::shared_ptr<CamStudioCallLog> log)
        : m_log(std::move(log))
    {
    }

    QString start(quint16 port) override;
    void stop(bool silent) override;
    bool isRunning() const override;
    QString addressFor(quint16 port) const override;
    void setStateProvider(TeleprompterRemoteServer::StateProvider provider) override;
    void setCommandHandler(TeleprompterRemoteServer::CommandHandler handler) override;
    void setOnEvent(TeleprompterRemoteServer::EventHandler handler) override;
    void publishState(const TeleprompterRemoteState &state) override;

    TeleprompterRemoteServer::StateProvider stateProvider() const;
    TeleprompterRemoteServer::CommandHandler commandHandler() const;
    TeleprompterRemoteServer::EventHandler eventHandler() const;
    // The newest published state and how many were published.
    std::optional<TeleprompterRemoteState> publishedState() const;
    int publishCount() const;
    // The port of the last start asked for; 0 before the first.
    quint16 lastPort() const;
    // The listener broke: not running any more, as the real server is before it reports `failed`.
    void breakListener();

private:
    std::shared_ptr<CamStudioCallLog> m_log;
    mutable std::mutex m_lock;
    bool m_running = false;
    quint16 m_lastPort = 0;
    TeleprompterRemoteServer::StateProvider m_stateProvider;
    TeleprompterRemoteServer::CommandHandler m_commandHandler;
    TeleprompterRemoteServer::EventHandler m_onEvent;
    std::optional<TeleprompterRemoteState> m_published;
    int m_publishCount = 0;
};

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
    void setStateProvider(TeleprompterRemoteServer::StateProvider provider) override;
    void setCommandHandler(TeleprompterRemoteServer::CommandHandler handler) override;
    void setOnEvent(TeleprompterRemoteServer::EventHandler handler) override;

    TeleprompterRemoteServer::StateProvider stateProvider() const;
    TeleprompterRemoteServer::CommandHandler commandHandler() const;
    TeleprompterRemoteServer::EventHandler eventHandler() const;

private:
    std::shared_ptr<CamStudioCallLog> m_log;
    mutable std::mutex m_lock;
    bool m_running = false;
    TeleprompterRemoteServer::StateProvider m_stateProvider;
    TeleprompterRemoteServer::CommandHandler m_commandHandler;
    TeleprompterRemoteServer::EventHandler m_onEvent;
};

#pragma once

#include "TeleprompterRemoteServer.h"

#include <QString>

// What the studio asks of the LAN remote's server. The real one is TeleprompterRemoteServer; tests
// give a fake. Called on the main thread; the callbacks run on the server's thread.
class CamStudioRemote {
public:
    virtual ~CamStudioRemote() = default;

    // Throws TeleprompterRemoteServerError.
    virtual QString start(quint16 port) = 0;
    virtual void stop(bool silent) = 0;
    virtual bool isRunning() const = 0;
    // The address a start on `port` would show: where the server can be reached.
    virtual QString addressFor(quint16 port) const = 0;
    virtual void setStateProvider(TeleprompterRemoteServer::StateProvider provider) = 0;
    virtual void setCommandHandler(TeleprompterRemoteServer::CommandHandler handler) = 0;
    virtual void setOnEvent(TeleprompterRemoteServer::EventHandler handler) = 0;
    // The state the remote answers from now on, without asking the studio; from any thread.
    virtual void publishState(const TeleprompterRemoteState &state) = 0;
};

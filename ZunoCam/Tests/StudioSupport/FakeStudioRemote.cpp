#include "FakeStudioRemote.h"

QString FakeStudioRemote::start(quint16 port)
{
    m_log->add(QStringLiteral("remote.start"));
    std::lock_guard lock(m_lock);
    m_lastPort = port;
    if (port < 1024)
        throw TeleprompterRemoteServerError::invalidPort(port);
    m_running = true;
    return addressFor(port);
}

QString FakeStudioRemote::addressFor(quint16 port) const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(port);
}

void FakeStudioRemote::stop(bool silent)
{
    m_log->add(silent ? QStringLiteral("remote.stop.silent") : QStringLiteral("remote.stop"));
    std::lock_guard lock(m_lock);
    m_running = false;
}

bool FakeStudioRemote::isRunning() const
{
    std::lock_guard lock(m_lock);
    return m_running;
}

void FakeStudioRemote::setStateProvider(TeleprompterRemoteServer::StateProvider provider)
{
    std::lock_guard lock(m_lock);
    m_stateProvider = std::move(provider);
}

void FakeStudioRemote::setCommandHandler(TeleprompterRemoteServer::CommandHandler handler)
{
    std::lock_guard lock(m_lock);
    m_commandHandler = std::move(handler);
}

void FakeStudioRemote::setOnEvent(TeleprompterRemoteServer::EventHandler handler)
{
    std::lock_guard lock(m_lock);
    m_onEvent = std::move(handler);
}

TeleprompterRemoteServer::StateProvider FakeStudioRemote::stateProvider() const
{
    std::lock_guard lock(m_lock);
    return m_stateProvider;
}

TeleprompterRemoteServer::CommandHandler FakeStudioRemote::commandHandler() const
{
    std::lock_guard lock(m_lock);
    return m_commandHandler;
}

TeleprompterRemoteServer::EventHandler FakeStudioRemote::eventHandler() const
{
    std::lock_guard lock(m_lock);
    return m_onEvent;
}

quint16 FakeStudioRemote::lastPort() const
{
    std::lock_guard lock(m_lock);
    return m_lastPort;
}

void FakeStudioRemote::breakListener()
{
    std::lock_guard lock(m_lock);
    m_running = false;
}

void FakeStudioRemote::publishState(const TeleprompterRemoteState &state)
{
    std::lock_guard lock(m_lock);
    m_published = state;
    ++m_publishCount;
}

std::optional<TeleprompterRemoteState> FakeStudioRemote::publishedState() const
{
    std::lock_guard lock(m_lock);
    return m_published;
}

int FakeStudioRemote::publishCount() const
{
    std::lock_guard lock(m_lock);
    return m_publishCount;
}

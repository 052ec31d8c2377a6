// A stand-in studio for the LAN remote: it keeps a sample teleprompter in memory, answers the
// server's state and command callbacks from it and prints "listening <url>" once the server is up.
#include "TeleprompterRemoteProtocol.h"
#include "TeleprompterRemoteServer.h"
#include "ZunoToolCommandLine.h"

#include <QString>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace {

class SampleTeleprompter {
public:
    TeleprompterRemoteState state() const
    {
        std::lock_guard lock(m_mutex);
        return m_state;
    }

    TeleprompterRemoteState apply(const TeleprompterRemoteCommand &command)
    {
        using Kind = TeleprompterRemoteCommand::Kind;
        std::lock_guard lock(m_mutex);
        TeleprompterRemoteState &s = m_state;
        switch (command.kind()) {
        case Kind::wpmUp:
            s.wpm = std::min<qint64>(s.wpm + command.delta(), 300);
            break;
        case Kind::wpmDown:
            s.wpm = std::max<qint64>(s.wpm - command.delta(), 60);
            break;
        case Kind::fontUp:
            s.fontSize = std::min<qint64>(s.fontSize + command.delta(), 96);
            break;
        case Kind::fontDown:
            s.fontSize = std::max<qint64>(s.fontSize - command.delta(), 14);
            break;
        case Kind::selectScript:
            for (const TeleprompterRemoteScriptSummary &script : s.scripts) {
                if (script.id == command.scriptId()) {
                    s.activeScriptId = script.id;
                    s.activeScriptTitle = script.title;
                    s.progress = 0;
                }
            }
            break;
        case Kind::play:
            s.isPlaying = s.isVisible = true;
            break;
        case Kind::pause:
            s.isPlaying = false;
            break;
        case Kind::toggle:
            s.isPlaying = !s.isPlaying;
            s.isVisible = s.isVisible || s.isPlaying;
            break;
        case Kind::reset:
            s.progress = 0;
            break;
        }
        return m_state;
    }

private:
    mutable std::mutex m_mutex;
    TeleprompterRemoteState m_state { false, true, 150, 30, 0.456, QStringLiteral("A"),
        QStringLiteral("Product Launch"),
        { { QStringLiteral("A"), QStringLiteral("Product Launch"), 320 },
            { QStringLiteral("B"), QStringLiteral("Q&A Notes"), 85 },
            { QStringLiteral("C"), QStringLiteral("Closing"), 40 } } };
};

} // namespace

int main(int argc, char **argv)
{
    const char *usage = "usage: RemoteDemo [--port PORT] [--loopback]   the phone remote over a sample "
                        "teleprompter, until SIGINT or SIGTERM\n";
    if (const auto exitCode = zunoCheckToolArguments(argc, argv, usage, { "--port=", "--loopback" }))
        return *exitCode;
    quint16 port = TeleprompterRemoteProtocol::defaultPort;
    TeleprompterRemoteServer::Options options;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--port") == 0 && i + 1 < argc)
            port = static_cast<quint16>(QString::fromLocal8Bit(argv[++i]).toUInt());
        else if (std::strcmp(argv[i], "--loopback") == 0)
            options.loopbackOnly = true;
    }

    // Block the stop stopSignals before any thread starts, so that only sigwait below sees them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    SampleTeleprompter teleprompter;
    TeleprompterRemoteServer server(nullptr, options);
    server.setStateProvider(
        [&](TeleprompterRemoteServer::StateCompletion done) { done(teleprompter.state()); });
    server.setCommandHandler(
        [&](const TeleprompterRemoteCommand &command, TeleprompterRemoteServer::StateCompletion done) {
            done(teleprompter.apply(command));
        });
    server.setOnEvent([](const TeleprompterRemoteServerEvent &event) {
        if (event.kind == TeleprompterRemoteServerEvent::Kind::started)
            std::printf("listening %s\n", qPrintable(event.url));
        else if (event.kind == TeleprompterRemoteServerEvent::Kind::failed)
            std::printf("failed %s\n", qPrintable(event.message));
        std::fflush(stdout);
    });
    try {
        server.start(port);
    } catch (const TeleprompterRemoteServerError &error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    int received = 0;
    sigwait(&stopSignals, &received);
    server.stop(false);
    return 0;
}

// The LAN remote of the view model: the services' callbacks, starting and stopping the server, its
// address, the state the remote page shows and the commands it sends.
#include "CamStudioViewModel.h"

#include "CamSaturating.h"
#include "ZunoAppLogger.h"
#include "ZunoDesktopServices.h"
#include "ZunoJson.h"
#include "ZunoMainThread.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPointer>
#include <QUrl>

#include <cmath>
#include <memory>
#include <utility>

namespace {

// One completion of the server, called exactly once: with the answer, or, when the hop to the main
// thread is dropped (no application any more), with the fixed state as the hop is destroyed.
class RemoteReply {
public:
    explicit RemoteReply(TeleprompterRemoteServer::StateCompletion completion)
        : m_completion(std::move(completion))
    {
    }
    ~RemoteReply()
    {
        if (m_completion)
            m_completion(TeleprompterRemoteState::fallback());
    }
    RemoteReply(const RemoteReply &) = delete;
    RemoteReply &operator=(const RemoteReply &) = delete;

    void send(const TeleprompterRemoteState &state)
    {
        if (auto completion = std::exchange(m_completion, nullptr))
            completion(state);
    }

private:
    TeleprompterRemoteServer::StateCompletion m_completion;
};

// The share of the active script read so far, in 0...1; NaN comes out as 0.
double remoteProgress(
    const TeleprompterScript *active, const TeleprompterSettings &settings, double scrollOffset)
{
    // The pacing engine bounds what a hand-edited document holds.
    return CamSaturating::clamped(
        TeleprompterPacingEngine::estimatedProgress(scrollOffset, active ? active->body : QString(),
            settings.wordsPerMinute, settings.fontSize, settings.panelWidth),
        0, 1);
}

} // namespace

void CamStudioViewModel::configureStudioProServices()
{
    using Guard = QPointer<CamStudioViewModel>;
    // The recorder reports from its own threads; the snapshot hops here.
    m_services.recorder->setOnStatusChange([guard = Guard(this)](const CameraRecordingSnapshot &snapshot) {
        ZunoMainThread::post(nullptr, [guard, snapshot] {
            if (guard)
                guard->handleRecorderStatus(snapshot);
        });
    });

    // The page's poll is answered from the newest snapshot on the server's own thread, so a busy main
    // thread stalls no phone. Every change the state shows publishes a new one.
    publishRemoteState(false);
    for (const auto signal :
        { &CamStudioViewModel::scriptsChanged, &CamStudioViewModel::selectedScriptChanged,
            &CamStudioViewModel::teleprompterSettingsChanged, &CamStudioViewModel::prompterStateChanged })
        connect(this, signal, this, [this] { publishRemoteState(false); });
    connect(this, &CamStudioViewModel::prompterOffsetChanged, this, [this] { publishRemoteState(true); });

    // The server asks on its own thread and must not wait there: the answer is built here and handed
    // back through the completion. Without the view model, requests get the fixed state and commands
    // change nothing; a command whose request was already answered 503 is dropped unapplied.
    m_services.remote->setStateProvider(
        [guard = Guard(this)](TeleprompterRemoteServer::StateCompletion done) {
            auto reply = std::make_shared<RemoteReply>(std::move(done));
            ZunoMainThread::post(nullptr, [guard, reply] {
                reply->send(guard ? guard->currentRemoteState() : TeleprompterRemoteState::fallback());
            });
        });
    m_services.remote->setCommandHandler(
        [guard = Guard(this)](const TeleprompterRemoteCommand &command, TeleprompterRemoteCommandReply done) {
            auto reply = std::make_shared<RemoteReply>(done);
            ZunoMainThread::post(nullptr, [guard, command, reply, done] {
                // A claim that fails: the server gave up on this command and answered 503.
                if (guard && done.claim())
                    reply->send(guard->handleRemoteCommand(command));
                else
                    reply->send(TeleprompterRemoteState::fallback());
            });
        });
    m_services.remote->setOnEvent([guard = Guard(this)](const TeleprompterRemoteServerEvent &event) {
        ZunoMainThread::post(nullptr, [guard, event] {
            if (guard)
                guard->applyRemoteEvent(event);
        });
    });
}

void CamStudioViewModel::startRemoteServer()
{
    const int port = CamSaturating::clampedToInt(m_teleprompter.remoteControlPort, 1024, 65535);
    QString address;
    try {
        address = m_services.remote->start(static_cast<quint16>(port));
    } catch (const TeleprompterRemoteServerError &error) {
        setRemoteServer(false);
        const QString description = error.errorDescription();
        m_services.logger->error(
            QStringLiteral("Failed to start LAN remote server: ") + description, kRemoteCategory);
        showToast(description, true);
        return;
    }
    setRemoteServer(true, address);
    showToast(
        text(QStringLiteral("LAN Remote active: "), QStringLiteral("LAN Kumanda aktif: ")) + address, false);
}

void CamStudioViewModel::stopRemoteServer()
{
    m_services.remote->stop(false);
    setRemoteServer(false);
    showToast(text(QStringLiteral("LAN Remote stopped."), QStringLiteral("LAN Kumanda durduruldu.")), false);
}

void CamStudioViewModel::copyRemoteURLToClipboard()
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->setText(m_remoteServerURL);
    // A desktop without a clipboard drops the text silently.
    if (clipboard->text() != m_remoteServerURL) {
        m_services.logger->warn(
            QStringLiteral("Could not put the remote URL on the clipboard."), kRemoteCategory);
        showToast(text(QStringLiteral("Could not copy the remote URL."),
                      QStringLiteral("Kumanda adresi kopyalanamadı.")),
            true);
        return;
    }
    showToast(text(QStringLiteral("Copied remote URL to clipboard."),
                  QStringLiteral("Kumanda adresi panoya kopyalandı.")),
        false);
}

void CamStudioViewModel::openRemoteURLInBrowser()
{
    const QUrl url(m_remoteServerURL, QUrl::StrictMode);
    if (!url.isValid() || url.isRelative() || url.host().isEmpty())
        return;
    ZunoDesktopServices::shared()->openUrl(url);
}

TeleprompterRemoteState CamStudioViewModel::currentRemoteState() const
{
    return remoteState(m_scripts, m_selectedScriptID, m_teleprompter, m_isTeleprompterVisible,
        m_isPrompterScrolling, m_prompterScrollOffset);
}

void CamStudioViewModel::publishRemoteState(bool progressOnly)
{
    TeleprompterRemoteState state;
    if (progressOnly && m_publishedRemoteState) {
        const std::optional<std::size_t> index = activeScriptIndex(m_scripts, m_selectedScriptID);
        state = *m_publishedRemoteState;
        state.progress
            = remoteProgress(index ? &m_scripts[*index] : nullptr, m_teleprompter, m_prompterScrollOffset);
    } else {
        state = currentRemoteState();
    }
    // Equal NaNs never occur: progress is clamped, and NaN comes out as 0.
    if (m_publishedRemoteState == state)
        return;
    m_publishedRemoteState = state;
    m_services.remote->publishState(state);
}

TeleprompterRemoteState CamStudioViewModel::remoteState(const std::vector<TeleprompterScript> &scripts,
    const std::optional<QUuid> &selectedID, const TeleprompterSettings &settings, bool visible,
    bool scrolling, double scrollOffset)
{
    const std::optional<std::size_t> index = activeScriptIndex(scripts, selectedID);
    const TeleprompterScript *active = index ? &scripts[*index] : nullptr;
    const double progress = remoteProgress(active, settings, scrollOffset);
    QList<TeleprompterRemoteScriptSummary> summaries;
    summaries.reserve(static_cast<qsizetype>(scripts.size()));
    for (const TeleprompterScript &script : scripts)
        summaries.append({ ZunoJson::uuidString(script.id), script.title,
            TeleprompterPacingEngine::wordCount(script.body) });
    return TeleprompterRemoteState(visible && scrolling, visible,
        CamSaturating::roundedToInt64(settings.wordsPerMinute),
        CamSaturating::roundedToInt64(settings.fontSize), progress,
        active ? std::optional<QString>(ZunoJson::uuidString(active->id)) : std::nullopt,
        active ? active->title : QStringLiteral("ZunoCam"), std::move(summaries));
}

TeleprompterRemoteState CamStudioViewModel::handleRemoteCommand(const TeleprompterRemoteCommand &command)
{
    using Kind = TeleprompterRemoteCommand::Kind;
    switch (command.kind()) {
    case Kind::wpmUp:
        nudgePrompterWPM(command.delta());
        break;
    case Kind::wpmDown:
        nudgePrompterWPM(-command.delta());
        break;
    case Kind::fontUp:
        changeRemoteFontSize(command.delta());
        break;
    case Kind::fontDown:
        changeRemoteFontSize(-command.delta());
        break;
    case Kind::selectScript:
        selectScriptFromRemote(command.scriptId());
        break;
    case Kind::play:
        playFromRemote(true);
        break;
    case Kind::pause:
        m_countdownTimer.reset();
        setPrompterCountdown(0);
        setPrompterScrolling(false);
        break;
    case Kind::toggle:
        playFromRemote(!m_isPrompterScrolling);
        break;
    case Kind::reset:
        setPrompterScrollOffset(0);
        break;
    }
    const QString label = command.wireName();
    if (m_lastRemoteCommandLabel != label) {
        m_lastRemoteCommandLabel = label;
        emit remoteChanged();
    }
    return currentRemoteState();
}

void CamStudioViewModel::playFromRemote(bool scrolling)
{
    // A hidden teleprompter comes up through its own road, countdown included.
    if (!m_isTeleprompterVisible) {
        showTeleprompterOverlay();
        return;
    }
    m_countdownTimer.reset();
    setPrompterCountdown(0);
    setPrompterScrolling(scrolling);
    if (scrolling)
        startScrollLoop();
}

void CamStudioViewModel::changeRemoteFontSize(int delta)
{
    TeleprompterSettings settings = m_teleprompter;
    const double size = settings.fontSize + delta;
    settings.fontSize = std::isfinite(size) ? CamSaturating::clamped(size, 16, 44) : 16;
    setTeleprompter(settings);
    applyTeleprompterSettings();
}

void CamStudioViewModel::selectScriptFromRemote(const QString &id)
{
    for (const TeleprompterScript &script : m_scripts) {
        if (ZunoJson::uuidString(script.id).compare(id, Qt::CaseInsensitive) != 0)
            continue;
        const QUuid selected = script.id;
        const QString title = script.title;
        setSelectedScriptID(selected);
        setPrompterScrollOffset(0);
        m_services.logger->info(
            QStringLiteral("Remote switched active script to '%1'.").arg(title), kRemoteCategory);
        return;
    }
}

void CamStudioViewModel::applyRemoteEvent(const TeleprompterRemoteServerEvent &event)
{
    // An event reaches here a main-thread task after the server sent it; a start or stop in between
    // makes it stale. Only an event that agrees with the server as it is now is applied.
    const bool running = m_services.remote->isRunning();
    switch (event.kind) {
    case TeleprompterRemoteServerEvent::Kind::started:
        if (running)
            setRemoteServer(true, event.url);
        return;
    case TeleprompterRemoteServerEvent::Kind::failed:
        if (running)
            return;
        setRemoteServer(false);
        showToast(text(QStringLiteral("LAN Remote failed: "), QStringLiteral("LAN Kumanda hatası: "))
                + event.message,
            true);
        return;
    case TeleprompterRemoteServerEvent::Kind::stopped:
        if (!running)
            setRemoteServer(false);
        return;
    }
}

void CamStudioViewModel::setRemoteServer(bool running, const std::optional<QString> &url)
{
    bool changed = m_isRemoteServerRunning != running;
    m_isRemoteServerRunning = running;
    if (url && *url != m_remoteServerURL) {
        m_remoteServerURL = *url;
        changed = true;
    }
    if (changed)
        emit remoteChanged();
}

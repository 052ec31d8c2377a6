// State, start-up and saving of the studio view model.
#include "CamStudioViewModel.h"

#include "CamSaturating.h"
#include "CamStudioDocumentWriter.h"
#include "CameraDeviceDirectory.h"
#include "VoiceActivityMonitorService.h"
#include "ZunoAppLogger.h"
#include "ZunoMainThread.h"
#include "ZunoText.h"

#include <QVariant>

#include <algorithm>

namespace {

// Assigns and reports whether the value really changed.
template <typename T> bool assign(T &member, const T &value)
{
    if (member == value)
        return false;
    member = value;
    return true;
}

} // namespace

CamStudioViewModel::CamStudioViewModel(CamStudioServices services, QObject *parent)
    : QObject(parent)
    , m_language(ZunoLanguages::current())
    , m_services(std::move(services))
    , m_microphoneQueue(QStringLiteral("com.quarnwell.zunocam.microphone"))
{
    // Step 1: starting values (the members' initialisers), language and launch at login as they are now.
    m_launchAtLogin = m_services.system->isLaunchAtLoginEnabled();
    // Steps 2 to 6 built the services of the bundle; the pacing engine, panels and timers start empty.

    const std::shared_ptr<ZunoAppLogger> logger = m_services.logger;
    m_services.store->setMessageHandler([logger](CamScriptStore::MessageLevel level, const QString &message) {
        logger->log(level == CamScriptStore::MessageLevel::error ? ZunoLogLevel::error : ZunoLogLevel::warn,
            kLifecycleCategory, message);
    });
    m_writer = std::make_unique<CamStudioDocumentWriter>(
        *m_services.store, [this](const CamScriptStore::SaveResult &result) {
            // Posted while the writer is alive, and the destructor joins the writer first.
            ZunoMainThread::post(this, [this, result] { handleSaveResult(result); });
        });

    // Steps 7 to 10: the document, read once. An empty script list falls back to the samples, unsaved.
    const CamPersistedPayload document = m_services.store->load();
    m_scripts = document.scripts.empty() ? TeleprompterScript::sampleScripts() : document.scripts;
    if (!m_scripts.empty())
        m_selectedScriptID = m_scripts.front().id;
    m_teleprompter = document.teleprompter;
    m_camera = document.camera;
    m_overlayMode = document.overlayMode;

    // Step 11: the cameras.
    m_availableCameras = m_services.cameraDevices->devices();
    if (!m_availableCameras.isEmpty())
        m_selectedCameraID = m_availableCameras.front().id;

    // Step 12: the remote's address for the stored port, bounded for display only; the server says
    // where it can be reached (a loopback-only one at 127.0.0.1 alone).
    m_remoteServerURL = m_services.remote->addressFor(
        static_cast<quint16>(CamSaturating::clampedToInt(m_teleprompter.remoteControlPort, 1024, 65535)));

    // Step 13.
    m_services.camera->updateAdjustments(m_camera);
    m_services.camera->attachRecorder(m_services.recorder);

    // Step 14: frames and levels cross to the main thread through one-slot hand-overs.
    m_frameHandOver = CamStudioHandOver<QImage>::make(this, [this](QImage frame) {
        m_latestCameraFrame = std::move(frame);
        emit frameChanged();
    });
    m_voiceHandOver = CamStudioHandOver<double>::make(this, [this](double level) {
        if (assign(m_liveVoiceRMS, level))
            emit voiceLevelChanged();
    });
    m_services.camera->setOnFrame(
        [handOver = m_frameHandOver](const QImage &frame) { handOver->put(frame); });
    m_services.voiceMonitor->setOnRMSLevel(
        [handOver = m_voiceHandOver](double level) { handOver->put(level); });

    // Steps 15 and 16.
    configureStudioProServices();
    registerHotkeys();

    // A language chosen anywhere (the settings tab's picker) keeps the studio in step.
    m_languageObserver = ZunoNotificationCenter::shared().addObserver(
        QString::fromLatin1(ZunoLanguages::kLanguageDidChangeNotification), this,
        [this](const QString &, const QVariant &payload) {
            if (!payload.canConvert<ZunoLanguage>())
                return;
            const ZunoLanguage language = payload.value<ZunoLanguage>();
            if (ZunoMainThread::isMainThread())
                setLanguage(language);
            else
                ZunoMainThread::post(this, [this, language] { setLanguage(language); });
        });

    // Step 17.
    m_services.logger->info(QStringLiteral("ZunoCam studio initialized (scripts=%1, cameras=%2, portrait=%3)")
                                .arg(m_scripts.size())
                                .arg(m_availableCameras.size())
                                .arg(rawValue(m_camera.portraitBackgroundMode)),
        kLifecycleCategory);
}

CamStudioViewModel::~CamStudioViewModel()
{
    ZunoNotificationCenter::shared().removeObserver(m_languageObserver);
    m_frameHandOver->detach();
    m_voiceHandOver->detach();
    m_scrollTimer.reset();
    m_countdownTimer.reset();
    m_toastTimer.reset();
    m_recordingTimer.reset();
    // The camera first, so no frame reaches a recording being finished.
    m_services.camera->stop();
    m_services.remote->stop(true);
    VoiceActivityMonitorService *voiceMonitor = m_services.voiceMonitor.get();
    m_microphoneQueue.async([voiceMonitor] { voiceMonitor->stop(); });
    m_microphoneQueue.stop();
    m_writer.reset();
}

void CamStudioViewModel::setSelectedScriptID(const std::optional<QUuid> &id)
{
    if (assign(m_selectedScriptID, id))
        emit selectedScriptChanged();
}

void CamStudioViewModel::setSelectedTab(CamStudioTab tab)
{
    if (assign(m_selectedTab, tab))
        emit selectedTabChanged();
}

void CamStudioViewModel::setSelectedCameraID(const std::optional<QString> &id)
{
    if (assign(m_selectedCameraID, id))
        emit camerasChanged();
}

void CamStudioViewModel::setTeleprompter(const TeleprompterSettings &settings)
{
    if (assign(m_teleprompter, settings))
        emit teleprompterSettingsChanged();
}

void CamStudioViewModel::setCamera(const CameraAdjustments &adjustments)
{
    if (assign(m_camera, adjustments))
        emit cameraAdjustmentsChanged();
}

void CamStudioViewModel::setPrompterScrolling(bool scrolling)
{
    if (assign(m_isPrompterScrolling, scrolling))
        emit prompterStateChanged();
}

void CamStudioViewModel::setPrompterScrollOffset(double offset)
{
    if (assign(m_prompterScrollOffset, offset))
        emit prompterOffsetChanged();
}

void CamStudioViewModel::setLanguage(ZunoLanguage language)
{
    if (assign(m_language, language))
        emit languageChanged();
}

void CamStudioViewModel::setScripts(std::vector<TeleprompterScript> scripts)
{
    if (m_scripts == scripts)
        return;
    m_scripts = std::move(scripts);
    emit scriptsChanged();
}

std::optional<std::size_t> CamStudioViewModel::activeScriptIndex() const
{
    return activeScriptIndex(m_scripts, m_selectedScriptID);
}

std::optional<std::size_t> CamStudioViewModel::activeScriptIndex(
    const std::vector<TeleprompterScript> &scripts, const std::optional<QUuid> &selectedID)
{
    if (selectedID) {
        for (std::size_t index = 0; index < scripts.size(); ++index) {
            if (scripts[index].id == *selectedID)
                return index;
        }
    }
    if (scripts.empty())
        return std::nullopt;
    return 0;
}

void CamStudioViewModel::persist()
{
    CamPersistedPayload payload;
    payload.scripts = m_scripts;
    payload.teleprompter = m_teleprompter;
    payload.camera = m_camera;
    payload.overlayMode = m_overlayMode;
    m_writer->submit(std::move(payload));
}

bool CamStudioViewModel::flushDocument(std::chrono::milliseconds limit)
{
    return m_writer->flush(limit);
}

std::optional<QString> CamStudioViewModel::saveBeforeQuit(std::chrono::milliseconds limit)
{
    m_saveRetryTimer.reset();
    m_writer->retry();
    std::optional<QString> reason;
    if (!m_writer->flush(limit))
        reason = QStringLiteral("the studio document was still being saved after %1 ms").arg(limit.count());
    else
        reason = m_writer->unsavedReason();
    if (reason)
        m_services.logger->error(
            QStringLiteral("Quitting with unsaved changes: %1").arg(*reason), kLifecycleCategory);
    return reason;
}

void CamStudioViewModel::handleSaveResult(const CamScriptStore::SaveResult &result)
{
    if (result.rescuedFileURL && result.ok) {
        showToast(text(QStringLiteral("Your saved scripts and settings could not be read. They were kept "
                                      "as %1."),
                      QStringLiteral("Kayıtlı senaryolar ve ayarlar okunamadı. %1 olarak saklandı."))
                      .arg(*result.rescuedFileURL),
            false);
    }
    if (result.ok) {
        m_saveFailureShown = false;
        m_saveRetrySeconds = kSaveRetryFirstSeconds;
        m_saveRetryTimer.reset();
        return;
    }
    // The newest document stays pending in the writer: try again later, less often each time. A
    // change in between is saved at once, and a failure of it sets the next, longer wait.
    m_saveRetryTimer = m_services.clock->singleShot(m_saveRetrySeconds, [this] { m_writer->retry(); });
    m_saveRetrySeconds = std::min(m_saveRetrySeconds * 2, kSaveRetryMaxSeconds);
    // The store has logged the failure; the user hears of it once until a save succeeds again.
    if (m_saveFailureShown)
        return;
    m_saveFailureShown = true;
    showToast(text(QStringLiteral("Could not save your scripts and settings: %1"),
                  QStringLiteral("Senaryolar ve ayarlar kaydedilemedi: %1"))
                  .arg(result.message),
        true);
}

void CamStudioViewModel::showToast(const QString &message, bool isError)
{
    setToast(message, isError);
    m_toastTimer
        = m_services.clock->singleShot(kToastSeconds, [this] { setToast(std::nullopt, m_toastIsError); });
}

void CamStudioViewModel::setToast(const std::optional<QString> &message, bool isError)
{
    const bool messageChanged = assign(m_toastMessage, message);
    const bool flagChanged = assign(m_toastIsError, isError);
    if (messageChanged || flagChanged)
        emit toastChanged();
}

QString CamStudioViewModel::text(const QString &en, const QString &tr) const
{
    return zunoText(en, tr, m_language);
}

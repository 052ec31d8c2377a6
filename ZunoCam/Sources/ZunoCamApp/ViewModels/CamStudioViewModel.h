#pragma once

#include "CamStudioClock.h"
#include "CamStudioHandOver.h"
#include "CamStudioServices.h"
#include "CamStudioTab.h"
#include "CameraAdjustments.h"
#include "CameraDeviceDescriptor.h"
#include "CameraRecordingResult.h"
#include "CameraRecordingSnapshot.h"
#include "PresentationOverlayMode.h"
#include "TeleprompterPacingEngine.h"
#include "TeleprompterRemoteCommand.h"
#include "TeleprompterRemoteState.h"
#include "TeleprompterScript.h"
#include "TeleprompterSettings.h"
#include "ZunoLanguage.h"
#include "ZunoMediaAuthorizationStatus.h"
#include "ZunoNotificationCenter.h"
#include "ZunoSerialQueue.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QString>
#include <QUuid>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class CamStudioDocumentWriter;
class ZunoAppLogger;

// The studio's single owner of state and behaviour, on the main thread, one per process. Views read
// its state through the getters, write the few values they edit through the setters, call its
// operations and re-sync on the change signals, which fire only when a value really changed. The
// fast signals (the scroll offset at 60 per second, the voice level, the camera frame) are kept apart
// from the state signals so that a view of the teleprompter's state does not re-sync 60 times a second.
//
// It owns the services of the bundle it is given, every timer of the studio (through the bundle's
// clock) and the overlay panels. Camera frames and microphone levels reach it through one-slot
// hand-overs; the studio document is saved on a serial writer thread; the microphone's permission
// probe and its start and stop run in order on a worker. Its operations are split by concern over
// CamStudioViewModel*.cpp.
class CamStudioViewModel : public QObject {
    Q_OBJECT
public:
    static inline const QString kLifecycleCategory = QStringLiteral("lifecycle");
    static inline const QString kTeleprompterCategory = QStringLiteral("teleprompter");
    static inline const QString kCameraCategory = QStringLiteral("camera");
    static inline const QString kPresenterCategory = QStringLiteral("presenter");
    static inline const QString kRecorderCategory = QStringLiteral("recorder");
    static inline const QString kRemoteCategory = QStringLiteral("remote");
    static constexpr double kRecordingClockSeconds = 0.25;
    static constexpr double kToastSeconds = 2.8;
    static constexpr double kScrollTickSeconds = 1.0 / 60.0;
    static constexpr double kSaveRetryFirstSeconds = 1;
    static constexpr double kSaveRetryMaxSeconds = 30;

    explicit CamStudioViewModel(CamStudioServices services, QObject *parent = nullptr);
    // Stops the camera first (no frame reaches a recording being finished), then the remote server
    // and the voice monitor; waits for the document writer; the services join their threads.
    ~CamStudioViewModel() override;

    // Published state.
    const std::vector<TeleprompterScript> &scripts() const { return m_scripts; }
    std::optional<QUuid> selectedScriptID() const { return m_selectedScriptID; }
    const TeleprompterSettings &teleprompter() const { return m_teleprompter; }
    const CameraAdjustments &camera() const { return m_camera; }
    PresentationOverlayMode overlayMode() const { return m_overlayMode; }
    CamStudioTab selectedTab() const { return m_selectedTab; }
    const QList<CameraDeviceDescriptor> &availableCameras() const { return m_availableCameras; }
    std::optional<QString> selectedCameraID() const { return m_selectedCameraID; }
    bool isCameraRunning() const { return m_isCameraRunning; }
    // A start is opening the camera off the main thread; toggling does nothing meanwhile.
    bool isCameraStarting() const { return m_isCameraStarting; }
    // The last frame received; null before the first. Kept when the camera stops.
    const QImage &latestCameraFrame() const { return m_latestCameraFrame; }
    bool isRecordingVideo() const { return m_isRecordingVideo; }
    bool isFinalizingVideo() const { return m_isFinalizingVideo; }
    double recordingDurationSeconds() const { return m_recordingDurationSeconds; }
    qint64 recordedFrameCount() const { return m_recordedFrameCount; }
    std::optional<QString> lastRecordedVideoURL() const { return m_lastRecordedVideoURL; }
    // How the last recording that ended went: its result (which says whether the recorder stopped it
    // early), or none when it failed or none has ended yet.
    const std::optional<CameraRecordingResult> &lastRecordingResult() const { return m_lastRecordingResult; }
    bool isTeleprompterVisible() const { return m_isTeleprompterVisible; }
    bool isPrompterScrolling() const { return m_isPrompterScrolling; }
    double prompterScrollOffset() const { return m_prompterScrollOffset; }
    qint64 prompterCountdownRemaining() const { return m_prompterCountdownRemaining; }
    double liveVoiceRMS() const { return m_liveVoiceRMS; }
    bool isVoiceGateOpen() const { return m_isVoiceGateOpen; }
    bool isFloatingMirrorVisible() const { return m_isFloatingMirrorVisible; }
    bool isRemoteServerRunning() const { return m_isRemoteServerRunning; }
    QString remoteServerURL() const { return m_remoteServerURL; }
    std::optional<QString> lastRemoteCommandLabel() const { return m_lastRemoteCommandLabel; }
    bool isLaserOverlayVisible() const { return m_isLaserOverlayVisible; }
    ZunoLanguage language() const { return m_language; }
    bool launchAtLogin() const { return m_launchAtLogin; }
    std::optional<QString> toastMessage() const { return m_toastMessage; }
    bool toastIsError() const { return m_toastIsError; }

    // Plain writes by the views (and the remote). Saving and applying stay separate operations:
    // applyTeleprompterSettings() after a change of `teleprompter`.
    void setSelectedScriptID(const std::optional<QUuid> &id);
    void setSelectedTab(CamStudioTab tab);
    void setSelectedCameraID(const std::optional<QString> &id);
    void setTeleprompter(const TeleprompterSettings &settings);
    void setCamera(const CameraAdjustments &adjustments);
    void setPrompterScrolling(bool scrolling);
    void setPrompterScrollOffset(double offset);
    void setLanguage(ZunoLanguage language);

    // The position of the selected script; 0 when none is selected or it is not listed, none for an
    // empty list.
    std::optional<std::size_t> activeScriptIndex() const;
    static std::optional<std::size_t> activeScriptIndex(
        const std::vector<TeleprompterScript> &scripts, const std::optional<QUuid> &selectedID);

    // Saves the studio document (scripts, teleprompter, camera, overlay tool) without waiting.
    void persist();
    // Waits, at most `limit`, until every saved document is on disk; false when time ran out.
    bool flushDocument(std::chrono::milliseconds limit);
    // For the quit: tries a failed save once more and waits, at most `limit`. None when the newest
    // document is on disk; otherwise why not, also logged as an error line.
    std::optional<QString> saveBeforeQuit(std::chrono::milliseconds limit);

    // Scripts.
    void createNewScript();
    void deleteScript(const TeleprompterScript &script);
    void updateActiveScript(const std::optional<QString> &title, const std::optional<QString> &body);

    // Teleprompter playback. Play: setPrompterScrolling(true), then startScrollLoop(); pause:
    // setPrompterScrolling(false); rewind: setPrompterScrollOffset(0).
    void showTeleprompterOverlay();
    void hideTeleprompterOverlay();
    void startScrollLoop();
    void nudgePrompterWPM(double delta);
    // After a change of `teleprompter`: saves, and while the teleprompter shows, re-lays out its panel
    // and starts or stops voice monitoring.
    void applyTeleprompterSettings();
    // Whether the desktop can keep the teleprompter out of screen sharing (no Linux desktop can today);
    // the teleprompter tab offers `hideFromScreenShare` as unavailable when not.
    static bool canHideFromScreenShare();

    // Camera, snapshots, presentation tools and settings.
    void startCameraWithPermission();
    void toggleCameraPreview();
    void refreshCameras();
    // After a change of `camera`: hands it to the camera, then saves.
    void applyCameraAdjustments();
    void resetCameraAdjustments();
    void saveSnapshotPNG();
    void toggleLaserOverlay();
    void setOverlayMode(PresentationOverlayMode mode);
    void toggleFloatingMirror();
    // The mirror's own close button: the panel goes, the camera keeps running.
    void hideFloatingMirror();
    void toggleLaunchAtLogin(bool wanted);

    // A new toast replaces the current one at once and clears 2.8 s after it was shown.
    void showToast(const QString &message, bool isError);

    // Recording. `onFinished` runs once on the main thread: when the stop has completed, or at once
    // when there is nothing to stop.
    void startVideoRecording();
    void stopVideoRecording(std::function<void()> onFinished = {});
    void openRecordingsFolder();

    // LAN remote. The server is started only here, on the stored port bounded to 1024...65535.
    void startRemoteServer();
    void stopRemoteServer();
    void copyRemoteURLToClipboard();
    // Opens the address in the default browser; an address that is no valid URL does nothing.
    void openRemoteURLInBrowser();
    // What the remote page shows: numbers from the document rounded and bounded, progress in 0...1.
    TeleprompterRemoteState currentRemoteState() const;
    static TeleprompterRemoteState remoteState(const std::vector<TeleprompterScript> &scripts,
        const std::optional<QUuid> &selectedID, const TeleprompterSettings &settings, bool visible,
        bool scrolling, double scrollOffset);
    // Applies one remote command to the teleprompter and returns the state after it.
    TeleprompterRemoteState handleRemoteCommand(const TeleprompterRemoteCommand &command);

    // The one call of every Quit item: asks the application to quit, which CamStudioQuitGuard holds
    // while a recording is being finished.
    void requestQuit();

    CamStudioClock &clock() const { return *m_services.clock; }
    ZunoAppLogger &logger() const { return *m_services.logger; }

signals:
    void scriptsChanged();
    void selectedScriptChanged();
    void teleprompterSettingsChanged();
    void cameraAdjustmentsChanged();
    void overlayModeChanged();
    void selectedTabChanged();
    // availableCameras, selectedCameraID.
    void camerasChanged();
    // isCameraRunning, isCameraStarting.
    void cameraRunningChanged();
    // isRecordingVideo, isFinalizingVideo, recordingDurationSeconds, recordedFrameCount,
    // lastRecordedVideoURL.
    void recordingChanged();
    // isTeleprompterVisible, isPrompterScrolling, prompterCountdownRemaining, isVoiceGateOpen.
    void prompterStateChanged();
    // isFloatingMirrorVisible, isLaserOverlayVisible.
    void presentationChanged();
    // isRemoteServerRunning, remoteServerURL, lastRemoteCommandLabel.
    void remoteChanged();
    void languageChanged();
    void launchAtLoginChanged();
    // toastMessage, toastIsError.
    void toastChanged();
    // The fast ones.
    void prompterOffsetChanged();
    void voiceLevelChanged();
    void frameChanged();

private:
    // Start-up steps 15 and 16, filled by the recording, remote and hot-key operations.
    void configureStudioProServices();
    void registerHotkeys();

    void toggleTeleprompterOverlay();
    // Opens the selected camera off the main thread; a failure is shown when `reportsFailure`.
    void beginCameraStart(bool reportsFailure);
    void reportCameraStartFailure(const std::optional<CameraCaptureService::StartFailure> &failure);
    void handleRecorderStatus(const CameraRecordingSnapshot &snapshot);
    void startRecordingClockTimer();
    // `recorderLogged`: the recorder already wrote the failure's error line.
    void finishStop(const std::optional<CameraRecordingResult> &result, const QString &failure,
        bool recorderLogged, const std::function<void()> &onFinished);
    void setCameraRunning(bool running);
    void setCameraStarting(bool starting);
    void setLaserOverlayVisible(bool visible);
    void setFloatingMirrorVisible(bool visible);
    void setRecordingProgress(double seconds, qint64 frames);
    void setRecordingFlags(bool recording, bool finalizing);
    void applyRemoteEvent(const TeleprompterRemoteServerEvent &event);
    // Hands the remote server the state its page shows whenever that changes; `progressOnly` when
    // only the scroll offset moved.
    void publishRemoteState(bool progressOnly);
    void setRemoteServer(bool running, const std::optional<QString> &url = std::nullopt);
    void changeRemoteFontSize(int delta);
    void playFromRemote(bool scrolling);
    void selectScriptFromRemote(const QString &id);

    void advancePrompterFrame(double dt);
    void countdownTick();
    void ensureVoiceMonitoring();
    void handleMicrophoneStatus(ZunoMediaAuthorizationStatus status);
    bool wantsVoiceMonitoring() const;
    void startVoiceMonitor();
    void stopVoiceMonitor();

    void handleSaveResult(const CamScriptStore::SaveResult &result);
    void setPrompterVisible(bool visible);
    void setPrompterCountdown(qint64 remaining);
    void setVoiceGateOpen(bool open);
    void setScripts(std::vector<TeleprompterScript> scripts);
    void setToast(const std::optional<QString> &message, bool isError);
    QString text(const QString &en, const QString &tr) const;

    // Published state, in the order of the table.
    std::vector<TeleprompterScript> m_scripts;
    std::optional<QUuid> m_selectedScriptID;
    TeleprompterSettings m_teleprompter;
    CameraAdjustments m_camera;
    PresentationOverlayMode m_overlayMode = PresentationOverlayMode::fadingLaser;
    CamStudioTab m_selectedTab = CamStudioTab::teleprompter;
    QList<CameraDeviceDescriptor> m_availableCameras;
    std::optional<QString> m_selectedCameraID;
    bool m_isCameraRunning = false;
    bool m_isCameraStarting = false;
    bool m_recordsWhenCameraStarts = false; // a recording asked for while the camera was opening
    QImage m_latestCameraFrame;
    bool m_isRecordingVideo = false;
    bool m_isFinalizingVideo = false;
    double m_recordingDurationSeconds = 0;
    qint64 m_recordedFrameCount = 0;
    std::optional<QString> m_lastRecordedVideoURL;
    std::optional<CameraRecordingResult> m_lastRecordingResult;
    bool m_isTeleprompterVisible = false;
    bool m_isPrompterScrolling = false;
    double m_prompterScrollOffset = 0;
    qint64 m_prompterCountdownRemaining = 0;
    double m_liveVoiceRMS = 0;
    bool m_isVoiceGateOpen = false;
    bool m_isFloatingMirrorVisible = false;
    bool m_isRemoteServerRunning = false;
    QString m_remoteServerURL;
    std::optional<QString> m_lastRemoteCommandLabel;
    std::optional<TeleprompterRemoteState> m_publishedRemoteState;
    bool m_isLaserOverlayVisible = false;
    ZunoLanguage m_language;
    bool m_launchAtLogin = false;
    std::optional<QString> m_toastMessage;
    bool m_toastIsError = false;

    // Owned services first: everything below uses them and goes before them.
    CamStudioServices m_services;
    TeleprompterPacingEngine m_pacingEngine;
    std::unique_ptr<CamNotchPanel> m_prompterController;
    std::unique_ptr<CamMirrorPanel> m_mirrorController;
    std::unique_ptr<CamLaserOverlay> m_laserController;
    CamStudioTimerHandle m_scrollTimer;
    CamStudioTimerHandle m_recordingTimer;
    CamStudioTimerHandle m_countdownTimer;
    CamStudioTimerHandle m_toastTimer;
    bool m_saveFailureShown = false; // one toast per run of failed saves
    // A failed save is tried again after this many seconds, doubling up to kSaveRetryMaxSeconds.
    double m_saveRetrySeconds = kSaveRetryFirstSeconds;
    CamStudioTimerHandle m_saveRetryTimer;
    ZunoNotificationCenter::Token m_languageObserver = 0;
    std::shared_ptr<CamStudioHandOver<QImage>> m_frameHandOver;
    std::shared_ptr<CamStudioHandOver<double>> m_voiceHandOver;
    std::unique_ptr<CamStudioDocumentWriter> m_writer;
    // The microphone's permission probe and the voice monitor's start and stop, in order.
    ZunoSerialQueue m_microphoneQueue;
};

#pragma once

#include "CamStudioPanels.h"
#include "NotchTeleprompterContentView.h"

#include <QPointer>

#include <functional>
#include <memory>

class CamStudioViewModel;
class ZunoAppLogger;
class ZunoDraggableFloatingPanel;

// The notch teleprompter panel: a never-focused floating panel at the top centre of the primary screen
// showing the view model's active script as it scrolls, with the pace and playback controls. Made on
// the first show and kept; the view model orders it out. Main thread only.
class NotchTeleprompterPanelController : public CamNotchPanel {
public:
    static inline const QString kWindowTitle = QStringLiteral("ZunoCam Teleprompter");
    static inline const QString kPrivacyUnavailableMessage
        = QStringLiteral("Hiding the teleprompter from screen sharing is not available on this desktop.");

    // `captureExclusionSupported` is the desktop's answer (ZunoScreenCaptureExclusion by default);
    // `logger` takes the line about a privacy setting the desktop cannot honour (none: not written).
    NotchTeleprompterPanelController(CamStudioViewModel &viewModel, std::shared_ptr<ZunoAppLogger> logger,
        std::function<bool()> captureExclusionSupported = {});
    ~NotchTeleprompterPanelController() override;

    void show(const TeleprompterSettings &settings) override;
    void updateLayout(const TeleprompterSettings &settings) override;
    void orderOut() override;

    // None before the first show.
    ZunoDraggableFloatingPanel *panel() const;
    NotchTeleprompterContentView *content() const { return m_content; }

private:
    void createPanel();
    void syncContent();

    CamStudioViewModel &m_viewModel;
    std::shared_ptr<ZunoAppLogger> m_logger;
    std::function<bool()> m_captureExclusionSupported;
    std::unique_ptr<ZunoDraggableFloatingPanel> m_panel;
    QPointer<NotchTeleprompterContentView> m_content;
};

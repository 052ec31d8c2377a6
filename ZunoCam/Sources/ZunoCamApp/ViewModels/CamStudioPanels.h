#pragma once

#include "CamTextPair.h"
#include "PresentationOverlayMode.h"
#include "TeleprompterSettings.h"

#include <functional>
#include <memory>
#include <optional>

class CamStudioViewModel;

// The notch teleprompter panel as the view model drives it.
class CamNotchPanel {
public:
    virtual ~CamNotchPanel() = default;

    virtual void show(const TeleprompterSettings &settings) = 0;
    virtual void updateLayout(const TeleprompterSettings &settings) = 0;
    virtual void orderOut() = 0;
};

// The full-screen laser overlay. Leaving it with Escape calls the dismissal callback the factory got.
class CamLaserOverlay {
public:
    virtual ~CamLaserOverlay() = default;

    // Shows the overlay with that tool; none when it shows, else why not (English and Turkish).
    virtual std::optional<CamTextPair> show(PresentationOverlayMode mode) = 0;
    virtual void hide() = 0;
    // Switches the open canvas to that tool at once.
    virtual void setMode(PresentationOverlayMode mode) = 0;
};

// The floating camera mirror panel.
class CamMirrorPanel {
public:
    virtual ~CamMirrorPanel() = default;

    virtual void show() = 0;
    virtual void orderOut() = 0;
};

// Makes the overlay panels on their first showing; each is kept for the view model's life. A factory
// that is empty, or gives none, leaves the studio without that panel (headless runs).
struct CamStudioPanelFactory {
    std::function<std::unique_ptr<CamNotchPanel>(CamStudioViewModel &viewModel)> makeNotchPanel;
    std::function<std::unique_ptr<CamLaserOverlay>(
        CamStudioViewModel &viewModel, std::function<void()> onDismiss)>
        makeLaserOverlay;
    std::function<std::unique_ptr<CamMirrorPanel>(CamStudioViewModel &viewModel)> makeMirrorPanel;
};

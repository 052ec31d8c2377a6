#pragma once

#include "TeleprompterSettings.h"

#include <functional>
#include <memory>

class CamStudioViewModel;

// The notch teleprompter panel as the view model drives it.
class CamNotchPanel {
public:
    virtual ~CamNotchPanel() = default;

    virtual void show(const TeleprompterSettings &settings) = 0;
    virtual void updateLayout(const TeleprompterSettings &settings) = 0;
    virtual void orderOut() = 0;
};

// Makes the overlay panels on their first showing; each is kept for the view model's life. A factory
// that is empty, or gives none, leaves the studio without that panel (headless runs).
struct CamStudioPanelFactory {
    std::function<std::unique_ptr<CamNotchPanel>(CamStudioViewModel &viewModel)> makeNotchPanel;
};

#pragma once

#include "CamStudioPanels.h"
#include "LaserCanvasView.h"

#include <QPointer>

#include <functional>
#include <memory>

class QWidget;
class ZunoAppLogger;

// The full-screen presentation overlay: a frameless window over the whole primary screen (its top bar
// too) holding the drawing canvas, on every workspace and above other windows. It takes the keyboard
// with an X11 grab so that Escape and the tool keys reach it whatever has the focus; when the grab
// cannot be had it does not stay up. Where nothing composites, a picture of the screen taken just
// before showing is its backdrop. Each show starts a fresh canvas. Main thread only.
class PresentationLaserOverlayController : public CamLaserOverlay {
public:
    static constexpr int kGrabWaitMs = 1000;
    static inline const CamTextPair kNoScreen { QStringLiteral("no screen is available"),
        QStringLiteral("kullanılabilir ekran yok") };
    static inline const CamTextPair kKeyboardHeld { QStringLiteral("another application holds the keyboard"),
        QStringLiteral("klavyeyi başka bir uygulama tutuyor") };

    // `onDismiss` runs after Escape closed the overlay. `clock` drives the trail (seconds, monotonic;
    // by default real time).
    PresentationLaserOverlayController(std::function<void()> onDismiss, std::shared_ptr<ZunoAppLogger> logger,
        LaserCanvasState::Clock clock = {});
    ~PresentationLaserOverlayController() override;

    std::optional<CamTextPair> show(PresentationOverlayMode mode) override;
    void hide() override;
    void setMode(PresentationOverlayMode mode) override;

    // None while hidden.
    QWidget *window() const;
    LaserCanvasView *canvas() const { return m_canvas; }

private:
    void escape();

    std::function<void()> m_onDismiss;
    std::shared_ptr<ZunoAppLogger> m_logger;
    LaserCanvasState::Clock m_clock;
    QPointer<QWidget> m_window;
    QPointer<LaserCanvasView> m_canvas;
};

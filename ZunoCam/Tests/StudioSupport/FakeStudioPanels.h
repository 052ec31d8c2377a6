#pragma once

#include "CamStudioCallLog.h"
#include "CamStudioPanels.h"

#include <memory>

// Records what the studio asks of the laser overlay; show() fails with `failure` when one is set.
// dismissWithEscape() does what the user's Escape does.
class FakeLaserOverlay : public CamLaserOverlay {
public:
    FakeLaserOverlay(std::shared_ptr<CamStudioCallLog> log, std::function<void()> onDismiss)
        : m_log(std::move(log))
        , m_onDismiss(std::move(onDismiss))
    {
    }

    std::optional<CamTextPair> show(PresentationOverlayMode mode) override
    {
        m_log->add(QStringLiteral("laser.show %1").arg(rawValue(mode)));
        if (failure)
            return failure;
        visible = true;
        canvasMode = mode;
        return std::nullopt;
    }
    void hide() override
    {
        m_log->add(QStringLiteral("laser.hide"));
        visible = false;
    }
    void setMode(PresentationOverlayMode mode) override
    {
        m_log->add(QStringLiteral("laser.setMode %1").arg(rawValue(mode)));
        canvasMode = mode;
    }
    void dismissWithEscape()
    {
        visible = false;
        m_onDismiss();
    }

    std::optional<CamTextPair> failure;
    bool visible = false;
    PresentationOverlayMode canvasMode = PresentationOverlayMode::fadingLaser;

private:
    std::shared_ptr<CamStudioCallLog> m_log;
    std::function<void()> m_onDismiss;
};

class FakeMirrorPanel : public CamMirrorPanel {
public:
    explicit FakeMirrorPanel(std::shared_ptr<CamStudioCallLog> log)
        : m_log(std::move(log))
    {
    }
    void show() override { m_log->add(QStringLiteral("mirror.show")); }
    void orderOut() override { m_log->add(QStringLiteral("mirror.orderOut")); }

private:
    std::shared_ptr<CamStudioCallLog> m_log;
};

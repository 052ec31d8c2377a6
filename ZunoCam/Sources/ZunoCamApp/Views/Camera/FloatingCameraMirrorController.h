#pragma once

#include "CamStudioPanels.h"
#include "FloatingMirrorWidgetView.h"

#include <QPointer>
#include <QString>

#include <memory>

class CamStudioViewModel;
class ZunoDraggableFloatingPanel;

// The camera mirror panel: a never-focused floating panel, 340 x 224, near the top centre of the
// primary screen, showing the view model's latest processed frame. Made on the first show and kept;
// every show puts it back at the top centre. Main thread only.
class FloatingCameraMirrorController : public CamMirrorPanel {
public:
    static inline const QString kWindowTitle = QStringLiteral("ZunoCam Camera Mirror");
    // The panel's top edge below the screen's top.
    static constexpr int kTopOffset = 34;

    explicit FloatingCameraMirrorController(CamStudioViewModel &viewModel);
    ~FloatingCameraMirrorController() override;

    void show() override;
    void orderOut() override;

    // None before the first show.
    ZunoDraggableFloatingPanel *panel() const;
    FloatingMirrorWidgetView *content() const { return m_content; }

private:
    void createPanel();

    CamStudioViewModel &m_viewModel;
    std::unique_ptr<ZunoDraggableFloatingPanel> m_panel;
    QPointer<FloatingMirrorWidgetView> m_content;
};

#include "FloatingCameraMirrorController.h"

#include "CamStudioViewModel.h"
#include "FloatingMirrorWidgetView.h"
#include "NotchTeleprompterPanelController.h"
#include "ZunoDraggableFloatingPanel.h"
#include "ZunoFloatingPanelPlacement.h"
#include "ZunoFloatingPanelWindowHints.h"

#include <QApplication>
#include <QScreen>
#include <QVBoxLayout>

namespace {

// The teleprompter stays above the mirror: a visible teleprompter panel is raised again after the
// mirror comes up.
void raiseTeleprompterPanel()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible() && widget->windowTitle() == NotchTeleprompterPanelController::kWindowTitle)
            widget->raise();
    }
}

} // namespace

FloatingCameraMirrorController::FloatingCameraMirrorController(CamStudioViewModel &viewModel)
    : m_viewModel(viewModel)
{
}

FloatingCameraMirrorController::~FloatingCameraMirrorController() = default;

ZunoDraggableFloatingPanel *FloatingCameraMirrorController::panel() const
{
    return m_panel.get();
}

void FloatingCameraMirrorController::createPanel()
{
    m_panel = std::make_unique<ZunoDraggableFloatingPanel>(
        nullptr, ZunoFloatingPanelWindowHints::Focus::neverFocus);
    m_panel->setWindowTitle(kWindowTitle);
    m_panel->setFixedSize(FloatingMirrorWidgetView::kWidth, FloatingMirrorWidgetView::kHeight);
    auto *layout = new QVBoxLayout(m_panel.get());
    layout->setContentsMargins(0, 0, 0, 0);
    m_content = new FloatingMirrorWidgetView(m_panel.get());
    layout->addWidget(m_content);
    CamStudioViewModel &viewModel = m_viewModel;
    m_content->onClose = [&viewModel] { viewModel.hideFloatingMirror(); };

    QObject *context = m_panel.get();
    QObject::connect(&m_viewModel, &CamStudioViewModel::frameChanged, context, [this] {
        if (m_content && m_panel->isVisible())
            m_content->setFrame(m_viewModel.latestCameraFrame());
    });
    QObject::connect(&m_viewModel, &CamStudioViewModel::cameraAdjustmentsChanged, context, [this] {
        if (m_content)
            m_content->setAutoFaceFraming(m_viewModel.camera().autoFaceFraming);
    });
}

void FloatingCameraMirrorController::show()
{
    if (!m_panel)
        createPanel();
    m_content->setAutoFaceFraming(m_viewModel.camera().autoFaceFraming);
    m_content->setFrame(m_viewModel.latestCameraFrame());
    m_panel->applyRoundedShape(FloatingMirrorWidgetView::kCornerRadius);
    if (QScreen *screen = ZunoFloatingPanelPlacement::screen())
        m_panel->move(ZunoFloatingPanelPlacement::topCentre(
            screen->geometry(), screen->availableGeometry(), m_panel->size(), kTopOffset));
    m_panel->show();
    m_panel->raise();
    raiseTeleprompterPanel();
}

void FloatingCameraMirrorController::orderOut()
{
    if (m_panel)
        m_panel->hide();
}

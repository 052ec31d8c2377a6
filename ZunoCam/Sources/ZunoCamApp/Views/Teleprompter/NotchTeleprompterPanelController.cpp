#include "NotchTeleprompterPanelController.h"

#include "CamStudioViewModel.h"
#include "NotchTeleprompterContentView.h"
#include "NotchTeleprompterMetrics.h"
#include "ZunoAppLogger.h"
#include "ZunoDraggableFloatingPanel.h"
#include "ZunoFloatingPanelPlacement.h"
#include "ZunoFloatingPanelWindowHints.h"
#include "ZunoScreenCaptureExclusion.h"

#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>

namespace {

constexpr double kPaceStep = 10;

} // namespace

NotchTeleprompterPanelController::NotchTeleprompterPanelController(CamStudioViewModel &viewModel,
    std::shared_ptr<ZunoAppLogger> logger, std::function<bool()> captureExclusionSupported)
    : m_viewModel(viewModel)
    , m_logger(std::move(logger))
    , m_captureExclusionSupported(captureExclusionSupported
              ? std::move(captureExclusionSupported)
              : std::function<bool()>(ZunoScreenCaptureExclusion::isSupported))
{
}

NotchTeleprompterPanelController::~NotchTeleprompterPanelController() = default;

ZunoDraggableFloatingPanel *NotchTeleprompterPanelController::panel() const
{
    return m_panel.get();
}

void NotchTeleprompterPanelController::createPanel()
{
    m_panel = std::make_unique<ZunoDraggableFloatingPanel>(
        nullptr, ZunoFloatingPanelWindowHints::Focus::neverFocus);
    m_panel->setWindowTitle(kWindowTitle);
    auto *layout = new QVBoxLayout(m_panel.get());
    layout->setContentsMargins(0, 0, 0, 0);

    // The panel lives as long as the controller, and the view model outlives both: connections made
    // with the panel as their context end with it.
    QObject *context = m_panel.get();
    for (auto signal : { &CamStudioViewModel::scriptsChanged, &CamStudioViewModel::selectedScriptChanged,
             &CamStudioViewModel::teleprompterSettingsChanged, &CamStudioViewModel::prompterStateChanged })
        QObject::connect(&m_viewModel, signal, context, [this] { syncContent(); });
    QObject::connect(&m_viewModel, &CamStudioViewModel::prompterOffsetChanged, context, [this] {
        if (m_content)
            m_content->setScrollOffset(m_viewModel.prompterScrollOffset());
    });
}

void NotchTeleprompterPanelController::show(const TeleprompterSettings &settings)
{
    if (!m_panel)
        createPanel();
    // A fresh content view per show, synced from the view model; the window stays the same.
    delete m_content;
    m_content = new NotchTeleprompterContentView(m_panel.get());
    m_panel->layout()->addWidget(m_content);
    CamStudioViewModel &viewModel = m_viewModel;
    m_content->onSlower = [&viewModel] { viewModel.nudgePrompterWPM(-kPaceStep); };
    m_content->onFaster = [&viewModel] { viewModel.nudgePrompterWPM(kPaceStep); };
    m_content->onRewind = [&viewModel] { viewModel.setPrompterScrollOffset(0); };
    m_content->onPlayPause = [&viewModel] {
        const bool play = !viewModel.isPrompterScrolling();
        viewModel.setPrompterScrolling(play);
        if (play)
            viewModel.startScrollLoop();
    };
    m_content->onClose = [&viewModel] { viewModel.hideTeleprompterOverlay(); };
    syncContent();

    if (settings.hideFromScreenShare && !m_captureExclusionSupported() && m_logger)
        m_logger->log(
            ZunoLogLevel::info, CamStudioViewModel::kTeleprompterCategory, kPrivacyUnavailableMessage);

    updateLayout(settings);
    m_panel->show();
    m_panel->raise();
}

void NotchTeleprompterPanelController::updateLayout(const TeleprompterSettings &settings)
{
    if (!m_panel)
        return;
    ZunoScreenCaptureExclusion::apply(m_panel.get(), settings.hideFromScreenShare);
    QScreen *screen = ZunoFloatingPanelPlacement::screen();
    const QSize size = NotchTeleprompterMetrics::panelSize(
        settings, screen ? std::optional(screen->geometry().size()) : std::nullopt);
    m_panel->setFixedSize(size);
    m_panel->applyRoundedShape(NotchTeleprompterContentView::kCornerRadius);
    if (!screen)
        return; // no screen: the panel keeps its place
    m_panel->move(ZunoFloatingPanelPlacement::topCentre(
        screen->geometry(), screen->availableGeometry(), size, NotchTeleprompterMetrics::kTopOffset));
}

void NotchTeleprompterPanelController::orderOut()
{
    if (m_panel)
        m_panel->hide();
}

void NotchTeleprompterPanelController::syncContent()
{
    if (!m_content)
        return;
    const TeleprompterSettings &settings = m_viewModel.teleprompter();
    NotchTeleprompterContentState state;
    if (const std::optional<std::size_t> index = m_viewModel.activeScriptIndex()) {
        const TeleprompterScript &script = m_viewModel.scripts().at(*index);
        state.title = script.title;
        state.body = script.body;
    }
    state.wordsPerMinute = settings.wordsPerMinute;
    state.fontSize = NotchTeleprompterMetrics::fontSize(settings);
    state.panelOpacity = NotchTeleprompterMetrics::panelOpacity(settings);
    state.mirrorTextHorizontally = settings.mirrorTextHorizontally;
    state.showsPrivateBadge = settings.hideFromScreenShare && m_captureExclusionSupported();
    state.isScrolling = m_viewModel.isPrompterScrolling();
    state.isVoiceGateOpen = m_viewModel.isVoiceGateOpen();
    state.countdownRemaining = m_viewModel.prompterCountdownRemaining();
    m_content->setState(state);
    m_content->setScrollOffset(m_viewModel.prompterScrollOffset());
}

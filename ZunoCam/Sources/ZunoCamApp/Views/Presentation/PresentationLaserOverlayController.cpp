#include "PresentationLaserOverlayController.h"

#include "CamStudioViewModel.h"
#include "LaserCanvasView.h"
#include "ZunoAppLogger.h"
#include "ZunoFloatingPanelPlacement.h"
#include "ZunoFloatingPanelWindowHints.h"
#include "ZunoWindowManagerHints.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPixmap>
#include <QScreen>
#include <QThread>
#include <QVBoxLayout>
#include <QWindow>

namespace {

const QColor kDarkBackdrop(16, 16, 20);

// The overlay's window: Escape reaching it (not the canvas) leaves the overlay as well.
class LaserOverlayPanel : public QWidget {
public:
    std::function<void()> onEscape;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        event->accept();
        if (event->key() == Qt::Key_Escape && onEscape)
            onEscape();
    }
    void showEvent(QShowEvent *event) override
    {
        ZunoFloatingPanelWindowHints::applyNativeHints(this);
        QWidget::showEvent(event);
    }
};

// Takes the keyboard for the window, retrying while it is being mapped or another client holds it.
bool grabKeyboard(QWidget *window)
{
    QElapsedTimer waited;
    waited.start();
    while (true) {
        QWindow *handle = window->windowHandle();
        if (handle && handle->isExposed() && handle->setKeyboardGrabEnabled(true))
            return true;
        if (waited.elapsed() >= PresentationLaserOverlayController::kGrabWaitMs)
            return false;
        // The window's mapping and exposure, not the user's input (a second toggle must not start
        // another show while this one waits).
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
        QThread::msleep(5);
    }
}

} // namespace

PresentationLaserOverlayController::PresentationLaserOverlayController(
    std::function<void()> onDismiss, std::shared_ptr<ZunoAppLogger> logger, LaserCanvasState::Clock clock)
    : m_onDismiss(std::move(onDismiss))
    , m_logger(std::move(logger))
    , m_clock(std::move(clock))
{
}

PresentationLaserOverlayController::~PresentationLaserOverlayController()
{
    hide();
}

QWidget *PresentationLaserOverlayController::window() const
{
    return m_window;
}

std::optional<CamTextPair> PresentationLaserOverlayController::show(PresentationOverlayMode mode)
{
    hide();
    QScreen *screen = ZunoFloatingPanelPlacement::screen();
    if (!screen)
        return kNoScreen;

    // Without a compositor the window cannot be see-through: draw on a picture of the screen instead,
    // taken before the overlay covers it.
    QImage backdrop;
    if (!ZunoFloatingPanelWindowHints::isCompositing()) {
        backdrop = screen->grabWindow(0).toImage();
        if (backdrop.isNull()) {
            backdrop = QImage(screen->geometry().size(), QImage::Format_RGB32);
            backdrop.fill(kDarkBackdrop);
            if (m_logger)
                m_logger->warn(QStringLiteral("Presentation overlay: the screen could not be captured; "
                                              "drawing on a dark backdrop."),
                    CamStudioViewModel::kPresenterCategory);
        }
    }

    auto *panel = new LaserOverlayPanel;
    ZunoFloatingPanelWindowHints::configure(panel);
    // This window takes the keyboard: it is shown active.
    panel->setAttribute(Qt::WA_ShowWithoutActivating, false);
    panel->setWindowTitle(QStringLiteral("ZunoCam Presentation Overlay"));
    panel->onEscape = [this] { escape(); };
    auto *layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *canvas = new LaserCanvasView(mode, m_clock, panel);
    canvas->setBackdrop(backdrop);
    canvas->state().onEscape = [this] { escape(); };
    layout->addWidget(canvas);
    m_window = panel;
    m_canvas = canvas;

    panel->setGeometry(screen->geometry());
    panel->winId(); // the native window, so that it opens on that screen
    if (QWindow *handle = panel->windowHandle())
        handle->setScreen(screen);
    panel->showFullScreen();
    panel->raise();
    panel->activateWindow();
    if (QWindow *handle = panel->windowHandle())
        ZunoWindowManagerHints::activateWindow(handle);
    canvas->setFocus();

    // A window that covers the screen and takes every click must have a sure way out. Only X11 has
    // grabs; elsewhere (Wayland) the keys arrive while the full-screen window has the focus.
    if (QGuiApplication::platformName() == QLatin1String("xcb") && !grabKeyboard(panel)) {
        hide();
        return kKeyboardHeld;
    }
    return std::nullopt;
}

void PresentationLaserOverlayController::hide()
{
    if (!m_window)
        return;
    QWidget *window = m_window;
    m_window = nullptr;
    m_canvas = nullptr;
    if (QWindow *handle = window->windowHandle())
        handle->setKeyboardGrabEnabled(false);
    // Closed now; deleted once the event that may have led here (a key on the canvas) is done.
    window->hide();
    window->deleteLater();
}

void PresentationLaserOverlayController::setMode(PresentationOverlayMode mode)
{
    if (m_canvas)
        m_canvas->setMode(mode);
}

void PresentationLaserOverlayController::escape()
{
    if (!m_window)
        return; // handled once
    hide();
    if (m_onDismiss)
        m_onDismiss();
}

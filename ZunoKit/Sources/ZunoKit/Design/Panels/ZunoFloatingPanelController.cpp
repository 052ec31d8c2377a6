#include "ZunoFloatingPanelController.h"

#include "ZunoFloatingPanelWindowHints.h"

#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kRaiseAboveCentre = 40.0;
constexpr double kMinimumBottomGap = 24.0;

// The controller's panel: takes the keyboard focus when shown, reports Escape and the loss of the
// focus, and moves when dragged by its background (presses its content does not take).
class ZunoFloatingPanel final : public QWidget {
public:
    ZunoFloatingPanel()
    {
        ZunoFloatingPanelWindowHints::configure(this);
        auto *layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
    }

    void setContent(QWidget *content)
    {
        if (m_content)
            m_content->deleteLater();
        m_content = content;
        if (content) {
            layout()->addWidget(content);
            content->show();
        }
    }

    std::function<void()> onEscapePressed;
    std::function<void()> onResignKey;

protected:
    void showEvent(QShowEvent *event) override
    {
        ZunoFloatingPanelWindowHints::applyNativeHints(this);
        QWidget::showEvent(event);
    }

    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->key() == Qt::Key_Escape) {
            if (onEscapePressed)
                onEscapePressed();
            event->accept();
            return;
        }
        QWidget::keyPressEvent(event);
    }

    void changeEvent(QEvent *event) override
    {
        // Hiding the panel takes its focus too; that is no second dismissal.
        if (event->type() == QEvent::ActivationChange && !isActiveWindow() && !isHidden() && onResignKey)
            onResignKey();
        QWidget::changeEvent(event);
    }

    void mousePressEvent(QMouseEvent *event) override
    {
        if (event->button() != Qt::LeftButton) {
            QWidget::mousePressEvent(event);
            return;
        }
        event->accept();
        m_backgroundDrag.reset();
        // The window manager moves it where there is one; otherwise the panel follows the pointer.
        if (windowHandle() && windowHandle()->startSystemMove())
            return;
        m_backgroundDrag = event->globalPosition().toPoint() - pos();
    }

    void mouseMoveEvent(QMouseEvent *event) override
    {
        if (m_backgroundDrag && (event->buttons() & Qt::LeftButton)) {
            move(event->globalPosition().toPoint() - *m_backgroundDrag);
            event->accept();
            return;
        }
        QWidget::mouseMoveEvent(event);
    }

    void mouseReleaseEvent(QMouseEvent *event) override
    {
        m_backgroundDrag.reset();
        QWidget::mouseReleaseEvent(event);
    }

private:
    QPointer<QWidget> m_content;
    std::optional<QPoint> m_backgroundDrag;
};

// The screen under the pointer (first in the list), else the primary one, else the first; none when
// there is no screen.
QScreen *activeScreen()
{
    const QPoint pointer = QCursor::pos();
    const QList<QScreen *> screens = QGuiApplication::screens();
    for (QScreen *screen : screens) {
        if (screen->geometry().contains(pointer))
            return screen;
    }
    if (QScreen *primary = QGuiApplication::primaryScreen())
        return primary;
    return screens.isEmpty() ? nullptr : screens.first();
}

} // namespace

ZunoFloatingPanelController::ZunoFloatingPanelController(
    QSize size, bool dismissOnResignKey, std::function<void()> onDismiss, QObject *parent)
    : QObject(parent)
    , m_size(size)
    , m_dismissOnResignKey(dismissOnResignKey)
    , m_onDismiss(std::move(onDismiss))
{
}

ZunoFloatingPanelController::~ZunoFloatingPanelController()
{
    delete m_panel.data();
}

QWidget *ZunoFloatingPanelController::panel() const
{
    return m_panel;
}

bool ZunoFloatingPanelController::isVisible() const
{
    return m_panel && m_panel->isVisible();
}

QPoint ZunoFloatingPanelController::centeredPosition(const QRect &availableGeometry, QSize size)
{
    const double midX = availableGeometry.x() + availableGeometry.width() / 2.0;
    const double midY = availableGeometry.y() + availableGeometry.height() / 2.0;
    const double bottom = availableGeometry.y() + availableGeometry.height();
    const double x = midX - size.width() / 2.0;
    // Raised above the middle, but the bottom edge keeps its distance from the area's bottom.
    const double y = std::min(
        midY - size.height() / 2.0 - kRaiseAboveCentre, bottom - kMinimumBottomGap - size.height());
    return QPoint(static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y)));
}

void ZunoFloatingPanelController::ensurePanel()
{
    if (m_panel)
        return;
    auto *panel = new ZunoFloatingPanel;
    QPointer<ZunoFloatingPanelController> self(this);
    panel->onEscapePressed = [self] {
        if (self)
            self->hide();
    };
    panel->onResignKey = [self] {
        if (self)
            self->windowDidResignKey();
    };
    m_panel = panel;
}

void ZunoFloatingPanelController::show(
    bool centeredOnActiveScreen, std::optional<QRect> anchorFrame, const ContentBuilder &content)
{
    ensurePanel();
    auto *panel = static_cast<ZunoFloatingPanel *>(m_panel.data());
    panel->setContent(content ? content() : nullptr);
    panel->resize(m_size);

    if (anchorFrame) {
        // The anchor's bottom-left corner, where the panel's bottom-left corner goes.
        panel->move(anchorFrame->x(), anchorFrame->y() + anchorFrame->height() - m_size.height());
    } else if (centeredOnActiveScreen) {
        if (QScreen *screen = activeScreen())
            panel->move(centeredPosition(screen->availableGeometry(), m_size));
    }

    panel->show();
    panel->raise();
    panel->activateWindow();
}

void ZunoFloatingPanelController::toggle(
    bool centeredOnActiveScreen, std::optional<QRect> anchorFrame, const ContentBuilder &content)
{
    if (isVisible()) {
        orderOut();
        if (m_onDismiss)
            m_onDismiss();
        return;
    }
    show(centeredOnActiveScreen, anchorFrame, content);
}

void ZunoFloatingPanelController::hide()
{
    orderOut();
    if (m_onDismiss)
        m_onDismiss();
}

void ZunoFloatingPanelController::windowDidResignKey()
{
    if (!m_dismissOnResignKey)
        return;
    orderOut();
    if (m_onDismiss)
        m_onDismiss();
}

void ZunoFloatingPanelController::orderOut()
{
    if (m_panel)
        m_panel->hide();
}

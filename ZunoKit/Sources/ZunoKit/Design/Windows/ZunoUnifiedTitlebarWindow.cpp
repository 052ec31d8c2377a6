#include "ZunoUnifiedTitlebarWindow.h"

#include "ZunoDesktopWindowPreferences.h"
#include "ZunoInitialFocusSink.h"
#include "ZunoWindowControls.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace {

// Widgets that take text: they keep the focus they have when the window opens.
bool isTextInput(QWidget *widget)
{
    return qobject_cast<QLineEdit *>(widget) || qobject_cast<QTextEdit *>(widget)
        || qobject_cast<QPlainTextEdit *>(widget) || qobject_cast<QAbstractSpinBox *>(widget);
}

} // namespace

ZunoUnifiedTitlebarWindow::ZunoUnifiedTitlebarWindow(
    QWidget *window, ZunoUnifiedTitlebarMode mode, qreal fullscreenLeading, qreal trafficLightGap)
    : QObject(window)
    , m_window(window)
    , m_mode(mode)
    , m_fullscreenLeading(fullscreenLeading)
    , m_gap(trafficLightGap)
{
    setObjectName(QStringLiteral("zunoUnifiedTitlebarWindow"));
    createControls(ZunoDesktopWindowPreferences::buttonLayout());
    configure(mode);
    window->installEventFilter(this);
    watchWindowHandle();
    reportCurrentMetrics();
    QTimer::singleShot(0, this, [this] {
        reportCurrentMetrics();
        clearSpuriousInitialFocusIfNeeded();
    });
}

ZunoUnifiedTitlebarWindow::~ZunoUnifiedTitlebarWindow()
{
    if (m_handle)
        m_handle->removeEventFilter(this);
}

ZunoUnifiedTitlebarWindow *ZunoUnifiedTitlebarWindow::find(QWidget *window)
{
    return window ? window->findChild<ZunoUnifiedTitlebarWindow *>(QString(), Qt::FindDirectChildrenOnly)
                  : nullptr;
}

void ZunoUnifiedTitlebarWindow::configure(ZunoUnifiedTitlebarMode mode)
{
    m_mode = mode;
    if (!m_window)
        return;
    if (!m_window->windowFlags().testFlag(Qt::FramelessWindowHint)) {
        // Changing flags hides a shown window; show it again as it was.
        const bool wasVisible = m_window->isVisible();
        m_window->setWindowFlag(Qt::FramelessWindowHint, true);
        if (wasVisible)
            m_window->show();
    }
    placeControls();
    ZunoInitialFocusSink::install(m_window);
    reportCurrentMetrics();
}

void ZunoUnifiedTitlebarWindow::setButtonLayout(const ZunoWindowButtonLayout &layout)
{
    if (!m_window)
        return;
    createControls(layout);
    for (ZunoWindowControls *group : { m_leftControls, m_rightControls }) {
        if (group)
            group->show();
    }
    placeControls();
    reportCurrentMetrics();
}

void ZunoUnifiedTitlebarWindow::createControls(const ZunoWindowButtonLayout &layout)
{
    delete m_leftControls;
    delete m_rightControls;
    m_leftControls = nullptr;
    m_rightControls = nullptr;
    using Side = ZunoWindowButtonLayout::Side;
    if (!layout.left.empty())
        m_leftControls = new ZunoWindowControls(layout.left, Side::left, m_window);
    if (!layout.right.empty())
        m_rightControls = new ZunoWindowControls(layout.right, Side::right, m_window);
}

ZunoWindowControls *ZunoUnifiedTitlebarWindow::controls(ZunoWindowButtonLayout::Side side) const
{
    return side == ZunoWindowButtonLayout::Side::left ? m_leftControls : m_rightControls;
}

QWidget *ZunoUnifiedTitlebarWindow::controlButton(ZunoWindowButtonLayout::Button kind) const
{
    for (ZunoWindowControls *group : { m_leftControls, m_rightControls }) {
        if (QWidget *button = group ? group->button(kind) : nullptr)
            return button;
    }
    return nullptr;
}

ZunoInitialFocusSink *ZunoUnifiedTitlebarWindow::focusSink() const
{
    return m_window ? ZunoInitialFocusSink::install(m_window) : nullptr;
}

void ZunoUnifiedTitlebarWindow::placeControls()
{
    if (!m_window)
        return;
    const bool fullScreen = m_window->isFullScreen();
    const qreal height = m_mode == ZunoUnifiedTitlebarMode::unifiedHeader
        ? ZunoUnifiedTitlebarMetrics::standardHeight
        : kSidebarTitlebarHeight;
    for (ZunoWindowControls *group : { m_leftControls, m_rightControls }) {
        if (!group)
            continue;
        group->setVisible(!fullScreen);
        group->place(height);
    }
}

ZunoUnifiedTitlebarMetrics ZunoUnifiedTitlebarWindow::measure() const
{
    const qreal sidebarGap = ZunoUnifiedTitlebarMetrics::sidebarTrafficLightVerticalGap;
    if (!m_window || m_window->isFullScreen())
        return ZunoUnifiedTitlebarMetrics::calculate(0, 0, 0, true, m_fullscreenLeading, m_gap, sidebarGap);
    qreal bottom = 0;
    qreal centre = 0;
    qreal leadingMaxX = 0;
    qreal trailingMinX = -1;
    for (ZunoWindowControls *group : { m_leftControls, m_rightControls }) {
        if (!group || !group->isVisibleTo(m_window))
            continue;
        for (ZunoWindowControlButton *button : group->buttons()) {
            if (button->isHidden())
                continue;
            const QRect frame(button->mapTo(m_window, QPoint(0, 0)), button->size());
            if (frame.width() <= 0 || frame.height() <= 0)
                continue;
            const qreal buttonBottom = frame.top() + frame.height();
            bottom = std::max(bottom, buttonBottom);
            centre = (frame.top() + buttonBottom) * 0.5;
            if (group == m_leftControls)
                leadingMaxX = std::max<qreal>(leadingMaxX, frame.left() + frame.width());
            else
                trailingMinX = trailingMinX < 0 ? frame.left() : std::min<qreal>(trailingMinX, frame.left());
        }
    }
    const qreal trailingInset = trailingMinX < 0 ? 0 : m_window->width() - trailingMinX;
    return ZunoUnifiedTitlebarMetrics::calculate(
        leadingMaxX, trailingInset, centre, bottom, false, m_fullscreenLeading, m_gap, sidebarGap);
}

void ZunoUnifiedTitlebarWindow::reportCurrentMetrics()
{
    if (!m_window)
        return;
    const ZunoUnifiedTitlebarMetrics measured = measure();
    if (m_hasReported && measured == m_metrics)
        return;
    m_hasReported = true;
    m_metrics = measured;
    emit metricsChanged(m_metrics);
}

void ZunoUnifiedTitlebarWindow::clearSpuriousInitialFocusIfNeeded()
{
    if (m_hasClearedInitialFocus || !m_window || !m_window->isActiveWindow())
        return;
    m_hasClearedInitialFocus = true;
    ZunoInitialFocusSink *sink = ZunoInitialFocusSink::install(m_window);
    QWidget *focused = QApplication::focusWidget();
    if (focused && focused->window() != m_window)
        focused = nullptr;
    if (!focused || focused == m_window) {
        sink->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (isTextInput(focused) || focused == sink)
        return;
    sink->setFocus(Qt::OtherFocusReason);
}

void ZunoUnifiedTitlebarWindow::watchWindowHandle()
{
    if (!m_window || m_handle)
        return;
    if (QWindow *handle = m_window->windowHandle()) {
        m_handle = handle;
        handle->installEventFilter(this);
    }
}

Qt::Edges ZunoUnifiedTitlebarWindow::resizeEdges(const QPointF &position) const
{
    Qt::Edges edges;
    if (!m_window || m_window->isMaximized() || m_window->isFullScreen())
        return edges;
    if (position.x() < kResizeMargin)
        edges |= Qt::LeftEdge;
    if (position.x() >= m_window->width() - kResizeMargin)
        edges |= Qt::RightEdge;
    if (position.y() < kResizeMargin)
        edges |= Qt::TopEdge;
    if (position.y() >= m_window->height() - kResizeMargin)
        edges |= Qt::BottomEdge;
    return edges;
}

bool ZunoUnifiedTitlebarWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_handle) {
        // The window's edges resize it: there is no system frame to grab.
        if (event->type() == QEvent::MouseButtonPress) {
            auto *mouse = static_cast<QMouseEvent *>(event);
            const Qt::Edges edges = resizeEdges(mouse->position());
            if (mouse->button() == Qt::LeftButton && edges && m_handle->startSystemResize(edges))
                return true;
        } else if (event->type() == QEvent::MouseMove) {
            auto *mouse = static_cast<QMouseEvent *>(event);
            if (mouse->buttons() == Qt::NoButton) {
                const Qt::Edges edges = resizeEdges(mouse->position());
                if (!edges)
                    m_handle->unsetCursor();
                else if (edges == (Qt::LeftEdge | Qt::TopEdge) || edges == (Qt::RightEdge | Qt::BottomEdge))
                    m_handle->setCursor(Qt::SizeFDiagCursor);
                else if (edges == (Qt::RightEdge | Qt::TopEdge) || edges == (Qt::LeftEdge | Qt::BottomEdge))
                    m_handle->setCursor(Qt::SizeBDiagCursor);
                else if (edges & (Qt::LeftEdge | Qt::RightEdge))
                    m_handle->setCursor(Qt::SizeHorCursor);
                else
                    m_handle->setCursor(Qt::SizeVerCursor);
            }
        }
        return false;
    }
    if (watched != m_window)
        return false;
    switch (event->type()) {
    case QEvent::Resize:
    case QEvent::WindowStateChange:
    case QEvent::LayoutRequest:
        placeControls();
        reportCurrentMetrics();
        break;
    case QEvent::Show:
        watchWindowHandle();
        placeControls();
        reportCurrentMetrics();
        break;
    case QEvent::WindowActivate:
        QTimer::singleShot(0, this, &ZunoUnifiedTitlebarWindow::clearSpuriousInitialFocusIfNeeded);
        break;
    case QEvent::Close:
        m_hasClearedInitialFocus = false;
        break;
    case QEvent::Hide:
        // Minimising hides spontaneously; only a real close or hide starts a new opening.
        if (!event->spontaneous())
            m_hasClearedInitialFocus = false;
        break;
    default:
        break;
    }
    return false;
}

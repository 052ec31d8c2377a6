#pragma once

#include "ZunoDesktopWindowPreferences.h"
#include "ZunoUnifiedTitlebarMetrics.h"

#include <QObject>
#include <QPointer>

class QWidget;
class QWindow;
class ZunoInitialFocusSink;
class ZunoWindowControls;

// Makes a top-level widget a window without a system title bar whose content runs to the top:
// it draws its own window controls (as the desktop lays them out), measures where they are and
// publishes it as metrics for the header bar, lets the window be resized from its edges, and keeps
// the window from opening with a control focused (a text field that took focus keeps it). One per
// window, a child of it; the header bar finds it with `find`. Main thread only.
class ZunoUnifiedTitlebarWindow : public QObject {
    Q_OBJECT
public:
    static constexpr qreal kSidebarTitlebarHeight = 28;
    // How close to the window's edge a press resizes instead of reaching the content.
    static constexpr int kResizeMargin = 5;

    ZunoUnifiedTitlebarWindow(
        QWidget *window, ZunoUnifiedTitlebarMode mode, qreal fullscreenLeading, qreal trafficLightGap);
    ~ZunoUnifiedTitlebarWindow() override;

    static ZunoUnifiedTitlebarWindow *find(QWidget *window);

    // Frameless (other window flags untouched), the mode's title-bar height, and the focus sink.
    // Configuring again with the same or another mode keeps the one set of controls.
    void configure(ZunoUnifiedTitlebarMode mode);
    ZunoUnifiedTitlebarMode mode() const { return m_mode; }

    // Measures the controls now: in full screen (fullscreenLeading, 26, 0, fullscreenLeading, true);
    // else from the visible controls, in window coordinates.
    ZunoUnifiedTitlebarMetrics measure() const;
    // The last reported measurement (the default metrics before the first).
    ZunoUnifiedTitlebarMetrics metrics() const { return m_metrics; }

    // The controls of one side, or null when the desktop puts none there.
    ZunoWindowControls *controls(ZunoWindowButtonLayout::Side side) const;
    // The control of that kind on whichever side it is, or null when the desktop does not show it.
    QWidget *controlButton(ZunoWindowButtonLayout::Button kind) const;
    // The desktop's button layout unless another is set here (previews, tests).
    void setButtonLayout(const ZunoWindowButtonLayout &layout);
    ZunoInitialFocusSink *focusSink() const;

    // Measures and reports when the result differs from the last report.
    void reportCurrentMetrics();
    // Once per opening of the window, while it is active: moves focus off a control to the sink.
    void clearSpuriousInitialFocusIfNeeded();

signals:
    void metricsChanged(const ZunoUnifiedTitlebarMetrics &metrics);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls(const ZunoWindowButtonLayout &layout);
    void placeControls();
    void watchWindowHandle();
    Qt::Edges resizeEdges(const QPointF &position) const;

    QPointer<QWidget> m_window;
    QPointer<QWindow> m_handle;
    ZunoUnifiedTitlebarMode m_mode;
    qreal m_fullscreenLeading;
    qreal m_gap;
    ZunoWindowControls *m_leftControls = nullptr;
    ZunoWindowControls *m_rightControls = nullptr;
    ZunoUnifiedTitlebarMetrics m_metrics;
    bool m_hasReported = false;
    bool m_hasClearedInitialFocus = false;
};

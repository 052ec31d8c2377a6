#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSize>

#include <functional>
#include <optional>

class QWidget;

// Shows content in a frameless floating tool panel near the pointer and dismisses it on Escape or,
// when asked, when the panel loses the keyboard focus. The panel is created on the first show and
// kept; each show replaces its content. Main thread only.
class ZunoFloatingPanelController : public QObject {
public:
    using ContentBuilder = std::function<QWidget *()>;

    ZunoFloatingPanelController(
        QSize size, bool dismissOnResignKey, std::function<void()> onDismiss = {}, QObject *parent = nullptr);
    ~ZunoFloatingPanelController() override;

    // The content size given to the panel on every show.
    QSize size() const { return m_size; }
    void setSize(QSize size) { m_size = size; }
    bool dismissOnResignKey() const { return m_dismissOnResignKey; }
    void setDismissOnResignKey(bool dismiss) { m_dismissOnResignKey = dismiss; }
    // Called whenever the controller hides the panel.
    void setOnDismiss(std::function<void()> onDismiss) { m_onDismiss = std::move(onDismiss); }

    bool isVisible() const;
    // Fills the panel with fresh content and shows it, with the keyboard focus. Placement: the anchor
    // frame's bottom-left corner when given; else, when `centeredOnActiveScreen`, centred on the screen
    // under the pointer, 40 px above the middle but never closer than 24 px to the bottom of its
    // available area; else where it was.
    void show(bool centeredOnActiveScreen, std::optional<QRect> anchorFrame, const ContentBuilder &content);
    // Hides a visible panel (and reports the dismissal); otherwise shows it.
    void toggle(bool centeredOnActiveScreen, std::optional<QRect> anchorFrame, const ContentBuilder &content);
    // Hides the panel if there is one and reports the dismissal, also when none was ever shown.
    void hide();
    // The panel lost the keyboard focus.
    void windowDidResignKey();

    // The panel window; null before the first show.
    QWidget *panel() const;

    // Top-left corner of a panel of `size` centred as `show` does on an available area.
    static QPoint centeredPosition(const QRect &availableGeometry, QSize size);

private:
    void ensurePanel();
    void orderOut();

    QSize m_size;
    bool m_dismissOnResignKey = false;
    std::function<void()> m_onDismiss;
    QPointer<QWidget> m_panel;
};

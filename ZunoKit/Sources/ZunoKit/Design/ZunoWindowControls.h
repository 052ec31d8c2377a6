#pragma once

#include "ZunoDesktopWindowPreferences.h"

#include <QAbstractButton>
#include <QWidget>

#include <array>

// One of the three window controls a frameless window draws for itself: a 14-pixel disc (red close,
// amber minimise, green zoom) that shows its glyph while the pointer is over the group. Never takes
// keyboard focus.
class ZunoWindowControlButton : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr int kDiameter = 14;

    ZunoWindowControlButton(ZunoWindowButtonLayout::Button kind, QWidget *parent);
    ZunoWindowButtonLayout::Button kind() const { return m_kind; }
    QSize sizeHint() const override { return { kDiameter, kDiameter }; }

protected:
    void paintEvent(QPaintEvent *event) override;
    bool event(QEvent *event) override;

private:
    ZunoWindowButtonLayout::Button m_kind;
};

// Close, minimise and zoom for a window without a system title bar, in the desktop's order, spaced
// 8 pixels apart, 20 pixels from the window's edge on the desktop's side and centred on the
// title-bar area's middle. Zoom toggles between maximised and normal.
class ZunoWindowControls : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSpacing = 8;
    static constexpr int kEdgeMargin = 20;

    ZunoWindowControls(const ZunoWindowButtonLayout &layout, QWidget *window);

    const ZunoWindowButtonLayout &buttonLayout() const { return m_layout; }
    ZunoWindowControlButton *button(ZunoWindowButtonLayout::Button kind) const;
    // Places the group in the window for a title-bar area of `titlebarHeight`.
    void place(qreal titlebarHeight);
    bool isHovered() const { return m_hovered; }

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    ZunoWindowButtonLayout m_layout;
    std::array<ZunoWindowControlButton *, 3> m_buttons {};
    bool m_hovered = false;
};

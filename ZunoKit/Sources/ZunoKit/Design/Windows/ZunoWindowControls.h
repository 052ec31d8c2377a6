#pragma once

#include "ZunoDesktopWindowPreferences.h"
#include "ZunoLanguage.h"

#include <QAbstractButton>
#include <QWidget>

#include <vector>

// One window control of a window without a system title bar, drawn as the desktop draws its own: a
// symbolic glyph (close, minimise, maximise, or restore while the window is maximised) on a round
// background that is faint at rest, brighter under the pointer and brightest while pressed, in the
// glass colours. Never takes keyboard focus; its accessible name follows the interface language.
class ZunoWindowControlButton : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr int kDiameter = 24;

    ZunoWindowControlButton(ZunoWindowButtonLayout::Button kind, QWidget *parent);
    ZunoWindowButtonLayout::Button kind() const { return m_kind; }
    QSize sizeHint() const override { return { kDiameter, kDiameter }; }

    // "Close" / "Kapat", "Minimize" / "Simge Durumuna Küçült", "Maximize" / "Büyüt".
    static QString title(ZunoWindowButtonLayout::Button kind, ZunoLanguage language);
    void setLanguage(ZunoLanguage language);

protected:
    void paintEvent(QPaintEvent *event) override;
    bool event(QEvent *event) override;

private:
    ZunoWindowButtonLayout::Button m_kind;
};

// The window controls of one side of the title bar, in the desktop's order, spaced 6 pixels apart,
// 14 pixels from the window's edge on their side and centred on the title-bar area's middle. A side
// the desktop gives no buttons has no group. Zoom toggles between maximised and normal.
class ZunoWindowControls : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSpacing = 6;
    static constexpr int kEdgeMargin = 14;

    ZunoWindowControls(const std::vector<ZunoWindowButtonLayout::Button> &buttons,
        ZunoWindowButtonLayout::Side side, QWidget *window);

    ZunoWindowButtonLayout::Side side() const { return m_side; }
    // The group's button of that kind, or null when the desktop does not show it on this side.
    ZunoWindowControlButton *button(ZunoWindowButtonLayout::Button kind) const;
    const std::vector<ZunoWindowControlButton *> &buttons() const { return m_buttons; }
    // Places the group in the window for a title-bar area of `titlebarHeight`.
    void place(qreal titlebarHeight);

private:
    ZunoWindowButtonLayout::Side m_side;
    std::vector<ZunoWindowControlButton *> m_buttons;
};

#pragma once

#include "ZunoLanguage.h"

#include <QAbstractButton>
#include <QColor>

#include <memory>
#include <optional>

class ZunoCreditsAccountStore;
class ZunoCreditsHeaderPillUIState;
class ZunoCreditsWalletPopover;

// The credits wallet at a glance for an application's header: a health dot, the balance in credits (or
// "Credits" when nobody is signed in) and a warning mark, on a capsule edged in the health's colour, with
// the account and the first budget warning as its tooltip. A click opens the wallet popover in a popup
// window below the pill (above when the screen has no room below); a click outside or Escape closes it.
// Never truncated. Each showing refreshes a store synchronised five minutes ago or more. Without a fixed
// language it follows the application's. Main thread only.
class ZunoCreditsHeaderPill : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr int kDotSide = 7;
    static constexpr qreal kHorizontalPadding = 9;
    static constexpr qreal kVerticalPadding = 4.5;
    static constexpr qreal kSpacing = 5;

    ZunoCreditsHeaderPill(ZunoCreditsAccountStore &store, const QColor &accentColor,
        std::optional<ZunoLanguage> language, QWidget *parent = nullptr);
    ~ZunoCreditsHeaderPill() override;

    ZunoLanguage language() const;
    QString pillLabel() const;
    QString tooltipText() const;
    QColor dotColor() const;
    QColor borderColor() const;
    // The warning mark's colour; none when it is not shown.
    std::optional<QColor> markColor() const;

    bool isPopoverPresented() const;
    void setPopoverPresented(bool presented);
    // The open popup window and its popover; null while closed.
    QWidget *popupWindow() const;
    ZunoCreditsWalletPopover *popover() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    bool hitButton(const QPoint &pos) const override;
    void showEvent(QShowEvent *event) override;

private:
    class Popup;

    QString t(const QString &en, const QString &tr) const;
    void follow();
    void present(bool presented);

    ZunoCreditsAccountStore &m_store;
    QColor m_accent;
    std::optional<ZunoLanguage> m_override;
    ZunoCreditsHeaderPillUIState *m_state;
    std::unique_ptr<Popup> m_popup;
};

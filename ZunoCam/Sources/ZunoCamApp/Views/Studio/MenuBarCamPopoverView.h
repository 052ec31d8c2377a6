#pragma once

#include "ZunoLanguage.h"

#include <QColor>
#include <QWidget>

#include <functional>

class CamStudioViewModel;
class ZunoButton;

// The tray's popover: a frameless popup 280 px wide (an outside click or Escape closes it) with the
// quick toggles of the teleprompter, the laser and the mirror, and "Open Studio" and "Quit". Its texts
// follow the view model's flags and language, also while it is open. Quit goes through the view
// model's quit request, which waits for a recording to be finished.
class MenuBarCamPopoverView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 280;
    static constexpr int kPadding = 14;
    static constexpr int kSpacing = 10;
    static constexpr qreal kCornerRadius = 12;

    MenuBarCamPopoverView(CamStudioViewModel &viewModel, std::function<void()> onOpenStudio,
        const QColor &accent, QWidget *parent = nullptr);

    static QString teleprompterTitle(bool isTeleprompterVisible, ZunoLanguage language);
    static QString laserTitle(bool isLaserOverlayVisible, ZunoLanguage language);
    static QString mirrorTitle(ZunoLanguage language);
    static QString openStudioTitle(ZunoLanguage language);
    static QString quitTitle(ZunoLanguage language);

    ZunoButton *teleprompterButton() const { return m_teleprompter; }
    ZunoButton *laserButton() const { return m_laser; }
    ZunoButton *mirrorButton() const { return m_mirror; }
    ZunoButton *openStudioButton() const { return m_openStudio; }
    ZunoButton *quitButton() const { return m_quit; }

    // Shows the popup near `anchor` (the tray icon's geometry, or a point at the pointer), inside the
    // available geometry of the screen there.
    void popUp(const QRect &anchor);
    static QPoint placement(const QRect &anchor, const QSize &size, const QRect &available);

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void sync();

    CamStudioViewModel &m_viewModel;
    std::function<void()> m_onOpenStudio;
    ZunoButton *m_teleprompter;
    ZunoButton *m_laser;
    ZunoButton *m_mirror;
    ZunoButton *m_openStudio;
    ZunoButton *m_quit;
};

#pragma once

#include "CamStatusAppearance.h"

#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>

class CamStudioViewModel;
class MenuBarCamPopoverView;
class QAction;
class QMenu;
class QSystemTrayIcon;

// The tray item: an icon that shows the teleprompter, recording and laser state at a glance, the
// tooltip "ZunoCam", a click that toggles the popover, and a context menu for hosts that only show
// menus (the three commands, the mirror, "Open Studio", "Quit"), in the view model's language. Made
// only where a tray exists.
class CamStatusItem : public QObject {
    Q_OBJECT
public:
    CamStatusItem(CamStudioViewModel &viewModel, QList<QAction *> commands,
        std::function<void()> onOpenStudio, const QColor &accent, QObject *parent = nullptr);
    ~CamStatusItem() override;

    QSystemTrayIcon *trayIcon() const { return m_tray; }
    QMenu *menu() const { return m_menu; }
    MenuBarCamPopoverView *popover() const { return m_popover; }
    CamStatusAppearance appearance() const { return m_appearance; }

    // What a click does: shows the popover under the icon, or hides it when shown.
    void togglePopover();
    // Rebuilds the menu's texts in the view model's language.
    void relabelMenu();

signals:
    void appearanceChanged();

private:
    void syncAppearance();

    CamStudioViewModel &m_viewModel;
    QSystemTrayIcon *m_tray;
    QMenu *m_menu;
    QAction *m_section;
    QAction *m_mirror;
    QAction *m_openStudio;
    QAction *m_quit;
    MenuBarCamPopoverView *m_popover;
    CamStatusAppearance m_appearance;
};

#pragma once

#include "ZunoCustomMenu.h"
#include "ZunoEditMenuOverrides.h"
#include "ZunoLanguage.h"
#include "ZunoMenuElement.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

class QAction;
class QMenu;
class QMenuBar;

// The application's menu bar, described by values: the application menu (settings, feedback, quit),
// File (the client's items), Edit, the client's menus and Window, titled in the current interface
// language. Titles, visibility and enabled states are refreshed each time a menu is about to open;
// submenus are rebuilt on every opening; every custom item acts through `handleMenuAction`.
//
// Standard commands (undo, copy, quit, minimize ...) go to the focused text input or the active window,
// the way a first responder would take them. Hide, Hide Others and Show All have no meaning on a Linux
// desktop and are left out. Main thread only.
class ZunoAppMenuController : public QObject {
    Q_OBJECT
public:
    ZunoAppMenuController(const QString &appName, std::function<ZunoLanguage()> language,
        std::function<QString()> settingsTitle = {}, std::function<void()> onOpenSettings = {},
        std::vector<ZunoMenuElement> fileMenuItems = {},
        std::optional<ZunoEditMenuOverrides> editOverrides = std::nullopt,
        std::vector<ZunoCustomMenu> customMenus = {},
        const QString &closeWindowKeyEquivalent = QStringLiteral("w"),
        Qt::KeyboardModifiers closeWindowModifiers = Qt::ControlModifier, QObject *parent = nullptr);
    ~ZunoAppMenuController() override;

    // The menu bar. A window that adopts it (QMainWindow::setMenuBar) takes ownership; otherwise the
    // controller deletes it.
    QMenuBar *mainMenu() const;
    QMenu *windowsMenu() const { return m_windowsMenu; }

    // Refreshes a custom item's title and visibility and answers whether it may act now. Items that
    // are not the controller's own are valid.
    bool validateMenuItem(QAction *item);
    // Runs before a menu opens: its title, then a rebuild of a dynamic submenu, or the titles, visibility
    // and enabled states of its items.
    void menuNeedsUpdate(QMenu *menu);
    // Runs the item's action; an item that is no longer registered does nothing.
    void handleMenuAction(QAction *sender);

    // The active window's focus is a text input (line edit, text edit, spin box).
    static bool isTextInputFocused();

private:
    struct ItemBinding {
        std::function<QString()> title;
        std::function<bool()> isEnabled;
        std::function<bool()> isHidden;
        bool skipWhenEditingText = false;
        std::function<void()> action;
    };

    QString text(const QString &en, const QString &tr) const;
    QMenu *makeMenu(const QString &title, QWidget *parent);
    void appendElements(const std::vector<ZunoMenuElement> &elements, QMenu *menu);
    QAction *addBindingItem(QMenu *menu, const ZunoMenuItemElement &element);
    QAction *addResponderItem(QMenu *menu, std::function<QString()> title, const QString &selector,
        const QString &keyEquivalent, Qt::KeyboardModifiers modifiers);
    void buildApplicationMenu(
        const QString &appName, std::function<QString()> settingsTitle, std::function<void()> onOpenSettings);
    void buildEditMenu(const std::optional<ZunoEditMenuOverrides> &overrides);
    void buildWindowMenu(const QString &closeWindowKeyEquivalent, Qt::KeyboardModifiers closeWindowModifiers);
    void unregisterBindings(QMenu *menu);
    void itemTriggered(QAction *item);

    std::function<ZunoLanguage()> m_language;
    QPointer<QMenuBar> m_mainMenu;
    QMenu *m_windowsMenu = nullptr;
    QHash<QAction *, ItemBinding> m_itemBindings;
    QHash<QAction *, std::function<bool()>> m_hiddenChecks;
    QHash<QAction *, std::function<QString()>> m_titleUpdaters;
    QHash<QMenu *, std::function<QString()>> m_menuTitleUpdaters;
    QHash<QMenu *, std::function<std::vector<ZunoMenuElement>()>> m_dynamicSubmenuBuilders;
    // Standard commands ("copy:", "terminate:" ...) of the items that stand for them.
    QHash<QAction *, QString> m_responderSelectors;
};

#pragma once

#include "ZunoAppMenuController.h"

#include <memory>

// Starts an application with its declarative menu: keeps the application delegate and the menu
// controller for the whole run and runs the event loop. A desktop with a global menu shows the menu
// bar as is; elsewhere a main window adopts `menuController()->mainMenu()`. Main thread only.
class ZunoAppKitLauncher {
public:
    ZunoAppKitLauncher() = delete;

    // Returns the event loop's exit code. A QApplication is created when none exists yet.
    template <typename Delegate>
    static int run(const QString &appName, std::shared_ptr<Delegate> delegate,
        std::function<ZunoLanguage()> language, std::function<QString()> settingsTitle = {},
        std::function<void()> onOpenSettings = {}, std::vector<ZunoMenuElement> fileMenuItems = {},
        std::optional<ZunoEditMenuOverrides> editOverrides = std::nullopt,
        std::vector<ZunoCustomMenu> customMenus = {},
        const QString &closeWindowKeyEquivalent = QStringLiteral("w"),
        Qt::KeyboardModifiers closeWindowModifiers = Qt::ControlModifier)
    {
        return runKeeping(appName, std::static_pointer_cast<void>(std::move(delegate)), std::move(language),
            std::move(settingsTitle), std::move(onOpenSettings), std::move(fileMenuItems),
            std::move(editOverrides), std::move(customMenus), closeWindowKeyEquivalent, closeWindowModifiers);
    }

    // The controller of the running application; null before `run`.
    static ZunoAppMenuController *menuController();
    template <typename Delegate> static Delegate *delegate()
    {
        return static_cast<Delegate *>(delegateStorage().get());
    }

private:
    static std::shared_ptr<void> &delegateStorage();
    static int runKeeping(const QString &appName, std::shared_ptr<void> delegate,
        std::function<ZunoLanguage()> language, std::function<QString()> settingsTitle,
        std::function<void()> onOpenSettings, std::vector<ZunoMenuElement> fileMenuItems,
        std::optional<ZunoEditMenuOverrides> editOverrides, std::vector<ZunoCustomMenu> customMenus,
        const QString &closeWindowKeyEquivalent, Qt::KeyboardModifiers closeWindowModifiers);
};

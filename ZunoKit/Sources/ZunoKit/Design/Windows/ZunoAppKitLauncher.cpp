#include "ZunoAppKitLauncher.h"

#include <QApplication>
#include <QMenuBar>

namespace {

std::unique_ptr<ZunoAppMenuController> &controllerStorage()
{
    static std::unique_ptr<ZunoAppMenuController> controller;
    return controller;
}

} // namespace

std::shared_ptr<void> &ZunoAppKitLauncher::delegateStorage()
{
    static std::shared_ptr<void> delegate;
    return delegate;
}

ZunoAppMenuController *ZunoAppKitLauncher::menuController()
{
    return controllerStorage().get();
}

int ZunoAppKitLauncher::runKeeping(const QString &appName, std::shared_ptr<void> delegate,
    std::function<ZunoLanguage()> language, std::function<QString()> settingsTitle,
    std::function<void()> onOpenSettings, std::vector<ZunoMenuElement> fileMenuItems,
    std::optional<ZunoEditMenuOverrides> editOverrides, std::vector<ZunoCustomMenu> customMenus,
    const QString &closeWindowKeyEquivalent, Qt::KeyboardModifiers closeWindowModifiers)
{
    static int argc = 1;
    static QByteArray name = appName.toUtf8();
    static char *argv[] = { name.data(), nullptr };
    static std::unique_ptr<QApplication> ownApplication;
    if (!QApplication::instance())
        ownApplication = std::make_unique<QApplication>(argc, argv);

    delegateStorage() = std::move(delegate);
    controllerStorage() = std::make_unique<ZunoAppMenuController>(appName, std::move(language),
        std::move(settingsTitle), std::move(onOpenSettings), std::move(fileMenuItems),
        std::move(editOverrides), std::move(customMenus), closeWindowKeyEquivalent, closeWindowModifiers);
    // The application-wide menu bar, where the desktop shows one.
    controllerStorage()->mainMenu()->setNativeMenuBar(true);
    return QApplication::exec();
}

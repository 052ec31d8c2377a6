#include "ZunoAppActivationDelegate.h"

#include "ZunoAppLogger.h"
#include "ZunoAppVersion.h"
#include "ZunoNotificationCenter.h"
#include "ZunoWindowManagerHints.h"

#include <QGuiApplication>
#include <QSysInfo>
#include <QTimer>
#include <QWindow>

namespace {

bool isStudioCandidate(const QWindow *window)
{
    const Qt::WindowType type = window->type();
    return (type == Qt::Window || type == Qt::Dialog) && window->isVisible();
}

bool isShownWindow(const QWindow *window)
{
    const Qt::WindowType type = window->type();
    return (type == Qt::Window || type == Qt::Dialog || type == Qt::Tool) && window->isVisible()
        && !(window->windowStates() & Qt::WindowMinimized);
}

} // namespace

ZunoAppActivationDelegate::ZunoAppActivationDelegate(QObject *parent)
    : ZunoAppActivationDelegate(ZunoBundle::main(), parent)
{
}

ZunoAppActivationDelegate::ZunoAppActivationDelegate(const ZunoBundle &bundle, QObject *parent)
    : QObject(parent)
    , m_bundle(bundle)
{
}

QString ZunoAppActivationDelegate::applicationName(const ZunoBundle &bundle)
{
    for (const char *key : { "CFBundleDisplayName", "CFBundleName" }) {
        const QVariant value = bundle.infoDictionary.value(QLatin1String(key));
        if (value.typeId() == QMetaType::QString)
            return value.toString();
    }
    return ZunoBundle::processName();
}

QString ZunoAppActivationDelegate::systemVersionString()
{
    return QSysInfo::prettyProductName();
}

void ZunoAppActivationDelegate::applicationDidFinishLaunching()
{
    const QString name = applicationName(m_bundle);
    const ZunoAppVersion version
        = ZunoAppVersion::current(m_bundle, QStringLiteral("1.0.0"), QStringLiteral("100"));
    const auto logger = ZunoAppLogger::shared(name);
    logger->log(ZunoLogLevel::info, QStringLiteral("lifecycle"),
        name + QStringLiteral(" v") + version.shortVersion + QStringLiteral(" (") + version.buildNumber
            + QStringLiteral(")") + QStringLiteral(" launched (") + systemVersionString()
            + QStringLiteral(")"));
    // A desktop application is always a regular one here: there is no activation policy to set.
    // The window comes forward a moment later, once the first window has been shown; the delegate owns
    // that wait, so one destroyed before it brings nothing forward.
    QTimer::singleShot(kActivationDelayMs, this, [] { bringStudioWindowToFront(); });
}

bool ZunoAppActivationDelegate::applicationShouldHandleReopen(bool hasVisibleWindows)
{
    // Only floating panels up (the studio window closed to the tray) counts as visible too, yet there
    // is no studio window to bring forward: the application has to reopen it.
    if (!hasVisibleWindows || !bringStudioWindowToFront())
        ZunoNotificationCenter::shared().post(QString::fromLatin1(kReopenStudioWindowNotification));
    return true;
}

bool ZunoAppActivationDelegate::bringStudioWindowToFront()
{
    for (QWindow *window : QGuiApplication::topLevelWindows()) {
        if (!isStudioCandidate(window))
            continue;
        if (window->windowStates() & Qt::WindowMinimized)
            window->setWindowStates(window->windowStates() & ~Qt::WindowMinimized);
        window->raise();
        window->requestActivate();
        // Another process's request (a second launch) needs the window manager's consent too.
        ZunoWindowManagerHints::activateWindow(window);
        return true;
    }
    return false;
}

bool ZunoAppActivationDelegate::hasVisibleWindows()
{
    const QWindowList windows = QGuiApplication::topLevelWindows();
    return std::any_of(windows.begin(), windows.end(), isShownWindow);
}

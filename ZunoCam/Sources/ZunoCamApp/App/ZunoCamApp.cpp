#include "ZunoCamApp.h"

#include "CamStatusItem.h"
#include "CamStudioCommands.h"
#include "CamStudioViewModel.h"
#include "ZunoAppActivationDelegate.h"
#include "ZunoCamStudioWindow.h"
#include "ZunoNotificationCenter.h"
#include "ZunoProductPalette.h"

#include <QApplication>
#include <QSystemTrayIcon>

ZunoCamApp::ZunoCamApp(CamStudioViewModel &viewModel, std::optional<bool> withTray, QObject *parent)
    : QObject(parent)
    , m_viewModel(viewModel)
{
    const QColor accent = ZunoProductPalettes::accentColor(ZunoProductPalette::deepCoral);
    m_window = std::make_unique<ZunoCamStudioWindow>(viewModel, accent);
    const bool tray = withTray.value_or(QSystemTrayIcon::isSystemTrayAvailable());
    m_shortcutWords = new CamShortcutWords(this);
    QCoreApplication::installTranslator(m_shortcutWords);
    // Made first so that the tray menu can carry them; the window holds their shortcuts.
    m_commands = new CamStudioCommands(viewModel, m_window.get());
    if (tray) {
        m_statusItem = std::make_unique<CamStatusItem>(
            viewModel, m_commands->actions(), [this] { openStudio(); }, accent);
        QApplication::setQuitOnLastWindowClosed(false);
        m_window->setCloseHandler([this] { m_window->hide(); });
    } else {
        m_window->setCloseHandler([this] { m_viewModel.requestQuit(); });
    }
    m_reopenObserver = ZunoNotificationCenter::shared().addObserver(
        QString::fromLatin1(ZunoAppActivationDelegate::kReopenStudioWindowNotification), this,
        [this](const QString &, const QVariant &) { openStudio(); });
}

ZunoCamApp::~ZunoCamApp()
{
    ZunoNotificationCenter::shared().removeObserver(m_reopenObserver);
    m_statusItem.reset();
    m_window.reset();
}

void ZunoCamApp::openStudio()
{
    m_window->setWindowState(m_window->windowState() & ~Qt::WindowMinimized);
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
    ZunoAppActivationDelegate::bringStudioWindowToFront();
}

#pragma once

#include <QObject>

#include <optional>

#include <memory>

class CamShortcutWords;
class CamStatusItem;
class CamStudioCommands;
class CamStudioViewModel;
class ZunoCamStudioWindow;

// The studio application: given the one view model, it makes the studio window, the tray item (where
// a tray exists) and the three commands, in that order, and brings the window back on the reopen
// notification. With a tray, closing the window hides it and the studio keeps running; without one,
// closing it quits through the view model's guarded quit.
class ZunoCamApp : public QObject {
    Q_OBJECT
public:
    // `withTray` none asks the desktop whether a tray exists.
    explicit ZunoCamApp(CamStudioViewModel &viewModel, std::optional<bool> withTray = std::nullopt,
        QObject *parent = nullptr);
    ~ZunoCamApp() override;

    ZunoCamStudioWindow *window() const { return m_window.get(); }
    // Null without a tray.
    CamStatusItem *statusItem() const { return m_statusItem.get(); }
    CamStudioCommands *commands() const { return m_commands; }

    // Shows the studio window (restored when hidden or minimised), activates it and brings it to the
    // front: the reopen road and "Open Studio".
    void openStudio();

private:
    CamStudioViewModel &m_viewModel;
    std::unique_ptr<ZunoCamStudioWindow> m_window;
    std::unique_ptr<CamStatusItem> m_statusItem;
    CamStudioCommands *m_commands = nullptr;
    CamShortcutWords *m_shortcutWords = nullptr;
    quint64 m_reopenObserver = 0;
};

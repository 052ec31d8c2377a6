#pragma once

#include "ZunoLanguage.h"

#include <QList>
#include <QObject>
#include <QTranslator>

class CamStudioViewModel;
class QAction;
class QWidget;

// The studio's three commands, as actions with application-wide shortcuts on the studio window:
// toggle the teleprompter (Super+Alt+T), the laser (Super+Alt+L) and the camera preview
// (Super+Alt+C). Titles follow the view model's language. The same actions serve the tray menu.
class CamStudioCommands : public QObject {
    Q_OBJECT
public:
    enum Command { teleprompter, laser, cameraPreview };

    CamStudioCommands(CamStudioViewModel &viewModel, QWidget *window);

    // In menu order.
    const QList<QAction *> &actions() const { return m_actions; }
    QAction *action(Command command) const { return m_actions.at(command); }

    static QString title(Command command, ZunoLanguage language);
    // "Super+Alt+T", "Super+Alt+L", "Super+Alt+C".
    static QString shortcutText(Command command);
    static QKeySequence shortcut(Command command);

private:
    void relabel();

    CamStudioViewModel &m_viewModel;
    QList<QAction *> m_actions;
};

// Makes Qt write the Super key as the desktop does: "Super+Alt+T" in every menu (Qt's own word on
// Linux is "Meta"). The exported tray menu already sends the key as "Super".
class CamShortcutWords : public QTranslator {
    Q_OBJECT
public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char *context, const char *sourceText, const char *disambiguation = nullptr,
        int n = -1) const override;
};

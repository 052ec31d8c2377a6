#include "CamStudioCommands.h"

#include "CamStudioViewModel.h"
#include "ZunoHotkeyDescriptor.h"
#include "ZunoText.h"

#include <QAction>
#include <QWidget>

CamStudioCommands::CamStudioCommands(CamStudioViewModel &viewModel, QWidget *window)
    : QObject(window)
    , m_viewModel(viewModel)
{
    for (const Command command : { teleprompter, laser, cameraPreview }) {
        auto *action = new QAction(window);
        action->setShortcut(shortcut(command));
        action->setShortcutContext(Qt::ApplicationShortcut);
        window->addAction(action);
        m_actions.append(action);
    }
    connect(m_actions[teleprompter], &QAction::triggered, this, [this] {
        if (m_viewModel.isTeleprompterVisible())
            m_viewModel.hideTeleprompterOverlay();
        else
            m_viewModel.showTeleprompterOverlay();
    });
    connect(m_actions[laser], &QAction::triggered, this, [this] { m_viewModel.toggleLaserOverlay(); });
    connect(
        m_actions[cameraPreview], &QAction::triggered, this, [this] { m_viewModel.toggleCameraPreview(); });
    connect(&m_viewModel, &CamStudioViewModel::languageChanged, this, &CamStudioCommands::relabel);
    relabel();
}

QString CamStudioCommands::title(Command command, ZunoLanguage language)
{
    switch (command) {
    case teleprompter:
        return zunoText(QStringLiteral("Toggle Notch Teleprompter"),
            QStringLiteral("Çentik Altı Teleprompter Aç/Kapat"), language);
    case laser:
        return zunoText(QStringLiteral("Toggle Presentation Laser / Draw"),
            QStringLiteral("Sunum Lazer / Çizim Katmanı Aç/Kapat"), language);
    case cameraPreview:
        return zunoText(QStringLiteral("Toggle Live Camera Mirror"),
            QStringLiteral("Canlı Kamera Önizlemesini Aç/Kapat"), language);
    }
    return {};
}

QString CamStudioCommands::shortcutText(Command command)
{
    switch (command) {
    case teleprompter:
        return ZunoHotkeyDescriptor(0x11, ZunoHotkeyDescriptor::cmdOptionFlag).shortcutText();
    case laser:
        return ZunoHotkeyDescriptor(0x25, ZunoHotkeyDescriptor::cmdOptionFlag).shortcutText();
    case cameraPreview:
        // The same words for the key the portable numbering does not give a hot key.
        return QStringLiteral("Super+Alt+C");
    }
    return {};
}

QKeySequence CamStudioCommands::shortcut(Command command)
{
    static constexpr Qt::Key keys[] = { Qt::Key_T, Qt::Key_L, Qt::Key_C };
    return QKeySequence(Qt::META | Qt::ALT | keys[command]);
}

void CamStudioCommands::relabel()
{
    const ZunoLanguage language = m_viewModel.language();
    for (const Command command : { teleprompter, laser, cameraPreview })
        m_actions[command]->setText(title(command, language));
}

QString CamShortcutWords::translate(const char *context, const char *sourceText, const char *, int) const
{
    if (qstrcmp(context, "QShortcut") == 0 && qstrcmp(sourceText, "Meta") == 0)
        return QStringLiteral("Super");
    return {};
}

#include "CamStatusItem.h"

#include "CamStudioViewModel.h"
#include "MenuBarCamPopoverView.h"

#include <QAction>
#include <QCursor>
#include <QMenu>
#include <QSystemTrayIcon>

CamStatusItem::CamStatusItem(CamStudioViewModel &viewModel, QList<QAction *> commands,
    std::function<void()> onOpenStudio, const QColor &accent, QObject *parent)
    : QObject(parent)
    , m_viewModel(viewModel)
    , m_tray(new QSystemTrayIcon(this))
    , m_menu(new QMenu)
    , m_popover(new MenuBarCamPopoverView(viewModel, onOpenStudio, accent))
{
    // Exported tray menus drop a section's title and keep only its line: a disabled item names the menu.
    m_section = m_menu->addAction(QStringLiteral("ZunoCam"));
    m_section->setEnabled(false);
    m_menu->addSeparator();
    m_menu->addActions(commands);
    m_mirror = m_menu->addAction(QString(), this, [this] { m_viewModel.toggleFloatingMirror(); });
    m_menu->addSeparator();
    m_openStudio = m_menu->addAction(QString(), this, [onOpenStudio] {
        if (onOpenStudio)
            onOpenStudio();
    });
    m_quit = m_menu->addAction(QString(), this, [this] { m_viewModel.requestQuit(); });
    connect(m_menu, &QMenu::aboutToShow, this, &CamStatusItem::relabelMenu);
    connect(&m_viewModel, &CamStudioViewModel::languageChanged, this, &CamStatusItem::relabelMenu);
    relabelMenu();

    m_tray->setToolTip(QStringLiteral("ZunoCam"));
    m_tray->setContextMenu(m_menu);
    connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger)
            togglePopover();
    });
    connect(&m_viewModel, &CamStudioViewModel::prompterStateChanged, this, &CamStatusItem::syncAppearance);
    connect(&m_viewModel, &CamStudioViewModel::recordingChanged, this, &CamStatusItem::syncAppearance);
    connect(&m_viewModel, &CamStudioViewModel::presentationChanged, this, &CamStatusItem::syncAppearance);
    m_appearance = CamStatusAppearance::of(m_viewModel.isTeleprompterVisible(),
        m_viewModel.isRecordingVideo(), m_viewModel.isLaserOverlayVisible());
    m_tray->setIcon(m_appearance.icon());
    m_tray->show();
}

CamStatusItem::~CamStatusItem()
{
    delete m_popover;
    delete m_menu;
}

void CamStatusItem::togglePopover()
{
    if (m_popover->isVisible()) {
        m_popover->hide();
        return;
    }
    QRect anchor = m_tray->geometry();
    if (!anchor.isValid())
        anchor = QRect(QCursor::pos(), QSize(1, 1));
    m_popover->popUp(anchor);
}

void CamStatusItem::relabelMenu()
{
    const ZunoLanguage language = m_viewModel.language();
    m_mirror->setText(MenuBarCamPopoverView::mirrorTitle(language));
    m_openStudio->setText(MenuBarCamPopoverView::openStudioTitle(language));
    m_quit->setText(MenuBarCamPopoverView::quitTitle(language));
}

void CamStatusItem::syncAppearance()
{
    const auto appearance = CamStatusAppearance::of(m_viewModel.isTeleprompterVisible(),
        m_viewModel.isRecordingVideo(), m_viewModel.isLaserOverlayVisible());
    if (appearance == m_appearance)
        return;
    m_appearance = appearance;
    m_tray->setIcon(m_appearance.icon());
    emit appearanceChanged();
}

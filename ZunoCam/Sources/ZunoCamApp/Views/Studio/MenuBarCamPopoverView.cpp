#include "MenuBarCamPopoverView.h"

#include "CamStudioViewModel.h"
#include "StudioTabPage.h"
#include "ZunoBrandMark.h"
#include "ZunoButton.h"
#include "ZunoContinuousShape.h"
#include "ZunoFonts.h"
#include "ZunoGlassButtonStyle.h"
#include "ZunoGlassTokens.h"
#include "ZunoHotkeyDescriptor.h"
#include "ZunoLanguagePicker.h"
#include "ZunoProminentButtonStyle.h"
#include "ZunoText.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>

#include <optional>

namespace {

constexpr uint32_t kTeleprompterKey = 0x11;
constexpr uint32_t kLaserKey = 0x25;
constexpr uint32_t kMirrorKey = 0x2E;

QString keys(uint32_t keyCode)
{
    return ZunoHotkeyDescriptor(keyCode, ZunoHotkeyDescriptor::cmdOptionFlag).shortcutText();
}

// The three actions with a global shortcut, without it.
QString teleprompterName(ZunoLanguage language)
{
    return zunoText(
        QStringLiteral("Launch Notch Teleprompter"), QStringLiteral("Çentik Teleprompter Aç"), language);
}

QString laserName(ZunoLanguage language)
{
    return zunoText(
        QStringLiteral("Start Presentation Laser"), QStringLiteral("Sunum Lazerini Başlat"), language);
}

QString mirrorName(ZunoLanguage language)
{
    return zunoText(QStringLiteral("Pop-Out Pre-Meeting Mirror"),
        QStringLiteral("Toplantı Öncesi Çentik Aynası"), language);
}

QString withKeys(const QString &name, uint32_t keyCode)
{
    return QStringLiteral("%1 (%2)").arg(name, keys(keyCode));
}

// In the narrow popover the shortcut goes on the button's second, smaller line, so that the name
// is never cut.
void showTitle(ZunoButton *button, const QString &name, std::optional<uint32_t> keyCode)
{
    button->setText(name);
    button->setDetail(keyCode ? keys(*keyCode) : QString());
}

ZunoButton *smallGlassButton()
{
    auto *button = new ZunoButton(
        QString(), std::make_shared<ZunoGlassButtonStyle>(false, ZunoFonts::system(11, QFont::Medium)));
    return button;
}

} // namespace

MenuBarCamPopoverView::MenuBarCamPopoverView(
    CamStudioViewModel &viewModel, std::function<void()> onOpenStudio, const QColor &accent, QWidget *parent)
    : QWidget(parent, Qt::Popup | Qt::FramelessWindowHint)
    , m_viewModel(viewModel)
    , m_onOpenStudio(std::move(onOpenStudio))
{
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedWidth(kWidth);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(kPadding, kPadding, kPadding, kPadding);
    column->setSpacing(kSpacing);
    auto *title = new QHBoxLayout;
    title->setSpacing(8);
    title->addWidget(new ZunoBrandMark(18, ZunoBrandMarkStyle::currentApp()), 0, Qt::AlignVCenter);
    auto *name = new QLabel(QStringLiteral("ZunoCam"));
    name->setFont(ZunoFonts::system(13.5, QFont::Bold));
    QPalette namePalette = name->palette();
    namePalette.setColor(QPalette::WindowText, ZunoGlassTokens::textPrimary());
    name->setPalette(namePalette);
    title->addWidget(name, 0, Qt::AlignVCenter);
    title->addStretch(1);
    column->addLayout(title);
    column->addWidget(studioDivider());

    m_teleprompter = new ZunoButton(
        QString(), std::make_shared<ZunoProminentButtonStyle>(accent, ZunoProminentButtonStyle::Size::small));
    m_laser = smallGlassButton();
    m_mirror = smallGlassButton();
    for (ZunoButton *button : { m_teleprompter, m_laser, m_mirror })
        column->addWidget(button, 0, Qt::AlignLeading);
    column->addWidget(studioDivider());
    auto *footer = new QHBoxLayout;
    m_openStudio = smallGlassButton();
    m_quit = smallGlassButton();
    footer->addWidget(m_openStudio);
    footer->addStretch(1);
    footer->addWidget(m_quit);
    column->addLayout(footer);

    connect(m_teleprompter, &ZunoButton::clicked, this, [this] {
        if (m_viewModel.isTeleprompterVisible())
            m_viewModel.hideTeleprompterOverlay();
        else
            m_viewModel.showTeleprompterOverlay();
    });
    connect(m_laser, &ZunoButton::clicked, this, [this] { m_viewModel.toggleLaserOverlay(); });
    connect(m_mirror, &ZunoButton::clicked, this, [this] { m_viewModel.toggleFloatingMirror(); });
    connect(m_openStudio, &ZunoButton::clicked, this, [this] {
        hide();
        if (m_onOpenStudio)
            m_onOpenStudio();
    });
    connect(m_quit, &ZunoButton::clicked, this, [this] {
        hide();
        m_viewModel.requestQuit();
    });
    connect(&m_viewModel, &CamStudioViewModel::prompterStateChanged, this, &MenuBarCamPopoverView::sync);
    connect(&m_viewModel, &CamStudioViewModel::presentationChanged, this, &MenuBarCamPopoverView::sync);
    connect(&m_viewModel, &CamStudioViewModel::languageChanged, this, &MenuBarCamPopoverView::sync);
    sync();
}

QString MenuBarCamPopoverView::teleprompterTitle(bool isTeleprompterVisible, ZunoLanguage language)
{
    if (isTeleprompterVisible)
        return zunoText(
            QStringLiteral("Hide Notch Teleprompter"), QStringLiteral("Teleprompter’ı Gizle"), language);
    return withKeys(teleprompterName(language), kTeleprompterKey);
}

QString MenuBarCamPopoverView::laserTitle(bool isLaserOverlayVisible, ZunoLanguage language)
{
    if (isLaserOverlayVisible)
        return zunoText(
            QStringLiteral("Stop Presentation Laser"), QStringLiteral("Sunum Lazerini Kapat"), language);
    return withKeys(laserName(language), kLaserKey);
}

QString MenuBarCamPopoverView::mirrorTitle(ZunoLanguage language)
{
    return withKeys(mirrorName(language), kMirrorKey);
}

QString MenuBarCamPopoverView::openStudioTitle(ZunoLanguage language)
{
    return zunoText(QStringLiteral("Open Studio"), QStringLiteral("Stüdyoyu Aç"), language);
}

QString MenuBarCamPopoverView::quitTitle(ZunoLanguage language)
{
    return zunoText(QStringLiteral("Quit"), QStringLiteral("Çıkış"), language);
}

void MenuBarCamPopoverView::sync()
{
    const ZunoLanguage language = m_viewModel.language();
    zunoContentLayoutDirection(this, language);
    if (m_viewModel.isTeleprompterVisible())
        showTitle(m_teleprompter, teleprompterTitle(true, language), std::nullopt);
    else
        showTitle(m_teleprompter, teleprompterName(language), kTeleprompterKey);
    if (m_viewModel.isLaserOverlayVisible())
        showTitle(m_laser, laserTitle(true, language), std::nullopt);
    else
        showTitle(m_laser, laserName(language), kLaserKey);
    showTitle(m_mirror, mirrorName(language), kMirrorKey);
    m_openStudio->setText(openStudioTitle(language));
    m_quit->setText(quitTitle(language));
    adjustSize();
}

QPoint MenuBarCamPopoverView::placement(const QRect &anchor, const QSize &size, const QRect &available)
{
    // Under the anchor when it fits, else above it; centred on it, kept inside the screen.
    int x = anchor.x() + anchor.width() / 2 - size.width() / 2;
    int y = anchor.bottom() + 1 + 4;
    if (y + size.height() > available.bottom() + 1)
        y = anchor.top() - 4 - size.height();
    x = std::clamp(x, available.left(), std::max(available.left(), available.right() + 1 - size.width()));
    y = std::clamp(y, available.top(), std::max(available.top(), available.bottom() + 1 - size.height()));
    return QPoint(x, y);
}

void MenuBarCamPopoverView::popUp(const QRect &anchor)
{
    sync();
    QScreen *screen = QGuiApplication::screenAt(anchor.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect(anchor.center(), size());
    move(placement(anchor, size(), available));
    show();
    raise();
    activateWindow();
}

void MenuBarCamPopoverView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF panel = QRectF(rect());
    p.fillPath(ZunoContinuousShape::roundedRect(panel, kCornerRadius), QColor(0x14, 0x14, 0x18, 245));
    ZunoContinuousShape::strokeBorder(p, panel, kCornerRadius, ZunoGlassTokens::borderSubtle());
}

void MenuBarCamPopoverView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        hide();
        return;
    }
    QWidget::keyPressEvent(event);
}

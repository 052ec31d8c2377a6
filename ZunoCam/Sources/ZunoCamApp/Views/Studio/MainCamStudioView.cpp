#include "MainCamStudioView.h"

#include "CamSettingsView.h"
#include "CamStudioTabButtonStyle.h"
#include "CamStudioToastLayer.h"
#include "CamStudioViewModel.h"
#include "CameraStudioView.h"
#include "PresentationToolsView.h"
#include "StudioTabPage.h"
#include "TeleprompterStudioView.h"
#include "ZunoAppVersion.h"
#include "ZunoBrandMark.h"
#include "ZunoBundle.h"
#include "ZunoButton.h"
#include "ZunoFonts.h"
#include "ZunoGlassTokens.h"
#include "ZunoGroundBackground.h"
#include "ZunoHotkeyDescriptor.h"
#include "ZunoLanguagePicker.h"
#include "ZunoPrimaryButtonStyle.h"
#include "ZunoText.h"
#include "ZunoUnifiedHeaderBar.h"
#include "ZunoVersionBadgeButton.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QLabel *makeLabel(const QString &text, const QFont &font, const QColor &color)
{
    auto *label = new QLabel(text);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    return label;
}

} // namespace

MainCamStudioView::MainCamStudioView(CamStudioViewModel &viewModel, const QColor &accent, QWidget *parent)
    : QWidget(parent)
    , m_viewModel(viewModel)
    , m_accent(accent)
    , m_shownTab(viewModel.selectedTab())
{
    m_ground = new ZunoGroundBackground(ZunoProductPalette::deepCoral, this);
    m_ground->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_ground->lower();

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(buildHeader());
    column->addWidget(studioDivider());
    m_tabView = makeTabView(m_shownTab);
    column->addWidget(m_tabView, 1);

    m_toastLayer = new CamStudioToastLayer(this);

    connect(&m_viewModel, &CamStudioViewModel::selectedTabChanged, this, &MainCamStudioView::syncTab);
    connect(&m_viewModel, &CamStudioViewModel::prompterStateChanged, this, &MainCamStudioView::syncPrompter);
    connect(&m_viewModel, &CamStudioViewModel::languageChanged, this, &MainCamStudioView::syncLanguage);
    connect(&m_viewModel, &CamStudioViewModel::toastChanged, this, &MainCamStudioView::syncToast);
    syncTabButtons();
    syncLanguage();
    if (m_viewModel.toastMessage())
        syncToast();
}

QString MainCamStudioView::launchTitle(bool isTeleprompterVisible, ZunoLanguage language)
{
    if (isTeleprompterVisible)
        return zunoText(QStringLiteral("Close Prompter"), QStringLiteral("Prompter’ı Kapat"), language);
    const QString keys = ZunoHotkeyDescriptor(0x11, ZunoHotkeyDescriptor::cmdOptionFlag).shortcutText();
    return zunoText(QStringLiteral("Launch Prompter (%1)"), QStringLiteral("Prompter Aç (%1)"), language)
        .arg(keys);
}

QString MainCamStudioView::compactLaunchTitle(bool isTeleprompterVisible, ZunoLanguage language)
{
    if (isTeleprompterVisible)
        return launchTitle(true, language);
    return zunoText(QStringLiteral("Prompter"), QStringLiteral("Prompter"), language);
}

QString MainCamStudioView::tabTitle(CamStudioTab tab, ZunoLanguage language)
{
    switch (tab) {
    case CamStudioTab::teleprompter:
        return zunoText(QStringLiteral("Teleprompter"), QStringLiteral("Teleprompter"), language);
    case CamStudioTab::camera:
        return zunoText(QStringLiteral("Camera & LUT"), QStringLiteral("Kamera & LUT"), language);
    case CamStudioTab::presenter:
        return zunoText(QStringLiteral("Laser & Spot"), QStringLiteral("Lazer & Spot"), language);
    case CamStudioTab::settings:
        return zunoText(QStringLiteral("Settings"), QStringLiteral("Ayarlar"), language);
    }
    return {};
}

QString MainCamStudioView::tabSymbol(CamStudioTab tab)
{
    switch (tab) {
    case CamStudioTab::teleprompter:
        return QStringLiteral("text.viewfinder");
    case CamStudioTab::camera:
        return QStringLiteral("camera.aperture");
    case CamStudioTab::presenter:
        return QStringLiteral("wand.and.stars");
    case CamStudioTab::settings:
        return QStringLiteral("gearshape.fill");
    }
    return {};
}

QString MainCamStudioView::tagline(ZunoLanguage language)
{
    return zunoText(QStringLiteral("Notch Teleprompter · Webcam LUT · Presentation Laser"),
        QStringLiteral("Çentik Teleprompter · Kamera LUT · Sunum Lazeri"), language);
}

QWidget *MainCamStudioView::buildHeader()
{
    m_header = new ZunoUnifiedHeaderBar(52, 18, 8, Qt::transparent);
    QHBoxLayout *row = m_header->contentLayout();
    row->setSpacing(kHeaderSpacing);

    auto *identity = new QHBoxLayout;
    identity->setSpacing(10);
    identity->addWidget(new ZunoBrandMark(24, ZunoBrandMarkStyle::currentApp()), 0, Qt::AlignVCenter);
    auto *names = new QVBoxLayout;
    names->setSpacing(1);
    auto *nameRow = m_nameRow = new QHBoxLayout;
    nameRow->setSpacing(8);
    nameRow->addWidget(makeLabel(QStringLiteral("ZunoCam"), ZunoFonts::system(16, QFont::Bold),
                           ZunoGlassTokens::textPrimary()),
        0, Qt::AlignVCenter);
    m_versionBadge = new ZunoVersionBadgeButton(QStringLiteral("ZunoCam"),
        ZunoAppVersion::current(ZunoBundle::main(), QStringLiteral("1.0.0"), QStringLiteral("100")), nullptr,
        ZunoProductPalette::deepCoral, m_viewModel.language(), false, true);
    nameRow->addWidget(m_versionBadge, 0, Qt::AlignVCenter);
    nameRow->addStretch(1);
    names->addLayout(nameRow);
    m_tagline = makeLabel(QString(), ZunoFonts::system(11, QFont::Normal), ZunoGlassTokens::textSecondary());
    // The tagline never widens the header: it shows only where it fits whole (fitHeader).
    m_tagline->setMinimumWidth(1);
    names->addWidget(m_tagline);
    identity->addLayout(names);
    row->addLayout(identity);
    row->addStretch(1);

    auto *tabs = new QHBoxLayout;
    tabs->setSpacing(kTabSpacing);
    for (const CamStudioTab tab : CamStudioTabs::allCases()) {
        auto *button = new ZunoButton(QString(), std::make_shared<CamStudioTabButtonStyle>(m_accent, false));
        button->setSymbol(tabSymbol(tab));
        button->setObjectName(rawValue(tab));
        // Tab titles are never cut: the header gives way elsewhere.
        button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        connect(button, &ZunoButton::clicked, this, [this, tab] { m_viewModel.setSelectedTab(tab); });
        tabs->addWidget(button);
        m_tabButtons.append(button);
    }
    row->addLayout(tabs);
    row->addStretch(1);

    m_launchButton = new ZunoButton(QString(), std::make_shared<ZunoPrimaryButtonStyle>());
    m_launchButton->setSymbol(QStringLiteral("text.viewfinder"));
    m_launchButton->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    connect(m_launchButton, &ZunoButton::clicked, this, [this] {
        if (m_viewModel.isTeleprompterVisible())
            m_viewModel.hideTeleprompterOverlay();
        else
            m_viewModel.showTeleprompterOverlay();
    });
    row->addWidget(m_launchButton, 0, Qt::AlignVCenter);
    m_header->installEventFilter(this);
    return m_header;
}

QWidget *MainCamStudioView::makeTabView(CamStudioTab tab)
{
    QWidget *page = nullptr;
    switch (tab) {
    case CamStudioTab::teleprompter:
        page = new TeleprompterStudioView(m_viewModel, m_accent);
        break;
    case CamStudioTab::presenter:
        page = new PresentationToolsView(m_viewModel, m_accent);
        break;
    case CamStudioTab::settings:
        page = new CamSettingsView(m_viewModel);
        break;
    case CamStudioTab::camera:
        page = new CameraStudioView(m_viewModel, m_accent);
        break;
    }
    page->setObjectName(rawValue(tab));
    return page;
}

void MainCamStudioView::syncTab()
{
    const CamStudioTab tab = m_viewModel.selectedTab();
    if (tab == m_shownTab && m_tabView)
        return;
    m_shownTab = tab;
    QWidget *next = makeTabView(tab);
    auto *column = static_cast<QVBoxLayout *>(layout());
    column->replaceWidget(m_tabView, next);
    column->setStretchFactor(next, 1);
    delete m_tabView;
    m_tabView = next;
    m_toastLayer->raise();
    syncTabButtons();
}

void MainCamStudioView::syncTabButtons()
{
    const auto &tabs = CamStudioTabs::allCases();
    for (qsizetype i = 0; i < m_tabButtons.size(); ++i) {
        const bool selected = tabs[i] == m_shownTab;
        const auto &style = static_cast<const CamStudioTabButtonStyle &>(m_tabButtons[i]->buttonStyle());
        if (style.isSelected() != selected)
            m_tabButtons[i]->setButtonStyle(std::make_shared<CamStudioTabButtonStyle>(m_accent, selected));
    }
}

void MainCamStudioView::syncPrompter()
{
    fitHeader();
}

bool MainCamStudioView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_header && event->type() == QEvent::Resize)
        fitHeader();
    return QWidget::eventFilter(watched, event);
}

void MainCamStudioView::fitHeader()
{
    if (m_fittingHeader)
        return;
    m_fittingHeader = true;
    const ZunoLanguage language = m_viewModel.language();
    const bool visible = m_viewModel.isTeleprompterVisible();
    const QString full = launchTitle(visible, language);
    const QString compact = compactLaunchTitle(visible, language);
    // The window's minimum counts the compact title, so the header can get narrow enough for it.
    m_launchButton->setText(compact);
    const int compactWidth = m_launchButton->sizeHint().width();
    m_launchButton->setMinimumWidth(compactWidth);
    m_launchButton->setText(full);
    const int fullWidth = m_launchButton->sizeHint().width();
    m_launchButton->setToolTip(QString());
    QHBoxLayout *row = m_header->contentLayout();
    const int available = m_header->isVisible() ? m_header->contentsRect().width() : 0;
    if (available > 0) {
        // Everything else at its smallest (tags, brand and tabs fixed; the tagline 1 pixel).
        const int others = row->minimumSize().width() - compactWidth;
        int launchWidth = fullWidth;
        if (others + fullWidth > available) {
            m_launchButton->setText(compact);
            m_launchButton->setToolTip(full);
            launchWidth = compactWidth;
        }
        const int tagline = m_tagline->fontMetrics().horizontalAdvance(m_tagline->text()) + 1;
        const int extra = std::max(0, tagline - m_nameRow->minimumSize().width());
        m_tagline->setVisible(others + launchWidth + extra <= available);
    }
    m_fittingHeader = false;
}

void MainCamStudioView::syncLanguage()
{
    const ZunoLanguage language = m_viewModel.language();
    zunoContentLayoutDirection(this, language);
    m_tagline->setText(tagline(language));
    const auto &tabs = CamStudioTabs::allCases();
    for (qsizetype i = 0; i < m_tabButtons.size(); ++i)
        m_tabButtons[i]->setText(tabTitle(tabs[i], language));
    m_versionBadge->setLanguage(language);
    fitHeader();
}

void MainCamStudioView::syncToast()
{
    m_toastLayer->setToast(m_viewModel.toastMessage(), m_viewModel.toastIsError());
}

void MainCamStudioView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_ground->setGeometry(rect());
    m_toastLayer->setGeometry(rect());
    m_toastLayer->raise();
}

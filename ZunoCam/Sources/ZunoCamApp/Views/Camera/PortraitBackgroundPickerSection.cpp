#include "PortraitBackgroundPickerSection.h"

#include "CamStudioViewModel.h"
#include "PortraitBackgroundMode.h"
#include "StudioTabPage.h"
#include "ZunoFonts.h"
#include "ZunoGlassTokens.h"
#include "ZunoSegmentedControl.h"
#include "ZunoSymbolIcon.h"
#include "ZunoText.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>

PortraitBackgroundPickerSection::PortraitBackgroundPickerSection(
    CamStudioViewModel &viewModel, const QColor &accent, QWidget *parent)
    : QWidget(parent)
    , m_viewModel(viewModel)
    , m_accent(accent)
    , m_symbol(new ZunoSymbolIcon(QString(), ZunoFonts::system(12, QFont::DemiBold), accent, this))
    , m_title(new QLabel(this))
    , m_mode(new QLabel(this))
    , m_picker(new ZunoSegmentedControl({}, this))
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);
    auto *header = new QHBoxLayout;
    header->setSpacing(5);
    m_title->setFont(ZunoFonts::system(12, QFont::DemiBold));
    m_mode->setFont(ZunoFonts::system(10.5, QFont::Medium));
    m_mode->setStyleSheet(studioTextCss(ZunoGlassTokens::textMuted()));
    header->addWidget(m_symbol);
    header->addWidget(m_title);
    header->addStretch(1);
    header->addWidget(m_mode);
    column->addLayout(header);
    column->addWidget(m_picker);

    connect(m_picker, &ZunoSegmentedControl::activated, this, [this](int index) {
        const auto &modes = PortraitBackgroundModes::allCases();
        if (index < 0 || index >= static_cast<int>(modes.size()))
            return;
        CameraAdjustments camera = m_viewModel.camera();
        camera.portraitBackgroundMode = modes[static_cast<std::size_t>(index)];
        m_viewModel.setCamera(camera);
        m_viewModel.applyCameraAdjustments();
    });
    connect(&m_viewModel, &CamStudioViewModel::cameraAdjustmentsChanged, this, [this] { sync(); });
    connect(&m_viewModel, &CamStudioViewModel::languageChanged, this, [this] { sync(); });
    sync();
}

void PortraitBackgroundPickerSection::sync()
{
    const ZunoLanguage language = m_viewModel.language();
    const PortraitBackgroundMode current = m_viewModel.camera().portraitBackgroundMode;
    const QColor color = current == PortraitBackgroundMode::off ? ZunoGlassTokens::textSecondary() : m_accent;
    m_symbol->setSymbol(PortraitBackgroundModes::symbolName(current));
    m_symbol->setColor(color);
    m_title->setText(
        zunoText(QStringLiteral("AI Portrait Background"), QStringLiteral("AI Portre Arkaplan"), language));
    m_title->setStyleSheet(studioTextCss(color));
    m_mode->setText(zunoText(
        PortraitBackgroundModes::labelEN(current), PortraitBackgroundModes::labelTR(current), language));

    QStringList segments;
    int selected = 0;
    const auto &modes = PortraitBackgroundModes::allCases();
    for (std::size_t i = 0; i < modes.size(); ++i) {
        segments << zunoText(PortraitBackgroundModes::shortLabelEN(modes[i]),
            PortraitBackgroundModes::shortLabelTR(modes[i]), language);
        if (modes[i] == current)
            selected = static_cast<int>(i);
    }
    const QSignalBlocker blocker(m_picker);
    if (m_picker->segments() != segments)
        m_picker->setSegments(segments);
    m_picker->setCurrentIndex(selected);
}

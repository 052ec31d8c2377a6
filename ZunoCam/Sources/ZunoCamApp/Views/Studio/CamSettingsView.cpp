#include "CamSettingsView.h"

#include "CamStudioViewModel.h"
#include "StudioSliderControl.h"
#include "StudioTabPage.h"
#include "ZunoFonts.h"
#include "ZunoGlassCard.h"
#include "ZunoGlassSwitch.h"
#include "ZunoGlassTokens.h"
#include "ZunoLanguagePicker.h"
#include "ZunoText.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

CamSettingsView::CamSettingsView(CamStudioViewModel &viewModel, QWidget *parent)
    : QWidget(parent)
    , m_viewModel(viewModel)
{
    auto *content = new QWidget;
    auto *column = new QVBoxLayout(content);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(14);
    const QString primaryCss = studioTextCss(ZunoGlassTokens::textPrimary());

    m_heading = new QLabel(content);
    m_heading->setFont(ZunoFonts::system(15, QFont::Bold));
    m_heading->setStyleSheet(primaryCss);
    column->addWidget(m_heading);

    m_login = makeStudioSwitch(content);
    connect(m_login, &ZunoGlassSwitch::clicked, this, [this](bool wanted) {
        m_viewModel.toggleLaunchAtLogin(wanted);
        // The box has already flipped itself; a refused change must show the real state.
        sync();
    });
    column->addWidget(m_login);

    auto *languageRow = new QHBoxLayout;
    m_languageLabel = new QLabel(content);
    m_languageLabel->setFont(ZunoFonts::system(12.5));
    m_languageLabel->setStyleSheet(primaryCss);
    languageRow->addWidget(m_languageLabel);
    languageRow->addStretch(1);
    m_picker = new ZunoLanguagePicker(
        std::nullopt, m_viewModel.language(), false,
        [this](ZunoLanguage language) {
            // The studio relabels at once; the preference is written after.
            m_viewModel.setLanguage(language);
            ZunoLanguages::setCurrent(language);
        },
        content);
    languageRow->addWidget(m_picker);
    column->addLayout(languageRow);

    installStudioTabPage(this, new ZunoGlassCard(18, 16, content, nullptr));

    connect(&m_viewModel, &CamStudioViewModel::launchAtLoginChanged, this, [this] { sync(); });
    connect(&m_viewModel, &CamStudioViewModel::languageChanged, this, [this] { sync(); });
    sync();
}

void CamSettingsView::sync()
{
    m_heading->setText(text(QStringLiteral("General Preferences"), QStringLiteral("Genel Tercihler")));
    m_login->setText(text(QStringLiteral("Launch at Login"), QStringLiteral("Oturum Açılışında Başlat")));
    {
        const QSignalBlocker blocker(m_login);
        m_login->setChecked(m_viewModel.launchAtLogin());
    }
    m_languageLabel->setText(text(QStringLiteral("Interface Language"), QStringLiteral("Arayüz Dili")));
    m_picker->setLanguage(m_viewModel.language());
}

QString CamSettingsView::text(const QString &en, const QString &tr) const
{
    return zunoText(en, tr, m_viewModel.language());
}

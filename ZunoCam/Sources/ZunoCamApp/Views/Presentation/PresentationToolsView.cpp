#include "PresentationToolsView.h"

#include "CamStudioViewModel.h"
#include "PresentationToolTile.h"
#include "StudioTabPage.h"
#include "ZunoButton.h"
#include "ZunoFonts.h"
#include "ZunoGlassCard.h"
#include "ZunoGlassTokens.h"
#include "ZunoPrimaryButtonStyle.h"
#include "ZunoSymbolLabel.h"
#include "ZunoText.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

PresentationToolsView::PresentationToolsView(
    CamStudioViewModel &viewModel, const QColor &accent, QWidget *parent)
    : QWidget(parent)
    , m_viewModel(viewModel)
{
    auto *content = new QWidget;
    auto *column = new QVBoxLayout(content);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(14);

    auto *header = new QHBoxLayout;
    m_headerHost = new QWidget(content);
    auto *headerLayout = new QHBoxLayout(m_headerHost);
    headerLayout->setContentsMargins(0, 0, 0, 0);
    header->addWidget(m_headerHost, 1);
    m_overlayButton = new ZunoButton(QString(), std::make_shared<ZunoPrimaryButtonStyle>(), content);
    connect(m_overlayButton, &ZunoButton::clicked, this, [this] { m_viewModel.toggleLaserOverlay(); });
    header->addWidget(m_overlayButton);
    column->addLayout(header);

    m_description = new QLabel(content);
    m_description->setWordWrap(true);
    m_description->setFont(ZunoFonts::system(12.5));
    m_description->setStyleSheet(studioTextCss(ZunoGlassTokens::textSecondary()));
    column->addWidget(m_description);

    auto *tiles = new QHBoxLayout;
    tiles->setSpacing(12);
    for (const PresentationOverlayMode mode : PresentationOverlayModes::allCases()) {
        auto *tile = new PresentationToolTile(mode, accent, content);
        connect(
            tile, &PresentationToolTile::clicked, this, [this, mode] { m_viewModel.setOverlayMode(mode); });
        tiles->addWidget(tile, 1);
        m_tiles.push_back(tile);
    }
    column->addLayout(tiles);

    installStudioTabPage(this, new ZunoGlassCard(20, 16, content, nullptr));

    connect(&m_viewModel, &CamStudioViewModel::overlayModeChanged, this, [this] { sync(); });
    connect(&m_viewModel, &CamStudioViewModel::presentationChanged, this, [this] { sync(); });
    connect(&m_viewModel, &CamStudioViewModel::languageChanged, this, [this] { sync(); });
    sync();
}

QString PresentationToolsView::headerText() const
{
    return m_header ? m_header->text() : QString();
}

void PresentationToolsView::sync()
{
    const QString title = text(QStringLiteral("On-Screen Presentation Laser, Pen & Spotlight"),
        QStringLiteral("Ekran Üstü Sunum Lazeri, Kalem ve Spot Işığı"));
    if (headerText() != title) {
        // The symbol label takes its text at construction.
        delete m_header;
        m_header = new ZunoSymbolLabel(QStringLiteral("wand.and.stars"), title,
            ZunoFonts::system(15, QFont::Bold), ZunoGlassTokens::textPrimary(), m_headerHost);
        m_headerHost->layout()->addWidget(m_header);
    }
    const PresentationOverlayMode mode = m_viewModel.overlayMode();
    m_overlayButton->setSymbol(PresentationOverlayModes::symbolName(mode));
    m_overlayButton->setText(m_viewModel.isLaserOverlayVisible()
            ? text(QStringLiteral("Dismiss Overlay"), QStringLiteral("Katmanı Kapat"))
            : text(QStringLiteral("Activate Overlay (Super+Alt+L)"),
                QStringLiteral("Katmanı Başlat (Super+Alt+L)")));
    m_description->setText(text(
        QStringLiteral("Highlight UI elements live during demos, Zoom calls, or ZunoShot recordings. Press "
                       "'C' to clear strokes or 'ESC' to exit anytime."),
        QStringLiteral("Canlı derslerde, Zoom toplantılarında veya ZunoShot kayıtlarında ekran üstünde vurgu "
                       "yapın. Çizimleri temizlemek için 'C', çıkmak için 'ESC' tuşuna basın.")));
    for (PresentationToolTile *tile : m_tiles) {
        tile->setText(text(PresentationOverlayModes::labelEN(tile->mode()),
            PresentationOverlayModes::labelTR(tile->mode())));
        tile->setSelected(tile->mode() == mode);
    }
}

QString PresentationToolsView::text(const QString &en, const QString &tr) const
{
    return zunoText(en, tr, m_viewModel.language());
}

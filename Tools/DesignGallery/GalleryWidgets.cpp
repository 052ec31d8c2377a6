#include "GalleryWidgets.h"

#include "ZunoAppLogger.h"
#include "ZunoBrandMark.h"
#include "ZunoFonts.h"
#include "ZunoGlassTokens.h"
#include "ZunoGroundBackground.h"
#include "ZunoLanguageMenuButton.h"
#include "ZunoLanguagePicker.h"
#include "ZunoText.h"
#include "ZunoUnifiedHeaderBar.h"
#include "ZunoUnifiedTitlebarWindow.h"
#include "ZunoVersionBadgeButton.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

QLabel *Gallery::text(const QString &string, const QFont &font, const QColor &color)
{
    auto *label = new QLabel(string);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
    return label;
}

Gallery::HeaderPreview::HeaderPreview(ZunoLanguage language, const ZunoWindowButtonLayout &controls,
    QSize size, std::shared_ptr<ZunoAppLogger> logger)
{
    resize(size);
    auto *titlebar = new ZunoUnifiedTitlebarWindow(this, ZunoUnifiedTitlebarMode::unifiedHeader, 16, 14);
    titlebar->setButtonLayout(controls);
    auto *page = new QVBoxLayout(this);
    page->setContentsMargins(0, 0, 0, 0);
    auto *header = new ZunoUnifiedHeaderBar(52, 18, 8, Qt::transparent);
    QHBoxLayout *row = header->contentLayout();
    row->setSpacing(10);
    row->addWidget(new ZunoBrandMark(26, ZunoBrandMarkStyle::currentApp()), 0, Qt::AlignVCenter);
    row->addWidget(text(QStringLiteral("ZunoCam"), ZunoFonts::system(15, QFont::DemiBold),
                       ZunoGlassTokens::textPrimary()),
        0, Qt::AlignVCenter);
    m_badge = new ZunoVersionBadgeButton(QStringLiteral("ZunoCam"),
        ZunoAppVersion { QStringLiteral("1.0.0"), QStringLiteral("100") }, std::move(logger),
        ZunoProductPalette::deepCoral, language, false, true);
    row->addWidget(m_badge, 0, Qt::AlignVCenter);
    row->addStretch(1);
    row->addWidget(text(zunoText(QStringLiteral("Live Camera"), QStringLiteral("Canlı Kamera"), language),
                       ZunoFonts::system(12, QFont::Medium), ZunoGlassTokens::textSecondary()),
        0, Qt::AlignVCenter);
    row->addWidget(new ZunoLanguageMenuButton(language), 0, Qt::AlignVCenter);
    page->addWidget(header);
    page->addStretch(1);
    zunoLocaleEnvironment(this, language);
    zunoContentLayoutDirection(this, language);
}

void Gallery::HeaderPreview::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    ZunoGroundBackground::paint(painter, rect(), ZunoProductPalette::deepCoral);
    painter.fillRect(rect(), QColor(0, 0, 0, 60));
}

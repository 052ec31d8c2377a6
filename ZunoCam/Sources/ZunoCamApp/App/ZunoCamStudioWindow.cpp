#include "ZunoCamStudioWindow.h"

#include "ZunoAppVersion.h"
#include "ZunoBrandMark.h"
#include "ZunoBundle.h"
#include "ZunoFonts.h"
#include "ZunoGlassTokens.h"
#include "ZunoLanguageMenuButton.h"
#include "ZunoLanguagePicker.h"
#include "ZunoMainThread.h"
#include "ZunoNotificationCenter.h"
#include "ZunoUnifiedHeaderBar.h"
#include "ZunoUnifiedTitlebarWindow.h"
#include "ZunoVersionBadgeButton.h"

#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QVBoxLayout>

namespace {

constexpr qreal kBrandMarkSize = 26;

} // namespace

ZunoCamStudioWindow::ZunoCamStudioWindow(QWidget *parent)
    : QWidget(parent)
    , m_language(ZunoLanguages::current())
{
    setObjectName(QStringLiteral("studio"));
    setWindowTitle(QStringLiteral("ZunoCam"));
    setMinimumSize(kMinimumWidth, kMinimumHeight);
    resize(kDefaultWidth, kDefaultHeight);
    m_titlebar = new ZunoUnifiedTitlebarWindow(this, ZunoUnifiedTitlebarMode::unifiedHeader, 16, 14);

    auto *page = new QVBoxLayout(this);
    page->setContentsMargins(0, 0, 0, 0);
    page->setSpacing(0);
    m_header = new ZunoUnifiedHeaderBar(52, 18, 8, Qt::transparent, this);
    QHBoxLayout *row = m_header->contentLayout();
    row->setSpacing(10);
    m_brandMark = new ZunoBrandMark(kBrandMarkSize, ZunoBrandMarkStyle::currentApp());
    row->addWidget(m_brandMark, 0, Qt::AlignVCenter);
    auto *title = new QLabel(QStringLiteral("ZunoCam"));
    title->setFont(ZunoFonts::system(15, QFont::DemiBold));
    QPalette palette = title->palette();
    palette.setColor(QPalette::WindowText, ZunoGlassTokens::textPrimary());
    title->setPalette(palette);
    row->addWidget(title, 0, Qt::AlignVCenter);
    m_versionBadge = new ZunoVersionBadgeButton(QStringLiteral("ZunoCam"),
        ZunoAppVersion::current(ZunoBundle::main(), QStringLiteral("1.0.0"), QStringLiteral("100")), nullptr,
        ZunoProductPalette::deepCoral, m_language, false, true);
    row->addWidget(m_versionBadge, 0, Qt::AlignVCenter);
    row->addStretch(1);
    m_languageButton = new ZunoLanguageMenuButton(m_language, [this](ZunoLanguage l) { applyLanguage(l); });
    row->addWidget(m_languageButton, 0, Qt::AlignVCenter);
    page->addWidget(m_header);
    page->addStretch(1);

    // A choice made elsewhere (another window, a menu) reaches this window too.
    ZunoNotificationCenter::shared().addObserver(
        QString::fromLatin1(ZunoLanguages::kLanguageDidChangeNotification), this,
        [this](const QString &, const QVariant &payload) {
            if (payload.metaType() != QMetaType::fromType<ZunoLanguage>())
                return;
            const auto language = payload.value<ZunoLanguage>();
            if (ZunoMainThread::isMainThread())
                applyLanguage(language);
            else
                ZunoMainThread::post(this, [this, language] { applyLanguage(language); });
        });
    applyLanguage(m_language);
}

void ZunoCamStudioWindow::applyLanguage(ZunoLanguage language)
{
    m_language = language;
    zunoLocaleEnvironment(this, language);
    zunoContentLayoutDirection(this, language);
    m_languageButton->setLanguage(language);
    m_versionBadge->setLanguage(language);
    update();
}

void ZunoCamStudioWindow::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient ground(rect().topLeft(), rect().bottomRight());
    ground.setColorAt(0, QColor(0x1b, 0x1f, 0x2e));
    ground.setColorAt(1, QColor(0x0c, 0x0e, 0x16));
    p.fillRect(rect(), ground);

    QFont title(QStringLiteral("Inter"));
    title.setPixelSize(34);
    title.setWeight(QFont::DemiBold);
    p.setFont(title);
    p.setPen(QColor(255, 255, 255, 235));
    p.drawText(rect(), Qt::AlignCenter, QStringLiteral("ZunoCam"));
}

#include "ZunoLanguagePicker.h"

#include "ZunoFocusRing.h"
#include "ZunoFonts.h"
#include "ZunoGlassTokens.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>

namespace {

constexpr int kFirstLanguageRow = 2;

QString rgba(const QColor &color)
{
    return QStringLiteral("rgba(%1, %2, %3, %4)")
        .arg(color.red())
        .arg(color.green())
        .arg(color.blue())
        .arg(color.alpha());
}

// The pop-up on glass: the second surface, the subtle border inside the edge, primary text.
// The ring follows the combo box's 8-pixel corners.
constexpr qreal kFocusRadius = 8;

QString glassStyleSheet()
{
    return QStringLiteral(
        "QComboBox { color: %1; background: %2; border: 1px solid %3; border-radius: 8px;"
        " padding: 4px 10px; }"
        "QComboBox QAbstractItemView { color: %1; background: #1c2030; border: 1px solid %3;"
        " selection-background-color: %4; }")
        .arg(rgba(ZunoGlassTokens::textPrimary()), rgba(ZunoGlassTokens::surface2()),
            rgba(ZunoGlassTokens::borderSubtle()), rgba(ZunoGlassTokens::surface3()));
}

} // namespace

Qt::LayoutDirection layoutDirection(ZunoLanguage language)
{
    switch (language) {
    case ZunoLanguage::ar:
    case ZunoLanguage::fa:
    case ZunoLanguage::he:
        return Qt::RightToLeft;
    default:
        return Qt::LeftToRight;
    }
}

void zunoLocaleEnvironment(QWidget *widget, ZunoLanguage language)
{
    if (widget)
        widget->setLocale(QLocale(rawValue(language)));
}

void zunoContentLayoutDirection(QWidget *widget, ZunoLanguage language)
{
    if (widget)
        widget->setLayoutDirection(layoutDirection(language));
}

ZunoLanguagePicker::ZunoLanguagePicker(const std::optional<QString> &title, ZunoLanguage language,
    bool showTitle, ZunoLanguageChoice::OnSelect onSelect, QWidget *parent)
    : QWidget(parent)
    , m_title(title)
    , m_language(language)
    , m_showTitle(showTitle)
    , m_onSelect(std::move(onSelect))
    , m_isFollowingSystem(ZunoLanguages::isFollowingSystem())
    , m_titleLabel(new QLabel(this))
    , m_combo(new QComboBox(this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    layout->addWidget(m_titleLabel);
    layout->addWidget(m_combo, 1);
    m_titleLabel->setFont(ZunoFonts::system(13));
    m_titleLabel->setVisible(showTitle);
    m_combo->setFont(ZunoFonts::system(13));
    m_combo->setStyleSheet(glassStyleSheet());
    ZunoFocusRing::track(m_combo);
    ZunoFocusRing::addOverlay(m_combo, kFocusRadius);
    QPalette titlePalette = m_titleLabel->palette();
    titlePalette.setColor(QPalette::WindowText, ZunoGlassTokens::textPrimary());
    m_titleLabel->setPalette(titlePalette);
    if (!showTitle) {
        setMinimumWidth(kMinimumWidth);
        setMaximumWidth(kMaximumWidth);
    }

    m_combo->addItem(QString());
    m_combo->insertSeparator(1);
    for (ZunoLanguage each : ZunoLanguages::sortedCases())
        m_combo->addItem(displayName(each), rawValue(each));
    connect(m_combo, &QComboBox::activated, this, [this](int row) {
        if (row == 0)
            chooseSystem();
        else if (row >= kFirstLanguageRow) {
            if (const auto language = ZunoLanguages::fromRawValue(m_combo->itemData(row).toString()))
                choose(*language);
        }
    });
    refresh();
}

QString ZunoLanguagePicker::title() const
{
    return m_title.value_or(ZunoLanguageChoice::titleText(m_language));
}

void ZunoLanguagePicker::setLanguage(ZunoLanguage language)
{
    m_language = language;
    refresh();
}

void ZunoLanguagePicker::chooseSystem()
{
    ZunoLanguageChoice::followSystem(m_isFollowingSystem, [this](ZunoLanguage l) { select(l); });
    refresh();
}

void ZunoLanguagePicker::choose(ZunoLanguage language)
{
    ZunoLanguageChoice::chooseLanguage(language, m_isFollowingSystem, [this](ZunoLanguage l) { select(l); });
    refresh();
}

void ZunoLanguagePicker::select(ZunoLanguage language)
{
    if (m_onSelect)
        m_onSelect(language);
    emit languageSelected(language);
}

void ZunoLanguagePicker::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (ZunoLanguageChoice::synchronize(m_isFollowingSystem))
        refresh();
}

void ZunoLanguagePicker::refresh()
{
    m_titleLabel->setText(title());
    m_combo->setItemText(0, ZunoLanguageChoice::systemEntryText(m_language));
    m_combo->setToolTip(title());
    const int row = m_isFollowingSystem ? 0 : m_combo->findData(rawValue(m_language));
    m_combo->setCurrentIndex(row);
}

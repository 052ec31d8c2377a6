#include "ZunoLanguageMenuButton.h"

#include "ZunoContinuousShape.h"
#include "ZunoFocusRing.h"
#include "ZunoFonts.h"
#include "ZunoGlassTokens.h"
#include "ZunoSymbolRegistry.h"

#include <QFontMetricsF>
#include <QMenu>
#include <QPainter>

#include <cmath>

namespace {

const QString kGlobe = QStringLiteral("globe");
const QString kCheckmark = QStringLiteral("checkmark");

QIcon checkmarkIcon(const QMenu *menu)
{
    const qreal side = ZunoSymbolRegistry::sideForFont(menu->font());
    return QIcon(QPixmap::fromImage(ZunoSymbolRegistry::image(
        kCheckmark, side, menu->palette().color(QPalette::WindowText), menu->devicePixelRatioF())));
}

} // namespace

ZunoLanguageMenuButton::ZunoLanguageMenuButton(
    ZunoLanguage language, ZunoLanguageChoice::OnSelect onSelect, QWidget *parent)
    : QAbstractButton(parent)
    , m_language(language)
    , m_onSelect(std::move(onSelect))
    , m_isFollowingSystem(ZunoLanguages::isFollowingSystem())
    , m_menu(new QMenu(this))
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    ZunoFocusRing::track(this);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    setToolTip(ZunoLanguageChoice::titleText(m_language));
    connect(m_menu, &QMenu::aboutToShow, this, &ZunoLanguageMenuButton::rebuildMenu);
    connect(this, &QAbstractButton::clicked, this, [this] {
        const QPoint below
            = layoutDirection() == Qt::RightToLeft ? rect().bottomRight() : rect().bottomLeft();
        m_menu->popup(mapToGlobal(below + QPoint(0, 4)));
    });
    rebuildMenu();
}

void ZunoLanguageMenuButton::setLanguage(ZunoLanguage language)
{
    m_language = language;
    setToolTip(ZunoLanguageChoice::titleText(m_language));
    updateGeometry();
    update();
}

QString ZunoLanguageMenuButton::codeText() const
{
    return shortCode(m_language);
}

QMenu *ZunoLanguageMenuButton::menu()
{
    rebuildMenu();
    return m_menu;
}

void ZunoLanguageMenuButton::rebuildMenu()
{
    m_menu->clear();
    const QIcon check = checkmarkIcon(m_menu);
    QAction *system = m_menu->addAction(ZunoLanguageChoice::systemEntryText(m_language));
    if (m_isFollowingSystem)
        system->setIcon(check);
    connect(system, &QAction::triggered, this, [this] {
        ZunoLanguageChoice::followSystem(m_isFollowingSystem, [this](ZunoLanguage l) { select(l); });
    });
    m_menu->addSeparator();
    for (ZunoLanguage each : ZunoLanguages::sortedCases()) {
        QAction *action = m_menu->addAction(displayName(each));
        action->setData(rawValue(each));
        if (!m_isFollowingSystem && each == m_language)
            action->setIcon(check);
        connect(action, &QAction::triggered, this, [this, each] {
            ZunoLanguageChoice::chooseLanguage(
                each, m_isFollowingSystem, [this](ZunoLanguage l) { select(l); });
        });
    }
}

void ZunoLanguageMenuButton::select(ZunoLanguage language)
{
    if (m_onSelect)
        m_onSelect(language);
    emit languageSelected(language);
}

void ZunoLanguageMenuButton::showEvent(QShowEvent *event)
{
    QAbstractButton::showEvent(event);
    ZunoLanguageChoice::synchronize(m_isFollowingSystem);
}

QFont ZunoLanguageMenuButton::labelFont() const
{
    return ZunoFonts::system(11, QFont::DemiBold);
}

QSize ZunoLanguageMenuButton::sizeHint() const
{
    const QFont font = labelFont();
    const QFontMetricsF metrics(font);
    const qreal symbol = ZunoSymbolRegistry::sideForFont(font);
    const qreal contentWidth = symbol + kSpacing + metrics.horizontalAdvance(codeText());
    const qreal contentHeight = std::max(symbol, metrics.height());
    return QSize(static_cast<int>(std::ceil(contentWidth + 2 * kHorizontalPadding)),
        static_cast<int>(std::ceil(contentHeight + 2 * kVerticalPadding)));
}

void ZunoLanguageMenuButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QSize hint = sizeHint();
    // The capsule keeps its ideal width; vertically it fills the button.
    QRectF capsule(0, 0, hint.width(), height());
    if (layoutDirection() == Qt::RightToLeft)
        capsule.moveRight(width());
    painter.fillPath(ZunoContinuousShape::capsule(capsule), ZunoGlassTokens::surface2());
    // The outline is centred on the capsule's edge, half of it outside.
    QPen outline(ZunoGlassTokens::borderSubtle(), 1);
    painter.setPen(outline);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(ZunoContinuousShape::capsule(capsule));

    const QFont font = labelFont();
    const QFontMetricsF metrics(font);
    const qreal symbol = ZunoSymbolRegistry::sideForFont(font);
    const qreal textWidth = metrics.horizontalAdvance(codeText());
    const QRectF content
        = capsule.adjusted(kHorizontalPadding, kVerticalPadding, -kHorizontalPadding, -kVerticalPadding);
    QRectF symbolBox(content.left(), content.center().y() - symbol / 2, symbol, symbol);
    QRectF textBox(symbolBox.right() + kSpacing, content.top(), textWidth, content.height());
    if (layoutDirection() == Qt::RightToLeft) {
        symbolBox.moveRight(content.right());
        textBox.moveRight(symbolBox.left() - kSpacing);
    }
    ZunoSymbolRegistry::paint(painter, symbolBox, kGlobe, ZunoGlassTokens::textPrimary());
    painter.setFont(font);
    painter.setPen(ZunoGlassTokens::textPrimary());
    painter.drawText(textBox, Qt::AlignCenter, codeText());
    ZunoFocusRing::paintIfVisible(painter, this, capsule, -1);
}

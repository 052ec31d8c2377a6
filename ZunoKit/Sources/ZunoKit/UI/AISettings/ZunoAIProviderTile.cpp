#include "ZunoAIProviderTile.h"

#include "ZunoContinuousShape.h"
#include "ZunoCreditsViewText.h"
#include "ZunoFocusRing.h"
#include "ZunoFonts.h"
#include "ZunoGlassTokens.h"
#include "ZunoSymbolIcon.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

ZunoAIProviderTile::ZunoAIProviderTile(
    ZunoAIProvider provider, const QString &symbol, const QColor &accent, QWidget *parent)
    : QAbstractButton(parent)
    , m_provider(provider)
    , m_accent(accent)
    , m_icon(new ZunoSymbolIcon(
          symbol, ZunoFonts::system(12, QFont::DemiBold), ZunoGlassTokens::textSecondary()))
    , m_check(new ZunoSymbolIcon(QStringLiteral("checkmark.circle.fill"), ZunoFonts::system(12), accent))
{
    using ZunoCreditsViewText::label;
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    ZunoFocusRing::track(this);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(kPadding, kPadding, kPadding, kPadding);
    column->setSpacing(4);
    auto *iconRow = new QHBoxLayout;
    iconRow->setSpacing(6);
    iconRow->addWidget(m_icon);
    iconRow->addStretch();
    iconRow->addWidget(m_check);
    column->addLayout(iconRow);
    m_title = label(QString(), ZunoFonts::system(12, QFont::DemiBold), ZunoGlassTokens::textPrimary(), this);
    m_subtitle = label(QString(), ZunoFonts::system(10.5), ZunoGlassTokens::textSecondary(), this);
    column->addWidget(m_title);
    column->addWidget(m_subtitle);
    // The tile takes every click inside it.
    for (QWidget *child : { static_cast<QWidget *>(m_icon), static_cast<QWidget *>(m_check),
             static_cast<QWidget *>(m_title), static_cast<QWidget *>(m_subtitle) })
        child->setAttribute(Qt::WA_TransparentForMouseEvents);
    // Keeps the checkmark's place so that the tile does not change height when selected.
    QSizePolicy keep = m_check->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    m_check->setSizePolicy(keep);
    setSelected(false);
}

void ZunoAIProviderTile::setTexts(const QString &title, const QString &subtitle)
{
    m_title->setText(title);
    m_subtitle->setText(subtitle);
    setAccessibleName(title);
    setAccessibleDescription(subtitle);
}

QString ZunoAIProviderTile::title() const
{
    return m_title->text();
}

QString ZunoAIProviderTile::subtitle() const
{
    return m_subtitle->text();
}

void ZunoAIProviderTile::setSelected(bool selected)
{
    m_selected = selected;
    m_icon->setColor(selected ? m_accent : ZunoGlassTokens::textSecondary());
    m_check->setVisible(selected);
    update();
}

void ZunoAIProviderTile::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = rect();
    painter.fillPath(ZunoContinuousShape::roundedRect(box, kRadius),
        m_selected ? ZunoGlassTokens::surface3() : ZunoGlassTokens::surface1());
    ZunoContinuousShape::strokeBorder(painter, box, kRadius,
        m_selected ? ZunoCreditsViewText::withOpacity(m_accent, 0.85) : ZunoGlassTokens::borderSubtle());
    ZunoFocusRing::paintIfVisible(painter, this, box, kRadius);
}

bool ZunoAIProviderTile::hitButton(const QPoint &pos) const
{
    return ZunoContinuousShape::roundedRect(rect(), kRadius).contains(pos);
}

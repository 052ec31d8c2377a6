#include "ZunoCreditsDisclosureButton.h"

#include "ZunoCreditsViewText.h"
#include "ZunoFocusRing.h"
#include "ZunoSymbolIcon.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

ZunoCreditsDisclosureButton::ZunoCreditsDisclosureButton(const QFont &chevronFont, const QColor &chevronColor,
    const QFont &titleFont, const QColor &titleColor, int spacing, QWidget *parent)
    : QAbstractButton(parent)
    , m_chevron(new ZunoSymbolIcon(QStringLiteral("chevron.right"), chevronFont, chevronColor, this))
    , m_title(ZunoCreditsViewText::label(QString(), titleFont, titleColor, this))
    , m_trailing(ZunoCreditsViewText::label(QString(), titleFont, titleColor, this))
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    ZunoFocusRing::track(this);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(spacing);
    for (QWidget *part : { static_cast<QWidget *>(m_chevron), static_cast<QWidget *>(m_title),
             static_cast<QWidget *>(m_trailing) })
        part->setAttribute(Qt::WA_TransparentForMouseEvents);
    row->addWidget(m_chevron);
    row->addWidget(m_title);
    row->addStretch(1);
    row->addWidget(m_trailing);
    m_trailing->hide();
}

void ZunoCreditsDisclosureButton::setOpen(bool open)
{
    m_chevron->setSymbol(open ? QStringLiteral("chevron.down") : QStringLiteral("chevron.right"));
}

void ZunoCreditsDisclosureButton::setTitle(const QString &title)
{
    m_title->setText(title);
    setAccessibleName(title);
}

QString ZunoCreditsDisclosureButton::title() const
{
    return m_title->text();
}

void ZunoCreditsDisclosureButton::setTrailingText(const QString &text, const QFont &font, const QColor &color)
{
    m_trailing->setText(text);
    m_trailing->setFont(font);
    ZunoCreditsViewText::setColor(m_trailing, color);
    m_trailing->setVisible(!text.isEmpty());
}

QString ZunoCreditsDisclosureButton::trailingText() const
{
    return m_trailing->text();
}

void ZunoCreditsDisclosureButton::paintEvent(QPaintEvent *)
{
    if (!ZunoFocusRing::isVisible(this))
        return;
    QPainter painter(this);
    ZunoFocusRing::paint(painter, rect(), kFocusRadius);
}

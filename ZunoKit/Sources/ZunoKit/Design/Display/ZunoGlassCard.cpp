#include "ZunoGlassCard.h"

#include "ZunoContinuousShape.h"
#include "ZunoGlassTokens.h"

#include <QPainter>
#include <QVBoxLayout>

ZunoGlassCard::ZunoGlassCard(qreal padding, qreal cornerRadius, QWidget *parent)
    : QWidget(parent)
    , m_padding(padding)
    , m_cornerRadius(cornerRadius)
    , m_layout(new QVBoxLayout(this))
{
    const int inset = qRound(padding);
    m_layout->setContentsMargins(inset, inset, inset, inset);
    m_layout->setSpacing(0);
}

ZunoGlassCard::ZunoGlassCard(qreal padding, qreal cornerRadius, QWidget *content, QWidget *parent)
    : ZunoGlassCard(padding, cornerRadius, parent)
{
    setContent(content);
}

void ZunoGlassCard::setContent(QWidget *content)
{
    if (content == m_content)
        return;
    if (m_content) {
        m_layout->removeWidget(m_content);
        m_content->deleteLater();
    }
    m_content = content;
    if (content)
        m_layout->addWidget(content);
}

void ZunoGlassCard::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds = rect();
    painter.fillPath(ZunoContinuousShape::roundedRect(bounds, m_cornerRadius), ZunoGlassTokens::surface1());
    ZunoContinuousShape::strokeBorder(painter, bounds, m_cornerRadius, ZunoGlassTokens::borderSubtle());
}

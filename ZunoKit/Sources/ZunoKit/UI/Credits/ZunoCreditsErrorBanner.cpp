#include "ZunoCreditsErrorBanner.h"

#include "ZunoContinuousShape.h"
#include "ZunoCreditsViewText.h"
#include "ZunoFonts.h"
#include "ZunoGlassTokens.h"
#include "ZunoSymbolIcon.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

ZunoCreditsErrorBanner::ZunoCreditsErrorBanner(qreal textSize, int padding, QWidget *parent)
    : QWidget(parent)
{
    auto *banner = new QHBoxLayout(this);
    banner->setContentsMargins(padding, padding, padding, padding);
    banner->setSpacing(6);
    auto *symbol = new QVBoxLayout;
    symbol->setContentsMargins(0, 1, 0, 0);
    symbol->addWidget(new ZunoSymbolIcon(QStringLiteral("exclamationmark.triangle.fill"),
        ZunoFonts::system(11), ZunoGlassTokens::warning(), this));
    symbol->addStretch(1);
    banner->addLayout(symbol);
    m_text = ZunoCreditsViewText::label(
        QString(), ZunoFonts::system(textSize), ZunoGlassTokens::textPrimary(), this);
    m_text->setWordWrap(true);
    QSizePolicy policy = m_text->sizePolicy();
    policy.setHorizontalPolicy(QSizePolicy::Expanding);
    m_text->setSizePolicy(policy);
    banner->addWidget(m_text, 1);
}

void ZunoCreditsErrorBanner::setMessage(const std::optional<QString> &message)
{
    setVisible(message && !message->isEmpty());
    m_text->setText(message.value_or(QString()));
}

void ZunoCreditsErrorBanner::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(ZunoContinuousShape::roundedRect(rect(), 8),
        ZunoCreditsViewText::withOpacity(ZunoGlassTokens::danger(), 0.16));
}

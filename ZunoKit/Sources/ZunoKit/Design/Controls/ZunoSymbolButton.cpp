#include "ZunoSymbolButton.h"

#include "ZunoFocusRing.h"
#include "ZunoFonts.h"
#include "ZunoGlassTokens.h"
#include "ZunoSymbolRegistry.h"
#include "ZunoText.h"

#include <QPainter>

#include <cmath>

ZunoSymbolButton::ZunoSymbolButton(const QString &symbol, qreal size, const QColor &color, QWidget *parent)
    : QAbstractButton(parent)
    , m_symbol(symbol)
    , m_color(color)
    , m_side(ZunoSymbolRegistry::sideForFont(ZunoFonts::system(size)))
{
    setFocusPolicy(Qt::TabFocus);
    ZunoFocusRing::track(this);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    resize(sizeHint());
}

void ZunoSymbolButton::setSymbol(const QString &symbol)
{
    if (symbol == m_symbol)
        return;
    m_symbol = symbol;
    update();
}

ZunoSymbolButton *ZunoSymbolButton::closeButton(ZunoLanguage language, std::function<void()> action)
{
    auto *button
        = new ZunoSymbolButton(QStringLiteral("xmark.circle.fill"), 18, ZunoGlassTokens::textSecondary());
    button->setAccessibleName(zunoText(QStringLiteral("Close"), QStringLiteral("Kapat"), language));
    connect(button, &QAbstractButton::clicked, button, [action = std::move(action)] { action(); });
    return button;
}

QSize ZunoSymbolButton::sizeHint() const
{
    const int side = static_cast<int>(std::ceil(m_side));
    return { side, side };
}

void ZunoSymbolButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (isDown())
        painter.setOpacity(0.6);
    ZunoSymbolRegistry::paint(painter, rect(), m_symbol, m_color);
    painter.setOpacity(1);
    ZunoFocusRing::paintIfVisible(painter, this, rect(), -1);
}

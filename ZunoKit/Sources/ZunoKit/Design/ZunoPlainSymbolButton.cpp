#include "ZunoPlainSymbolButton.h"

#include "ZunoFonts.h"
#include "ZunoSymbolRegistry.h"

#include <QPainter>

#include <cmath>

ZunoPlainSymbolButton::ZunoPlainSymbolButton(
    const QString &symbol, qreal size, const QColor &color, QWidget *parent)
    : QAbstractButton(parent)
    , m_symbol(symbol)
    , m_color(color)
    , m_side(ZunoSymbolRegistry::sideForFont(ZunoFonts::system(size)))
{
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::ArrowCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    resize(sizeHint());
}

void ZunoPlainSymbolButton::setSymbol(const QString &symbol)
{
    if (symbol == m_symbol)
        return;
    m_symbol = symbol;
    update();
}

QSize ZunoPlainSymbolButton::sizeHint() const
{
    const int side = static_cast<int>(std::ceil(m_side));
    return { side, side };
}

void ZunoPlainSymbolButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (isDown())
        painter.setOpacity(0.6);
    ZunoSymbolRegistry::paint(painter, rect(), m_symbol, m_color);
}

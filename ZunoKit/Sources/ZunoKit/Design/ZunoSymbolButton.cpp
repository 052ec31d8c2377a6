#include "ZunoSymbolButton.h"

#include "ZunoFonts.h"
#include "ZunoSymbolRegistry.h"

#include <QPainter>

#include <cmath>

ZunoSymbolButton::ZunoSymbolButton(const QString &symbol, qreal size, const QColor &color, QWidget *parent)
    : QAbstractButton(parent)
    , m_symbol(symbol)
    , m_color(color)
    , m_side(ZunoSymbolRegistry::sideForFont(ZunoFonts::system(size)))
{
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
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
}

#include "ZunoSymbolIcon.h"

#include "ZunoSymbolRegistry.h"

#include <QPainter>

#include <cmath>

ZunoSymbolIcon::ZunoSymbolIcon(const QString &symbol, const QFont &font, const QColor &color, QWidget *parent)
    : QWidget(parent)
    , m_symbol(symbol)
    , m_color(color)
{
    setFont(font);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void ZunoSymbolIcon::setSymbol(const QString &symbol)
{
    m_symbol = symbol;
    update();
}

void ZunoSymbolIcon::setColor(const QColor &color)
{
    if (color == m_color)
        return;
    m_color = color;
    update();
}

QSize ZunoSymbolIcon::sizeHint() const
{
    const int side = static_cast<int>(std::ceil(ZunoSymbolRegistry::sideForFont(font())));
    return QSize(side, side);
}

void ZunoSymbolIcon::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    ZunoSymbolRegistry::paint(painter, rect(), m_symbol, m_color);
}

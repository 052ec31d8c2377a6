#include "ZunoSuiteActionChip.h"

#include "ZunoContinuousShape.h"
#include "ZunoFocusRing.h"
#include "ZunoFonts.h"
#include "ZunoSymbolRegistry.h"

#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

constexpr qreal kSpacing = 5;

} // namespace

ZunoSuiteActionChip::ZunoSuiteActionChip(const QString &title, const QString &symbol, const QColor &tint,
    bool emphasized, bool compact, const QString &toolTip, QWidget *parent)
    : QAbstractButton(parent)
    , m_symbol(symbol)
    , m_tint(tint)
    , m_emphasized(emphasized)
    , m_compact(compact)
{
    setText(title);
    setToolTip(toolTip);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    ZunoFocusRing::track(this);
}

QFont ZunoSuiteActionChip::symbolFont() const
{
    return ZunoFonts::system(m_compact ? 9.5 : 10.5, QFont::DemiBold);
}

QFont ZunoSuiteActionChip::titleFont() const
{
    return ZunoFonts::system(m_compact ? 10 : 11, QFont::DemiBold);
}

QSize ZunoSuiteActionChip::sizeHint() const
{
    const QFontMetricsF metrics(titleFont());
    const qreal symbol = ZunoSymbolRegistry::sideForFont(symbolFont());
    const qreal width = 2 * paddingX() + symbol + kSpacing + metrics.horizontalAdvance(text());
    const qreal height = 2 * paddingY() + std::max(symbol, metrics.height());
    return QSize(static_cast<int>(std::ceil(width)), static_cast<int>(std::ceil(height)));
}

void ZunoSuiteActionChip::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds = rect();
    QColor fill = m_tint;
    fill.setAlphaF(m_emphasized ? 0.3 : 0.14);
    painter.fillPath(ZunoContinuousShape::capsule(bounds), fill);
    QColor border = m_tint;
    border.setAlphaF(m_emphasized ? 0.65 : 0.32);
    ZunoContinuousShape::strokeBorder(painter, bounds, -1, border, 1);

    const QColor foreground = m_emphasized ? QColor(Qt::white) : m_tint;
    const qreal symbol = ZunoSymbolRegistry::sideForFont(symbolFont());
    qreal x = paddingX();
    ZunoSymbolRegistry::paint(
        painter, QRectF(x, (bounds.height() - symbol) / 2, symbol, symbol), m_symbol, foreground);
    x += symbol + kSpacing;
    painter.setFont(titleFont());
    painter.setPen(foreground);
    const QRectF textBox(x, 0, std::max<qreal>(0, bounds.width() - x - paddingX()), bounds.height());
    painter.drawText(textBox, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
        QFontMetricsF(titleFont()).elidedText(text(), Qt::ElideRight, textBox.width()));
    ZunoFocusRing::paintIfVisible(painter, this, bounds, -1);
}

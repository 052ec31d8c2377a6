#include "ZunoVirtualMemoryHeaderPill.h"

#include "ZunoContinuousShape.h"
#include "ZunoFocusRing.h"
#include "ZunoFonts.h"
#include "ZunoGlassTokens.h"
#include "ZunoSuiteApp.h"
#include "ZunoSymbolRegistry.h"
#include "ZunoText.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace {

constexpr qreal kDot = 6;
constexpr qreal kSpacing = 5;
constexpr qreal kPaddingX = 9;
constexpr qreal kPaddingY = 4;

QFont symbolFont()
{
    return ZunoFonts::system(10, QFont::DemiBold);
}

QFont titleFont()
{
    return ZunoFonts::monospaced(11, QFont::DemiBold);
}

} // namespace

ZunoVirtualMemoryHeaderPill::ZunoVirtualMemoryHeaderPill(
    ZunoVirtualMemorySummary summary, ZunoLanguage language, Action onTap, QWidget *parent)
    : QAbstractButton(parent)
    , m_summary(std::move(summary))
    , m_language(language)
    , m_onTap(std::move(onTap))
{
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    ZunoFocusRing::track(this);
    connect(this, &QAbstractButton::clicked, this, &ZunoVirtualMemoryHeaderPill::tapped);
    resync();
}

void ZunoVirtualMemoryHeaderPill::setSummary(ZunoVirtualMemorySummary summary)
{
    m_summary = std::move(summary);
    resync();
}

void ZunoVirtualMemoryHeaderPill::setLanguage(ZunoLanguage language)
{
    m_language = language;
    resync();
}

void ZunoVirtualMemoryHeaderPill::setOnTap(Action onTap)
{
    m_onTap = std::move(onTap);
}

QColor ZunoVirtualMemoryHeaderPill::pillColor(const ZunoVirtualMemorySummary &summary)
{
    if (summary.pressureLevel == QLatin1String("critical"))
        return ZunoGlassTokens::danger();
    if (summary.isZunoRAMVirtualExpansionActive())
        return ZunoGlassTokens::accentViolet();
    if (summary.pressureLevel == QLatin1String("warning"))
        return ZunoGlassTokens::warning();
    return ZunoGlassTokens::accentCyan();
}

QString ZunoVirtualMemoryHeaderPill::title() const
{
    const QString badge = m_summary.compactBadgeText();
    const QString vm = zunoText(QStringLiteral("VM"), QStringLiteral("Sanal Bellek"), m_language);
    return badge.isEmpty() ? vm + QStringLiteral(" ON") : vm + QStringLiteral(": ") + badge;
}

QString ZunoVirtualMemoryHeaderPill::symbolName() const
{
    return m_summary.isZunoRAMVirtualExpansionActive() ? QStringLiteral("externaldrive.badge.timemachine")
                                                       : QStringLiteral("memorychip");
}

void ZunoVirtualMemoryHeaderPill::resync()
{
    setText(title());
    setToolTip(zunoText(QStringLiteral("Virtual Memory active — click to open ZunoRAM"),
        QStringLiteral("Sanal Bellek aktif — ZunoRAM ile yönetmek için tıklayın"), m_language));
    updateGeometry();
    update();
}

void ZunoVirtualMemoryHeaderPill::tapped()
{
    if (m_onTap) {
        m_onTap();
        return;
    }
    launch(ZunoSuiteApp::zunoRAM);
}

QSize ZunoVirtualMemoryHeaderPill::sizeHint() const
{
    const QFontMetricsF metrics(titleFont());
    const qreal symbol = ZunoSymbolRegistry::sideForFont(symbolFont());
    const qreal width
        = kPaddingX + kDot + kSpacing + symbol + kSpacing + metrics.horizontalAdvance(title()) + kPaddingX;
    const qreal height = std::max({ kDot, symbol, metrics.height() }) + 2 * kPaddingY;
    return QSize(static_cast<int>(std::ceil(width)), static_cast<int>(std::ceil(height)));
}

void ZunoVirtualMemoryHeaderPill::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor tint = color();
    const QRectF bounds = rect();
    QColor fill = tint;
    fill.setAlphaF(0.2);
    painter.fillPath(ZunoContinuousShape::capsule(bounds), fill);
    QColor border = tint;
    border.setAlphaF(0.45);
    ZunoContinuousShape::strokeBorder(painter, bounds, -1, border, 1);

    const qreal middle = bounds.center().y();
    qreal x = kPaddingX;
    painter.setPen(Qt::NoPen);
    painter.setBrush(tint);
    painter.drawEllipse(QRectF(x, middle - kDot / 2, kDot, kDot));
    x += kDot + kSpacing;
    const qreal symbol = ZunoSymbolRegistry::sideForFont(symbolFont());
    ZunoSymbolRegistry::paint(painter, QRectF(x, middle - symbol / 2, symbol, symbol), symbolName(), tint);
    x += symbol + kSpacing;
    painter.setFont(titleFont());
    painter.setPen(tint);
    const QRectF textBox(x, 0, bounds.width() - x - kPaddingX, bounds.height());
    painter.drawText(textBox, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
        QFontMetricsF(titleFont()).elidedText(title(), Qt::ElideRight, textBox.width()));
    ZunoFocusRing::paintIfVisible(painter, this, bounds, -1);
}

#include "CamDarkScheme.h"

#include "ZunoGlassTokens.h"

#include <QApplication>
#include <QStyleFactory>

namespace {

// The glass tokens are white at an opacity; over the near-black window they become these greys.
QColor over(const QColor &base, const QColor &glass)
{
    const qreal a = glass.alphaF();
    return QColor::fromRgbF(base.redF() * (1 - a) + glass.redF() * a,
        base.greenF() * (1 - a) + glass.greenF() * a, base.blueF() * (1 - a) + glass.blueF() * a);
}

} // namespace

namespace CamDarkScheme {

QPalette palette()
{
    const QColor window(0x16, 0x17, 0x1d);
    const QColor base(0x10, 0x11, 0x16);
    const QColor text = over(window, ZunoGlassTokens::textPrimary());
    const QColor muted = over(window, ZunoGlassTokens::textMuted());
    const QColor button = over(window, ZunoGlassTokens::surface2());
    const QColor accent = ZunoGlassTokens::accentViolet();

    QPalette p;
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, over(base, ZunoGlassTokens::surface1()));
    p.setColor(QPalette::ToolTipBase, over(window, ZunoGlassTokens::surface3()));
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, muted);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, button);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, ZunoGlassTokens::danger());
    p.setColor(QPalette::Light, over(window, ZunoGlassTokens::borderStrong()));
    p.setColor(QPalette::Midlight, over(window, ZunoGlassTokens::surface3()));
    p.setColor(QPalette::Mid, over(window, ZunoGlassTokens::borderSubtle()));
    p.setColor(QPalette::Dark, base.darker(130));
    p.setColor(QPalette::Shadow, Qt::black);
    p.setColor(QPalette::Highlight, accent);
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Link, ZunoGlassTokens::accentCyan());
    p.setColor(QPalette::LinkVisited, accent);
    for (const QPalette::ColorRole role : { QPalette::WindowText, QPalette::Text, QPalette::ButtonText })
        p.setColor(QPalette::Disabled, role, muted);
    p.setColor(QPalette::Disabled, QPalette::Highlight, over(window, ZunoGlassTokens::surface3()));
    return p;
}

void apply()
{
    if (QStyle *fusion = QStyleFactory::create(QStringLiteral("Fusion")))
        QApplication::setStyle(fusion);
    QApplication::setPalette(palette());
}

} // namespace CamDarkScheme

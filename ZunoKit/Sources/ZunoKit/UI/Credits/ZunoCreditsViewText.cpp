#include "ZunoCreditsViewText.h"

#include "ZunoCreditAccountProfile.h"
#include "ZunoCreditsAccountManager.h"
#include "ZunoCreditsUIFormatter.h"
#include "ZunoGlassTokens.h"
#include "ZunoText.h"

#include <QLabel>
#include <QPalette>

#include <charconv>
#include <cmath>
#include <iterator>

namespace ZunoCreditsViewText {

QLabel *label(const QString &text, const QFont &font, const QColor &color, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    // Inside a button a label would take the button's text role.
    label->setForegroundRole(QPalette::WindowText);
    label->setFont(font);
    setColor(label, color);
    return label;
}

void setColor(QLabel *label, const QColor &color)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
}

QColor color(const QLabel *label)
{
    return label->palette().color(QPalette::WindowText);
}

QColor withOpacity(QColor color, qreal opacity)
{
    color.setAlphaF(color.alphaF() * opacity);
    return color;
}

QWidget *divider(QWidget *parent)
{
    auto *line = new QWidget(parent);
    line->setFixedHeight(1);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, ZunoGlassTokens::borderSubtle());
    line->setPalette(palette);
    return line;
}

QString dollars(qint64 micros)
{
    double d = static_cast<double>(micros) / 1'000'000.0;
    if (!std::isfinite(d) || d < 0)
        d = 0;
    char buffer[400];
    const auto end = std::to_chars(std::begin(buffer), std::end(buffer), d, std::chars_format::fixed, 2).ptr;
    return QStringLiteral("\u2248 $") + QString::fromLatin1(buffer, end - buffer);
}

double unitMicros(const ZunoCreditAccountProfile &profile)
{
    return profile.creditUnitMicros >= 2 ? static_cast<double>(profile.creditUnitMicros) : 1.0;
}

QString credits(const ZunoCreditAccountProfile &profile, ZunoLanguage language)
{
    return ZunoCreditsUIFormatter::formatCredits(profile.availableMicros / unitMicros(profile), language)
        + QLatin1Char(' ') + unit(language);
}

QString unit(ZunoLanguage language)
{
    return zunoText(QStringLiteral("cr"), QStringLiteral("kr"), language);
}

QString portalHost()
{
    return QUrl(QString::fromLatin1(ZunoCreditsAccountManager::kDefaultPortalURL)).host();
}

} // namespace ZunoCreditsViewText

#include "ZunoCreditsViewText.h"

#include "ZunoCreditsAccountManager.h"
#include "ZunoText.h"

#include <QLabel>

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

QString unit(ZunoLanguage language)
{
    return zunoText(QStringLiteral("cr"), QStringLiteral("kr"), language);
}

QString portalHost()
{
    return QUrl(QString::fromLatin1(ZunoCreditsAccountManager::kDefaultPortalURL)).host();
}

} // namespace ZunoCreditsViewText

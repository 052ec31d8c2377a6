#include "StudioTabPage.h"

#include "ZunoGlassScrollArea.h"
#include "ZunoGlassTokens.h"

#include <QScrollArea>
#include <QVBoxLayout>
#include <QWidget>

QString studioCssColor(const QColor &color)
{
    return QStringLiteral("rgba(%1,%2,%3,%4)")
        .arg(color.red())
        .arg(color.green())
        .arg(color.blue())
        .arg(color.alphaF());
}

QString studioTextCss(const QColor &color)
{
    return QStringLiteral("color: %1;").arg(studioCssColor(color));
}

void installStudioTabPage(QWidget *tab, QWidget *card)
{
    auto *page = new QWidget;
    auto *pageLayout = new QVBoxLayout(page);
    pageLayout->setContentsMargins(22, 22, 22, 22);
    pageLayout->setSpacing(18);
    pageLayout->addWidget(card);
    pageLayout->addStretch(1);
    auto *outer = new QVBoxLayout(tab);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(zunoGlassScrollArea(page));
}

QWidget *studioDivider()
{
    auto *line = new QWidget;
    line->setFixedHeight(1);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, ZunoGlassTokens::borderSubtle());
    line->setPalette(palette);
    return line;
}

#pragma once

#include <QColor>
#include <QString>

class QWidget;

// A colour as a style sheet value, "rgba(r,g,b,a)".
QString studioCssColor(const QColor &color);
// "color: rgba(…);" for a label's text.
QString studioTextCss(const QColor &color);

// A 1-pixel line in `borderSubtle`, as wide as its layout makes it.
QWidget *studioDivider();

// Puts a tab's card on a page padded 22, at the top of a glass scroll area that fills `tab`.
void installStudioTabPage(QWidget *tab, QWidget *card);

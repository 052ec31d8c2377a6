#pragma once

#include <QFont>
#include <QStringList>

// A text wrapped at word boundaries into at most two lines of `width`; the second line ends in an
// ellipsis when the text goes on. Empty text gives no line.
QStringList zunoTwoLineText(const QString &text, const QFont &font, qreal width);

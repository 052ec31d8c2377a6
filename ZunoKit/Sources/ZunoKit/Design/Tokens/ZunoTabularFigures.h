#pragma once

#include <QFont>
#include <QPointF>
#include <QString>

class QPainter;

// Monospaced digits in any font: every digit 0-9 is centred in a cell as wide as the font's widest
// digit, and the other characters keep their own shaped advance. Amounts that change then keep their
// width and their digits line up. (The text font's own tabular figures need font features that the Qt
// in use cannot switch on.) Left-to-right text only.
namespace ZunoTabularFigures {

// The width of one digit cell.
qreal digitWidth(const QFont &font);
// The advance of the whole text drawn this way.
qreal width(const QString &text, const QFont &font);
// Draws the text with its baseline starting at origin, in the painter's pen.
void draw(QPainter &painter, const QPointF &origin, const QString &text, const QFont &font);

} // namespace ZunoTabularFigures

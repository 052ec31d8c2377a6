#pragma once

#include <QColor>
#include <QImage>
#include <QRectF>
#include <QString>
#include <QStringList>

class QFont;
class QPainter;

// The suite's symbol names ("video.fill", "xmark.circle.fill") mapped to icons of the open SVG icon set that
// the build copies into the resources ("symbols/outline/…svg", "symbols/filled/…svg"). Icons are drawn with
// QtSvg in any colour and size. A name missing from the table is a programming error: it draws nothing, warns
// once and is remembered, so that a view's test can fail on it (`unknownNamesRequested()`); the registry's
// own test lists every name the studio and the framework use. Main thread only.
namespace ZunoSymbolRegistry {

bool contains(const QString &name);
// Every name of the table, sorted.
QStringList names();
// The names asked for so far that the table does not have, sorted.
QStringList unknownNamesRequested();
// The icon for a name, "outline/aperture"; empty for an unknown name.
QString iconFile(const QString &name);
// The installed SVG for a name; empty when the name is unknown or the file is missing.
QString svgPath(const QString &name);

// The square a symbol takes beside text of a font, in device-independent pixels: the icon set draws
// inside a 2-in-24 margin, so the square is a little larger than the font so that the glyph matches
// the text's size.
qreal sideForFont(const QFont &font);

// The symbol in a colour (its alpha included) on a transparent square of side x devicePixelRatio
// pixels, tagged with that ratio. Null for an unknown name or an unreadable file.
QImage image(const QString &name, qreal side, const QColor &color, qreal devicePixelRatio = 1);

// Draws the symbol centred in box, as large as fits.
void paint(QPainter &painter, const QRectF &box, const QString &name, const QColor &color);

} // namespace ZunoSymbolRegistry

#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QLabel;

// A label that shows its text as written (plain text: markup from a log or a server is not markup),
// in a font and colour, wrapping when asked.
QLabel *zunoPlainLabel(const QString &text, const QFont &font, const QColor &color, bool wraps = false);

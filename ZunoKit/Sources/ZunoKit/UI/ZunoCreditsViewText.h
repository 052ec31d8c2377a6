#pragma once

#include "ZunoLanguage.h"

#include <QColor>
#include <QFont>
#include <QString>

class QLabel;
class QWidget;

// Small pieces the credits views share.
namespace ZunoCreditsViewText {

// A plain-text label (never rich text: messages come from the account) in a font and colour.
QLabel *label(const QString &text, const QFont &font, const QColor &color, QWidget *parent = nullptr);
void setColor(QLabel *label, const QColor &color);
QColor color(const QLabel *label);
// The colour at its own opacity times `opacity`.
QColor withOpacity(QColor color, qreal opacity);
// The credit unit: "cr" / "kr".
QString unit(ZunoLanguage language);
// The account portal's host name ("quarnwell.com"), as the sign-in texts name it.
QString portalHost();

} // namespace ZunoCreditsViewText

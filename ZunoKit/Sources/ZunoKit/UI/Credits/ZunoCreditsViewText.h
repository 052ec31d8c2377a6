#pragma once

#include "ZunoLanguage.h"

#include <QColor>
#include <QFont>
#include <QString>

struct ZunoCreditAccountProfile;
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
// A 1-pixel line in `borderSubtle`.
QWidget *divider(QWidget *parent = nullptr);
// "≈ $12.50": dollars of micro-dollars, two decimals in the C locale; 0 for a negative amount.
QString dollars(qint64 micros);
// Micro-dollars per credit: the profile's unit when it is 2 or more, else 1.
double unitMicros(const ZunoCreditAccountProfile &profile);
// The available balance in credits with the unit word: "12,500 cr".
QString credits(const ZunoCreditAccountProfile &profile, ZunoLanguage language);
// The credit unit: "cr" / "kr".
QString unit(ZunoLanguage language);
// The account portal's host name ("quarnwell.com"), as the sign-in texts name it.
QString portalHost();

} // namespace ZunoCreditsViewText

#pragma once

#include <QByteArray>
#include <QString>

// What the body of a failed HTTP answer may show a user: the one rule of every cloud client, so that
// the account calls and the AI client word the same failure alike.
namespace ZunoHttpErrorBody {

// How many user-perceived characters of an error text a message keeps.
inline constexpr qsizetype kMessageCharacters = 300;

// The body as trimmed text cut to `kMessageCharacters`; empty for a body that is not UTF-8 or is a web
// page (a proxy's or gateway's error page says nothing the status does not), so the failure reads
// "HTTP <status>".
QString readableText(const QByteArray &body);
// `text` cut to `kMessageCharacters`, never inside a user-perceived character.
QString shortened(const QString &text);

} // namespace ZunoHttpErrorBody

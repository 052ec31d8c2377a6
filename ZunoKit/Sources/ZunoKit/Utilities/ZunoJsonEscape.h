#pragma once

#include <QByteArray>
#include <QString>

// The platform JSON writer's string escaping, shared by every hand-written JSON text of the framework:
// quotation mark, backslash and solidus get a backslash, the usual control characters their short forms,
// the other control characters \u00xx (lower-case hex); everything else stays raw UTF-8.
namespace ZunoJsonEscape {

// Appends `value` as a quoted JSON string.
void appendString(QByteArray &out, const QString &value);

// `value` as a quoted JSON string.
QByteArray quoted(const QString &value);

} // namespace ZunoJsonEscape

#pragma once

#include <QByteArray>

namespace ZunoUtf8 {

// Whether `bytes` decode as UTF-8 without error, so that a reader can refuse a file or a line rather
// than read it half-decoded.
bool isValid(const QByteArray &bytes);

} // namespace ZunoUtf8

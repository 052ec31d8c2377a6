#pragma once

#include <QString>

// Proof-key values of the browser sign-in (RFC 7636, method S256), base64url without padding.
namespace ZunoPKCECrypto {

// `byteCount` bytes from the kernel's random source (glibc's arc4random_buf if that fails).
QString randomBase64URL(int byteCount);
// SHA-256 of the text's UTF-8 bytes.
QString sha256Base64URL(const QString &text);

} // namespace ZunoPKCECrypto

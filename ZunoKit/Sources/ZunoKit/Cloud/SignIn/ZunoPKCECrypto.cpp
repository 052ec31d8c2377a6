#include "ZunoPKCECrypto.h"

#include <QByteArray>
#include <QCryptographicHash>

#include <cerrno>
#include <cstdlib>
#include <sys/random.h>

namespace {

QString base64URL(const QByteArray &bytes)
{
    return QString::fromLatin1(
        bytes.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}

// Fills `bytes` from getrandom(2); false when the kernel cannot deliver.
bool fillFromKernel(QByteArray &bytes)
{
    qsizetype filled = 0;
    while (filled < bytes.size()) {
        const ssize_t got = ::getrandom(bytes.data() + filled, static_cast<size_t>(bytes.size() - filled), 0);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        filled += got;
    }
    return true;
}

} // namespace

namespace ZunoPKCECrypto {

QString randomBase64URL(int byteCount)
{
    QByteArray bytes(qMax(0, byteCount), Qt::Uninitialized);
    if (!fillFromKernel(bytes))
        ::arc4random_buf(bytes.data(), static_cast<size_t>(bytes.size()));
    return base64URL(bytes);
}

QString sha256Base64URL(const QString &text)
{
    return base64URL(QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha256));
}

} // namespace ZunoPKCECrypto
